#include "Drilling/app/startup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Drilling/app/build_record.h"
#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/main_window.h"
#include "common/memory_form.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;
using drilling::StartUp;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

class StartUpTest : public testsupport::AppFixture {};

TEST_F(StartUpTest, CreatesTheDataFoldersOnceAndReadsTheIdentity) {
  WriteBytes(folder / "Relaypane.ini", common::Utf8ToCp932("[Relaypane]\r\nClassName=MyClass\r\nWindowName=\r\n"));
  ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
  for (const char* name : {"DB", "ncdata", "DXF", "trycut"}) EXPECT_TRUE(fs::is_directory(folder / name)) << name;
  EXPECT_EQ(ctx.configPath, folder / "Drilling.ini");
  EXPECT_EQ(ctx.messageWindowClass, "MyClass");
  EXPECT_EQ(ctx.messageWindowName, "穴明け加工メッセージ") << "an empty value takes the default";
  EXPECT_EQ(ctx.rightsNotice, "Copyright (C) 2021 Veltrane. All rights reserved.") << "the build year of the build record";
  EXPECT_TRUE(ui.boxes.empty());
  // Present folders (and a plain file of a folder's name) are left alone.
  fs::remove(folder / "ncdata");
  WriteBytes(folder / "ncdata", "not a folder");
  ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
  EXPECT_TRUE(fs::is_regular_file(folder / "ncdata"));
}

// The package carries the version the programs show (0.06 is 0.6.x).
TEST(BuildRecord, IsTheVersionOfThePackage) {
  const std::string shown = std::to_string(drilling::kVersionMajor) + "." + std::to_string(drilling::kVersionMinor) + ".";
  EXPECT_EQ(std::string(DRILLING_PROJECT_VERSION).rfind(shown, 0), 0u) << DRILLING_PROJECT_VERSION << " vs " << shown;
}

TEST_F(StartUpTest, AFolderThatCannotBeCreatedStopsWithItsBox) {
  WriteBytes(folder / "file", "x");
  EXPECT_EQ(StartUp(ctx, folder / "file"), -1);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "エラー：DBフォルダの作成失敗");
  EXPECT_EQ(ui.boxes[0].caption, "Drilling");
  EXPECT_EQ(ui.boxes[0].icon, common::BoxIcon::Error);
}

TEST_F(StartUpTest, ColoursTakeThePiecesGiven) {
  WriteConfig("[COLOR]\nWINDOW1=255,0\nTEXT1=1,2,3,4\n");
  ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
  EXPECT_EQ(ctx.windowColour, (common::Rgb{255, 0, 210}));
  EXPECT_EQ(ctx.textColour, (common::Rgb{1, 2, 3}));
  WriteConfig("[COLOR]\nWINDOW1=\nTEXT1=red,300,-1\n");
  ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
  EXPECT_EQ(ctx.windowColour, (common::Rgb{210, 210, 210}));
  EXPECT_EQ(ctx.textColour, (common::Rgb{0, 300, -1}));
  EXPECT_EQ(common::ColourValue(ctx.textColour), 0xFF2C00u) << "low 8 bits: 300 gives 44";
}

TEST_F(StartUpTest, TraceConsoleOnlyForDebugWindowOne) {
  StartUp(ctx, folder.Path());
  std::FILE* out = std::tmpfile();
  WriteConfig("[Drilling]\nDebugWindow=2\n");
  drilling::OpenTraceConsole(ctx, out);
  ctx.Trace("DB = %s\n", "x");
  EXPECT_EQ(std::ftell(out), 0);
  WriteConfig("[Drilling]\nDebugWindow=1\n");
  drilling::OpenTraceConsole(ctx, out);
  ctx.Trace("DB = %s\n", "x");
  std::rewind(out);
  char buf[512] = {};
  std::size_t n = std::fread(buf, 1, sizeof buf - 1, out);
  std::fclose(out);
  std::string text(buf, n);
  EXPECT_EQ(text, "$$$ Console Program Start $$$\nPATH = " + folder.Path().string() + "\nDB = x\n");
}

TEST_F(StartUpTest, PlacementClampsTheFractions) {
  ui.screen.desktop = {0, 0, 1000, 800};
  ui.screen.taskbarHeight = 40;
  common::MemoryForm main(drilling::MainDialogTemplate());
  main.SetFrame({0, 0, 400, 300});
  struct Case {
    const char* x;
    const char* y;
    common::Point expected;
  };
  for (const Case& c : {Case{"1.5", "1", {600, 460}}, Case{"-3", "abc", {0, 0}}, Case{"0.5", "0.25", {300, 115}}}) {
    WriteConfig(std::string("[WINDOW]\nX=") + c.x + "\nY=" + c.y + "\n");
    drilling::PlaceMainWindow(ctx, main);
    EXPECT_EQ((common::Point{main.Frame().left, main.Frame().top}), c.expected) << c.x << "," << c.y;
  }
}

TEST_F(StartUpTest, DialogFolderKindsIgnoreCase) {
  StartUp(ctx, folder.Path());
  drilling::SetDialogFolder(ctx, "nc");
  EXPECT_EQ(ctx.dialogFolder, (folder / "ncdata").string());
  drilling::SetDialogFolder(ctx, "Trycut");
  EXPECT_EQ(ctx.dialogFolder, (folder / "trycut").string());
  drilling::SetDialogFolder(ctx, "db");
  EXPECT_EQ(ctx.dialogFolder, (folder / "DB").string());
  drilling::SetDialogFolder(ctx, "other");
  EXPECT_EQ(ctx.dialogFolder, "");
}

TEST_F(StartUpTest, FileChooserKindsAndOverwriteQuestion) {
  StartUp(ctx, folder.Path());
  WriteConfig("[FILES]\nNCFILE=nc\n");
  WriteBytes(folder / "ncdata" / "O1.nc", "%");
  ui.fileChoices.push_back((folder / "ncdata" / "O1.nc").string());
  std::string result = "old";
  EXPECT_NE(drilling::ChooseFile(ctx, nullptr, result, "ncfile"), 0);
  EXPECT_EQ(result, (folder / "ncdata" / "O1.nc").string());
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].title, "ＮＣファイルを開く");
  EXPECT_EQ(ui.fileRequests[0].initialFolder, (folder / "ncdata").string());
  ASSERT_EQ(ui.fileRequests[0].filters.size(), 2u);
  EXPECT_EQ(ui.fileRequests[0].filters[0].description, "NC Files(*.nc)");
  EXPECT_EQ(ui.fileRequests[0].filters[1].pattern, "*.*");
  // EXEFILE opens where the last dialog left the dialog folder; cancelling empties the result.
  EXPECT_EQ(drilling::ChooseFile(ctx, nullptr, result, "EXEFILE"), 0);
  EXPECT_EQ(result, "");
  EXPECT_EQ(ui.fileRequests[1].initialFolder, (folder / "ncdata").string());
  // Programs on Linux have no extension: the files the user may run come first.
  ASSERT_EQ(ui.fileRequests[1].filters.size(), 3u);
  EXPECT_EQ(ui.fileRequests[1].filters[0].description, "実行ファイル(*)");
  EXPECT_TRUE(ui.fileRequests[1].filters[0].executable);
  EXPECT_EQ(ui.fileRequests[1].filters[1].description, "EXE Files(*.exe)");
  EXPECT_FALSE(ui.fileRequests[1].filters[1].executable);
  drilling::ChooseFile(ctx, nullptr, result, "TBLFILE");
  EXPECT_EQ(ui.fileRequests[2].initialFolder, folder.Path().string());
  drilling::ChooseFile(ctx, nullptr, result, "CAMFILE");
  EXPECT_EQ(ui.fileRequests[3].filters[0].description, "Save Files(*.dri)");
  EXPECT_EQ(ui.fileRequests[3].title, "定義ファイルを開く");

  EXPECT_EQ(drilling::ConfirmOverwrite(ctx, folder / "ncdata" / "none.nc"), 0);
  EXPECT_TRUE(ui.questions.empty());
  ui.answers = {false, true};
  EXPECT_EQ(drilling::ConfirmOverwrite(ctx, folder / "ncdata" / "O1.nc"), -1);
  EXPECT_EQ(drilling::ConfirmOverwrite(ctx, folder / "DB"), 0) << "a folder counts as existing";
  ASSERT_EQ(ui.questions.size(), 2u);
  EXPECT_EQ(ui.questions[0], "ファイル名\n\n" + (folder / "ncdata" / "O1.nc").string() + "\nは既に存在します。\n上書きしますか？");
  EXPECT_TRUE(ctx.messageBuffer.empty());
}
