#include "Drilling/planning/tool_list_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QTest>

#include "Drilling/app/commands.h"
#include "Drilling/app/main_window.h"
#include "Drilling/planning/tool_table.h"
#include "common/memory_form.h"
#include "common/qt/qt_form.h"
#include "planning/planning_fixture.h"

namespace drilling {
namespace {

class ToolListDialog : public testsupport::PlanningFixture {
 protected:
  ToolListDialog() {
    WriteConfig(
        "[Drilling]\nToolTable=MCTOOL.ini\n[TOOLLIST]\nTOOLJP0=センタードリル\nTOOLJP1=ドリル\nTOOLJP2=\n"
        "TOOLJP3=リーマ\n");
  }
  std::filesystem::path Table() const { return folder / "MCTOOL.ini"; }
};

TEST_F(ToolListDialog, OpeningOverAMissingFileCreatesItAndTheNextUpdateFillsThePocket) {
  common::MemoryForm main(MainDialogTemplate());
  std::vector<std::string> shown;
  ui.modalHandlers["MCTOOLLISTDIALOG"] = [&](common::Form& form) {
    auto& f = static_cast<common::MemoryForm&>(form);
    EXPECT_EQ(f.EntryCount(kToolNameCombo), 2);  // the list ends at the empty key
    EXPECT_EQ(f.EntryCount(kPocketList), 0);
    f.SetText(kToolNameCombo, "ドリル");
    f.SetText(kToolDiameterEdit, "8.5");
    f.Type(kToolTEdit, "1");
    EXPECT_EQ(f.FullText(kToolHEdit), "1");
    f.SetText(kToolHEdit, "21");
    f.Click(kCmdToolUpdate);
    for (int i = 0; i < f.EntryCount(kPocketList); ++i) shown.push_back(f.EntryText(kPocketList, i));
    f.Click(kCmdToolEnd);
  };
  EXPECT_EQ(RunToolListDialog(ctx, main), 0);
  EXPECT_EQ(ui.modalsRun, std::vector<std::string>{"MCTOOLLISTDIALOG"});
  EXPECT_EQ(shown, std::vector<std::string>{"ドリル               8.5      1      21     1"});
  EXPECT_EQ(lines.back(), "現在の工具テーブルを読込ました。");
  MagazineTool tool;
  tool.Diameter = 8.5;
  ASSERT_EQ(FindMagazineTool("ドリル", tool, Table()), 1);
  EXPECT_EQ(tool.H, 21);
}

TEST_F(ToolListDialog, RealWindowListsUpdatesAndDeletesPockets) {
  ASSERT_EQ(CreateToolTable(Table()), 0);
  ASSERT_EQ(UpdateMagazinePocket(ctx, nullptr, {"センタードリル", "", "1", "", ""}), 0);
  ASSERT_EQ(UpdateMagazinePocket(ctx, nullptr, {"ドリル", "8.5", "2", "", ""}), 0);

  common::QtForm form(ToolListDialogTemplate(), ToolListDialogProc(ctx), nullptr, common::QtHostStyle{});
  form.Initialise();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle().toStdString(), "マシニング・マガジン工具リスト");
  QStringList labels;
  for (QLabel* l : form.findChildren<QLabel*>()) labels << l->text();
  EXPECT_EQ(labels, (QStringList{"工具名", "工具径", "Ｔ", "Ｈ", "Ｄ"}));
  auto* names = qobject_cast<QComboBox*>(form.Widget(kToolNameCombo));
  auto* list = qobject_cast<QListWidget*>(form.Widget(kPocketList));
  auto* t = qobject_cast<QLineEdit*>(form.Widget(kToolTEdit));
  ASSERT_TRUE(names && list && t);
  EXPECT_EQ(names->count(), 2);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text().toStdString(), "センタードリル       -        1      1      1");

  auto trigger = [&](int id) {
    for (QAction* a : form.MenuBar()->actions())
      if (a->data().toInt() == id) a->trigger();
  };
  QStringList bar;
  for (QAction* a : form.MenuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"【 更 新 】", "【 削 除 】", "【 終 了 】"}));

  // Picking a line fills the fields; the centre drill keeps no diameter.
  list->setCurrentRow(0);
  EXPECT_EQ(form.Text(kToolNameCombo, 32), "センタードリル");
  EXPECT_EQ(form.Text(kToolDiameterEdit, 8), "");
  EXPECT_EQ(form.Text(kToolTEdit, 4), "1");
  // Moved to pocket 5 with its offsets following T when T is left.
  t->setFocus();
  t->selectAll();
  QTest::keyClicks(t, "5");
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(t, &out);
  EXPECT_EQ(form.Text(kToolHEdit, 4), "5");
  EXPECT_EQ(form.Text(kToolDEdit, 4), "5");
  trigger(kCmdToolUpdate);
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(2)->text().toStdString(), "センタードリル       -        5      5      5");
  MagazineTool tool;
  tool.Diameter = 3;
  ASSERT_EQ(FindMagazineTool("センタードリル", tool, Table()), 1);
  EXPECT_EQ(tool.T, 5);  // still any diameter: no "-" was stored

  // Delete pocket 2 picked from the list.
  list->setCurrentRow(1);
  EXPECT_EQ(form.Text(kToolTEdit, 4), "2");
  trigger(kCmdToolDelete);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(lines[lines.size() - 2], "T02 の工具情報を削除しました。");
  tool.Diameter = 8.5;
  EXPECT_EQ(FindMagazineTool("ドリル", tool, Table()), -1);

  // A failed update leaves the list as it was.
  form.SetText(kToolTEdit, "");
  trigger(kCmdToolUpdate);
  EXPECT_EQ(LastBox(), "エラー：工具番号取出し失敗");
  EXPECT_EQ(list->count(), 2);

  trigger(kCmdToolEnd);
  EXPECT_TRUE(form.HasEnded());
  EXPECT_FALSE(form.isVisible());
}

// The headings stand over the list's columns (within half a character).
TEST_F(ToolListDialog, HeadingsLineUpWithTheListColumns) {
  ASSERT_EQ(CreateToolTable(Table()), 0);
  ASSERT_EQ(UpdateMagazinePocket(ctx, nullptr, {"ドリル", "8.5", "2", "", ""}), 0);
  common::QtForm form(ToolListDialogTemplate(), ToolListDialogProc(ctx), nullptr, common::QtHostStyle{});
  form.Initialise();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto* list = qobject_cast<QListWidget*>(form.Widget(kPocketList));
  ASSERT_TRUE(list && list->count() == 1);
  const QFontMetrics fm(list->font());
  const int textLeft = list->viewport()->mapTo(&form, list->visualItemRect(list->item(0)).topLeft()).x();
  const std::pair<const char*, int> columns[] = {{"工具名", 0}, {"工具径", 21}, {"Ｔ", 30}, {"Ｈ", 37}, {"Ｄ", 44}};
  for (const auto& [heading, column] : columns) {
    QLabel* label = nullptr;
    for (QLabel* l : form.findChildren<QLabel*>())
      if (l->text() == heading) label = l;
    ASSERT_NE(label, nullptr) << heading;
    const int columnX = textLeft + fm.horizontalAdvance(QString(column, QLatin1Char(' ')));
    EXPECT_LE(std::abs(label->mapTo(&form, QPoint(0, 0)).x() - columnX), fm.horizontalAdvance(QLatin1Char('0')) / 2 + 2)
        << heading << " label at " << label->mapTo(&form, QPoint(0, 0)).x() << ", column at " << columnX;
  }
}

}  // namespace
}  // namespace drilling
