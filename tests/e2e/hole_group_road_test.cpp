// A hole group defined on the real windows (Qt host, offscreen): the
// operator opens group 1 from the main window, picks a tap type, types the
// diameter and leaves the field, places four holes with the bolt-circle
// calculator and saves.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "e2e/scripted_qt_ui.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;
using namespace drilling;

using testsupport::Widget;

namespace {

class HoleGroupRoadTest : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    WriteConfig(
        "[UserStartup]\nWorkType=S45C\nMachine=FANUC 0i-MF\nCoordSystem=G54\n"
        "[WorkType]\nWorkType0=S45C\n[Machine]\nMachine0=FANUC 0i-MF\n[CoordSystem]\nCoordSystem0=G54\n"
        "[HoleType]\nHoleType0=ドリル\nHoleType1=タップ\nHoleType2=ザグリ\n");
    testsupport::WriteBytes(folder / "mTapN.tbl", "8 1.25 6.8 -4.5 -12 -18\r\n10 1.5 8.5 -5.5 -15 -22.5\r\n");
    ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
    common::ForgetCachedProfiles();
    ctx.ui = &qtUi;
    // A job made earlier, with a drill group that must come out replaced.
    ctx.currentJobPath = folder / "DB" / "PLATE.ini";
    testsupport::WriteBytes(ctx.currentJobPath,
                            common::Utf8ToCp932("[Drilling]\r\ntitle=PLATE\r\n[Hole1]\r\n種類=ドリル\r\n穴径=8\r\n"
                                                "X1=1.\r\nY1=2.\r\n[Hole2]\r\n種類=\r\n"));
  }
  std::string Stored(const char* key) const {
    return common::ReadProfileText("Hole1", key, "<absent>", 64, ctx.currentJobPath);
  }
  testsupport::ScriptedQtUi qtUi;
};

TEST_F(HoleGroupRoadTest, TapGroupWithABoltCircleFromTheMainWindow) {
  qtUi.scripts["CALCIRCLECOORDINATEDLG"] = [](common::QtForm& c) {
    QTest::keyClicks(Widget<QLineEdit>(c, kCircleDiameterEdit), "100");
    QTest::keyClicks(Widget<QLineEdit>(c, kCircleCentreXEdit), "75");
    QTest::keyClicks(Widget<QLineEdit>(c, kCircleCentreYEdit), "50");
    QTest::keyClicks(Widget<QLineEdit>(c, kCircleStartAngleEdit), "45");
    QTest::keyClicks(Widget<QLineEdit>(c, kCircleHoleCountEdit), "4");
    QApplication::setActiveWindow(&c);
    Widget<QLineEdit>(c, kCircleHoleCountEdit)->setFocus();
    Widget<QLineEdit>(c, kCircleDiameterEdit)->setFocus();  // leaving the count shows the angle
    QApplication::processEvents();
    c.TriggerCommand(kCalcCmdCalculate);
    EXPECT_FALSE(c.HasEnded()) << "the calculator stays open";
    QLineEdit* angle = Widget<QLineEdit>(c, kCircleReferenceAngleEdit);
    EXPECT_EQ(angle->text(), "90");
    EXPECT_EQ(angle->palette().color(QPalette::Text), QColor(Qt::red));
    c.TriggerCommand(kCalcCmdClose);
  };
  qtUi.scripts["HOLEDEFINEDIALOG"] = [this](common::QtForm& d) {
    EXPECT_EQ(d.windowTitle(), "[1] 穴情報登録");
    EXPECT_EQ(Widget<QLineEdit>(d, kHoleX1Edit)->text(), "1.") << "the stored group is loaded";
    // The operator removes the old position with its row label.
    Widget<QAbstractButton>(d, kHoleRow1Button)->click();
    EXPECT_EQ(Widget<QLineEdit>(d, kHoleX1Edit)->text(), "");

    QComboBox* type = Widget<QComboBox>(d, kHoleTypeCombo);
    const int tap = type->findText("タップ");
    ASSERT_GE(tap, 0);
    type->setCurrentIndex(tap);
    emit type->activated(tap);
    EXPECT_TRUE(Widget<QLineEdit>(d, kPitchEdit)->isEnabled());
    EXPECT_FALSE(Widget<QLineEdit>(d, kCboreDiameterEdit)->isEnabled());

    // Tab runs from a row's Y to the next row's X: the row labels, which
    // delete their row, take no focus.
    QApplication::setActiveWindow(&d);
    Widget<QLineEdit>(d, kHoleY1Edit)->setFocus();
    QTest::keyClick(Widget<QLineEdit>(d, kHoleY1Edit), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Widget<QLineEdit>(d, kHoleX1Edit + 1));

    // Typing the diameter and leaving the field looks the tap up.
    QLineEdit* diameter = Widget<QLineEdit>(d, kHoleDiameterEdit);
    diameter->setFocus();
    diameter->selectAll();
    QTest::keyClicks(diameter, "10");
    Widget<QLineEdit>(d, kHoleDepthEdit)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Widget<QLineEdit>(d, kPilotDiameterEdit)->text(), "8.5");
    EXPECT_EQ(Widget<QLineEdit>(d, kHoleDepthEdit)->text(), "-15");

    d.TriggerCommand(kHoleCmdCircle);
    EXPECT_EQ(Widget<QLineEdit>(d, kHoleX1Edit)->text(), "110.355");
    d.TriggerCommand(kHoleCmdSave);
    EXPECT_TRUE(d.HasEnded());
  };

  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, qtUi.Style());
  main.Initialise();
  main.show();
  Widget<QAbstractButton>(main, kHoleGroupButton1)->click();

  EXPECT_TRUE(qtUi.boxes.empty()) << qtUi.boxes.front();
  EXPECT_EQ(Stored("種類"), "タップ");
  EXPECT_EQ(Stored("穴径"), "10");
  EXPECT_EQ(Stored("下穴径"), "8.5");
  EXPECT_EQ(Stored("面取深"), "-5.5");
  EXPECT_EQ(Stored("下穴深"), "-22.5");
  EXPECT_EQ(Stored("深さ"), "-15");
  const std::pair<const char*, const char*> positions[] = {
      {"110.355", "85.355"}, {"39.645", "85.355"}, {"39.645", "14.645"}, {"110.355", "14.645"}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Stored(("X" + std::to_string(i + 1)).c_str()), positions[i].first) << i;
    EXPECT_EQ(Stored(("Y" + std::to_string(i + 1)).c_str()), positions[i].second) << i;
  }
  EXPECT_EQ(Stored("X5"), "<absent>");
  EXPECT_EQ(Widget<QLabel>(main, kHoleTypeLabel1)->text(), "タップ") << "the main window shows the new type";
  EXPECT_NE(std::find(lines.begin(), lines.end(), "穴加工定義 [1] を保存しました。"), lines.end());
}

}  // namespace
