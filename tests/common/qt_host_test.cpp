// The Qt host builds real widgets from a template and forwards their events.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"
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

// Escape reaches every dialog procedure as the cancel command and closes
// nothing by itself; only the procedure ends a dialog. The main window does
// nothing with it (one key must not lose the typed values), the small
// information boxes end on it.
TEST_F(QtHostTest, EscapeIsTheCancelCommandAndOnlyTheProcedureEnds) {
  struct Row {
    bool endsOnCancel;
  };
  for (Row row : {Row{false}, Row{true}}) {
    std::vector<std::pair<common::DialogEvent, int>> seen;
    common::DialogTemplate tpl;
    tpl.name = "ESCTEST";
    tpl.width = 100;
    tpl.height = 40;
    tpl.controls = {{10, common::ControlKind::Edit, "", 4, 4, 60, 12}};
    common::QtForm form(tpl, [&](common::Form& f, common::DialogEvent e, int id) {
      seen.emplace_back(e, id);
      if (row.endsOnCancel && e == common::DialogEvent::Command && id == common::kCancelCommand) f.End(7);
    }, nullptr, {});
    form.Initialise();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Widget(10)->setFocus();
    QTest::keyClick(form.Widget(10), Qt::Key_Escape);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), std::make_pair(common::DialogEvent::Command, common::kCancelCommand));
    EXPECT_EQ(form.HasEnded(), row.endsOnCancel);
    EXPECT_EQ(form.isVisible(), !row.endsOnCancel);
    if (row.endsOnCancel) EXPECT_EQ(form.Result(), 7);
  }

  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, {});
  main.Initialise();
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  main.SetText(kTitleEdit, "TYPED");
  main.Widget(kTitleEdit)->setFocus();
  QTest::keyClick(main.Widget(kTitleEdit), Qt::Key_Escape);
  EXPECT_FALSE(main.HasEnded());
  EXPECT_TRUE(main.isVisible());
  EXPECT_EQ(main.Text(kTitleEdit, 64), "TYPED");
}

// A caption drawn as a button without a command is not a Tab stop: Tab goes
// from field to field.
TEST_F(QtHostTest, CaptionButtonsWithoutACommandTakeNoFocus) {
  common::DialogTemplate tpl;
  tpl.name = "TABTEST";
  tpl.width = 200;
  tpl.height = 60;
  tpl.controls = {
      {common::kStaticId, common::ControlKind::Button, "穴径", 4, 4, 40, 12},
      {11, common::ControlKind::Edit, "", 50, 4, 60, 12},
      {common::kStaticId, common::ControlKind::Button, "深さ", 4, 20, 40, 12},
      {12, common::ControlKind::Edit, "", 50, 20, 60, 12},
  };
  common::QtForm form(tpl, [](common::Form&, common::DialogEvent, int) {}, nullptr, {});
  form.Initialise();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.activateWindow();
  form.Widget(11)->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Widget(11)->hasFocus(); }));
  QTest::keyClick(form.Widget(11), Qt::Key_Tab);
  EXPECT_TRUE(form.Widget(12)->hasFocus());
  for (QPushButton* b : form.findChildren<QPushButton*>()) EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
}

// "*.*" lists every file on Linux (programs have no extension); standard
// buttons speak Japanese once Qt's own translation is loaded.
TEST_F(QtHostTest, AllFilesFilterAndJapaneseStandardButtons) {
  EXPECT_EQ(common::HostNameFilter({"All Files(*.*)", "*.*"}).toStdString(), "All Files(*)");
  EXPECT_EQ(common::HostNameFilter({"EXE Files(*.exe)", "*.exe"}).toStdString(), "EXE Files(*.exe)");
  ASSERT_TRUE(common::InstallQtJapanese(*QCoreApplication::instance()))
      << "Qt's Japanese translation (qt6-translations-l10n) is not installed";
  QMessageBox box(QMessageBox::Question, "Drilling", "?", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().toStdString().find("はい"), 0u)
      << box.button(QMessageBox::Yes)->text().toStdString();
  EXPECT_EQ(box.button(QMessageBox::No)->text().toStdString().find("いいえ"), 0u);
}
