#include "Drilling/planning/process_list.h"

#include <gtest/gtest.h>

#include "Drilling/app/field_check.h"
#include "Drilling/app/main_window.h"
#include "Drilling/planning/process_dialog.h"
#include "common/profile.h"
#include "common/textfile.h"
#include "planning/process_fixture.h"

namespace drilling {
namespace {

using testsupport::ReadBytes;

class ProcessList : public testsupport::ProcessFixture {
 protected:
  ProcessList() {
    common::WriteProfileText("Drilling", "title", "T1", ctx.currentJobPath);
    // Groups 1 and 2 have positions: a process may name them.
    for (int group : {1, 2}) SetHole(group, {{"X1", "10."}, {"Y1", "20."}});
  }

  // A complete row: centre drill T05 with every required cell.
  static void FillRow(common::Form& grid, int row, const std::string& name = "センタードリル") {
    const char* cells[kProcessColumns] = {"", "3", "05", "5", "", "1590", "72", "81", "2", "-1.5", "", "", ""};
    for (int c = 0; c < kProcessColumns; ++c) SetCellText(grid, c, row, cells[c]);
    SetCellText(grid, kColToolName, row, name);
  }
  std::string Job() const { return common::Cp932ToUtf8(ReadBytes(ctx.currentJobPath)); }
  std::string Stored(int n, const char* key) const {
    return common::ReadProfileText(ProcessSection(n), key, "<absent>", 64, ctx.currentJobPath);
  }
};

TEST_F(ProcessList, SaveReplacesTheWholeListInKeyOrder) {
  for (int n = 1; n <= 5; ++n) common::WriteProfileText(ProcessSection(n), "TOOLNAME", "old", ctx.currentJobPath);
  common::MemoryForm& grid = Grid();
  for (int row = 1; row <= 3; ++row) FillRow(grid, row);
  SetCellText(grid, kColGroup, 2, "1");
  SetCellText(grid, kColGroup, 6, "2");  // a hole group alone (as initialising leaves it) is no entry
  EXPECT_EQ(SaveProcesses(ctx, grid), 0);
  std::string job = Job();
  EXPECT_EQ(job.substr(job.find("[PROCESS1]")),
            "[PROCESS1]\r\nTOOLNAME=センタードリル\r\nTOOLDIAM=3\r\nTOOLT=05\r\nTOOLH=5\r\nTOOLD=\r\nSPINDL=1590\r\n"
            "FEEDRATE=72\r\nGCODE=81\r\nRCODE=2.\r\nZCODE=-1.5\r\nQCODE=\r\nOFFSET=\r\nGROUP=\r\n"
            "[PROCESS2]\r\nTOOLNAME=センタードリル\r\nTOOLDIAM=3\r\nTOOLT=05\r\nTOOLH=5\r\nTOOLD=\r\nSPINDL=1590\r\n"
            "FEEDRATE=72\r\nGCODE=81\r\nRCODE=2.\r\nZCODE=-1.5\r\nQCODE=\r\nOFFSET=\r\nGROUP=1\r\n"
            "[PROCESS3]\r\nTOOLNAME=センタードリル\r\nTOOLDIAM=3\r\nTOOLT=05\r\nTOOLH=5\r\nTOOLD=\r\nSPINDL=1590\r\n"
            "FEEDRATE=72\r\nGCODE=81\r\nRCODE=2.\r\nZCODE=-1.5\r\nQCODE=\r\nOFFSET=\r\nGROUP=\r\n");
  EXPECT_EQ(LastLine(), "表題 T1 の加工工程を保存しました。");
}

TEST_F(ProcessList, SaveFormsTheStoredValues) {
  const struct {
    int column;
    const char* typed;
    const char* key;
    const char* stored;
    const char* notice;  // "" when none
  } cases[] = {
      {kColH, "", "TOOLH", "5", "工程[1] 空欄なのでHをTと同じにします。"},
      {kColG, "41", "TOOLD", "5", "工程[1] 空欄なのでDをTと同じにします。"},
      {kColG, "83", "TOOLD", "", ""},
      {kColZ, "20", "ZCODE", "-20.", ""},
      {kColZ, "-20", "ZCODE", "-20.", ""},
      {kColZ, "0", "ZCODE", "0.", ""},
      {kColR, "2", "RCODE", "2.", ""},
      {kColR, "2.500", "RCODE", "2.5", ""},
      {kColQ, "", "QCODE", "", ""},
      {kColQ, "3", "QCODE", "3.", ""},
      {kColOffset, "0.10", "OFFSET", "0.1", ""},
  };
  for (const auto& c : cases) {
    common::MemoryForm grid(ProcessDialogTemplate());
    FillRow(grid, 1);
    SetCellText(grid, c.column, 1, c.typed);
    lines.clear();
    ASSERT_EQ(SaveProcesses(ctx, grid), 0) << c.key << " " << c.typed;
    EXPECT_EQ(Stored(1, c.key), c.stored) << c.key << " " << c.typed;
    EXPECT_EQ(CellText(grid, c.column, 1), c.typed) << "the grid is not changed";
    std::vector<std::string> expected;
    if (*c.notice) expected.push_back(c.notice);
    expected.push_back("表題 T1 の加工工程を保存しました。");
    EXPECT_EQ(lines, expected) << c.key << " " << c.typed;
  }
}

// What the operator reviews is what the save stores: a number of the R, Z, Q
// and OFF columns shows its saved form as soon as the cell is left; other
// cells, and text that is no number, stay as typed.
TEST_F(ProcessList, TheGridShowsNumbersAsTheyWillBeSaved) {
  const struct {
    int column;
    const char* typed;
    const char* shown;
  } cases[] = {
      {kColZ, "25", "-25."},    {kColZ, "-25", "-25."},   {kColZ, "0", "0."},        {kColR, "2.500", "2.5"},
      {kColQ, "3", "3."},       {kColOffset, "0.10", "0.1"}, {kColQ, "", ""},        {kColZ, "2x", "2x"},
      {kColT, "05", "05"},      {kColS, "1590", "1590"},
  };
  for (const auto& c : cases) {
    common::MemoryForm grid(ProcessDialogTemplate(), ProcessDialogProc(ctx));
    FillRow(grid, 1);
    grid.Type(ProcessCellId(c.column, 1), c.typed);
    EXPECT_EQ(CellText(grid, c.column, 1), c.shown) << c.typed;
    if (std::string(c.shown) == "2x") continue;  // the save names it
    ASSERT_EQ(SaveProcesses(ctx, grid), 0) << c.typed;
    EXPECT_EQ(Stored(1, kProcessColumnInfo[c.column].key), c.shown) << c.typed;
  }
}

TEST_F(ProcessList, ARefusedSaveLeavesTheFileAsItWas) {
  for (int row = 1; row <= 8; ++row) FillRow(Grid(), row);
  ASSERT_EQ(SaveProcesses(ctx, Grid()), 0);
  const std::string before = ReadBytes(ctx.currentJobPath);
  const struct {
    int row, column;
    const char* typed;
    const char* error;
  } cases[] = {
      {1, kColToolName, "", "エラー：工程[1] 工具名称を入力して下さい"},
      {7, kColT, "", "エラー：工程[7] 工具番号を入力して下さい"},
      {7, kColS, "", "エラー：工程[7] 回転数を入力して下さい"},
      {7, kColF, "", "エラー：工程[7] 送り速度を入力して下さい"},
      {7, kColG, "", "エラー：工程[7] 固定サイクルを入力して下さい"},
      {7, kColR, "", "エラー：工程[7] 固定サイクルＲ点を入力して下さい"},
      {7, kColZ, "", "エラー：工程[7] 固定サイクルＺ点を入力して下さい"},
      {7, kColT, "T5", "エラー：工程[7] T [T5] は数値ではありません。"},
      {7, kColH, "5a", "エラー：工程[7] H [5a] は数値ではありません。"},
      {7, kColD, "x", "エラー：工程[7] D [x] は数値ではありません。"},
      {7, kColS, "1,500", "エラー：工程[7] S [1,500] は数値ではありません。"},
      {7, kColF, "nan", "エラー：工程[7] F [nan] は数値ではありません。"},
      {7, kColR, "2..", "エラー：工程[7] R [2..] は数値ではありません。"},
      {7, kColZ, "-1O", "エラー：工程[7] Z [-1O] は数値ではありません。"},
      {7, kColQ, "q", "エラー：工程[7] Q [q] は数値ではありません。"},
      {7, kColOffset, "--1", "エラー：工程[7] OFF [--1] は数値ではありません。"},
      {7, kColGroup, "全", "エラー：工程[7] 穴 [全] は数値ではありません。"},
      {7, kColZ, "1e300", "エラー：工程[7] Z の値 "},
      // No row may stand after an empty one: it would be dropped from the list.
      {2, kColToolName, "", "エラー：工程[2] 工具名称を入力して下さい（後の工程[3] が入力されています"},
      {8, kColToolName, "", "エラー：工程[8] 工具名称を入力して下さい"},  // the rest of row 8 would go
      // Each cell in its range, named by row and column.
      {7, kColGroup, "-1", "エラー：工程[7] 穴 [-1] は 1～4 の穴番号か空欄（全ての穴）で入力して下さい。"},
      {7, kColGroup, "5", "エラー：工程[7] 穴 [5] は 1～4 の穴番号か空欄（全ての穴）で入力して下さい。"},
      {7, kColGroup, "+1", "エラー：工程[7] 穴 [+1] は 1～4 の穴番号か空欄（全ての穴）で入力して下さい。"},
      {7, kColGroup, "3", "エラー：工程[7] 穴 [3] の穴情報に座標がありません。"},
      {7, kColT, "2.5", "エラー：工程[7] T [2.5] は 1～98 の整数で入力して下さい。"},
      {7, kColT, "0", "エラー：工程[7] T [0] は 1～98 の整数で入力して下さい。"},
      {7, kColT, "99", "エラー：工程[7] T [99] は 1～98 の整数で入力して下さい。"},
      {7, kColH, "1e1", "エラー：工程[7] H [1e1] は 1～98 の整数で入力して下さい。"},
      {7, kColD, "-5", "エラー：工程[7] D [-5] は整数で入力して下さい。"},
      {7, kColS, "-100", "エラー：工程[7] S [-100] は 1 以上の整数で入力して下さい。"},
      {7, kColF, "0", "エラー：工程[7] F [0] は 1 以上の整数で入力して下さい。"},
      {7, kColF, "88.9", "エラー：工程[7] F [88.9] は 1 以上の整数で入力して下さい。"},
      {7, kColR, "-3", "エラー：工程[7] R [-3.] が Z [-1.5] より上にありません"},
      {7, kColR, "-1.5", "エラー：工程[7] R [-1.5] が Z [-1.5] より上にありません"},
      // A value wider than its cell is refused, never stored cut.
      {7, kColS, "123456789", "エラー：工程[7] S [123456789] が長すぎます（7 バイトまで）。"},
      {7, kColToolName, "センタードリル（超硬、刃長３０ｍｍ）", "エラー：工程[7] 工具名 [センタードリル（超硬、刃長３０ｍｍ）] が長すぎます（31 バイトまで）。"},
  };
  for (const auto& c : cases) {
    common::MemoryForm grid(ProcessDialogTemplate());
    for (int row = 1; row <= 8; ++row) FillRow(grid, row, "ドリル");
    SetCellText(grid, c.column, c.row, c.typed);
    ui.boxes.clear();
    EXPECT_LT(SaveProcesses(ctx, grid), 0) << c.error;
    ASSERT_EQ(ui.boxes.size(), 1u) << c.error;
    EXPECT_EQ(ui.boxes[0].text.rfind(c.error, 0), 0u) << ui.boxes[0].text;
    EXPECT_EQ(ReadBytes(ctx.currentJobPath), before) << c.error;
    EXPECT_EQ(WholeText(grid, ProcessCellId(c.column, c.row)), c.typed);
  }
}

TEST_F(ProcessList, LoadThenSaveKeepsEveryValue) {
  common::MemoryForm& grid = Grid();
  FillRow(grid, 1);
  SetCellText(grid, kColZ, 1, "-100.125");
  SetCellText(grid, kColR, 1, "12.345");
  SetCellText(grid, kColToolName, 2, "面取りカッター");
  ASSERT_LT(SaveProcesses(ctx, grid), 0);  // row 2 incomplete
  FillRow(grid, 2, "面取りカッター");
  ASSERT_EQ(SaveProcesses(ctx, grid), 0);
  const std::string saved = ReadBytes(ctx.currentJobPath);

  common::MemoryForm loaded(ProcessDialogTemplate());
  lines.clear();
  LoadProcesses(ctx, loaded);
  EXPECT_EQ(lines, std::vector<std::string>{"表題 T1 の加工工程を読み込みました。"});
  EXPECT_EQ(CellText(loaded, kColZ, 1), "-100.125");
  EXPECT_EQ(CellText(loaded, kColR, 1), "12.345");
  EXPECT_EQ(Row(loaded, 2), "面取りカッター|3|05|5||1590|72|81|2.|-1.5|||");
  ASSERT_EQ(SaveProcesses(ctx, loaded), 0);
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), saved);

  // The list ends at the first section without a tool name.
  common::WriteProfileText(ProcessSection(2), std::nullopt, std::nullopt, ctx.currentJobPath);
  common::WriteProfileText(ProcessSection(3), "TOOLNAME", "ドリル", ctx.currentJobPath);
  common::WriteProfileText("Drilling", "title", std::nullopt, ctx.currentJobPath);
  common::MemoryForm gap(ProcessDialogTemplate());
  LoadProcesses(ctx, gap);
  EXPECT_EQ(Rows(gap).size(), 1u);
  EXPECT_EQ(LastLine(), "表題 - の加工工程を読み込みました。");
}

TEST_F(ProcessList, InitialiseEmptiesTheGridAndOnRequestTheStoredList) {
  for (int row = 1; row <= 4; ++row) FillRow(Grid(), row);
  SetCellText(Grid(), kColGroup, 2, "1");
  ASSERT_EQ(SaveProcesses(ctx, Grid()), 0);
  const std::string before = ReadBytes(ctx.currentJobPath);

  ui.answers = {false, true};
  EXPECT_EQ(InitialiseProcesses(ctx, Grid()), 0);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"保存してある工程も削除しますか？"});
  EXPECT_EQ(Rows(Grid()), (std::vector<std::string>{"||||||||||||", "||||||||||||1"}))
      << "the hole group column keeps its contents";
  EXPECT_EQ(LastLine(), "加工工程を初期化しました。");
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), before);

  EXPECT_EQ(InitialiseProcesses(ctx, Grid()), 0);
  EXPECT_EQ(LastLine(), "保存してある加工工程も初期化しました。");
  std::string job = Job();
  EXPECT_NE(job.find("[PROCESS1]\r\n[PROCESS2]\r\nTOOLNAME=センタードリル"), std::string::npos)
      << "PROCESS1 keeps only its name; the others stay until the next save";
  common::MemoryForm loaded(ProcessDialogTemplate());
  LoadProcesses(ctx, loaded);
  EXPECT_TRUE(Rows(loaded).empty());
}

TEST_F(ProcessList, ATapFeedOffThePitchIsWarnedAndTheSaveGoesOn) {
  FillRow(Grid(), 1, "タップ（並目）");
  const char* tap[] = {"10", "6", "6", "", "260", "400", "84"};
  for (int c = 1; c <= kColG; ++c) SetCellText(Grid(), c, 1, tap[c - 1]);
  EXPECT_EQ(SaveProcesses(ctx, Grid()), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                            "警告：工程[1] M10 のタップの送り F400 が ピッチ 1.5 × 回転数 260 = 390 と合いません。"});
  EXPECT_EQ(Stored(1, "FEEDRATE"), "400");

  ui.boxes.clear();
  SetCellText(Grid(), kColF, 1, "390");
  EXPECT_EQ(SaveProcesses(ctx, Grid()), 0);
  SetCellText(Grid(), kColToolName, 1, "タップ（細目）");  // a fine thread: its pitch is not the coarse one
  SetCellText(Grid(), kColF, 1, "260");
  EXPECT_EQ(SaveProcesses(ctx, Grid()), 0);
  EXPECT_TRUE(ui.boxes.empty());
}

class ProcessDialog : public ProcessList {
 protected:
  ProcessDialog() : main(MainDialogTemplate()) {
    main.SetText(kControllerCombo, "FANUC 0I-MF");
    main.SetText(kStockZEdit, "20");
    main.SetText(kMaterialCombo, "S45C");
  }
  common::MemoryForm main;
};

TEST_F(ProcessDialog, OpeningChecksTheMainFormAndStoresIt) {
  const struct {
    int control;
    const char* typed;
    const char* error;
  } cases[] = {
      {kControllerCombo, "", "エラー：制御装置[マシニング]を選択して下さい"},
      {kStockZEdit, "", "エラー：材料厚みを入力して下さい"},
      {kStockZEdit, "2O", "エラー：材料厚み [2O] は数値ではありません。"},
      {kMaterialCombo, "", "エラー：材質を選択して下さい"},
      // Stored cut to its 7 bytes it would name another condition table.
      {kMaterialCombo, "SUS304L-A", "エラー：材質 [SUS304L-A] が長すぎます（7 バイトまで）。"},
  };
  const std::string before = ReadBytes(ctx.currentJobPath);
  for (const auto& c : cases) {
    common::MemoryForm form(MainDialogTemplate());
    for (int id : {kControllerCombo, kStockZEdit, kMaterialCombo}) form.SetText(id, main.FullText(id));
    form.SetText(c.control, c.typed);
    ui.boxes.clear();
    EXPECT_LT(OpenProcessDialog(ctx, form), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.error});
    EXPECT_TRUE(ui.modalsRun.empty());
    EXPECT_EQ(ReadBytes(ctx.currentJobPath), before);
  }
  main.SetText(kMaterialCombo, "SS400");
  EXPECT_EQ(OpenProcessDialog(ctx, main), kProcessDialogClosed);
  EXPECT_EQ(ui.modalsRun, std::vector<std::string>{"NCPROCESSDIALOG"});
  EXPECT_EQ(common::ReadProfileText("Drilling", "材質", "", 16, ctx.currentJobPath), "SS400");
  EXPECT_EQ(common::ReadProfileText("Drilling", "制御装置", "", 32, ctx.currentJobPath), "FANUC 0I-MF");
  EXPECT_EQ(common::ReadProfileText("Drilling", "材料Z", "", 16, ctx.currentJobPath), "20");
}

TEST_F(ProcessDialog, TheOperatorEditsCancelsAndSaves) {
  DrillGroup(1);
  ctx.processDialogMode = kProcessModeGenerate;
  ui.modalHandlers["NCPROCESSDIALOG"] = [this](common::Form& form) {
    auto& f = static_cast<common::MemoryForm&>(form);
    EXPECT_EQ(f.EntryCount(ProcessCellId(kColToolName, 15)), 6);
    EXPECT_EQ(CellText(f, kColToolName, 3), "面取りカッター");
    // A new row typed by hand: leaving T completes H (and D for G 41).
    f.SetText(ProcessCellId(kColToolName, 4), "エンドミル");
    for (auto [c, v] : {std::pair{kColS, "450"}, {kColF, "23"}, {kColG, "41"}, {kColR, "2"}, {kColZ, "8.6"}})
      f.SetText(ProcessCellId(c, 4), v);
    f.Type(ProcessCellId(kColT, 4), "7");
    EXPECT_EQ(CellText(f, kColH, 4), "7");
    EXPECT_EQ(CellText(f, kColD, 4), "7");
    ui.answers = {false, true};
    f.Click(kCmdProcessCancel);
    EXPECT_FALSE(f.HasEnded());
    f.Click(kCmdProcessSave);
    EXPECT_TRUE(f.HasEnded());
  };
  EXPECT_EQ(OpenProcessDialog(ctx, main), kProcessDialogSaved);
  EXPECT_EQ(Stored(4, "ZCODE"), "-8.6");
  EXPECT_EQ(Stored(4, "TOOLD"), "7");
  EXPECT_EQ(Stored(3, "GROUP"), "1");

  // Load mode shows the saved list; cancel with Yes closes without saving.
  ctx.processDialogMode = kProcessModeLoad;
  const std::string saved = ReadBytes(ctx.currentJobPath);
  ui.modalHandlers["NCPROCESSDIALOG"] = [this](common::Form& form) {
    auto& f = static_cast<common::MemoryForm&>(form);
    EXPECT_EQ(Rows(f).size(), 4u);
    f.SetText(ProcessCellId(kColZ, 4), "-9");
    ui.answers = {true};
    f.Click(kCmdProcessCancel);
    EXPECT_TRUE(f.HasEnded());
    EXPECT_TRUE(ctx.messageBuffer.empty());
  };
  EXPECT_EQ(OpenProcessDialog(ctx, main), kProcessDialogClosed);
  EXPECT_EQ(ReadBytes(ctx.currentJobPath), saved);
}

// A list made anew replaces a stored one (perhaps changed by hand) only
// after the operator says Yes; a loaded list is saved without asking.
TEST_F(ProcessDialog, AGeneratedListReplacesAStoredOneOnlyAfterYes) {
  DrillGroup(1);
  FillRow(Grid(), 1);
  ASSERT_EQ(SaveProcesses(ctx, Grid()), 0);
  const std::string stored = ReadBytes(ctx.currentJobPath);
  const struct {
    int mode;
    std::deque<bool> answers;
    bool saved;
    std::size_t questions;
  } cases[] = {
      {kProcessModeGenerate, {false}, false, 1},
      {kProcessModeGenerate, {true}, true, 1},
      {kProcessModeLoad, {}, true, 0},
  };
  for (const auto& c : cases) {
    common::WriteFileAtomic(ctx.currentJobPath, stored);
    ctx.processDialogMode = c.mode;
    ui.questions.clear();
    ui.modalHandlers["NCPROCESSDIALOG"] = [&](common::Form& form) {
      auto& f = static_cast<common::MemoryForm&>(form);
      ui.answers = c.answers;
      f.Click(kCmdProcessSave);
      EXPECT_EQ(f.HasEnded(), c.saved) << c.mode;
      if (!f.HasEnded()) f.End(kProcessDialogClosed);
    };
    EXPECT_EQ(OpenProcessDialog(ctx, main), c.saved ? kProcessDialogSaved : kProcessDialogClosed);
    EXPECT_EQ(ui.questions.size(), c.questions) << c.mode;
    if (c.questions) {
      EXPECT_EQ(ui.questions[0], kReplaceProcessesQuestion);
    }
    EXPECT_EQ(Stored(2, "TOOLNAME"), c.mode == kProcessModeGenerate && c.saved ? "ドリル" : "<absent>") << c.mode;
  }
}

}  // namespace
}  // namespace drilling
