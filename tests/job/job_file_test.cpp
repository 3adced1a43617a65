#include "Drilling/job/job_file.h"

#include <gtest/gtest.h>

#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "job/job_fixture.h"

namespace fs = std::filesystem;
using namespace drilling;
using testsupport::ReadBytes;

namespace {

std::string Golden(const char* name) {
  return ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests/job/golden" / name);
}

class JobFileTest : public jobtest::JobFixture {
 protected:
  common::MemoryForm main{MainDialogTemplate()};
  common::MemoryForm hole{HoleDialogTemplate()};
};

TEST_F(JobFileTest, NewJobFileWritesTheSkeletonNamedAfterTheClock) {
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  EXPECT_EQ(main.FullText(kTitleEdit), "2021-0509-142305");
  EXPECT_EQ(ctx.currentJobPath, folder / "DB" / "2021-0509-142305.ini");
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), Golden("skeleton_empty.ini"));
  EXPECT_EQ(JobFileExists(ctx), 1);
  EXPECT_TRUE(ui.questions.empty());
}

TEST_F(JobFileTest, SkeletonTakesTheTypedValuesAndRefusesWhatWouldBeCut) {
  main.SetText(kControllerCombo, "Mitsubishi MELDAS M80 with long name");  // 36 bytes: 31 fit
  ui.defaultAnswer = true;
  EXPECT_EQ(NewJobFile(ctx, main), -1);
  EXPECT_FALSE(fs::exists(ctx.currentJobPath)) << "nothing written";
  ASSERT_FALSE(ErrorBoxes().empty());
  EXPECT_EQ(ErrorBoxes().back(), "エラー：制御装置名 [MITSUBISHI MELDAS M80 WITH LONG NAME] が長すぎます（31 バイトまで）。");

  main.SetText(kControllerCombo, "Mitsubishi MELDAS M80");
  main.SetText(kCoordSystemCombo, "G54.1P1");
  main.SetText(kMaterialCombo, "ステン鋼");  // 8 bytes: refused
  EXPECT_EQ(NewJobFile(ctx, main), -1);
  main.SetText(kMaterialCombo, "ＳＵＳ3");  // 7 bytes
  main.SetText(kStockXEdit, "123456789012345");
  main.SetText(kStockYEdit, "100");
  main.SetText(kStockZEdit, "20.5");
  main.SetText(kOriginXEdit, "0");
  main.SetText(kOriginYEdit, "0");
  main.SetText(kProgramNumberEdit, "1234567");
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), Golden("skeleton_typed.ini"));
}

TEST_F(JobFileTest, ANewFileWhileAJobIsOpenNeedsTwoAnswers) {
  MakeJob("old.ini", "[Drilling]\ntitle=old\n");
  const std::string oldBytes = ReadBytes(ctx.currentJobPath);
  // Declined: the old job stays open and untouched, the title is the new one.
  ui.answers = {false};
  EXPECT_EQ(NewJobFile(ctx, main), 0);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"新しい定義ファイルを設定しますすか？"});
  EXPECT_EQ(ctx.currentJobPath, folder / "DB" / "old.ini");
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), oldBytes);
  EXPECT_EQ(main.FullText(kTitleEdit), "2021-0509-142305");

  // Accepted, but the new file exists already and overwriting is declined:
  // the path moves to it and nothing is written.
  const fs::path existing = folder / "DB" / "2021-0509-142305.ini";
  testsupport::WriteBytes(existing, "keep");
  ui.answers = {true, false};
  EXPECT_EQ(NewJobFile(ctx, main), 0);
  ASSERT_EQ(ui.questions.size(), 3u);
  EXPECT_EQ(ui.questions[2], "定義ファイル\n" + existing.string() + "\n既に存在します。上書きしますか？");
  EXPECT_EQ(ctx.currentJobPath, existing);
  EXPECT_EQ(ReadBytes(existing), "keep");

  ui.answers = {true, true};
  EXPECT_EQ(NewJobFile(ctx, main), 0);
  EXPECT_EQ(ReadBytes(existing), Golden("skeleton_empty.ini"));
}

TEST_F(JobFileTest, ASkeletonThatCannotBeWrittenIsReported) {
  // A folder in the way of the file: the replace fails even for root.
  fs::create_directories(folder / "DB" / "2021-0509-142305.ini" / "inside");
  ui.defaultAnswer = true;
  EXPECT_EQ(NewJobFile(ctx, main), -1);
  EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{"定義ファイルオープンエラー"});
  EXPECT_EQ(JobFileExists(ctx), 0) << "the path is set but no file is there";
}

TEST_F(JobFileTest, SaveWritesNonEmptyFieldsAndTheNcFileName) {
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  lines.clear();
  main.SetText(kMaterialCombo, "s45c");
  main.SetText(kStockXEdit, "150");
  main.SetText(kStockYEdit, "100");
  main.SetText(kStockZEdit, "20");
  main.SetText(kOriginXEdit, "0");
  main.SetText(kOriginYEdit, "0");
  main.SetText(kControllerCombo, "FANUC 0i-MF");
  main.SetText(kCoordSystemCombo, "G54");
  main.SetText(kProgramNumberEdit, "1234");
  ASSERT_EQ(SaveJobMainFields(ctx, main), 0);
  EXPECT_EQ(Stored("Drilling", "材質"), "S45C");
  EXPECT_EQ(Stored("Drilling", "制御装置"), "FANUC 0I-MF");
  EXPECT_EQ(Stored("Drilling", "Ｏ番号"), "1234");
  EXPECT_EQ(Stored("Drilling", "NcFile"), "O1234.nc");
  EXPECT_EQ(lines, (std::vector<std::string>{"    ＮＣファイル ： O1234.nc", "          Ｏ番号 = 1234",
                                             "メインの加工情報を保存しました。"}));

  // An empty field leaves the stored value; keys keep their places.
  main.SetText(kStockZEdit, "");
  main.SetText(kMaterialCombo, "");
  ASSERT_EQ(SaveJobMainFields(ctx, main), 0);
  EXPECT_EQ(Stored("Drilling", "材料Z"), "20");
  EXPECT_EQ(Stored("Drilling", "材質"), "S45C");
  EXPECT_NE(JobText().find("原点Y=0\r\n原点Z=0.\r\nＯ番号=1234\r\nNcFile=O1234.nc\r\n\r\n[Hole1]"), std::string::npos);
}

TEST_F(JobFileTest, NcFileNameFollowsTheControllerFamily) {
  struct Case {
    const char* controller;
    const char* ncFile;
  };
  const Case cases[] = {
      {"FANUC 31i", "O77.nc"},
      {"OKUMA OSP-P300", "O77.min"},
      {"MELDAS FANUC hybrid", "O77.nc1"},  // MELDAS is tested first; its leading point is dropped
      {"MAZAK MAZATROL", "O77"},            // no MAZATROL key: no extension
      {"HEIDENHAIN", "O77"},                // no family: no extension
  };
  ui.defaultAnswer = true;  // a new file over the open one, overwritten
  for (const Case& c : cases) {
    ASSERT_EQ(NewJobFile(ctx, main), 0);
    main.SetText(kControllerCombo, c.controller);
    main.SetText(kProgramNumberEdit, "77");
    ASSERT_EQ(SaveJobMainFields(ctx, main), 0);
    EXPECT_EQ(Stored("Drilling", "NcFile"), c.ncFile) << c.controller;
  }
  // The family test is case-sensitive (the list has made the text upper case already).
  std::string ext = "kept";
  EXPECT_EQ(NcFileExtension(ctx, "fanuc", ext), 0);
  EXPECT_EQ(ext, "kept");

  // Without a controller no NC file name is formed, but the number is saved.
  ClearMainForm(main, 0);
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  main.SetText(kProgramNumberEdit, "88");
  lines.clear();
  ASSERT_EQ(SaveJobMainFields(ctx, main), 0);
  EXPECT_EQ(Stored("Drilling", "NcFile"), "");
  EXPECT_EQ(Stored("Drilling", "Ｏ番号"), "88");
  EXPECT_EQ(lines.front(), "          Ｏ番号 = 88");
}

TEST_F(JobFileTest, WithoutAJobNothingIsReadOrWritten) {
  EXPECT_EQ(SaveJobMainFields(ctx, main), -1);
  EXPECT_EQ(ReadJobFile(ctx, main), -1);
  EXPECT_EQ(LoadHoleGroup(ctx, hole), -1);
  EXPECT_EQ(SaveHoleGroup(ctx, hole), -1);
  EXPECT_EQ(RefreshHoleTypes(ctx, main), 0);
  EXPECT_EQ(ErrorBoxes(), (std::vector<std::string>{"エラー：定義ファイルが設定されてません。", "定義ファイルがありません。",
                                                     "定義ファイルがありません。",
                                                     "エラー：定義ファイルが設定されてません。"}));
  EXPECT_TRUE(fs::is_empty(folder / "DB"));
}

// Cancelling the open dialog, or choosing a file that is no job file, keeps
// the job that was open: a later save still goes to it. The dialog shows each
// job file's title and material beside its name.
TEST_F(JobFileTest, CancellingTheOpenDialogKeepsTheOpenJob) {
  MakeJob("a.ini", "[Drilling]\ntitle=a\n材質=SS400\n");
  const fs::path open = ctx.currentJobPath;
  testsupport::WriteBytes(folder / "DB" / "notes.ini", "[Other]\nx=1\r\n");
  ui.fileChoices = {std::nullopt, (folder / "DB" / "notes.ini").string()};
  for (int attempt = 0; attempt < 2; ++attempt) {
    OpenJobFile(ctx, main);
    EXPECT_EQ(ctx.currentJobPath, open) << attempt;
  }
  EXPECT_EQ(lines.front(), "定義ファイルの読込みを中止します。");
  EXPECT_EQ(ErrorBoxes().size(), 1u) << "a cancel is no error; the file that is none is";
  main.SetText(kStockXEdit, "120");
  ASSERT_EQ(SaveJobMainFields(ctx, main), 0);
  EXPECT_EQ(Stored("Drilling", "材料X"), "120");

  ASSERT_EQ(ui.fileRequests.size(), 2u);
  const common::FileDialogRequest& request = ui.fileRequests[0];
  EXPECT_EQ(request.initialFolder, (folder / "DB").string());
  ASSERT_TRUE(request.describe);
  EXPECT_EQ(request.describe(open.string()), "a / SS400");
  MakeJob("untitled.ini", "[Drilling]\nＯ番号=1\n");
  EXPECT_EQ(request.describe(ctx.currentJobPath.string()), "- / -");
  EXPECT_EQ(request.describe((folder / "DB" / "notes.ini").string()), "") << "no job file: nothing said";
}

TEST_F(JobFileTest, OpeningShowsStoredValuesWholeAndReportsTheTooWide) {
  MakeJob("b.ini",
          "[Drilling]\ntitle=BRACKET-7\n制御装置=MITSUBISHI MELDAS M80 WITH LONG NAME\n座標系=G54.1P12\n材質=\n"
          "材料X=123.4567\n材料Y=80\n原点X=61.72835\nＯ番号=20250001\n"
          "[Hole1]\n種類=ドリル\n[Hole2]\n穴径=5\n[Hole3]\n種類=タップ\n");
  main.SetText(kMaterialCombo, "SS400");
  main.SetText(kStockZEdit, "12");
  main.SetText(kHoleTypeLabel1 + 1, "stale");
  ui.fileChoices = {ctx.currentJobPath.string()};
  ASSERT_EQ(OpenJobFile(ctx, main), 0);
  EXPECT_EQ(main.FullText(kTitleEdit), "BRACKET-7");
  // Never cut: G54.1P1 would be another work offset.
  EXPECT_EQ(main.FullText(kControllerCombo), "MITSUBISHI MELDAS M80 WITH LONG NAME");
  EXPECT_EQ(main.FullText(kCoordSystemCombo), "G54.1P12");
  EXPECT_EQ(main.FullText(kMaterialCombo), "SS400") << "an empty stored value keeps the field";
  EXPECT_EQ(main.FullText(kStockXEdit), "123.4567");
  EXPECT_EQ(main.FullText(kStockZEdit), "12") << "an absent key keeps the field";
  EXPECT_EQ(main.FullText(kOriginXEdit), "61.72835");
  EXPECT_EQ(main.FullText(kProgramNumberEdit), "20250001");
  EXPECT_EQ(ErrorBoxes(), (std::vector<std::string>{
                              "エラー：制御装置名 [MITSUBISHI MELDAS M80 WITH LONG NAME] が長すぎます（31 バイトまで）。",
                              "エラー：ワーク座標系 [G54.1P12] が長すぎます（7 バイトまで）。",
                              "エラー：プログラム番号 [20250001] が長すぎます（7 バイトまで）。"}));
  EXPECT_EQ(main.FullText(kHoleTypeLabel1), "ドリル");
  EXPECT_EQ(main.FullText(kHoleTypeLabel1 + 1), "") << "a group without a type clears its label";
  EXPECT_EQ(main.FullText(kHoleTypeLabel1 + 2), "タップ");
  // The save refuses them until they are mended.
  const std::string before = ReadBytes(ctx.currentJobPath);
  EXPECT_EQ(SaveJobMainFields(ctx, main), -1);
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), before);
}

// One table of bad typed values for every kind of main field: each is
// refused with the field named, and nothing is written. Values that fit come
// back as they were saved.
TEST_F(JobFileTest, BadMainFieldsAreRefusedAndNothingIsWritten) {
  struct Case {
    int control;
    std::string text;
    std::string box;
  };
  const Case cases[] = {
      {kStockXEdit, "abc", "エラー：材料寸法Ｘ [abc] は数値ではありません。"},
      {kStockYEdit, "nan", "エラー：材料寸法Ｙ [nan] は数値ではありません。"},
      {kStockZEdit, "inf", "エラー：材料寸法Ｚ [inf] は数値ではありません。"},
      {kOriginXEdit, "1e999", "エラー：加工原点Ｘ [1e999] は数値ではありません。"},
      {kOriginYEdit, "12,5", "エラー：加工原点Ｙ [12,5] は数値ではありません。"},
      {kStockXEdit, "1234567890.123456", "エラー：材料寸法Ｘ [1234567890.123456] が長すぎます（15 バイトまで）。"},
      {kCoordSystemCombo, "G54.1P10", "エラー：ワーク座標系 [G54.1P10] が長すぎます（7 バイトまで）。"},
      {kMaterialCombo, "STAVAX-ESR", "エラー：材質 [STAVAX-ESR] が長すぎます（7 バイトまで）。"},
      {kProgramNumberEdit, "ABC", "エラー：プログラム番号 [ABC] は数字で入力して下さい。"},
      {kProgramNumberEdit, "-12", "エラー：プログラム番号 [-12] は数字で入力して下さい。"},
      {kControllerCombo, "FANUC 0I-MF\n[HOLE1]\n穴径=99", "エラー：制御装置名 に改行や NUL 文字は使えません。"},
      {kTitleEdit, std::string("T1\rX", 4), "エラー：表題 に改行や NUL 文字は使えません。"},
      {kMaterialCombo, std::string("S45C\0X", 6), "エラー：材質 に改行や NUL 文字は使えません。"},
  };
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  const std::string before = ReadBytes(ctx.currentJobPath);
  for (const Case& c : cases) {
    ClearMainForm(main, 0);
    main.SetText(kTitleEdit, "2021-0509-142305");
    main.SetText(kStockXEdit, "150");
    main.SetText(kControllerCombo, "FANUC 0I-MF");
    main.SetText(c.control, c.text);
    EXPECT_EQ(SaveJobMainFields(ctx, main), -1) << c.text;
    EXPECT_EQ(ReadBytes(ctx.currentJobPath), before) << c.text;
    ASSERT_FALSE(ErrorBoxes().empty());
    EXPECT_EQ(ErrorBoxes().back(), c.box);
  }

  // What fits is saved and read back unchanged.
  ClearMainForm(main, 0);
  main.SetText(kTitleEdit, "2021-0509-142305");
  main.SetText(kStockXEdit, "1234.5678");
  main.SetText(kOriginYEdit, "-123456789.0125");
  main.SetText(kMaterialCombo, "SKD11");
  main.SetText(kCoordSystemCombo, "G54.1P7");
  main.SetText(kControllerCombo, "MITSUBISHI MELDAS M80 WITH LONG");
  ASSERT_EQ(SaveJobMainFields(ctx, main), 0);
  common::MemoryForm again(MainDialogTemplate());
  ASSERT_EQ(ReadJobFile(ctx, again), 0);
  for (int id : {kStockXEdit, kOriginYEdit, kMaterialCombo, kCoordSystemCombo, kControllerCombo})
    EXPECT_EQ(again.FullText(id), main.FullText(id)) << id;
}

// The title becomes a file name only where a new job's path is formed: an
// existing job whose title holds characters a file name cannot (files of
// earlier versions do) is saved as usual.
TEST_F(JobFileTest, AnExistingJobWithAnyTitleIsSaved) {
  MakeJob("old.ini", "[Drilling]\ntitle=A:B*?\n");
  ui.fileChoices = {ctx.currentJobPath.string()};
  ASSERT_EQ(OpenJobFile(ctx, main), 0);
  main.SetText(kStockXEdit, "77");
  EXPECT_EQ(SaveJobMainFields(ctx, main), 0);
  EXPECT_EQ(Stored("Drilling", "title"), "A:B*?");
  EXPECT_EQ(Stored("Drilling", "材料X"), "77");
  EXPECT_TRUE(ErrorBoxes().empty());
  EXPECT_EQ(SetNewJobPath(ctx, main), -1) << "as a new file's name it is refused";
}

// Opening refuses what is not a job definition file before anything reads
// it or writes into it.
TEST_F(JobFileTest, OpeningRefusesWhatIsNotAJobFile) {
  const fs::path notes = folder / "hostname";
  testsupport::WriteBytes(notes, "machine-7\n");
  const fs::path big = folder / "big.ini";
  testsupport::WriteBytes(big, "[Drilling]\r\n" + std::string(2 << 20, ';'));
  fs::create_directories(folder / "dir.ini");
  struct Case {
    fs::path path;
    std::string why;
  };
  const Case cases[] = {
      {notes, "[Drilling] セクションがありません"},
      {big, "定義ファイルとしては大きすぎます"},
      {folder / "dir.ini", "通常のファイルではありません"},
  };
  for (const Case& c : cases) {
    ui.fileChoices = {c.path.string()};
    EXPECT_EQ(OpenJobFile(ctx, main), -1);
    EXPECT_EQ(ErrorBoxes().back(), "エラー：" + c.path.string() + " は定義ファイルではありません（" + c.why + "）。");
    EXPECT_EQ(JobFileExists(ctx), 0);
    main.SetText(kStockXEdit, "1");
    EXPECT_EQ(SaveJobMainFields(ctx, main), -1);
  }
  EXPECT_EQ(ReadBytes(notes), "machine-7\n");
  // A job as earlier versions wrote it: blanks and case of the header vary.
  MakeJob("ok.ini", " [ drilling ] \ntitle=ok\n");
  EXPECT_TRUE(LooksLikeJobFile(ctx.currentJobPath));
}

TEST_F(JobFileTest, HoleGroupSaveWritesNumberTextAndRemovesOlderPositions) {
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  ctx.currentHoleGroup = 2;
  // Positions stored earlier, beyond the rows about to be saved and (by hand)
  // beyond the dialog's twenty: the NC writer would read X21 after a full list.
  for (int row = 1; row <= 22; ++row) {
    common::WriteProfileText("Hole2", "X" + std::to_string(row), "1.", ctx.currentJobPath);
    common::WriteProfileText("Hole2", "Y" + std::to_string(row), "2.", ctx.currentJobPath);
  }
  common::WriteProfileText("Hole2", "下穴径", "6.8", ctx.currentJobPath);
  hole.SetText(kHoleTypeCombo, "ドリル");
  hole.SetText(kHoleDiameterEdit, "8.5");
  hole.SetText(kHoleDepthEdit, "25");
  hole.SetText(kHoleX1Edit, "12.50");
  hole.SetText(kHoleY1Edit, "7");
  hole.SetText(kHoleX1Edit + 1, "0");
  hole.SetText(kHoleY1Edit + 1, "-0.0004");
  hole.SetText(kHoleX1Edit + 2, "1e2");
  hole.SetText(kHoleY1Edit + 2, " 3.14159");
  // Row 4 has no Y: a save would lose row 5, so it is refused (tested with
  // the dialog); once row 4 is gone the rows are contiguous.
  hole.SetText(kHoleX1Edit + 3, "40");
  hole.SetText(kHoleX1Edit + 4, "50");
  hole.SetText(kHoleY1Edit + 4, "50");
  const std::string before = JobText();
  EXPECT_EQ(SaveHoleGroup(ctx, hole), -1);
  EXPECT_EQ(JobText(), before);
  hole.SetText(kHoleX1Edit + 3, "");
  hole.SetText(kHoleX1Edit + 4, "");
  hole.SetText(kHoleY1Edit + 4, "");
  lines.clear();
  ASSERT_EQ(SaveHoleGroup(ctx, hole), 0);
  const std::string text = JobText();
  EXPECT_NE(text.find("[Hole2]\r\n種類=ドリル\r\n穴径=8.5\r\n深さ=25\r\n面取深=\r\n下穴径=6.8\r\n下穴深=\r\n座穴径=\r\n"
                      "座深さ=\r\nX1=12.5\r\nY1=7.\r\nX2=0.\r\nY2=-0.\r\nX3=100.\r\nY3=3.142\r\n\r\n[Hole3]"),
            std::string::npos)
      << text;
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Section = Hole2\n");
  EXPECT_EQ(lines[1], "種類 = ドリル\n");
  EXPECT_EQ(lines[4], "面取深 = \n");
  EXPECT_EQ(lines[9], "穴加工定義 [2] を保存しました。");
}

// Bad values of the hole group: refused with the field named, nothing written.
TEST_F(JobFileTest, BadHoleGroupValuesAreRefused) {
  struct Case {
    int control;
    std::string text;
    std::string box;
  };
  const Case cases[] = {
      {kHoleX1Edit, "abc", "エラー：Ｘ座標 [01] [abc] は数値ではありません。"},
      {kHoleY1Edit + 1, "nan", "エラー：Ｙ座標 [02] [nan] は数値ではありません。"},
      {kHoleX1Edit + 1, "inf", "エラー：Ｘ座標 [02] [inf] は数値ではありません。"},
      // 309 digits as number text: it would come back cut to 15.
      {kHoleX1Edit, "1e308", "エラー：Ｘ座標 [01] の値 10000000000000000"},
      {kHoleDiameterEdit, "8.5mm", "エラー：穴　径 [8.5mm] は数値ではありません。"},
      {kHoleDepthEdit, "12345678901234567", "エラー：穴深さ [12345678901234567] が長すぎます（15 バイトまで）。"},
      {kHoleTypeCombo, "ドリル\n[Hole1]", "エラー：穴の種類 に改行や NUL 文字は使えません。"},
  };
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  const std::string before = ReadBytes(ctx.currentJobPath);
  for (const Case& c : cases) {
    common::MemoryForm dialog(HoleDialogTemplate());
    dialog.SetText(kHoleTypeCombo, "ドリル");
    dialog.SetText(kHoleX1Edit, "10");
    dialog.SetText(kHoleY1Edit, "10");
    dialog.SetText(kHoleX1Edit + 1, "20");
    dialog.SetText(kHoleY1Edit + 1, "20");
    dialog.SetText(c.control, c.text);
    EXPECT_EQ(SaveHoleGroup(ctx, dialog), -1) << c.text;
    EXPECT_EQ(ReadBytes(ctx.currentJobPath), before);
    ASSERT_FALSE(ErrorBoxes().empty());
    EXPECT_EQ(ErrorBoxes().back().rfind(c.box, 0), 0u) << ErrorBoxes().back();
  }
}

TEST_F(JobFileTest, HoleGroupLoadStopsAtTheFirstMissingCoordinate) {
  MakeJob("c.ini",
          "[Hole3]\n種類=ザグリ\n穴径=9\n深さ=\n座穴径=14\n座深さ=8.6\nX1=10.\nY1=20.\nX2=30.\nY2=\nX3=50.\nY3=60.\n");
  ctx.currentHoleGroup = 3;
  hole.SetText(kHoleDepthEdit, "typed");
  hole.SetText(kHoleY1Edit + 1, "kept");
  hole.SetText(kHoleX1Edit + 2, "kept too");
  int updates = 0;
  ASSERT_EQ(LoadHoleGroup(ctx, hole,
                          [&](Context&, common::Form& dialog) {
                            ++updates;
                            EXPECT_EQ(dialog.Text(kHoleTypeCombo, 32), "ザグリ") << "runs after the values are in";
                          }),
            0);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(hole.FullText(kHoleDiameterEdit), "9");
  EXPECT_EQ(hole.FullText(kHoleDepthEdit), "typed");
  EXPECT_EQ(hole.FullText(kCboreDepthEdit), "8.6");
  EXPECT_EQ(hole.FullText(kHoleX1Edit), "10.");
  EXPECT_EQ(hole.FullText(kHoleX1Edit + 1), "30.");
  EXPECT_EQ(hole.FullText(kHoleY1Edit + 1), "kept");
  EXPECT_EQ(hole.FullText(kHoleX1Edit + 2), "kept too");
}

TEST_F(JobFileTest, HoleGroupRoundTripAndTypeLabels) {
  ASSERT_EQ(NewJobFile(ctx, main), 0);
  ctx.currentHoleGroup = 4;
  hole.SetText(kHoleTypeCombo, "タップ");
  hole.SetText(kHoleDiameterEdit, "10");
  hole.SetText(kPilotDiameterEdit, "8.5");
  for (int row = 0; row < 20; ++row) {
    hole.SetText(kHoleX1Edit + row, std::to_string(row * 5));
    hole.SetText(kHoleY1Edit + row, "-12.3456");
  }
  ASSERT_EQ(SaveHoleGroup(ctx, hole), 0);
  common::MemoryForm again(HoleDialogTemplate());
  ASSERT_EQ(LoadHoleGroup(ctx, again), 0);
  EXPECT_EQ(again.FullText(kPilotDiameterEdit), "8.5");
  EXPECT_EQ(again.FullText(kHoleX1Edit + 19), "95.");
  EXPECT_EQ(again.FullText(kHoleY1Edit + 19), "-12.346");
  main.SetText(kHoleTypeLabel1, "stale");
  EXPECT_EQ(RefreshHoleTypes(ctx, main), 0);
  EXPECT_EQ(main.FullText(kHoleTypeLabel1), "");
  EXPECT_EQ(main.FullText(kHoleTypeLabel1 + 3), "タップ");
}

TEST_F(JobFileTest, TitlesThatWouldLeaveTheFolderAreRefused) {
  for (const char* bad : {"", "   ", "../x", "a/b", "a\\b", "..", ".", "C:x", "a*b", "a?", "x.", "x ", "CON", "nul.txt",
                          "com1", "tab\there", "q\"uote", "<x>", "p|q"})
    EXPECT_FALSE(IsSafeFileTitle(bad)) << bad;
  // 表 and ソ carry the byte 0x5C as their second byte in code page 932.
  for (const char* good : {"2021-0509-142305", "表示板", "ソケット", "a..b", ".hidden", "PLATE 1", "COM10", "CONSOLE"})
    EXPECT_TRUE(IsSafeFileTitle(good)) << good;

  ASSERT_EQ(NewJobFile(ctx, main), 0);
  main.SetText(kTitleEdit, "../../etc/x");
  // As the name of a new file: refused before any question, path unchanged.
  const fs::path path = ctx.currentJobPath;
  EXPECT_EQ(SetNewJobPath(ctx, main), -1);
  EXPECT_EQ(ctx.currentJobPath, path);
  EXPECT_TRUE(ui.questions.empty());
}

TEST_F(JobFileTest, AFailedWriteIsReportedNotHidden) {
  // A regular file in a folder where nothing can be created.
  ctx.currentJobPath = "/proc/self/status";
  if (JobFileExists(ctx) != 1) GTEST_SKIP() << "no /proc";
  main.SetText(kStockXEdit, "1");
  EXPECT_EQ(SaveJobMainFields(ctx, main), -1);
  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_EQ(ErrorBoxes()[0], "エラー：定義ファイルに書き込めません。\n/proc/self/status");
  hole.SetText(kHoleTypeCombo, "ドリル");
  EXPECT_EQ(SaveHoleGroup(ctx, hole), -1);
  EXPECT_EQ(ErrorBoxes().size(), 2u);
}

}  // namespace

namespace {

// The job file writes a section's keys in one go; the result must be the
// file that key-by-key writes give (new keys at the end of their section,
// before its blank lines; deleted keys gone; a missing section at the end).
TEST(JobFileBatchWrite, EqualsKeyByKeyWrites) {
  testsupport::TempFolder folder;
  const std::string start = "[Hole1]\r\n種類=\r\nX1=1.\r\nY1=2.\r\nX2=3.\r\n\r\n[Hole2]\r\n穴径=5\r\n";
  const std::vector<common::ProfileChange> changes = {
      {"種類", "ドリル"}, {"X1", std::nullopt}, {"Y1", std::nullopt}, {"X2", std::nullopt},
      {"X1", "10."},      {"Y1", "20."},       {"深さ", "25"},        {"Y1", "21."}};
  for (const char* section : {"Hole1", "Hole3"}) {
    const fs::path one = folder / (std::string(section) + "-one.ini");
    const fs::path batch = folder / (std::string(section) + "-batch.ini");
    testsupport::WriteBytes(one, common::Utf8ToCp932(start));
    testsupport::WriteBytes(batch, common::Utf8ToCp932(start));
    for (const auto& c : changes) {
      std::optional<std::string_view> value;
      if (c.value) value = *c.value;
      ASSERT_TRUE(common::WriteProfileText(section, c.key, value, one));
    }
    ASSERT_TRUE(common::WriteProfileTexts(section, changes, batch));
    EXPECT_EQ(ReadBytes(batch), ReadBytes(one)) << section;
    EXPECT_EQ(common::ReadProfileText(section, "Y1", "", 16, batch), "21.");
  }
}

}  // namespace
