// The Qt host builds real widgets from a template and forwards their events.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <QTimer>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;
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
    if (row.endsOnCancel) {
      EXPECT_EQ(form.Result(), 7);
    }
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


// A disabled field shows no white field but its text stays readable, for
// the shipped colours and for a darker window; a read-only field looks like
// static text and Tab passes it by.
TEST_F(QtHostTest, DisabledFieldsLookDisabledYetReadableReadOnlyOnesStatic) {
  common::DialogTemplate tpl;
  tpl.name = "LOOKTEST";
  tpl.width = 200;
  tpl.height = 60;
  tpl.controls = {{10, common::ControlKind::Edit, "12.5", 4, 4, 60, 12, common::kDisabled},
                  {11, common::ControlKind::Edit, "", 4, 20, 60, 12},
                  {12, common::ControlKind::Edit, "60", 70, 20, 60, 12, common::kReadOnly | common::kAlertText},
                  {13, common::ControlKind::Edit, "", 4, 36, 60, 12}};
  for (common::Rgb window : {common::Rgb{210, 210, 210}, common::Rgb{160, 170, 180}}) {
    common::QtHostStyle style;
    style.windowColour = window;
    common::QtForm form(tpl, [](common::Form&, common::DialogEvent, int) {}, nullptr, style);
    form.Initialise();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const QPalette pal = form.Widget(10)->palette();
    const QColor windowColour(window.red, window.green, window.blue);
    EXPECT_EQ(pal.color(QPalette::Disabled, QPalette::Base), windowColour);
    EXPECT_NE(pal.color(QPalette::Active, QPalette::Base), windowColour);
    EXPECT_GE(common::Contrast(pal.color(QPalette::Disabled, QPalette::Text), windowColour), 4.5);

    auto* readOnly = qobject_cast<QLineEdit*>(form.Widget(12));
    ASSERT_NE(readOnly, nullptr);
    EXPECT_FALSE(readOnly->hasFrame());
    form.Widget(11)->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Widget(11)->hasFocus(); }));
    QTest::keyClick(form.Widget(11), Qt::Key_Tab);
    EXPECT_TRUE(form.Widget(13)->hasFocus());
  }
}

// A form larger than its window scrolls; controls above fixedTop (the
// headings) and left of fixedLeft (the row labels) stay in view, each beside
// the cells it names.
TEST_F(QtHostTest, AGridScrollsUnderItsHeadingsAndBesideItsRowLabels) {
  common::DialogTemplate tpl;
  tpl.name = "GRIDTEST";
  tpl.width = 24 + 10 * 40;
  tpl.height = 14 + 20 * 14;
  tpl.fixedTop = 14;
  tpl.fixedLeft = 24;
  tpl.controls.push_back({1, common::ControlKind::Label, "工程", 2, 2, 20, 10});
  for (int c = 0; c < 10; ++c)
    tpl.controls.push_back({100 + c, common::ControlKind::Label, "H", 24 + c * 40, 2, 38, 10});
  for (int r = 0; r < 20; ++r) {
    tpl.controls.push_back({200 + r, common::ControlKind::Label, "[r]", 2, 16 + r * 14, 20, 10});
    for (int c = 0; c < 10; ++c)
      tpl.controls.push_back({1000 + 50 * c + r, common::ControlKind::Edit, "", 24 + c * 40, 14 + r * 14, 38, 12});
  }
  common::QtForm form(tpl, [](common::Form&, common::DialogEvent, int) {}, nullptr, {});
  form.Initialise();
  form.resize(form.NaturalSize() / 3);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  const QPoint corner = form.Widget(1)->mapToGlobal(QPoint());
  const struct {
    int column, row;
  } cells[] = {{9, 19}, {0, 19}, {9, 0}, {4, 10}, {0, 0}};
  for (const auto& c : cells) {
    QWidget* cell = form.Widget(1000 + 50 * c.column + c.row);
    cell->setFocus();  // the focus brings a cell into view
    QApplication::processEvents();
    const QRect shown = cell->visibleRegion().boundingRect();
    EXPECT_EQ(shown, cell->rect()) << c.column << "," << c.row;
    const QPoint at = cell->mapToGlobal(QPoint());
    QWidget* heading = form.Widget(100 + c.column);
    QWidget* label = form.Widget(200 + c.row);
    EXPECT_EQ(heading->mapToGlobal(QPoint()).x(), at.x()) << "heading over its column";
    EXPECT_NEAR(label->mapToGlobal(label->rect().center()).y(), cell->mapToGlobal(cell->rect().center()).y(), 4)
        << "label beside its row";
    EXPECT_FALSE(heading->visibleRegion().isEmpty());
    EXPECT_FALSE(label->visibleRegion().isEmpty());
    EXPECT_EQ(form.Widget(1)->mapToGlobal(QPoint()), corner) << "the corner never moves";
  }
  EXPECT_GT(form.findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0);
}

// The job open dialog shows each file's description beside its name.
TEST_F(QtHostTest, TheFileDialogShowsWhatTheRequestSaysOfEachFile) {
  testsupport::WriteBytes(folder / "DB" / "2026-1207-164231.ini", "[Drilling]\r\ntitle=x\r\n");
  common::FileDialogRequest request;
  request.title = "定義ファイルを開く";
  request.initialFolder = (folder / "DB").string();
  request.filters = {{"Save Files(*.ini)", "*.ini"}};
  request.describe = [](const std::string& path) { return fs::path(path).stem().string() + " の表題 / S45C"; };
  request.describeHeading = "表題 / 材質";
  QFileDialog dialog;
  common::ConfigureFileDialog(dialog, request);
  dialog.show();
  auto* view = dialog.findChild<QTreeView*>();
  ASSERT_NE(view, nullptr);
  QAbstractItemModel* model = view->model();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(view->rootIndex()) > 0; }));
  QString described;
  for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
    if (model->index(row, 0, view->rootIndex()).data().toString() == "2026-1207-164231.ini")
      described = model->index(row, 2, view->rootIndex()).data().toString();
  }
  EXPECT_EQ(described.toStdString(), "2026-1207-164231 の表題 / S45C");
  EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString().toStdString(), "表題 / 材質");
  EXPECT_FALSE(view->isColumnHidden(2));
  const QRect area = dialog.screen()->availableGeometry();
  EXPECT_LE(dialog.width(), area.width());
  EXPECT_LE(dialog.height(), area.height());
}

// A field takes no more bytes (code page 932) than its room: typing stops
// there in an edit and in the edit of a drop-down; a longer text the
// procedure set shows whole and may be shortened, not lengthened.
TEST_F(QtHostTest, TypingStopsAtTheFieldsRoomInBytes) {
  common::DialogTemplate tpl;
  tpl.name = "ROOMTEST";
  tpl.width = 200;
  tpl.height = 60;
  tpl.controls = {
      {11, common::ControlKind::Edit, "", 4, 4, 100, 12},
      {12, common::ControlKind::ComboEdit, "", 4, 20, 100, 60},
  };
  common::QtForm form(tpl, [](common::Form&, common::DialogEvent, int) {}, nullptr, {});
  form.Initialise();
  form.LimitText(11, 5);
  form.LimitText(12, 3);
  auto* edit = qobject_cast<QLineEdit*>(form.Widget(11));
  auto* combo = qobject_cast<QComboBox*>(form.Widget(12));
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(combo, nullptr);
  // Typed a character at a time, as the keyboard does (QTest types ASCII only).
  auto type = [](QLineEdit* into, const QString& text) {
    for (QChar c : text) into->insert(QString(c));
  };
  type(edit, QStringLiteral("ａｂｃ"));  // two bytes each
  EXPECT_EQ(form.Text(11, 64), "ａｂ");
  type(edit, "xy");
  EXPECT_EQ(form.Text(11, 64), "ａｂx");
  QTest::keyClicks(combo->lineEdit(), "ftpp");
  EXPECT_EQ(form.Text(12, 64), "ftp");

  form.SetText(11, "123456789");
  EXPECT_EQ(form.Text(11, 64), "123456789");
  edit->setCursorPosition(9);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(form.Text(11, 64), "12345678");
  type(edit, "z");
  EXPECT_EQ(form.Text(11, 64), "12345678");
}

// The executables filter of a file dialog lists the files the user may run
// (and every folder); the other filters list by name again.
TEST_F(QtHostTest, AnExecutablesFilterListsByPermission) {
  common::QtUi ui;
  common::FileDialogRequest request;
  request.title = "EXEファイルを開く";
  request.initialFolder = "/usr/bin";
  request.filters = {{"実行ファイル(*)", "*", true}, {"All Files(*.*)", "*.*"}};
  QDir::Filters first, second;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    first = dialog->filter();
    dialog->selectNameFilter("All Files(*)");
    emit dialog->filterSelected("All Files(*)");
    second = dialog->filter();
    dialog->reject();
  });
  EXPECT_FALSE(ui.ChooseOpenFile(nullptr, request).has_value());
  EXPECT_TRUE(first.testFlag(QDir::Executable));
  EXPECT_TRUE(first.testFlag(QDir::AllDirs));
  EXPECT_FALSE(second.testFlag(QDir::Executable));
}

// A picture control is the widget of the painter its text names, and a
// picture set on it reaches that painter; without a painter it is an empty
// frame that takes pictures without harm.
TEST_F(QtHostTest, PictureControlsAreTheirPaintersWidgets) {
  common::DialogTemplate tpl;
  tpl.name = "PICTURETEST";
  tpl.width = 200;
  tpl.height = 100;
  tpl.controls = {
      {21, common::ControlKind::Picture, "label-painter", 4, 4, 90, 90},
      {22, common::ControlKind::Picture, "no-painter", 100, 4, 90, 90},
  };
  common::QtHostStyle style;
  style.painters["label-painter"] = {
      [](QWidget* parent) -> QWidget* { return new QLabel(parent); },
      [](QWidget* w, const std::any& picture) {
        static_cast<QLabel*>(w)->setText(QString::fromStdString(std::any_cast<std::string>(picture)));
      }};
  common::QtForm form(tpl, [](common::Form&, common::DialogEvent, int) {}, nullptr, style);
  form.Initialise();
  form.SetPicture(21, std::string("drawn"));
  form.SetPicture(22, std::string("lost"));
  auto* label = qobject_cast<QLabel*>(form.Widget(21));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text().toStdString(), "drawn");
  ASSERT_NE(form.Widget(22), nullptr);
  EXPECT_EQ(form.Widget(22)->metaObject()->className(), std::string("QFrame"));
}
