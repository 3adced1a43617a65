// drillnc tools and the derived sizes of drillnc hole, run as the program
// folder's executable on a temporary program folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Drilling/planning/tool_table.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace drilling {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class DrillncTools : public ::testing::Test {
 protected:
  DrillncTools() {
    testsupport::WriteBytes(home / "Drilling.ini",
                            common::Utf8ToCp932("[Drilling]\r\nToolTable=MCTOOL.ini\r\n[TOOLLIST]\r\n"
                                                "TOOLJP0=ドリル\r\n[WorkType]\r\nWorkType0=S45C\r\n"));
  }

  Outcome Drillnc(std::vector<std::string> args) {
    args.insert(args.begin(), {DRILLING_PROGRAM_DIR "/drillnc", "--home", home.Path().string()});
    const fs::path out = scratch / "out";
    const fs::path err = scratch / "err";
    Outcome run;
    run.status = testsupport::RunProgram(args, {{}, out, err});
    run.out = testsupport::ReadBytes(out);
    run.err = testsupport::ReadBytes(err);
    return run;
  }
  fs::path Table() const { return home / "MCTOOL.ini"; }

  testsupport::TempFolder home;
  testsupport::TempFolder scratch;
};

TEST_F(DrillncTools, SetListAndDeleteGoThroughTheDialog) {
  Outcome set = Drillnc({"tools", "set", "5", "--name", "ドリル", "--diameter", "8.5", "--h", "25"});
  EXPECT_EQ(set.status, 0) << set.err;
  // The first opening created the missing table, then the pocket was filled.
  EXPECT_NE(set.out.find("工具リストファイルを新規に作成します。\n"), std::string::npos);
  EXPECT_NE(set.out.find("T05 の工具情報を更新しました。\n"), std::string::npos);
  common::ForgetCachedProfiles();
  MagazineTool tool;
  tool.Diameter = 8.5;
  ASSERT_EQ(FindMagazineTool("ドリル", tool, Table()), 1);
  EXPECT_EQ(tool.T, 5);
  EXPECT_EQ(tool.H, 25);
  EXPECT_EQ(tool.D, 5);  // D follows T when not given

  Outcome list = Drillnc({"tools", "list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "現在の工具テーブルを読込ました。\nドリル               8.5      5      25     5\n");

  Outcome del = Drillnc({"tools", "delete", "5"});
  EXPECT_EQ(del.status, 0) << del.err;
  EXPECT_NE(del.out.find("T05 の工具情報を削除しました。\n"), std::string::npos);
  EXPECT_EQ(Drillnc({"tools", "list"}).out, "現在の工具テーブルを読込ました。\n");
}

TEST_F(DrillncTools, BadArgumentsTouchNothing) {
  const std::vector<std::vector<std::string>> bad = {
      {"tools"},
      {"tools", "set", "0", "--name", "ドリル"},
      {"tools", "set", "1x", "--name", "ドリル"},
      {"tools", "set", "5", "--name", "ドリル\n[MAGAZINE6]"},
      {"tools", "set", "5", "--name", std::string(32, 'A')},
      {"tools", "set", "5", "--name", "ドリル", "--diameter", "abc"},
      {"tools", "set", "5", "--name", "ドリル", "--h", "1000"},
      {"tools", "list", "extra"},
  };
  for (const auto& args : bad) {
    Outcome r = Drillnc(args);
    EXPECT_EQ(r.status, 2) << args.size() << " " << args.back();
    EXPECT_NE(r.err.find("usage: drillnc"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(Table()));
}

TEST_F(DrillncTools, AnUndefinedToolTableIsAFailure) {
  testsupport::WriteBytes(home / "Drilling.ini", "[Drilling]\r\nToolTable=\r\n");
  Outcome r = Drillnc({"tools", "list"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "エラー：工具リスト登録ファイルの定義がありません\n");
}

TEST_F(DrillncTools, HoleFillsTheDerivedSizesAndGivenSizesWin) {
  testsupport::WriteBytes(home / "mTapN.tbl", "10  1.5  8.5  -5.5  -15  -22.5\r\n0 0 0 0 0 0\r\n");
  testsupport::WriteBytes(home / "Zaguri.tbl", "8  9  14  -8.6\r\n0 0 0 0\r\n");
  ASSERT_EQ(Drillnc({"new", "--title", "J1", "--material", "S45C", "--stock", "100,80,20"}).status, 0);
  Outcome tap = Drillnc({"hole", "J1", "1", "--type", "タップ", "--diameter", "10", "--depth", "-12", "--at", "10,10"});
  EXPECT_EQ(tap.status, 0) << tap.err;
  Outcome cbore = Drillnc({"hole", "J1", "2", "--type", "ザグリ", "--diameter", "9", "--at", "20,20"});
  EXPECT_EQ(cbore.status, 0) << cbore.err;
  common::ForgetCachedProfiles();
  const fs::path job = home / "DB" / "J1.ini";
  auto value = [&](const char* section, const char* key) { return common::ReadProfileText(section, key, "", 16, job); };
  EXPECT_EQ(value("Hole1", "下穴径"), "8.5");
  EXPECT_EQ(value("Hole1", "下穴深"), "-22.5");
  EXPECT_EQ(value("Hole1", "面取深"), "-5.5");
  EXPECT_EQ(value("Hole1", "深さ"), "-12");  // given on the command line
  EXPECT_EQ(value("Hole2", "座穴径"), "14");
  EXPECT_EQ(value("Hole2", "座深さ"), "-8.6");
}

}  // namespace
}  // namespace drilling
