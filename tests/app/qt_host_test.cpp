// The Qt host builds real widgets from a template and forwards their events.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "common/qt/qt_form.h"
#include "support/app_fixture.h"

using namespace drilling;

class QtHostTest : public testsupport::AppFixture {
 protected:
  void SetUp() override { ASSERT_EQ(StartUp(ctx, folder.Path()), 0); }
};

TEST_F(QtHostTest, MainFormHasEveryControlLabelAndMenuItem) {
  WriteConfig("[WorkType]\nWorkType0=s45c\nWorkType1=A5052\n[UserStartup]\nWorkType=A5052\n");
  common::QtHostStyle style;
  style.windowColour = {10, 20, 30};
  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, style);
  main.Initialise();
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  EXPECT_EQ(main.windowTitle().toStdString(), "穴明けＮＣ加工システム");
  EXPECT_EQ(main.palette().color(QPalette::Window), QColor(10, 20, 30));
  for (const auto& c : MainDialogTemplate().controls) {
    if (c.id != common::kStaticId) {
      EXPECT_NE(main.Widget(c.id), nullptr) << c.id;
    }
  }
  auto* button = qobject_cast<QPushButton*>(main.Widget(kHoleGroupButton1 + 2));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text().toStdString(), "穴情報登録 [3]");
  QStringList labels;
  for (QLabel* l : main.findChildren<QLabel*>()) labels << l->text();
  EXPECT_TRUE(labels.contains("材料寸法 Ｘ"));
  EXPECT_TRUE(labels.contains("ワーク座標系"));

  // The lists were filled at creation, in file order, in upper case, with the preset chosen.
  auto* material = qobject_cast<QComboBox*>(main.Widget(kMaterialCombo));
  ASSERT_NE(material, nullptr);
  ASSERT_EQ(material->count(), 2);
  EXPECT_EQ(material->itemText(0).toStdString(), "S45C");
  EXPECT_EQ(main.Text(kMaterialCombo, 16), "A5052");
  // Typed text becomes upper case.
  material->lineEdit()->clear();
  QTest::keyClicks(material->lineEdit(), "ss400");
  EXPECT_EQ(main.Text(kMaterialCombo, 16), "SS400");

  // Menu bar: the four popups and the six direct commands.
  QStringList bar;
  for (QAction* a : main.MenuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"開く", "設定", "補助", "ヘルプ", "【新規作成】", "【データ保存】", "【工程作成】",
                              "【ＮＣデータ作成】", "【ＮＣデータ転送】", "【終了】"}));

  // A button reaches the procedure: the program number comes from the clock.
  clock.time.hour = 8;
  clock.time.minute = 3;
  QTest::mouseClick(main.Widget(kProgramNumberButton), Qt::LeftButton);
  EXPECT_EQ(main.Text(kProgramNumberEdit, 8), "0803");
  // Text reads respect the room in bytes.
  main.SetText(kTitleEdit, "表題表題");
  EXPECT_EQ(main.Text(kTitleEdit, 6), "表題");

  // The quit item on the menu bar closes the window through the procedure.
  for (QAction* a : main.MenuBar()->actions()) {
    if (a->data().toInt() == kCmdQuit) a->trigger();
  }
  EXPECT_TRUE(main.HasEnded());
  EXPECT_FALSE(main.isVisible());
  EXPECT_EQ(material->count(), 0);
}

TEST_F(QtHostTest, CloseBoxGoesThroughTheProcedure) {
  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, {});
  main.Initialise();
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  main.close();
  EXPECT_TRUE(main.HasEnded());
}
