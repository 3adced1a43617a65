#include "Drilling/planning/condition_tables.h"

#include <gtest/gtest.h>

#include "planning/planning_fixture.h"

namespace drilling {
namespace {

class ConditionTables : public testsupport::PlanningFixture {
 protected:
  CuttingConditions Untouched() {
    CuttingConditions r;
    r.Spindle = 11;
    r.Feed = 22;
    r.Extra = 33;
    r.Depth = 44;
    return r;
  }
};

TEST_F(ConditionTables, DrillRowIsFoundByNumberNotByText) {
  WriteTable("drillS45C.tbl", "6.75 1250 125 2\n6.80 1200 120 2.5\n7 1100 110 3\n0 0 0 0\n");
  CuttingConditions r = Untouched();
  r.Diameter = 6.8;
  EXPECT_EQ(ReadDrillConditions(ctx, nullptr, r), 1);
  EXPECT_EQ(r.Spindle, 1200);
  EXPECT_EQ(r.Feed, 120);
  EXPECT_EQ(r.Extra, 2.5);
  EXPECT_EQ(r.Depth, 44);  // never the reader's
  EXPECT_NE(Trace().find("Drill Table File " + (folder / "drillS45C.tbl").string() + "\n"), std::string::npos);

  r = Untouched();
  r.Diameter = 6.9;  // no nearest row
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "エラー：φ6.90 の加工条件がみつかりません。");
  EXPECT_EQ(r.Spindle, 11);
  EXPECT_EQ(r.Extra, 33);
}

TEST_F(ConditionTables, TheZeroRowEndsTheTableButFourColumnTablesMatchItFirst) {
  WriteTable("drillS45C.tbl", "0 500 50 1\n6.8 1200 120 2.5\n");
  WriteTable("mTapNS45C.tbl", "0 500 50\n10 240 360\n");
  CuttingConditions r = Untouched();
  r.Diameter = 6.8;
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  r.Diameter = 0;
  EXPECT_EQ(ReadDrillConditions(ctx, nullptr, r), 1);
  EXPECT_EQ(r.Spindle, 500);

  r = Untouched();
  r.Diameter = 0;
  EXPECT_LT(ReadConditionTable(ctx, nullptr, "mTapN", r), 0);
  EXPECT_EQ(LastBox(), "エラー：φ0.00 の加工条件がみつかりません。");
  r.Diameter = 10;
  EXPECT_LT(ReadConditionTable(ctx, nullptr, "mTapN", r), 0);  // behind the end row
}

TEST_F(ConditionTables, ThreeNumberTablesFillSpeedAndFeedOnlyAndTheFirstDuplicateWins) {
  WriteTable("ZaguriS45C.tbl", "14 450 23\n14 999 99\n0 0 0\n");
  CuttingConditions r = Untouched();
  r.Diameter = 14;
  EXPECT_EQ(ReadConditionTable(ctx, nullptr, "Zaguri", r), 1);
  EXPECT_EQ(r.Spindle, 450);
  EXPECT_EQ(r.Feed, 23);
  EXPECT_EQ(r.Extra, 33);  // the caller's depth
  EXPECT_NE(Trace().find("Zaguri Table File " + (folder / "ZaguriS45C.tbl").string() + "\n"), std::string::npos);
}

TEST_F(ConditionTables, CentreDrillTakesItsDiameterFromTheConfiguration) {
  WriteTable("cdrillS45C.tbl", "2 2380 86 -1\n3 1590 72 -1.5\n0 0 0 0\n");
  CuttingConditions r = Untouched();
  EXPECT_EQ(ReadCentreDrillConditions(ctx, nullptr, r), 1);
  EXPECT_EQ(r.Diameter, 3);
  EXPECT_EQ(r.Spindle, 1590);
  EXPECT_EQ(r.Extra, -1.5);  // the centre drilling Z may be negative
  EXPECT_NE(Trace().find("CD Table File "), std::string::npos);

  // A hand-edited diameter wider than the width the settings write is read whole.
  WriteConfig("[HOLE]\nCDRILLDIAM=12.34567\n");
  WriteTable("cdrillS45C.tbl", "12.3456 1 1 -1\n12.34567 400 30 -2\n0 0 0 0\n");
  r = Untouched();
  EXPECT_EQ(ReadCentreDrillConditions(ctx, nullptr, r), 1);
  EXPECT_EQ(r.Diameter, 12.34567);
  EXPECT_EQ(r.Spindle, 400);

  WriteConfig("[HOLE]\nCDRILLDIAM=\n");
  r = Untouched();
  EXPECT_LT(ReadCentreDrillConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "エラー：センタードリル径の定義が見つかりません。");
  EXPECT_EQ(r.Spindle, 11);
}

TEST_F(ConditionTables, ChamferBandsTakeTheLastLowerBoundNotAboveTheHole) {
  WriteTable("MentoriS45C.tbl", "0.5 800 40\n10 500 30\n10 510 31\n20 300 20\n0 0 0\n");
  struct Case {
    double hole;
    double spindle;
  };
  for (Case c : {Case{8, 800}, Case{10, 510}, Case{15, 510}, Case{25, 300}, Case{0.3, 11}}) {
    CuttingConditions r = Untouched();
    r.Diameter = c.hole;
    EXPECT_EQ(ReadChamferConditions(ctx, nullptr, r), 1) << c.hole;
    EXPECT_EQ(r.Spindle, c.spindle) << c.hole;
    EXPECT_EQ(r.Extra, 33);
  }
  // A short end row: the band before it still applies, and the exact
  // tables report the missing diameter, not bad data.
  WriteTable("MentoriS45C.tbl", "0.5 800 40\n10 500 30\n0\n");
  CuttingConditions band = Untouched();
  band.Diameter = 12;
  EXPECT_EQ(ReadChamferConditions(ctx, nullptr, band), 1);
  EXPECT_EQ(band.Spindle, 500);
  EXPECT_TRUE(ui.boxes.empty());
  WriteTable("drillS45C.tbl", "5 1000 80 2\n0\n");
  band.Diameter = 6;
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, band), 0);
  EXPECT_EQ(LastBox(), "エラー：φ6.00 の加工条件がみつかりません。");
  ui.boxes.clear();

  WriteTable("MentoriS45C.tbl", "0 0 0\n0.5 800 40\n");
  CuttingConditions r = Untouched();
  r.Diameter = 8;
  EXPECT_EQ(ReadChamferConditions(ctx, nullptr, r), 1);
  EXPECT_EQ(r.Spindle, 11);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ConditionTables, MaterialNameIsCutToSevenBytesAtACharacterBoundary) {
  SetMaterial("SUS304LN");
  WriteTable("drillSUS304L.tbl", "5 1000 80 2\n");
  CuttingConditions r;
  r.Diameter = 5;
  EXPECT_EQ(ReadDrillConditions(ctx, nullptr, r), 1);
  // Four double-byte characters are 8 bytes: only three fit.
  SetMaterial("鋳鉄ＦＣ");
  EXPECT_EQ(ReadJobMaterial(ctx), "鋳鉄Ｆ");
  EXPECT_EQ(ConditionTablePath(ctx, "drill", ReadJobMaterial(ctx)), folder / "drill鋳鉄Ｆ.tbl");
}

TEST_F(ConditionTables, FailuresAreReportedAndLeaveTheRecord) {
  CuttingConditions r = Untouched();
  r.Diameter = 5;
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "加工条件ファイル " + (folder / "drillS45C.tbl").string() + " オープン・エラー");

  std::filesystem::create_directory(folder / "drillS45C.tbl");
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "加工条件ファイル " + (folder / "drillS45C.tbl").string() + " オープン・エラー");

  SetMaterial("a/b");  // a separator would reach into another folder
  std::filesystem::create_directory(folder / "drilla");
  WriteTable("drilla/b.tbl", "5 1 1 1\n");
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  EXPECT_NE(LastBox().find("オープン・エラー"), std::string::npos);

  SetMaterial("");
  EXPECT_LT(ReadChamferConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "エラー：材質の定義が見つかりません。");
  ctx.currentJobPath.clear();
  EXPECT_LT(ReadConditionTable(ctx, nullptr, "Reamer", r), 0);
  EXPECT_EQ(LastBox(), "エラー：材質の定義が見つかりません。");
  EXPECT_EQ(r.Spindle, 11);
  EXPECT_EQ(r.Feed, 22);
  EXPECT_EQ(r.Extra, 33);
  EXPECT_EQ(lines.back(), "エラー：材質の定義が見つかりません。");  // listed as well
}

TEST_F(ConditionTables, BadDataStopsTheScanWithAClearReport) {
  const std::string path = (folder / "drillS45C.tbl").string();
  WriteTable("drillS45C.tbl", "5 1000 80 2\n6 9OO 70 2\n6.8 1200 120 2.5\n");
  CuttingConditions r = Untouched();
  r.Diameter = 5;  // before the fault: found
  EXPECT_EQ(ReadDrillConditions(ctx, nullptr, r), 1);
  r = Untouched();
  r.Diameter = 6.8;  // behind it: not read
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "エラー：加工条件ファイル " + path + " の 2 行目に数値でないデータがあります。");
  EXPECT_EQ(r.Spindle, 11);

  WriteTable("drillS45C.tbl", "5 1000 -80 2\n");
  r.Diameter = 5;  // the faulty row is the one taken
  EXPECT_LT(ReadDrillConditions(ctx, nullptr, r), 0);
  EXPECT_EQ(LastBox(), "エラー：加工条件ファイル " + path + " の 1 行目の 3 列目に負の数値があります。");

  // A band table stops too and fills nothing, even with a band already passed.
  WriteTable("MentoriS45C.tbl", "0.5 800 40\n10 500\n");
  r = Untouched();
  r.Diameter = 12;
  EXPECT_LT(ReadChamferConditions(ctx, nullptr, r), 0);
  EXPECT_NE(LastBox().find("最後の行の数値が足りません"), std::string::npos);
  EXPECT_EQ(r.Spindle, 11);

  testsupport::WriteBytes(folder / "ReamerS45C.tbl", std::string(5 * 1024 * 1024, '7'));
  EXPECT_LT(ReadConditionTable(ctx, nullptr, "Reamer", r), 0);
  EXPECT_NE(LastBox().find("大きすぎます"), std::string::npos);
}

// A row with a negative value where none belongs fails only the look-up that
// takes it; the rows around it are found as usual. The error text rounds the
// diameter's exact halves away from zero.
TEST_F(ConditionTables, ANegativeValueFailsOnlyTheRowThatIsTaken) {
  const std::string path = (folder / "drillS45C.tbl").string();
  WriteTable("drillS45C.tbl", "5 1500 150 -1.5\n6.8 1200 120 2.5\n0 0 0 0\n");
  WriteTable("mTapNS45C.tbl", "3 -500 25\n6 300 450\n0 0 0\n");
  WriteTable("MentoriS45C.tbl", "0.5 -800 40\n10 500 30\n0 0 0\n");
  struct Case {
    const char* table;  // nullptr: drill, "Mentori": chamfer bands, else a three-number table
    double diameter;
    int result;  // 1 found, -1 refused
    double spindle;
    std::string box;
  };
  const Case cases[] = {
      {nullptr, 6.8, 1, 1200, ""},
      {nullptr, 5, -1, 11, "エラー：加工条件ファイル " + path + " の 1 行目の 4 列目に負の数値があります。"},
      {nullptr, 6.125, -1, 11, "エラー：φ6.13 の加工条件がみつかりません。"},
      {nullptr, -2.5, -1, 11, "エラー：φ-2.50 の加工条件がみつかりません。"},
      {"mTapN", 6, 1, 300, ""},
      {"mTapN", 3, -1, 11, "エラー：加工条件ファイル " + (folder / "mTapNS45C.tbl").string() +
                               " の 1 行目の 2 列目に負の数値があります。"},
      {"Mentori", 12, 1, 500, ""},
      {"Mentori", 5, -1, 11, "エラー：加工条件ファイル " + (folder / "MentoriS45C.tbl").string() +
                                 " の 1 行目の 2 列目に負の数値があります。"},
  };
  for (const Case& c : cases) {
    CuttingConditions r = Untouched();
    r.Diameter = c.diameter;
    int result = !c.table                              ? ReadDrillConditions(ctx, nullptr, r)
                 : std::string(c.table) == "Mentori" ? ReadChamferConditions(ctx, nullptr, r)
                                                     : ReadConditionTable(ctx, nullptr, c.table, r);
    SCOPED_TRACE(std::string(c.table ? c.table : "drill") + " " + std::to_string(c.diameter));
    EXPECT_EQ(result > 0 ? 1 : -1, c.result);
    EXPECT_EQ(r.Spindle, c.spindle);
    if (!c.box.empty()) {
      EXPECT_EQ(LastBox(), c.box);
    }
  }
}

}  // namespace
}  // namespace drilling
