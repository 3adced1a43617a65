// The new-job and hole-group roads of the main window, over in-memory forms.
#include <gtest/gtest.h>

#include "Drilling/app/commands.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/job/job_file.h"
#include "Drilling/job/material_dialog.h"
#include "job/job_fixture.h"

namespace fs = std::filesystem;
using namespace drilling;
using testsupport::ReadBytes;

namespace {

class MainCommandsTest : public jobtest::JobFixture {
 protected:
  void SetUp() override {
    JobFixture::SetUp();
    main.Init();
  }
  // The operator defines the stock in the material dialog and saves.
  void AnswerMaterial(const char* x, const char* y, const char* z, int radio) {
    ui.modalHandlers["INPUTWORKSIZEDLG"] = [=](common::Form& form) {
      auto& d = dynamic_cast<common::MemoryForm&>(form);
      d.SetText(kMaterialSizeXEdit, x);
      d.SetText(kMaterialSizeYEdit, y);
      d.SetText(kMaterialThicknessEdit, z);
      d.Click(radio);
      d.Click(kSettingSave);
    };
  }
  common::MemoryForm main{MainDialogTemplate(), MainWindowProc(ctx)};
};

TEST_F(MainCommandsTest, NewJobThenSaveData) {
  main.SetText(kTitleEdit, "left over");
  main.SetText(kProgramNumberEdit, "99");
  AnswerMaterial("150", "100", "20", kOriginCentreRadio);
  EXPECT_EQ(NewJob(ctx, main), 0);
  EXPECT_EQ(ui.modalsRun, std::vector<std::string>{"INPUTWORKSIZEDLG"});
  const fs::path job = folder / "DB" / "2021-0509-142305.ini";
  ASSERT_EQ(ctx.currentJobPath, job);
  EXPECT_EQ(main.FullText(kProgramNumberEdit), "") << "the form was emptied";
  EXPECT_EQ(main.FullText(kControllerCombo), "FANUC 0I-MF") << "start-up presets applied";
  EXPECT_EQ(main.FullText(kOriginXEdit), "75");
  // The skeleton was written before the dialog: it holds the title only.
  EXPECT_EQ(Stored("Drilling", "材料X"), "");
  main.SetText(kProgramNumberEdit, "1001");
  main.Click(kCmdSaveData);
  EXPECT_EQ(Stored("Drilling", "title"), "2021-0509-142305");
  EXPECT_EQ(Stored("Drilling", "材料X"), "150");
  EXPECT_EQ(Stored("Drilling", "原点Y"), "50");
  EXPECT_EQ(Stored("Drilling", "材質"), "S45C");
  EXPECT_EQ(Stored("Drilling", "座標系"), "G54");
  EXPECT_EQ(Stored("Drilling", "NcFile"), "O1001.nc");
}

TEST_F(MainCommandsTest, NewJobWithAJobOpenAndTheNewFileDeclined) {
  MakeJob("old.ini", "[Drilling]\ntitle=old\n材料X=1\n[Hole1]\n種類=ドリル\n");
  const std::string before = ReadBytes(ctx.currentJobPath);
  ui.fileChoices = {ctx.currentJobPath.string()};
  main.Click(kCmdDefinitionFile);
  main.SetText(kStockYEdit, "typed, not saved");
  ui.answers = {false};
  // Asked before the form changes: the question stands over the open job.
  std::string titleWhenAsked;
  ui.onQuestion = [&](const std::string&) { titleWhenAsked = main.FullText(kTitleEdit); };
  AnswerMaterial("300", "200", "30", kOriginLowerLeftRadio);
  main.Click(kCmdNew);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"新しい定義ファイルを設定しますすか？"});
  EXPECT_EQ(titleWhenAsked, "old");
  // No: the open job stays as the form showed it, and nothing else happens.
  EXPECT_EQ(ReadBytes(folder / "DB" / "old.ini"), before);
  EXPECT_EQ(ctx.currentJobPath, folder / "DB" / "old.ini");
  EXPECT_EQ(main.FullText(kTitleEdit), "old");
  EXPECT_EQ(main.FullText(kStockXEdit), "1");
  EXPECT_EQ(main.FullText(kStockYEdit), "typed, not saved");
  EXPECT_EQ(main.FullText(kHoleTypeLabel1), "ドリル");
  EXPECT_TRUE(ui.modalsRun.empty()) << "no material dialog";
  main.SetText(kStockYEdit, "80");
  main.Click(kCmdSaveData);
  EXPECT_EQ(Stored("Drilling", "title"), "old");
  EXPECT_EQ(Stored("Drilling", "材料Y"), "80");
}

// Yes: one question only, then the new job as from an empty form.
TEST_F(MainCommandsTest, NewJobWithAJobOpenAskedOnce) {
  MakeJob("old.ini", "[Drilling]\ntitle=old\n");
  main.SetText(kStockXEdit, "5");
  ui.answers = {true};
  AnswerMaterial("300", "200", "30", kOriginLowerLeftRadio);
  EXPECT_EQ(NewJob(ctx, main), 0);
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ctx.currentJobPath, folder / "DB" / "2021-0509-142305.ini");
  EXPECT_EQ(Stored("Drilling", "材料X"), "");
}

// The caption names the open job after every command.
TEST_F(MainCommandsTest, TheCaptionShowsTheOpenJob) {
  EXPECT_EQ(MainWindowCaption(ctx), "穴明けＮＣ加工システム");
  MakeJob("PLATE-7.ini", "[Drilling]\ntitle=PLATE-7\n");
  main.Click(kCmdSaveData);
  EXPECT_EQ(main.Title(), "PLATE-7 - 穴明けＮＣ加工システム");
  MakeJob("copy.ini", "[Drilling]\ntitle=PLATE-7\n");
  main.Click(kCmdSaveData);
  EXPECT_EQ(main.Title(), "PLATE-7 (copy.ini) - 穴明けＮＣ加工システム");
  MakeJob("blank.ini", "[Drilling]\ntitle=\n");
  EXPECT_EQ(MainWindowCaption(ctx), "blank.ini - 穴明けＮＣ加工システム");
  AnswerMaterial("300", "200", "30", kOriginLowerLeftRadio);
  ui.answers = {true};
  main.Click(kCmdNew);
  EXPECT_EQ(main.Title(), "2021-0509-142305 - 穴明けＮＣ加工システム");
}

TEST_F(MainCommandsTest, CancelledMaterialDefinitionEndsTheNewJob) {
  EXPECT_EQ(NewJob(ctx, main), -1);  // no handler: the dialog is closed
  EXPECT_EQ(JobFileExists(ctx), 1) << "the skeleton stays";
}

TEST_F(MainCommandsTest, HoleGroupButtonWithoutAJobStartsOneFromTheTypedValues) {
  main.SetText(kStockXEdit, "88");
  main.SetText(kProgramNumberEdit, "4321");
  main.SetText(kControllerCombo, "OKUMA OSP-P300MA");
  // Cancelled material definition: the file stays, no hole dialog.
  main.Click(kHoleGroupButton1 + 2);
  EXPECT_EQ(ctx.currentHoleGroup, 3);
  EXPECT_EQ(ui.modalsRun, std::vector<std::string>{"INPUTWORKSIZEDLG"});
  ASSERT_EQ(JobFileExists(ctx), 1);
  EXPECT_EQ(Stored("Drilling", "材料X"), "88");
  EXPECT_EQ(Stored("Drilling", "Ｏ番号"), "4321");
  EXPECT_EQ(Stored("Drilling", "制御装置"), "OKUMA OSP-P300MA");
  EXPECT_EQ(OpenHoleGroup(ctx, main), 0) << "a job is open now: straight to the hole dialog";
  EXPECT_EQ(ui.modalsRun.back(), "HOLEDEFINEDIALOG");
}

TEST_F(MainCommandsTest, HoleDialogLoadsSavesAndRefreshesTheLabel) {
  MakeJob("d.ini", "[Drilling]\ntitle=d\n[Hole2]\n種類=タップ\n穴径=10\nX1=5.\nY1=6.\n");
  std::string seenTitle;
  std::string seenDiameter;
  int typeEntries = 0;
  ui.modalHandlers["HOLEDEFINEDIALOG"] = [&](common::Form& form) {
    auto& d = dynamic_cast<common::MemoryForm&>(form);
    seenTitle = d.Title();
    seenDiameter = d.FullText(kHoleDiameterEdit);
    typeEntries = d.EntryCount(kHoleTypeCombo);
    d.SetText(kHoleTypeCombo, "ザグリ");
    d.SetText(kHoleX1Edit + 1, "7");
    d.SetText(kHoleY1Edit + 1, "8");
    d.Click(40070);
  };
  main.Click(kHoleGroupButton1 + 1);
  EXPECT_EQ(seenTitle, "[2] 穴情報登録");
  EXPECT_EQ(seenDiameter, "10");
  EXPECT_EQ(typeEntries, 4);
  EXPECT_EQ(Stored("Hole2", "種類"), "ザグリ");
  EXPECT_EQ(Stored("Hole2", "X2"), "7.");
  EXPECT_EQ(main.FullText(kHoleTypeLabel1 + 1), "ザグリ");

  // Cancel saves nothing; the labels are refreshed from the file anyway.
  ui.modalHandlers["HOLEDEFINEDIALOG"] = [&](common::Form& form) {
    form.SetText(kHoleTypeCombo, "リーマ");
    dynamic_cast<common::MemoryForm&>(form).Click(40071);
  };
  main.SetText(kHoleTypeLabel1 + 1, "");
  main.Click(kHoleGroupButton1 + 1);
  EXPECT_EQ(Stored("Hole2", "種類"), "ザグリ");
  EXPECT_EQ(main.FullText(kHoleTypeLabel1 + 1), "ザグリ");
}

}  // namespace
