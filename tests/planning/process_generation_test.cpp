#include "Drilling/planning/process_generation.h"

#include <gtest/gtest.h>

#include "Drilling/planning/process_list.h"
#include "planning/process_fixture.h"

namespace drilling {
namespace {

using RowList = std::vector<std::string>;

class ProcessGeneration : public testsupport::ProcessFixture {
 protected:
  int Generate() {
    FillToolNameBoxes(ctx, Grid());
    return GenerateProcesses(ctx, Grid());
  }
};

TEST_F(ProcessGeneration, DrillAndTapGroupsGiveTheSixRowsOfTheLayout) {
  DrillGroup(1);
  TapGroup(2);
  EXPECT_EQ(Generate(), 0);
  // Diameters without a bare point, R/Z/Q with one, S and F cut toward zero
  // (88.9 -> 88), T/H from the pocket (H of pocket 3 is 23), a chamfer
  // cutter without diameter found whatever the hole, its H not read.
  EXPECT_EQ(Rows(Grid()), (RowList{
                              "センタードリル|3|1|1||1590|72|81|2.|-1.5|||",
                              "ドリル|8.5|3|23||740|88|83|2.|-25.|3.||1",
                              "面取りカッター||2|2||340|18|82|2.|-4.75|||1",
                              "ドリル|8.5|3|23||740|88|83|2.|-22.5|3.||2",
                              "面取りカッター||2|2||340|18|82|2.|-5.5|||2",
                              "タップ（並目）|10|6|6||260|390|84|5.|-15.|||2",
                          }));
  EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
  std::string trace = Trace();
  EXPECT_NE(trace.find("Tap NcProc Start\n"), std::string::npos);
  EXPECT_NE(trace.find("径 = 10.0\n"), std::string::npos);
}

TEST_F(ProcessGeneration, ThePlanIsChosenByTheFirstWordTheTypeContains) {
  const struct {
    const char* type;
    bool chamferDepth;
    std::vector<std::string> tools;  // rows 2.. (row 1 is always the centre drill)
  } cases[] = {
      {"ドリル", false, {"ドリル"}},
      {"ドリル", true, {"ドリル", "面取りカッター"}},
      {"タップ（並目）", true, {"ドリル", "面取りカッター", "タップ（並目）"}},
      {"ザグリ", false, {"ドリル", "エンドミル"}},
      {"リーマ", true, {"ドリル", "面取りカッター", "リーマ"}},
      {"キー溝", true, {}},
      // Two words: the kinds' order decides, as in the dialog and the drawing.
      {"タップザグリ", true, {"ドリル", "エンドミル"}},
  };
  for (const auto& c : cases) {
    testsupport::ProcessFixture::SetHole(1, {{"種類", c.type}, {"穴径", "8"}, {"深さ", "-20"}, {"下穴径", "6.8"},
                                             {"下穴深", "-25"}, {"座穴径", "14"}, {"座深さ", "-8.6"},
                                             {"面取深", c.chamferDepth ? "-4" : ""}});
    // Group 2 is planned after a group that adds nothing.
    DrillGroup(2, false);
    common::MemoryForm grid(ProcessDialogTemplate());
    FillToolNameBoxes(ctx, grid);
    ASSERT_EQ(GenerateProcesses(ctx, grid), 0) << c.type;
    std::vector<std::string> tools;
    for (int r = 2; r <= kProcessRows; ++r)
      if (CellText(grid, kColGroup, r) == "1") tools.push_back(CellText(grid, kColToolName, r));
    EXPECT_EQ(tools, c.tools) << c.type;
    int rows = 1 + static_cast<int>(c.tools.size());
    EXPECT_EQ(CellText(grid, kColGroup, rows + 1), "2") << c.type;
    EXPECT_EQ(CellText(grid, kColToolName, rows + 2), "") << c.type;
    EXPECT_TRUE(ui.boxes.empty()) << c.type << ": " << ui.boxes.front().text;
  }
}

TEST_F(ProcessGeneration, PlanningStopsAtTheFirstGroupWithoutAType) {
  SetHole(1, {{"種類", ""}});
  TapGroup(3);
  EXPECT_EQ(Generate(), 0);
  EXPECT_EQ(Rows(Grid()), RowList{"センタードリル|3|1|1||1590|72|81|2.|-1.5|||"});

  DrillGroup(1, false);
  SetHole(2, {{"種類", ""}});
  common::MemoryForm grid(ProcessDialogTemplate());
  FillToolNameBoxes(ctx, grid);
  GenerateProcesses(ctx, grid);
  EXPECT_EQ(Rows(grid).size(), 2u) << "group 3 is not planned after an empty group 2";
}

TEST_F(ProcessGeneration, AMissingHoleKeyEndsItsGroupWithItsOwnText) {
  const struct {
    const char* type;
    const char* missing;
    const char* text;
    int rowsOfGroup;  // rows written for the group before the failure
  } cases[] = {
      {"ドリル", "穴径", "エラー：ドリル穴径の定義が見つかりません。", 0},
      {"ドリル", "深さ", "エラー：ドリル切込深さの定義が見つかりません。", 0},
      {"ザグリ", "穴径", "エラー：ドリル穴径の定義が見つかりません。", 0},
      {"ザグリ", "座穴径", "エラー：ザグリ穴径の定義が見つかりません。", 1},
      {"ザグリ", "座深さ", "エラー：ザグリ切込深さの定義が見つかりません。", 1},
      {"タップ", "下穴径", "エラー：ドリル下穴径の定義が見つかりません。", 0},
      {"タップ", "下穴深", "エラー：ドリル切込深さの定義が見つかりません。", 0},
      {"タップ", "面取深", "エラー：面取り切込深さの定義が見つかりません。", 1},
      {"タップ", "穴径", "エラー：タップ穴径の定義が見つかりません。", 2},
      {"タップ", "深さ", "エラー：タップ切込深さの定義が見つかりません。", 2},
      {"リーマ", "下穴径", "エラー：ドリル下穴径の定義が見つかりません。", 0},
      {"リーマ", "面取深", "エラー：面取り切込深さの定義が見つかりません。", 1},
      {"リーマ", "穴径", "エラー：リーマ穴径の定義が見つかりません。", 2},
      {"リーマ", "深さ", "エラー：リーマ切込深さの定義が見つかりません。", 2},
  };
  for (const auto& c : cases) {
    std::map<std::string, std::string> keys = {{"種類", c.type}, {"穴径", "8"},     {"深さ", "-20"},
                                               {"下穴径", "6.8"}, {"下穴深", "-25"}, {"面取深", "-4"},
                                               {"座穴径", "14"},  {"座深さ", "-8.6"}};
    keys[c.missing] = "";
    SetHole(1, keys);
    DrillGroup(2, false);
    ui.boxes.clear();
    common::MemoryForm grid(ProcessDialogTemplate());
    FillToolNameBoxes(ctx, grid);
    EXPECT_EQ(GenerateProcesses(ctx, grid), 0);
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{c.text}) << c.type << " " << c.missing;
    // The next group goes on in the row after those written.
    EXPECT_EQ(CellText(grid, kColGroup, 2 + c.rowsOfGroup), "2") << c.type << " " << c.missing;
  }
}

TEST_F(ProcessGeneration, AMissingTableRowLeavesTheToolNameAndTheNextGroupTakesTheRow) {
  TapGroup(1);
  SetHole(1, {{"下穴径", "8.4"}});  // no drill of 8.4 in the table
  SetHole(2, {{"種類", "ザグリ"}, {"穴径", "9"}, {"深さ", "-25"}, {"座穴径", "14"}, {"座深さ", "-8.6"}});
  EXPECT_EQ(Generate(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"エラー：φ8.40 の加工条件がみつかりません。"});
  EXPECT_EQ(Rows(Grid()), (RowList{
                              "センタードリル|3|1|1||1590|72|81|2.|-1.5|||",
                              "ドリル|9|9|9||700|87|83|2.|-25.|3.||2",
                              "エンドミル|14|7|7||450|23|82|2.|-8.6|||2",
                          }));

  // A failing last group leaves its row holding only the tool name.
  SetHole(2, {{"種類", ""}});
  common::MemoryForm grid(ProcessDialogTemplate());
  FillToolNameBoxes(ctx, grid);
  GenerateProcesses(ctx, grid);
  EXPECT_EQ(Row(grid, 2), "ドリル||||||||||||");
}

TEST_F(ProcessGeneration, CycleAndRLevelsFromDrillingIni) {
  DrillGroup(1);
  // No mentori cycle: an error, the chamfer row keeps S, F and Z with G and R
  // empty. Rcode/drill present but empty reads 0; absent Rcode/cdrill reads 2.
  std::string config = kConfig;
  config.replace(config.find("mentori=82\n"), 11, "");
  config.replace(config.find("drill=2\nmentori"), 7, "drill=");
  config.replace(config.find("cdrill=2\n"), 9, "");
  Reconfigure(config);
  EXPECT_EQ(Generate(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"エラー：mentoriのGコード定義が見つかりません。"});
  EXPECT_EQ(Rows(Grid()), (RowList{
                              "センタードリル|3|1|1||1590|72|81|2.|-1.5|||",
                              "ドリル|8.5|3|23||740|88|83|0.|-25.|3.||1",
                              "面取りカッター||2|2||340|18|||-4.75|||1",
                          }));

  // No centre drill cycle: nothing else is generated, no tool numbers.
  config.replace(config.find("cdrill=81\n"), 10, "");
  Reconfigure(config);
  common::MemoryForm grid(ProcessDialogTemplate());
  FillToolNameBoxes(ctx, grid);
  EXPECT_EQ(GenerateProcesses(ctx, grid), -1);
  EXPECT_EQ(Rows(grid), RowList{"センタードリル|3||||1590|72||||||"});
}

TEST_F(ProcessGeneration, ToolNumbersFromTheToolTable) {
  SetHole(1, {{"種類", "ザグリ"}, {"穴径", "9"}, {"深さ", "-25"}, {"座穴径", "14"}, {"座深さ", "-8.6"}});
  DrillGroup(2, false);
  // End mills are programmed with cutter compensation here: G 41 gives D.
  std::string config = kConfig;
  config.replace(config.find("zaguri=82"), 9, "zaguri=41");
  Reconfigure(config);
  EXPECT_EQ(Generate(), 0);
  EXPECT_EQ(Row(Grid(), 3), "エンドミル|14|7|7|57|450|23|41|2.|-8.6|||1");
  EXPECT_EQ(Row(Grid(), 4), "ドリル|8.5|3|23||740|88|83|2.|-25.|3.||2") << "the first of two 8.5 pockets";

  // A tool name missing from the tool name list leaves the name empty, and
  // assignment stops there: later rows get no T either.
  const std::string endMill = "TOOLJP4=エンドミル\nTOOLJP5=リーマ\n";
  config.replace(config.find(endMill), endMill.size(), "TOOLJP4=リーマ\n");
  Reconfigure(config);
  common::MemoryForm grid(ProcessDialogTemplate());
  FillToolNameBoxes(ctx, grid);
  ui.boxes.clear();
  GenerateProcesses(ctx, grid);
  EXPECT_EQ(Row(grid, 3), "|14||||450|23|41|2.|-8.6|||1");
  EXPECT_EQ(CellText(grid, kColT, 4), "");
  // An error, so that the list is not saved before the tool is named.
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"エラー：工程[3] 工具名 エンドミル が工具名リスト（TOOLLIST）にありません。"});

  // No tool table: every T stays empty after the error (every tool named).
  Reconfigure(kConfig);
  std::filesystem::remove(folder / "MCTOOL.ini");
  ui.boxes.clear();
  common::MemoryForm bare(ProcessDialogTemplate());
  FillToolNameBoxes(ctx, bare);
  GenerateProcesses(ctx, bare);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(CellText(bare, kColT, 1), "");
}

TEST_F(ProcessGeneration, AChamferWithoutABandLeavesSpeedAndFeedForTheOperator) {
  WriteTable("MentoriS45C.tbl", "10 340 18\n0 0 0\n");
  DrillGroup(1);
  EXPECT_EQ(Generate(), 0);
  EXPECT_EQ(Row(Grid(), 3), "面取りカッター||2|2||||82|2.|-4.75|||1");
  EXPECT_EQ(LastLine(), "工程[3] 面取り条件に φ8.5 の行がないので S と F は空欄です。");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ProcessGeneration, ATapFeedOffThePitchIsAWarning) {
  TapGroup(1);
  WriteTable("mTapNS45C.tbl", "10 260 260\n0 0 0\n");  // a feed of pitch 1 on M10 x 1.5
  EXPECT_EQ(Generate(), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].icon, common::BoxIcon::Warning);
  EXPECT_EQ(ui.boxes[0].text, "警告：工程[4] M10 のタップの送り F260 が ピッチ 1.5 × 回転数 260 = 390 と合いません。");
  EXPECT_EQ(CellText(Grid(), kColF, 4), "260") << "nothing is changed";
}

TEST_F(ProcessGeneration, AGridWithProcessesIsReplacedOnlyWhenTheOperatorSaysYes) {
  DrillGroup(1);
  FillToolNameBoxes(ctx, Grid());
  SetCellText(Grid(), kColToolName, 1, "リーマ");
  SetCellText(Grid(), kColGroup, 9, "4");
  ui.answers = {false};
  EXPECT_EQ(GenerateProcesses(ctx, Grid()), 0);
  EXPECT_EQ(Row(Grid(), 1), "リーマ||||||||||||");
  ui.answers = {true};
  EXPECT_EQ(GenerateProcesses(ctx, Grid()), 0);
  EXPECT_EQ(ui.questions, (std::vector<std::string>(2, "工程が既にあるようです。\n\n新規に作成しますか？")));
  EXPECT_EQ(Rows(Grid()).size(), 3u);
  EXPECT_NE(Trace().find("ID END = 13\n"), std::string::npos);
}

}  // namespace
}  // namespace drilling
