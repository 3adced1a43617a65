// The operator's first road on the real main window (Qt host, offscreen): a
// new job, its material defined, the data saved, the file reopened.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <map>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/material_dialog.h"
#include "common/profile.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"
#include "e2e/scripted_qt_ui.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;
using namespace drilling;

using testsupport::Widget;

namespace {

class JobRoadTest : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    WriteConfig(
        "[UserStartup]\nWorkType=S45C\nMachine=FANUC 0i-MF\nCoordSystem=G54\n"
        "[WorkType]\nWorkType0=S45C\nWorkType1=A5052\n[Machine]\nMachine0=FANUC 0i-MF\n"
        "[CoordSystem]\nCoordSystem0=G54\nCoordSystem1=G55\n[work]\n原点=0\n[NCFILE]\nFANUC=nc\n");
    ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
    common::ForgetCachedProfiles();
    ctx.ui = &qtUi;
  }
  std::string Stored(const char* key) const {
    return common::ReadProfileText("Drilling", key, "<absent>", 256, ctx.currentJobPath);
  }
  testsupport::ScriptedQtUi qtUi;
};

TEST_F(JobRoadTest, NewJobMaterialSaveAndReopen) {
  qtUi.scripts["INPUTWORKSIZEDLG"] = [](common::QtForm& d) {
    QTest::keyClicks(Widget<QLineEdit>(d, kMaterialSizeXEdit), "150");
    QTest::keyClicks(Widget<QLineEdit>(d, kMaterialSizeYEdit), "100");
    QTest::keyClicks(Widget<QLineEdit>(d, kMaterialThicknessEdit), "20");
    QComboBox* material = Widget<QComboBox>(d, kMaterialNameCombo);
    EXPECT_EQ(material->count(), 2);
    EXPECT_EQ(material->currentText(), "S45C") << "copied from the main form's preset";
    Widget<QAbstractButton>(d, kOriginCentreRadio)->click();
    d.TriggerCommand(kSettingSave);
  };
  {
    common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, qtUi.Style());
    main.Initialise();
    main.show();
    EXPECT_EQ(Widget<QComboBox>(main, kControllerCombo)->currentText(), "FANUC 0I-MF");

    main.TriggerCommand(kCmdNew);
    const fs::path job = folder / "DB" / "2021-0509-142305.ini";
    ASSERT_EQ(ctx.currentJobPath, job);
    EXPECT_EQ(Widget<QLineEdit>(main, kTitleEdit)->text(), "2021-0509-142305");
    EXPECT_EQ(Widget<QLineEdit>(main, kOriginXEdit)->text(), "75");
    EXPECT_EQ(Widget<QLineEdit>(main, kOriginYEdit)->text(), "50");

    // The operator picks the coordinate system, presses the program number
    // button (14:23 on the fixed clock), then saves.
    QComboBox* coord = Widget<QComboBox>(main, kCoordSystemCombo);
    coord->setCurrentIndex(1);
    Widget<QAbstractButton>(main, kProgramNumberButton)->click();
    EXPECT_EQ(Widget<QLineEdit>(main, kProgramNumberEdit)->text(), "1423");
    main.TriggerCommand(kCmdSaveData);

    EXPECT_EQ(Stored("title"), "2021-0509-142305");
    EXPECT_EQ(Stored("材質"), "S45C");
    EXPECT_EQ(Stored("材料X"), "150");
    EXPECT_EQ(Stored("材料Y"), "100");
    EXPECT_EQ(Stored("材料Z"), "20");
    EXPECT_EQ(Stored("原点X"), "75");
    EXPECT_EQ(Stored("原点Y"), "50");
    EXPECT_EQ(Stored("制御装置"), "FANUC 0I-MF");
    EXPECT_EQ(Stored("座標系"), "G55");
    EXPECT_EQ(Stored("Ｏ番号"), "1423");
    EXPECT_EQ(Stored("NcFile"), "O1423.nc");
    EXPECT_TRUE(qtUi.boxes.empty()) << qtUi.boxes.front();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "メインの加工情報を保存しました。"), lines.end());

    main.TriggerCommand(kCmdQuit);
    EXPECT_TRUE(main.HasEnded());
  }

  // A fresh window: the definition file opened from the file dialog.
  qtUi.fileChoice = (folder / "DB" / "2021-0509-142305.ini").string();
  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, qtUi.Style());
  main.Initialise();
  main.show();
  main.TriggerCommand(kCmdDefinitionFile);
  EXPECT_EQ(Widget<QLineEdit>(main, kTitleEdit)->text(), "2021-0509-142305");
  EXPECT_EQ(Widget<QComboBox>(main, kMaterialCombo)->currentText(), "S45C");
  EXPECT_EQ(Widget<QLineEdit>(main, kStockXEdit)->text(), "150");
  EXPECT_EQ(Widget<QLineEdit>(main, kStockZEdit)->text(), "20");
  EXPECT_EQ(Widget<QLineEdit>(main, kOriginYEdit)->text(), "50");
  EXPECT_EQ(Widget<QComboBox>(main, kCoordSystemCombo)->currentText(), "G55");
  EXPECT_EQ(Widget<QLineEdit>(main, kProgramNumberEdit)->text(), "1423");
  EXPECT_EQ(Widget<QLabel>(main, kHoleTypeLabel1)->text(), "");
}

}  // namespace
