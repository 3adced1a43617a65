#include "Drilling/holes/hole_calculators.h"

#include <gtest/gtest.h>

#include <map>

#include "common/memory_form.h"
#include "holes/holes_fixture.h"

namespace drilling {
namespace {

// n rows "r./r." starting at row 1.
std::vector<std::string> Rows1To(int n) {
  std::vector<std::string> rows;
  for (int r = 1; r <= n; ++r) rows.push_back(std::to_string(r) + "./" + std::to_string(r) + ".");
  return rows;
}

class CalculatorTest : public holestest::HolesFixture {
 protected:
  CalculatorTest() : hole(HoleDialogTemplate()) {}

  // Runs one calculation on a fresh calculator over `hole`; returns the
  // calculator (still open) for further checks.
  std::unique_ptr<common::MemoryForm> Calculate(const common::DialogTemplate& tpl, common::DialogProc proc,
                                                const std::map<int, std::string>& fields) {
    auto calc = std::make_unique<common::MemoryForm>(tpl, std::move(proc), &hole);
    calc->Init();
    for (const auto& [id, text] : fields) calc->SetText(id, text);
    calc->Click(kCalcCmdCalculate);
    return calc;
  }
  std::unique_ptr<common::MemoryForm> Circle(const std::map<int, std::string>& fields) {
    return Calculate(BoltCircleDialogTemplate(), BoltCircleDialogProc(ctx), fields);
  }
  std::unique_ptr<common::MemoryForm> Copy(const std::map<int, std::string>& fields) {
    return Calculate(CoordinateCopyDialogTemplate(), CoordinateCopyDialogProc(ctx), fields);
  }
  void Reset(const std::vector<std::string>& rows) {
    SetRows(hole, rows);
    lines.clear();
    ui.boxes.clear();
  }

  common::MemoryForm hole;
};

std::map<int, std::string> CircleFields(const char* d, const char* cx, const char* cy, const char* a, const char* n) {
  return {{kCircleDiameterEdit, d}, {kCircleCentreXEdit, cx}, {kCircleCentreYEdit, cy},
          {kCircleStartAngleEdit, a}, {kCircleHoleCountEdit, n}};
}

std::map<int, std::string> CopyFields(const char* bx, const char* by, const char* sx, const char* sy, const char* nx,
                                      const char* ny) {
  return {{kCopyBaseXEdit, bx}, {kCopyBaseYEdit, by}, {kCopyStepXEdit, sx},
          {kCopyStepYEdit, sy}, {kCopyCountXEdit, nx}, {kCopyCountYEdit, ny}};
}

TEST_F(CalculatorTest, BoltCirclesFillTheRowsFromTheFirstFreeOne) {
  struct Case {
    std::map<int, std::string> fields;
    std::vector<std::string> before;
    std::vector<std::string> after;
    std::vector<std::string> progress;  // checked when not empty
  };
  std::vector<std::string> fourAfterThree = Rows1To(3);
  for (const char* r : {"60./50.", "50./60.", "40./50.", "50./40."}) fourAfterThree.push_back(r);
  const Case cases[] = {
      // cos 90, sin 180 and cos 270 give tiny values; the last one is
      // negative and comes out as 0. through the near-zero rule.
      {CircleFields("100", "0", "0", "0", "4"), {}, {"50./0.", "0./50.", "-50./0.", "0./-50."}, {}},
      {CircleFields("40", "100", "50", "45", "3"),
       {},
       {"114.142/64.142", "80.681/55.176", "105.176/30.681"},
       {"[1] 計算する角度 45.000", "[2] 計算する角度 165.000", "[3] 計算する角度 285.000"}},
      {CircleFields("20", "50", "50", "", "4"), Rows1To(3), fourAfterThree, {}},
      {CircleFields("20", "50", "50", "", ""), Rows1To(2), Rows1To(2), {}},  // no holes: nothing, no report
      {CircleFields("20", "50", "50", "", "-3"), {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields.at(kCircleHoleCountEdit));
    Reset(c.before);
    auto calc = Circle(c.fields);
    EXPECT_EQ(Rows(hole), c.after);
    if (!c.progress.empty()) {
      EXPECT_EQ(lines, c.progress);
    }
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
    EXPECT_FALSE(calc->HasEnded()) << "stays open after a calculation";
  }
}

TEST_F(CalculatorTest, CopiesRunColumnByColumnFromTheBasePoint) {
  struct Case {
    std::map<int, std::string> fields;
    std::vector<std::string> before;
    std::vector<std::string> after;
  };
  std::vector<std::string> afterThree = Rows1To(3);
  for (const char* r : {"0./0.", "0./1.", "2./0.", "2./1."}) afterThree.push_back(r);
  const Case cases[] = {
      {CopyFields("10", "20", "15", "10", "2", "1"), {}, {"10./20.", "10./30.", "25./20.", "25./30.", "40./20.", "40./30."}},
      {CopyFields("7.5", "-2", "0", "5", "0", "3"), {}, {"7.5/-2.", "7.5/3.", "7.5/8.", "7.5/13."}},
      {CopyFields("0", "0", "2", "1", "1", "1"), Rows1To(3), afterThree},
      {CopyFields("0", "0", "2", "1", "-1", "3"), {}, {}},  // a negative count in X writes nothing
      {CopyFields("0", "0", "2", "1", "2", "-1"), {}, {"0./0.", "2./0.", "4./0."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields.at(kCopyCountXEdit) + "," + c.fields.at(kCopyCountYEdit));
    Reset(c.before);
    auto calc = Copy(c.fields);
    EXPECT_EQ(Rows(hole), c.after);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
    EXPECT_FALSE(calc->HasEnded());
  }
}

TEST_F(CalculatorTest, MissingOrBadInputsAreReportedAndNothingIsWritten) {
  struct Case {
    bool circle;
    std::map<int, std::string> fields;
    const char* error;
  };
  const Case cases[] = {
      {true, CircleFields("", "0", "0", "0", "4"), "円の直径が入力されてません。"},
      {true, CircleFields("10", "", "0", "0", "4"), "円の中心[X]が入力されてません。"},
      {true, CircleFields("10", "0", "", "0", "4"), "円の中心[Y]が入力されてません。"},
      {true, CircleFields("10", "0", "0", "north", "4"), "エラー：初 期 角 度 [north] は数値ではありません。"},
      {true, CircleFields("10", "0", "0", "0", "2.5"), "エラー：穴 等 分 数 [2.5] は 9999 までの整数で入力してください。"},
      {true, CircleFields("10", "0", "0", "0", "1e9"), "エラー：穴 等 分 数 [1e9] は 9999 までの整数で入力してください。"},
      // A count is digits with an optional sign: a number in another form is refused.
      {true, CircleFields("10", "0", "0", "0", "1e1"), "エラー：穴 等 分 数 [1e1] は 9999 までの整数で入力してください。"},
      {true, CircleFields("10", "0", "0", "0", "4."), "エラー：穴 等 分 数 [4.] は 9999 までの整数で入力してください。"},
      {false, CopyFields("1", "1", "1", "1", "2e0", "1"), "エラー：Ｘ軸複写回数 [2e0] は 9999 までの整数で入力してください。"},
      {false, CopyFields("1", "1", "1", "1", "1", "+1.0"), "エラー：Ｙ軸複写回数 [+1.0] は 9999 までの整数で入力してください。"},
      {true, CircleFields("1e15", "0", "0", "0", "4"), "エラー：計算した座標 500000000000000. は 15 桁を超えるため"},
      {false, CopyFields("", "", "", "", "", ""), "基点座標 Xが取得できません。"},
      {false, CopyFields("1", "", "", "", "", ""), "基点座標 Yが取得できません。"},
      {false, CopyFields("1", "1", "", "1", "1", "1"), "移動距離 Xが取得できません。"},
      {false, CopyFields("1", "1", "1", "", "1", "1"), "移動距離 Yが取得できません。"},
      {false, CopyFields("1", "1", "1", "1", "", "1"), "Ｘ移動回数が取得できません。"},
      {false, CopyFields("1", "1", "1", "1", "1", ""), "Ｙ移動回数が取得できません。"},
      {false, CopyFields("1", "1", "0", "0", "1", "1"), "移動距離がありません。"},
      {false, CopyFields("1", "1", "1", "1", "0", "0"), "移動回数がありません。"},
      {false, CopyFields("1", "1x", "1", "1", "1", "1"), "エラー：基点座標 [Y] [1x] は数値ではありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    Reset({"1./1."});
    auto calc = c.circle ? Circle(c.fields) : Copy(c.fields);
    EXPECT_EQ(Rows(hole), std::vector<std::string>{"1./1."});
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    EXPECT_EQ(ErrorBoxes()[0].rfind(c.error, 0), 0u) << ErrorBoxes()[0];
    EXPECT_FALSE(calc->HasEnded());
  }
}

TEST_F(CalculatorTest, AFilledRowIsNeverOverwrittenAndWhatDoesNotFitIsReported) {
  // Every row holds X: refused, nothing written (row 20 is not replaced).
  Reset(Rows1To(20));
  Circle(CircleFields("10", "0", "0", "0", "1"));
  EXPECT_EQ(Rows(hole), Rows1To(20));
  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_EQ(ErrorBoxes()[0].rfind("エラー：座標の空き行がありません", 0), 0u);

  // 24 holes into empty rows: 20 written, the other 4 reported.
  Reset({});
  Circle(CircleFields("100", "0", "0", "0", "24"));
  ASSERT_EQ(Rows(hole).size(), 20u);
  EXPECT_EQ(Rows(hole)[0], "50./0.");
  EXPECT_EQ(Rows(hole)[19], "12.941/-48.296");  // 285 degrees
  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_EQ(ErrorBoxes()[0], "エラー：座標の空き行が足りません。24 点のうち 20 点を書き込み、4 点は書き込んでいません。");

  // A row filled after a gap stays: the results skip it.
  Reset({"1./1.", "", "3./3."});
  Copy(CopyFields("0", "0", "5", "0", "2", "0"));
  EXPECT_EQ(Rows(hole), (std::vector<std::string>{"1./1.", "0./0.", "3./3.", "5./0.", "10./0."}));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CalculatorTest, ReferenceAngleFollowsTheNumberOfHoles) {
  common::MemoryForm calc(BoltCircleDialogTemplate(), BoltCircleDialogProc(ctx), &hole);
  calc.Init();
  const std::pair<const char*, const char*> cases[] = {
      {"6", "60"}, {"7", "51.429"}, {"24", "15"}, {"0", ""}, {"-4", ""}, {"abc", ""}, {"1e1", ""}, {"+8", "45"}};
  for (const auto& [count, angle] : cases) {
    calc.SetText(kCircleReferenceAngleEdit, "stale");
    calc.Type(kCircleHoleCountEdit, count);
    EXPECT_EQ(calc.FullText(kCircleReferenceAngleEdit), angle) << count;
  }
  calc.SetText(kCircleReferenceAngleEdit, "kept");
  calc.Type(kCircleHoleCountEdit, "");
  EXPECT_EQ(calc.FullText(kCircleReferenceAngleEdit), "kept") << "an empty count leaves the field";
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CalculatorTest, CloseCommandsEndTheCalculators) {
  for (const common::DialogTemplate* tpl : {&BoltCircleDialogTemplate(), &CoordinateCopyDialogTemplate()}) {
    for (int how : {int{kCalcCmdClose}, int{kCalcCmdEscape}, 0 /* close box */}) {
      common::MemoryForm calc(*tpl, tpl == &BoltCircleDialogTemplate() ? BoltCircleDialogProc(ctx)
                                                                       : CoordinateCopyDialogProc(ctx),
                              &hole);
      calc.Init();
      calc.Click(kCalcCmdHelp);
      EXPECT_FALSE(calc.HasEnded());
      if (how == 0)
        calc.Send(common::DialogEvent::Close);
      else
        calc.Click(how);
      EXPECT_TRUE(calc.HasEnded()) << tpl->name << " " << how;
    }
  }
  EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace drilling
