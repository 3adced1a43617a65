// The drillnc executable of the program folder, run on a temporary program
// folder; job files compared byte for byte.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "Drilling/planning/hole_kinds.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  // The last line of standard output.
  std::string LastLine() const {
    std::string s = out;
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s.substr(s.rfind('\n') == std::string::npos ? 0 : s.rfind('\n') + 1);
  }
};

class DrillncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string config =
        "[UserStartup]\r\nWorkType=S45C\r\nMachine=FANUC 0i-MF\r\nCoordSystem=G54\r\n"
        "[WorkType]\r\nWorkType0=S45C\r\nWorkType1=A5052\r\n"
        "[Machine]\r\nMachine0=FANUC 0i-MF\r\nMachine1=FANUC 31i-B5\r\n"
        "[CoordSystem]\r\nCoordSystem0=G54\r\nCoordSystem1=G55\r\n"
        "[work]\r\n原点=0\r\n[NCFILE]\r\nFANUC=nc\r\n";
    WriteBytes(home / "Drilling.ini", common::Utf8ToCp932(config));
  }

  // Runs drillnc with `args`; `env` entries are added to the environment.
  Outcome Drillnc(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    const fs::path outFile = scratch / "out";
    const fs::path errFile = scratch / "err";
    std::vector<std::string> argv{DRILLING_PROGRAM_DIR "/drillnc"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> all;
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("DRILLING_HOME=", 0) != 0) all.push_back(*e);
    all.insert(all.end(), env.begin(), env.end());
    Outcome run;
    run.status = testsupport::RunProgram(argv, {{}, outFile, errFile}, all);
    run.out = ReadBytes(outFile);
    run.err = ReadBytes(errFile);
    return run;
  }
  Outcome InHome(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.Path().string()});
    return Drillnc(args);
  }
  static std::string Golden(const char* name) {
    return ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests/drillnc/golden" / name);
  }

  testsupport::TempFolder home;
  testsupport::TempFolder scratch;
  const std::vector<std::string> plate{"new",         "--title",      "PLATE-A", "--material", "s45c",
                                       "--stock",     "150,100,20",   "--origin", "ur",        "--controller",
                                       "FANUC 31i-B5", "--coord",     "G55",     "--program", "1001"};
};

TEST_F(DrillncTest, NewHoleShowRoad) {
  Outcome made = InHome(plate);
  ASSERT_EQ(made.status, 0) << made.out << made.err;
  const fs::path job = home / "DB" / "PLATE-A.ini";
  EXPECT_EQ(made.LastLine(), job.string());
  EXPECT_EQ(ReadBytes(job), Golden("new_plate.ini"));
  EXPECT_NE(made.out.find("    ＮＣファイル ： O1001.nc\n"), std::string::npos) << made.out;
  EXPECT_EQ(made.err, "");

  Outcome hole = InHome({"hole", job.string(), "2", "--type", "タップ", "--diameter", "10", "--depth", "20",
                     "--pilot-diameter", "8.5", "--pilot-depth", "25", "--at", "30,20", "--at", "120.50, 20"});
  ASSERT_EQ(hole.status, 0) << hole.out << hole.err;
  EXPECT_EQ(ReadBytes(job), Golden("plate_with_tap.ini"));
  EXPECT_NE(hole.out.find("穴加工定義 [2] を保存しました。"), std::string::npos);

  // A bare title finds the file in DB; positions not given stay.
  Outcome again = InHome({"hole", "PLATE-A", "2", "--depth", "20"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadBytes(job), Golden("plate_with_tap.ini"));

  Outcome shown = InHome({"show", "PLATE-A"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const char* line : {"title = PLATE-A\n", "原点X = 150\n", "制御装置 = FANUC 31I-B5\n", "NcFile = O1001.nc\n",
                           "[Hole2]\n種類 = タップ\n穴径 = 10\n", "X2 = 120.5  Y2 = 20.\n[Hole3]\n種類 = \n"})
    EXPECT_NE(shown.out.find(line), std::string::npos) << line << "\n" << shown.out;
}

TEST_F(DrillncTest, AnExistingJobIsOverwrittenOnlyWithYes) {
  ASSERT_EQ(InHome(plate).status, 0);
  const fs::path job = home / "DB" / "PLATE-A.ini";
  WriteBytes(job, "hand edited");
  Outcome declined = InHome(plate);
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.out.find("既に存在します。上書きしますか？ -> No"), std::string::npos) << declined.out;
  EXPECT_EQ(ReadBytes(job), "hand edited");

  std::vector<std::string> yes = plate;
  yes.insert(yes.begin(), "--yes");
  Outcome accepted = InHome(yes);
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  EXPECT_EQ(ReadBytes(job), Golden("new_plate.ini"));
}

TEST_F(DrillncTest, UnsafeTitleIsRefusedAndNothingWritten) {
  Outcome run = InHome({"new", "--title", "../escape", "--stock", "1,2,3"});
  EXPECT_EQ(run.status, 1);
  const std::string message = "エラー：表題 [../escape] はファイル名に使えません。";
  EXPECT_EQ(run.err.rfind(message, 0), 0u) << run.err;
  EXPECT_NE(run.out.find(message), std::string::npos) << "reported lines go to standard output too";
  EXPECT_TRUE(fs::is_empty(home / "DB"));
  EXPECT_FALSE(fs::exists(home / "escape.ini"));
}

TEST_F(DrillncTest, UsageErrorsTouchNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"bogus"},
      {"--frobnicate", "new"},
      {"new", "--stock", "1,2"},
      {"new", "--stock", "1,2,x"},
      {"new", "--origin", "ll"},
      {"new", "--stock", "1,2,3", "--origin", "middle"},
      {"new", "--program", "12a"},
      {"new", "--material", "STAVAX-ESR"},  // longer than the job keeps
      {"new", "--stock", "nan,2,3"},
      {"hole", "job", "1", "--at", "inf,7"},
      {"hole", "job", "1", "--depth", "nan"},
      {"new", "--title"},
      {"new", "extra"},
      {"hole", "job"},
      {"hole", "job", "5"},
      {"hole", "job", "1", "--at", "1"},
      {"hole", "job", "1", "--diameter", "wide"},
      {"show"},
      {"plan"},
      {"process", "job"},
      {"process", "job", "1"},
      {"process", "job", "16", "--z", "1"},
      {"process", "job", "1", "--z", "-1234567890.12345"},
      {"process", "job", "--initialise", "--z", "1"},
  };
  for (const auto& args : cases) {
    Outcome run = InHome(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(run.status, 2) << joined << run.err;
    EXPECT_NE(run.err.find("usage: drillnc"), std::string::npos) << joined;
  }
  EXPECT_FALSE(fs::exists(home / "DB")) << "start-up never ran";
}

TEST_F(DrillncTest, FailuresGiveOneAndTheErrorOnStandardError) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"show", "nothere"}, {"processes", "nothere"}, {"send", "nothere"}, {"dxf", "--no-view", "nothere"}}) {
    Outcome missing = InHome(args);
    EXPECT_EQ(missing.status, 1) << args[0];
    EXPECT_EQ(missing.err, "定義ファイルがありません。\n") << args[0];
    EXPECT_EQ(missing.out, "定義ファイルがありません。\n") << args[0];
  }

  Outcome noFolder = Drillnc({"--home", (home / "absent").string(), "show", "x"});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_NE(noFolder.err.find("is not a folder"), std::string::npos);

  Outcome help = Drillnc({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("  hole JOB GROUP"), std::string::npos);
}

// What must not reach a job file, and files that are not jobs: each run
// fails and changes nothing.
TEST_F(DrillncTest, RefusedValuesAndForeignFilesChangeNothing) {
  ASSERT_EQ(InHome(plate).status, 0);
  const fs::path job = home / "DB" / "PLATE-A.ini";
  const std::string before = ReadBytes(job);
  const fs::path hostname = scratch / "hostname";
  WriteBytes(hostname, "machine-7\n");
  struct Case {
    std::vector<std::string> args;
    std::string error;  // start of standard error
  };
  const Case cases[] = {
      {{"new", "--title", "INJ", "--controller", "FANUC 0i-MF\n[Hole1]\n穴径=99"},
       "エラー：--controller に改行や NUL 文字は使えません。"},
      {{"hole", "PLATE-A", "1", "--at", "1e308,5"}, "エラー：Ｘ座標 [01] の値 1000000000000000"},
      {{"hole", "PLATE-A", "1", "--type", "ドリル\r\n[Drilling]"}, "エラー：--type に改行や NUL 文字は使えません。"},
      {{"nc", hostname.string(), "--no-sim"}, "エラー：" + hostname.string() + " は定義ファイルではありません"},
      {{"hole", hostname.string(), "1", "--at", "1,2"}, "エラー：" + hostname.string() + " は定義ファイルではありません"},
      {{"plan", hostname.string()}, "エラー：" + hostname.string() + " は定義ファイルではありません"},
      {{"process", hostname.string(), "1", "--s", "500"}, "エラー：" + hostname.string() + " は定義ファイルではありません"},
      {{"process", hostname.string(), "--initialise"}, "エラー：" + hostname.string() + " は定義ファイルではありません"},
      {{"nc", scratch.Path().string(), "--no-sim"}, "エラー：" + scratch.Path().string() + " は定義ファイルではありません"},
  };
  for (const Case& c : cases) {
    Outcome run = InHome(c.args);
    EXPECT_EQ(run.status, 1) << c.args[0] << " " << run.err;
    EXPECT_EQ(run.err.rfind(c.error, 0), 0u) << run.err;
  }
  EXPECT_EQ(ReadBytes(job), before);
  EXPECT_EQ(ReadBytes(hostname), "machine-7\n");
  EXPECT_FALSE(fs::exists(home / "DB" / "INJ.ini"));
}

// The command line reads a job without the start-up presets: a value the
// job does not hold stays absent instead of becoming the preset.
TEST_F(DrillncTest, AJobWithoutAMaterialGetsNoneInvented) {
  const fs::path job = home / "DB" / "NOMAT.ini";
  fs::create_directories(job.parent_path());
  WriteBytes(job, common::Utf8ToCp932("[Drilling]\r\ntitle=NOMAT\r\n制御装置=FANUC 0i-MF\r\n座標系=G54\r\n"
                                      "Ｏ番号=7\r\n[Hole1]\r\nX1=1.\r\nY1=2.\r\n"));
  Outcome run = InHome({"nc", "NOMAT", "--no-sim"});
  EXPECT_NE(run.status, 0);
  const std::string text = common::Cp932ToUtf8(ReadBytes(job));
  EXPECT_EQ(text.find("材質"), std::string::npos) << text;
  EXPECT_EQ(run.out.find("S45C"), std::string::npos) << run.out;
}

TEST_F(DrillncTest, TitleFromTheClockAndHomeFromTheEnvironment) {
  Outcome run = Drillnc({"new", "--program", "0042"}, {"DRILLING_HOME=" + home.Path().string()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::smatch m;
  std::string last = run.LastLine();
  ASSERT_TRUE(std::regex_match(last, m, std::regex(".*/DB/(\\d{4}-\\d{4}-\\d{6})\\.ini"))) << last;
  EXPECT_EQ(fs::path(last).parent_path(), home / "DB");
  // No stock given: the material dialog was cancelled, the presets stay.
  std::string text = common::Cp932ToUtf8(ReadBytes(last));
  EXPECT_NE(text.find("title=" + m[1].str() + "\r\n制御装置=FANUC 0I-MF\r\n座標系=G54\r\n材質=S45C\r\n材料X=\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Ｏ番号=0042\r\nNcFile=O0042.nc\r\n"), std::string::npos);
}

}  // namespace

namespace {

// A plan whose generation reported an error saves nothing: the operator
// completes such a grid in the window.
TEST_F(DrillncTest, APlanWithAnErrorSavesNothing) {
  for (const auto& entry : fs::directory_iterator(fs::path(DRILLING_SOURCE_DIR) / "dist")) {
    std::string name = entry.path().filename().string();
    if (name == "Drilling.ini" || name == "MCTOOL.ini" || entry.path().extension() == ".tbl")
      fs::copy_file(entry.path(), home / name, fs::copy_options::overwrite_existing);
  }
  ASSERT_EQ(InHome(plate).status, 0);
  ASSERT_EQ(InHome({"hole", "PLATE-A", "1", "--type", "ドリル", "--diameter", "8.4", "--depth", "-20", "--at", "10,10"})
                .status,
            0);
  const std::string before = ReadBytes(home / "DB" / "PLATE-A.ini");
  Outcome plan = InHome({"plan", "PLATE-A"});
  EXPECT_EQ(plan.status, 1);
  EXPECT_EQ(plan.err, "エラー：φ8.40 の加工条件がみつかりません。\n");
  EXPECT_NE(plan.out.find("[02]  ドリル"), std::string::npos) << plan.out;
  EXPECT_EQ(ReadBytes(home / "DB" / "PLATE-A.ini"), before);
  Outcome row = InHome({"process", "PLATE-A", "2", "--t", "3"});
  EXPECT_EQ(row.status, 1) << "an empty list has no row 2";
}

}  // namespace

namespace {

// The shipped sample job is what these drillnc commands write: its process
// sections are planned from the shipped tables and tool table.
TEST_F(DrillncTest, ShippedSampleJobIsReproduced) {
  for (const auto& entry : fs::directory_iterator(fs::path(DRILLING_SOURCE_DIR) / "dist")) {
    std::string name = entry.path().filename().string();
    if (name == "Drilling.ini" || name == "MCTOOL.ini" || entry.path().extension() == ".tbl")
      fs::copy_file(entry.path(), home / name, fs::copy_options::overwrite_existing);
  }
  const std::vector<std::vector<std::string>> road = {
      {"new", "--title", "SAMPLE-PLATE", "--material", "S45C", "--stock", "150,100,20", "--origin", "ll",
       "--controller", "FANUC 0i-MF", "--coord", "G54", "--program", "1001"},
      {"hole", "SAMPLE-PLATE", "1", "--type", "ドリル", "--diameter", "8.5", "--depth", "-25", "--chamfer", "-4.75",
       "--at", "15,15", "--at", "135,15", "--at", "135,85", "--at", "15,85"},
      {"hole", "SAMPLE-PLATE", "2", "--type", "タップ", "--diameter", "10", "--depth", "-15", "--chamfer", "-5.5",
       "--pilot-diameter", "8.5", "--pilot-depth", "-22.5", "--at", "50,50", "--at", "100,50"},
      {"hole", "SAMPLE-PLATE", "3", "--type", "ザグリ", "--diameter", "9", "--depth", "-25", "--cbore-diameter", "14",
       "--cbore-depth", "-8.6", "--at", "75,25", "--at", "75,75"},
  };
  for (const auto& args : road) ASSERT_EQ(InHome(args).status, 0) << args[0];
  Outcome plan = InHome({"plan", "SAMPLE-PLATE"});
  EXPECT_EQ(plan.status, 0) << plan.err;
  EXPECT_EQ(plan.err, "");
  EXPECT_EQ(plan.out, Golden("plan_sample.txt"));
  const std::string written = ReadBytes(home / "DB" / "SAMPLE-PLATE.ini");
  EXPECT_EQ(ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "dist" / "DB" / "SAMPLE-PLATE.ini"), written);

  // The saved list printed again (plan printed it as saved), and one cell
  // changed through the save.
  Outcome listed = InHome({"processes", "SAMPLE-PLATE"});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, plan.out.substr(plan.out.rfind("表題")));
  Outcome changed = InHome({"process", "SAMPLE-PLATE", "8", "--z", "8.8"});
  EXPECT_EQ(changed.status, 0) << changed.err;
  std::string after = ReadBytes(home / "DB" / "SAMPLE-PLATE.ini");
  EXPECT_NE(after.find("ZCODE=-8.8\r\nQCODE=\r\nOFFSET=\r\nGROUP=3\r\n"), std::string::npos);
  EXPECT_EQ(after.size(), written.size());

  // Refused without a change: a list planned over the saved one without
  // --yes, a row emptied before filled ones, a cell out of its range.
  const struct {
    std::vector<std::string> args;
    std::string error;  // start of standard error; "" when none
    std::string out;    // a line of standard output
  } refused[] = {
      {{"plan", "SAMPLE-PLATE"}, "drillnc plan: the job has a saved process list", "保存してある加工工程があります。\n作成した工程で置き換えますか？ -> No\n"},
      {{"process", "SAMPLE-PLATE", "2", "--tool", ""},
       "エラー：工程[2] 工具名称を入力して下さい（後の工程[3] が入力されています", ""},
      {{"process", "SAMPLE-PLATE", "2", "--group", "5"},
       "エラー：工程[2] 穴 [5] は 1～4 の穴番号か空欄（全ての穴）で入力して下さい。", ""},
      {{"process", "SAMPLE-PLATE", "2", "--t", "2.5"}, "エラー：工程[2] T [2.5] は 1～98 の整数で入力して下さい。", ""},
      {{"process", "SAMPLE-PLATE", "2", "--r", "-30"}, "エラー：工程[2] R [-30.] が Z [-25.] より上にありません", ""},
  };
  for (const auto& c : refused) {
    Outcome run = InHome(c.args);
    EXPECT_EQ(run.status, 1) << c.args[0] << " " << c.args.back();
    EXPECT_EQ(run.err.rfind(c.error, 0), 0u) << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_EQ(ReadBytes(home / "DB" / "SAMPLE-PLATE.ini"), after) << c.args[0] << " " << c.args.back();
  }
  Outcome replaced = Drillnc({"--yes", "--home", home.Path().string(), "plan", "SAMPLE-PLATE"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(ReadBytes(home / "DB" / "SAMPLE-PLATE.ini"), written);
}

}  // namespace

// check: the report and the three exit codes, and --job taking the stock and
// program number of a job file.
TEST_F(DrillncTest, CheckReportsAndExitCodes) {
  fs::create_directories(home / "ncdata");
  const std::string clean = "%\r\nO1001\r\nT03 M06\r\nG90 G00 G54 X0. Y0.\r\nG43 H03 Z50.\r\nS800 M03\r\n"
                            "G81 X-10. Y-10. R2. Z-10. F80\r\nX-140. Y-10.\r\nG80\r\nM05\r\nM30\r\n%\r\n";
  WriteBytes(home / "ncdata" / "O1001.nc", clean);
  // Rapids 410.1 mm at 5000 mm/min (4.9 s), feeds 2 x 12 mm at 80 (18 s), a tool change (5 s).
  Outcome ok = InHome({"check", "O1001.nc", "--rapid", "5000"});
  EXPECT_EQ(ok.status, 0) << ok.out << ok.err;
  EXPECT_EQ(ok.out, "T03 H03 G81 holes 2 Z-10. R2. F80 S800\nholes total 2\ntime 0:28\n");

  ASSERT_EQ(InHome(plate).status, 0);  // stock 150 x 100 x 20, origin at the upper right, O1001
  EXPECT_EQ(InHome({"check", "O1001.nc", "--job", "PLATE-A"}).status, 0);
  std::string off = clean;
  off.replace(off.find("X-140."), 6, "X200.");
  WriteBytes(home / "ncdata" / "O1001.nc", off);
  Outcome outside = InHome({"check", (home / "ncdata" / "O1001.nc").string(), "--job", "PLATE-A"});
  EXPECT_EQ(outside.status, 1);
  EXPECT_NE(outside.out.find("\nwarning: line 8: hole outside the stock (X200. Y-10.)\n"), std::string::npos)
      << outside.out;

  Outcome missing = InHome({"check", "O9999.nc"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("O9999.nc"), std::string::npos);
  Outcome badRapid = InHome({"check", "O1001.nc", "--rapid", "fast"});
  EXPECT_EQ(badRapid.status, 2);
  EXPECT_NE(badRapid.err.find("--rapid"), std::string::npos);
}

namespace {

// circle and grid add positions after the group's own through the hole
// definition dialog's calculators, then save the group.
TEST_F(DrillncTest, CircleAndGridAddPositionsAfterTheGroupsOwn) {
  ASSERT_EQ(InHome(plate).status, 0);
  const fs::path job = home / "DB" / "PLATE-A.ini";
  ASSERT_EQ(InHome({"hole", "PLATE-A", "1", "--type", "ドリル", "--diameter", "8.5", "--at", "10,10"}).status, 0);

  Outcome circle = InHome({"circle", "PLATE-A", "1", "--diameter", "40", "--centre", "100,50", "--start-angle", "45",
                           "--count", "3"});
  ASSERT_EQ(circle.status, 0) << circle.out << circle.err;
  EXPECT_NE(circle.out.find("[1] 計算する角度 45.000\n[2] 計算する角度 165.000\n[3] 計算する角度 285.000\n"
                            "[Hole1]\nX1 = 10.  Y1 = 10.\nX2 = 114.142  Y2 = 64.142\n"),
            std::string::npos)
      << circle.out;
  Outcome grid = InHome({"grid", job.string(), "1", "--base", "10,20", "--step", "15,10", "--copies", "2,1"});
  ASSERT_EQ(grid.status, 0) << grid.out << grid.err;
  EXPECT_NE(grid.out.find("X5 = 10.  Y5 = 20.\nX6 = 10.  Y6 = 30.\nX7 = 25.  Y7 = 20.\n"), std::string::npos)
      << grid.out;
  EXPECT_NE(grid.out.find("穴加工定義 [1] を保存しました。"), std::string::npos);
  EXPECT_EQ(ReadBytes(job), Golden("plate_with_patterns.ini"));

  // Positions that would not fit: nothing saved, exit 1; the same for a
  // count the calculator refuses and for a missing job.
  const std::vector<std::vector<std::string>> failing = {
      {"circle", "PLATE-A", "1", "--diameter", "10", "--centre", "0,0", "--count", "11"},
      {"circle", "PLATE-A", "1", "--diameter", "10", "--centre", "0,0", "--count", "2.5"},
      {"circle", "PLATE-A", "1", "--diameter", "10", "--centre", "0,0", "--count", "1e1"},
      {"grid", "PLATE-A", "1", "--base", "0,0", "--step", "1,1", "--copies", "1,2e0"},
      {"grid", "PLATE-A", "1", "--base", "0,0", "--step", "0,0", "--copies", "1,1"},
      {"grid", "NOJOB", "1", "--base", "0,0", "--step", "1,1", "--copies", "1,1"},
  };
  for (const auto& args : failing) {
    Outcome run = InHome(args);
    EXPECT_EQ(run.status, 1) << args[0] << " " << args.back() << run.out;
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(ReadBytes(job), Golden("plate_with_patterns.ini"));
  }
}

TEST_F(DrillncTest, CircleAndGridUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"circle", "job", "1", "--centre", "0,0", "--count", "4"},
      {"circle", "job", "1", "--diameter", "10", "--centre", "0", "--count", "4"},
      {"circle", "job", "1", "--diameter", "ten", "--centre", "0,0", "--count", "4"},
      {"circle", "job", "1", "--diameter", "10", "--centre", "0,0"},
      {"circle", "job", "0", "--diameter", "10", "--centre", "0,0", "--count", "4"},
      {"grid", "job", "1", "--base", "0,0", "--step", "1,1"},
      {"grid", "job", "1", "--base", "0,0", "--step", "1,1", "--copies", "1,x"},
      {"grid", "job", "--base", "0,0", "--step", "1,1", "--copies", "1,1"},
  };
  for (const auto& args : cases) {
    Outcome run = InHome(args);
    EXPECT_EQ(run.status, 2) << args[0] << run.err;
    EXPECT_NE(run.err.find("usage: drillnc"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(home / "DB")) << "start-up never ran";
}

// order: each group's positions in a short visiting order for the passes of
// the job's processes (two of each group and the centre drill over all),
// only the position keys rewritten; the path and the run time before and
// after are printed; a second run keeps everything.
TEST_F(DrillncTest, OrderShortensTheRapidPathAndKeepsTheSet) {
  fs::copy_file(fs::path(DRILLING_SOURCE_DIR) / "dist" / "Drilling.ini", home / "Drilling.ini",
                fs::copy_options::overwrite_existing);
  fs::create_directories(home / "DB");
  const fs::path job = home / "DB" / "SAMPLE-PLATE.ini";
  const std::string shipped = ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "dist" / "DB" / "SAMPLE-PLATE.ini");
  const std::string ordered = "X1=15.\r\nY1=15.\r\nX2=135.\r\nY2=15.\r\nX3=135.\r\nY3=85.\r\nX4=15.\r\nY4=85.";
  const std::string crossed = "X1=15.\r\nY1=15.\r\nX2=135.\r\nY2=85.\r\nX3=135.\r\nY3=15.\r\nX4=15.\r\nY4=85.";
  std::string job1 = shipped;
  job1.replace(job1.find(ordered), ordered.size(), crossed);
  // Group 1 ends next to group 2, which the centre drill takes next, and so on.
  std::string reordered = shipped;
  for (const auto& [from, to] : {std::pair<std::string, std::string>{ordered, "X1=15.\r\nY1=15.\r\nX2=15.\r\nY2=85.\r\n"
                                                                               "X3=135.\r\nY3=85.\r\nX4=135.\r\nY4=15."},
                                 {"X1=50.\r\nY1=50.\r\nX2=100.\r\nY2=50.", "X1=100.\r\nY1=50.\r\nX2=50.\r\nY2=50."},
                                 {"X1=75.\r\nY1=25.\r\nX2=75.\r\nY2=75.", "X1=75.\r\nY1=75.\r\nX2=75.\r\nY2=25."}})
    reordered.replace(reordered.find(from), from.size(), to);
  WriteBytes(job, job1);

  Outcome run = InHome({"order", "SAMPLE-PLATE"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  std::smatch time;
  ASSERT_TRUE(std::regex_search(run.out, time, std::regex("\ntime (\\d+):(\\d\\d) -> (\\d+):(\\d\\d)\n"))) << run.out;
  EXPECT_LT(std::stoi(time[3]) * 60 + std::stoi(time[4]), std::stoi(time[1]) * 60 + std::stoi(time[2]));
  EXPECT_EQ(run.out.substr(0, time.position(0) + 1),
            "[Hole1] 4 positions: path 1329.31 mm -> 1164.799 mm\n"
            "[Hole2] 2 positions: path 832.395 mm -> 832.395 mm\n"
            "[Hole3] 2 positions: path 661.667 mm -> 634.658 mm\n"
            "[Hole4] no positions\n");
  EXPECT_EQ(run.LastLine(), job.string());
  EXPECT_EQ(ReadBytes(job), reordered);

  Outcome again = InHome({"order", "SAMPLE-PLATE", "1"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("[Hole1] 4 positions: path 1164.799 mm, kept"), std::string::npos) << again.out;
  EXPECT_EQ(ReadBytes(job), reordered);

  // A position that is no number: nothing written, exit 1. Usage errors: 2.
  std::string broken = job1;
  broken.replace(broken.find("X2=135."), 7, "X2=abc");
  WriteBytes(job, broken);
  Outcome refused = InHome({"order", "SAMPLE-PLATE"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("エラー：[Hole1] X2 の値 [abc] は数値ではありません。"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadBytes(job), broken);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"order"}, {"order", "SAMPLE-PLATE", "5"}, {"order", "SAMPLE-PLATE", "1", "2"}})
    EXPECT_EQ(InHome(args).status, 2) << args.back();
}

// A job's holes as its drawing shows them, as a set of "kind diameter @ x,y"
// (groups of one kind and size may be split or joined; what is drilled where
// is the same). The drawing stops at the first group without a type.
std::set<std::string> HolesOf(const fs::path& job) {
  std::set<std::string> holes;
  for (int n = 1; n <= 4; ++n) {
    const std::string section = "Hole" + std::to_string(n);
    auto read = [&](const std::string& key) { return common::ReadProfileText(section, key, "", 64, job); };
    if (read("種類").empty()) break;
    const drilling::HoleKindDescription* kind = drilling::FindHoleKind(read("種類"));
    const std::string diameter = read("穴径");
    if (!kind || diameter.empty()) continue;
    for (int k = 1;; ++k) {
      const std::string x = read("X" + std::to_string(k)), y = read("Y" + std::to_string(k));
      if (x.empty() || y.empty()) break;
      holes.insert(common::FormatText("%s %g @ %.3f,%.3f", kind->word, common::ParseLeadingDouble(diameter),
                                      common::ParseLeadingDouble(x), common::ParseLeadingDouble(y)));
    }
  }
  return holes;
}

// Round trip: the drawing of every job the tests have (those with holes),
// imported into a job of the same stock and origin, gives back the same
// kinds, sizes and positions; reamer groups (one circle, like a drill) with
// --kind.
TEST_F(DrillncTest, ImportGivesBackTheHolesOfEveryJobsDrawing) {
  const fs::path source(DRILLING_SOURCE_DIR);
  for (const auto& entry : fs::directory_iterator(source / "dist")) {
    const std::string name = entry.path().filename().string();
    if (name == "Drilling.ini" || name == "TABLES.dxf" || entry.path().extension() == ".tbl")
      fs::copy_file(entry.path(), home / name, fs::copy_options::overwrite_existing);
  }
  fs::create_directories(home / "DB");
  std::vector<fs::path> jobs = {source / "dist" / "DB" / "SAMPLE-PLATE.ini"};
  for (const char* folder : {"tests/drillnc/golden", "tests/job/golden"})
    for (const auto& entry : fs::directory_iterator(source / folder))
      if (entry.path().extension() == ".ini") jobs.push_back(entry.path());
  // And the sample with a reamer group.
  fs::copy_file(jobs[0], home / "DB" / "REAMED.ini");
  ASSERT_EQ(InHome({"hole", "REAMED", "4", "--type", "リーマ", "--diameter", "10", "--at", "120,20", "--at", "30,80"})
                .status,
            0);
  jobs.push_back(home / "DB" / "REAMED.ini");

  int tripped = 0;
  for (const fs::path& original : jobs) {
    SCOPED_TRACE(original.string());
    const std::set<std::string> holes = HolesOf(original);
    if (holes.empty()) continue;  // a skeleton, or group 1 empty: a drawing without holes
    const fs::path job = home / "DB" / ("ONE-" + original.filename().string());
    const fs::path copy = home / "DB" / ("TWO-" + original.filename().string());
    fs::copy_file(original, job, fs::copy_options::overwrite_existing);
    fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
    Outcome drawn = InHome({"dxf", job.string(), "--no-view"});
    ASSERT_EQ(drawn.status, 0) << drawn.out << drawn.err;
    std::vector<std::string> args = {"import", copy.string(), drawn.LastLine()};
    for (const std::string& hole : holes)
      if (hole.rfind("リーマ ", 0) == 0) args.insert(args.end(), {"--kind", hole.substr(10, hole.find(" @") - 10) + "=リーマ"});
    Outcome imported = InHome(args);
    ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
    EXPECT_EQ(HolesOf(copy), holes) << imported.out;
    ++tripped;
  }
  EXPECT_EQ(tripped, 3);
}

// The shipped configuration starts every program with a safety block: plane,
// millimetres, no radius or length offset, no canned cycle, and the return to
// the initial level (the final rapid to the start position relies on it).
TEST_F(DrillncTest, ShippedProgramsStartWithTheSafetyBlock) {
  fs::copy_file(fs::path(DRILLING_SOURCE_DIR) / "dist" / "Drilling.ini", home / "Drilling.ini",
                fs::copy_options::overwrite_existing);
  fs::create_directories(home / "DB");
  fs::copy_file(fs::path(DRILLING_SOURCE_DIR) / "dist" / "DB" / "SAMPLE-PLATE.ini", home / "DB" / "SAMPLE-PLATE.ini");
  Outcome run = InHome({"nc", "SAMPLE-PLATE", "--no-sim"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string program = ReadBytes(run.LastLine());
  EXPECT_EQ(program.rfind("%\r\nO1001\r\n", 0), 0u) << program.substr(0, 80);
  const std::size_t safety = program.find("\r\nG17 G21 G40 G49 G80 G98\r\n");
  ASSERT_NE(safety, std::string::npos) << program.substr(0, 200);
  EXPECT_LT(safety, program.find("\r\nN1\r\n"));
}

}  // namespace

namespace {

// nc says the program it wrote was read back and found to be the job's; send
// reads the file again, and a program edited by hand since (one hole line
// deleted) leaves only after a Yes, with the hole named.
TEST_F(DrillncTest, AProgramThatNoLongerMatchesItsJobIsNotSentWithoutYes) {
  for (const auto& entry : fs::directory_iterator(fs::path(DRILLING_SOURCE_DIR) / "dist")) {
    std::string name = entry.path().filename().string();
    if (name == "Drilling.ini" || name == "MCTOOL.ini" || entry.path().extension() == ".tbl")
      fs::copy_file(entry.path(), home / name, fs::copy_options::overwrite_existing);
  }
  fs::create_directories(home / "DB");
  fs::copy_file(fs::path(DRILLING_SOURCE_DIR) / "dist" / "DB" / "SAMPLE-PLATE.ini", home / "DB" / "SAMPLE-PLATE.ini");
  testsupport::TempFolder machine;
  ASSERT_EQ(InHome({"settings", "--protocol", "NETWORK", "--destination", machine.Path().string()}).status, 0);

  Outcome nc = InHome({"nc", "SAMPLE-PLATE", "--no-sim"});
  ASSERT_EQ(nc.status, 0) << nc.out << nc.err;
  const fs::path program = home / "ncdata" / "O1001.nc";
  EXPECT_EQ(nc.LastLine(), program.string());
  EXPECT_NE(nc.out.find("\nＮＣデータ照合済み " + program.string() +
                        "（T01 8穴、T23 6穴、T02 6穴、T48 2穴、T24 2穴、T58 2穴、計 26 穴）\n" + program.string() + "\n"),
            std::string::npos)
      << nc.out;

  const std::string written = ReadBytes(program);
  std::string edited = written;
  const std::string hole = "Q8.5 F88\r\nX135. Y15.\r\n";
  ASSERT_NE(edited.find(hole), std::string::npos);
  edited.replace(edited.find(hole), hole.size(), "Q8.5 F88\r\n");
  WriteBytes(program, edited);
  const std::string missing = "工程[2] 穴情報[1] 2 番目 X135. Y15. がプログラムにありません（39 行目の後）\n";

  Outcome refused = InHome({"send", "SAMPLE-PLATE"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find(missing), std::string::npos) << refused.out;
  EXPECT_NE(refused.out.find("このまま転送しますか？ -> No"), std::string::npos) << refused.out;
  EXPECT_FALSE(refused.err.empty());
  EXPECT_TRUE(fs::is_empty(machine.Path())) << "nothing was sent";

  Outcome sent = Drillnc({"--yes", "--home", home.Path().string(), "send", "SAMPLE-PLATE"});
  EXPECT_EQ(sent.status, 0) << sent.out << sent.err;
  EXPECT_NE(sent.out.find(missing), std::string::npos);
  EXPECT_EQ(ReadBytes(machine / "O1001.nc"), edited);

  // The program as written goes without a question.
  WriteBytes(program, written);
  Outcome plain = InHome({"send", "SAMPLE-PLATE"});
  EXPECT_EQ(plain.status, 0) << plain.out << plain.err;
  EXPECT_EQ(plain.out.find("転送しますか"), std::string::npos) << plain.out;
  EXPECT_EQ(ReadBytes(machine / "O1001.nc"), written);
}

}  // namespace
