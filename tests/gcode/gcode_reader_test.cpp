// The G-code reader against LinuxCNC's stand-alone interpreter rs274 on the
// programs our writer makes, and on what only a FANUC-type reading gives.
#include "gcode/gcode_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

#include "common/text.h"
#include "common/textfile.h"
#include "support/memory_limit.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using testsupport::ReadBytes;
using HoleKey = std::tuple<long, long, long>;  // x, y, bottom in micrometres

long Micro(double mm) { return std::lround(mm * 1000); }

std::vector<HoleKey> Sorted(std::vector<HoleKey> holes) {
  std::sort(holes.begin(), holes.end());
  return holes;
}

std::vector<HoleKey> OurHoles(const gcode::Program& program) {
  std::vector<HoleKey> holes;
  for (const gcode::Hole& h : program.holes) holes.emplace_back(Micro(h.xMm), Micro(h.yMm), Micro(h.bottomMm));
  return holes;
}

// The holes in rs274's canonical calls: a hole is a stay at one X Y with a
// feed downwards; its bottom is the lowest feed there.
std::vector<HoleKey> Rs274Holes(const std::string& out) {
  std::vector<HoleKey> holes;
  double x = 0, y = 0, z = 0, bottom = 0;
  bool inHole = false;
  std::size_t at = 0;
  while (at < out.size()) {
    std::size_t end = out.find('\n', at);
    std::string line = out.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? out.size() : end + 1;
    bool feed = line.find("STRAIGHT_FEED(") != std::string::npos;
    std::size_t call = line.find(feed ? "STRAIGHT_FEED(" : "STRAIGHT_TRAVERSE(");
    if (call == std::string::npos) continue;
    double nx = 0, ny = 0, nz = 0;
    if (std::sscanf(line.c_str() + line.find('(', call) + 1, "%lf, %lf, %lf", &nx, &ny, &nz) != 3) continue;
    bool sameXy = Micro(nx) == Micro(x) && Micro(ny) == Micro(y);
    if (inHole && !sameXy) {
      holes.emplace_back(Micro(x), Micro(y), Micro(bottom));
      inHole = false;
    }
    if (feed && sameXy && nz < z) {
      bottom = inHole ? std::min(bottom, nz) : nz;
      inHole = true;
    }
    x = nx, y = ny, z = nz;
  }
  if (inHole) holes.emplace_back(Micro(x), Micro(y), Micro(bottom));
  return holes;
}

// FANUC keeps G00/G01 beside the canned cycles, LinuxCNC ends the motion mode
// with G80: an "X Y" block after G80 gets its G00 written out for rs274.
// FANUC dwells 0 in a G82 without P, LinuxCNC refuses it: P0 is added.
std::string ForRs274(const std::string& program) {
  std::string out;
  bool afterG80 = false;
  std::size_t at = 0;
  while (at < program.size()) {
    std::size_t end = program.find('\n', at);
    std::string line = program.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    at = end == std::string::npos ? program.size() : end + 1;
    if (line.rfind("G80", 0) == 0) afterG80 = true;
    else if (line.rfind("G0", 0) == 0 || line.rfind("G8", 0) == 0 || line.rfind("G7", 0) == 0) afterG80 = false;
    if (afterG80 && (line[0] == 'X' || line[0] == 'Y')) line = "G00 " + line;
    if (line.rfind("G82", 0) == 0 && line.find('P') == std::string::npos) line = "P0 " + line;
    out += line;
  }
  return out;
}

class Rs274Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v rs274 >/dev/null 2>&1") != 0) GTEST_SKIP() << "rs274 (linuxcnc-uspace) is not installed";
    std::string table;
    for (int t = 0; t < 200; ++t) table += common::FormatText("T%d P%d Z0 D1 ;\n", t, t);
    ASSERT_TRUE(common::WriteFileAtomic(folder / "tools.tbl", table));
  }

  // Both readers on one program: the same holes, and no error from ours.
  void ExpectSameHoles(const std::string& name, const std::string& program) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(common::WriteFileAtomic(folder / "in.nc", ForRs274(program)));
    std::string command = "cd '" + folder.Path().string() + "' && rs274 -g -t tools.tbl in.nc out.txt >log.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadBytes(folder / "log.txt");
    gcode::Program ours = gcode::ReadProgram(program);
    for (const auto& d : ours.diagnostics) EXPECT_FALSE(gcode::IsError(d.code)) << d.Text();
    std::vector<HoleKey> theirs = Rs274Holes(ReadBytes(folder / "out.txt"));
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(Sorted(OurHoles(ours)), Sorted(theirs));
  }

  // Runs drillnc of the program folder; its output on failure.
  std::string Drillnc(const fs::path& home, const std::string& args) {
    std::string command = "'" DRILLING_PROGRAM_DIR "/drillnc' --home '" + home.string() + "' " + args + " >'" +
                          (folder / "drillnc.txt").string() + "' 2>&1";
    return std::system(command.c_str()) == 0 ? "" : ReadBytes(folder / "drillnc.txt");
  }

  testsupport::TempFolder folder;
};

// Every program the NC writer's tests hold, the shipped sample job and the
// largest job the writer takes (15 processes, 4 x 98 points).
TEST_F(Rs274Test, ProgramsOfOurWriterGiveTheSameHoles) {
  for (const char* name : {"orientation.nc", "features.nc", "plain.nc"})
    ExpectSameHoles(name, ReadBytes(fs::path(DRILLING_SOURCE_DIR) / "tests/ncout/golden" / name));

  testsupport::TempFolder home;
  fs::create_directories(home / "DB");
  fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "Drilling.ini", home / "Drilling.ini");
  fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "DB" / "SAMPLE-PLATE.ini", home / "DB" / "SAMPLE-PLATE.ini");
  // The command line takes no start-up presets: the job names its controller.
  std::string job = "[Drilling]\ntitle=big\n制御装置=FANUC 0i-MF\n座標系=G54\nＯ番号=4321\nNcFile=O4321.nc\n";
  for (int g = 1; g <= 4; ++g) {
    job += common::FormatText("[Hole%d]\n", g);
    for (int k = 1; k <= 98; ++k) job += common::FormatText("X%d=%d.%d\nY%d=%d.25\n", k, 10 * k, g, k, 50 * g);
  }
  const int cycles[] = {81, 83, 73, 82, 84};
  for (int n = 1; n <= 15; ++n) {
    int c = cycles[(n - 1) % 5];
    job += common::FormatText("[PROCESS%d]\nTOOLNAME=T%d\nTOOLT=%d\nTOOLH=%d\nSPINDL=%d\nFEEDRATE=%d\nGCODE=%d\n"
                              "RCODE=2.\nZCODE=-%d.5\nQCODE=%s\nGROUP=%d\n",
                              n, n, n / 2 + 1, n / 2 + 1, 500 + 100 * n, 40 + n, c, n, c == 83 || c == 73 ? "1.5" : "",
                              n % 5);
  }
  ASSERT_TRUE(common::WriteFileAtomic(home / "DB" / "big.ini", common::ToCp932CrLf(job)));
  for (const char* title : {"SAMPLE-PLATE", "big"}) {
    std::string failed = Drillnc(home.Path(), std::string("nc ") + title + " --no-sim");
    ASSERT_EQ(failed, "");
  }
  ExpectSameHoles("sample", ReadBytes(home / "ncdata" / "O1001.nc"));
  std::string big = ReadBytes(home / "ncdata" / "O4321.nc");
  ExpectSameHoles("big", big);
  EXPECT_EQ(gcode::ReadProgram(big).holes.size(), 98u * (3 * 4 + 12));
}

// What hand edits add, read the same way by both: incremental cycles with
// repeats, the R-level return, arcs and reference returns between holes.
TEST_F(Rs274Test, HandWrittenCyclesGiveTheSameHoles) {
  ExpectSameHoles("incremental", "%\nO0100\nG17 G21 G40 G49 G80\nG91 G28 Z0.\nT5 M06\nG90 G54 G00 X10. Y10.\n"
                                 "G43 H5 Z20.\nS1000 M03\nG91 G99 G81 X5. Y0. R-18. Z-7. L3 F100\n"
                                 "G90 G98 G83 X60. Y30. R1. Z-12. Q4. F80\nY40.\nG80\n"
                                 "G01 X70. Y40. F300\nG02 X80. Y50. I10. J0.\nG03 X70. Y60. R10.\nG00 Z30.\n"
                                 "G73 X100. Y5. R2. Z-6.5 Q1. F60\nG80\nG91 G28 Z0.\nM30\n%\n");
}

// A FANUC-type reading where it differs from RS274/NGC, and the units: K
// repeats, G20 in inches, G00 still in force after G80, an unknown word only
// warned about, and a refused block changes nothing.
TEST(GcodeReader, FanucReadingAndRefusedBlocks) {
  gcode::ReaderOptions keepStates;
  keepStates.keepStates = true;
  gcode::Program p = gcode::ReadProgram(
      "%\r\nO0007\r\nT1 M6\r\nG90 G00 G54 X0. Y0.\r\nG43 H1 Z10.\r\nS800 M3\r\n"
      "G91 G81 X10. Y0. R-8. Z-5. K2 F100\r\n"  // 2 holes, R at 2, bottom at -3
      "G90 G80\r\nX50. Y50. A3.\r\n"             // a rapid; A is warned about
      "G20 G01 X2. F10.\r\nG21\r\n"             // 50.8 mm at 254 mm/min
      "G00 G01 X0.\r\nX-5 X-6\r\nM30\r\n%\r\nG01 X999.\r\n",
      keepStates);
  ASSERT_EQ(p.holes.size(), 2u);
  EXPECT_DOUBLE_EQ(p.holes[1].xMm, 20);
  EXPECT_DOUBLE_EQ(p.holes[1].rMm, 2);
  EXPECT_DOUBLE_EQ(p.holes[1].bottomMm, -3);
  EXPECT_EQ(p.programNumber, 7);
  EXPECT_EQ(p.endLine, 14);
  ASSERT_GE(p.motions.size(), 2u);
  const gcode::Motion& feed = p.motions.back();
  EXPECT_EQ(feed.kind, gcode::MotionKind::Feed);
  EXPECT_DOUBLE_EQ(feed.to.x, 50.8);
  EXPECT_DOUBLE_EQ(feed.feedMmPerMin, 254);
  const gcode::Motion& rapid = p.motions[p.motions.size() - 2];
  EXPECT_EQ(rapid.kind, gcode::MotionKind::Rapid);
  EXPECT_EQ(rapid.line, 9);
  std::vector<std::pair<int, gcode::Code>> seen;
  for (const auto& d : p.diagnostics) seen.emplace_back(d.line, d.code);
  EXPECT_EQ(seen, (std::vector<std::pair<int, gcode::Code>>{{9, gcode::Code::kUnknownWord},
                                                             {12, gcode::Code::kModalGroupConflict},
                                                             {13, gcode::Code::kRepeatedWord}}));
  EXPECT_EQ(p.lineCount, 15);
  EXPECT_DOUBLE_EQ(p.StateAfter(13).position.x, 50.8);  // line 13 refused: still where line 10 left it
  EXPECT_EQ(gcode::DiameterInComment("TAP D10."), 10);
  EXPECT_EQ(gcode::DiameterInComment("DRILL D8.5 DEEP"), 8.5);
  EXPECT_EQ(gcode::DiameterInComment("FANUC 0i-MF"), 0);
}


using gcode::Code;
using Found = std::vector<std::pair<int, Code>>;

Found Diagnosed(const gcode::Program& p) {
  Found found;
  for (const auto& d : p.diagnostics) found.emplace_back(d.line, d.code);
  return found;
}

// Lines other controls' users and CAM systems write, read as a control reads
// them: each case a program, the holes it drills, the diagnostics (line and
// code) and what else it must show.
TEST(GcodeReader, ReadsCommonLinesAsAControlDoes) {
  const std::string digits400(400, '7');
  struct Case {
    const char* name;
    std::string program;
    bool calculatorInput;
    std::size_t holes;
    Found diagnostics;
    std::function<void(const gcode::Program&)> more;
  };
  const Case cases[] = {
      {"G80 beside a motion code ends the cycle; the block's G90 and M codes count",
       "%\nO1000\nG00 G17 G40 G49 G80 G90\nT1 M06\nG54 X15. Y15. S1000 M03\nG43 H1 Z50. M08\n"
       "G81 G99 X15. Y15. R2. Z-5. F100\nX45.\nY45.\nX15.\nG80 G00 Z50. M09\nG91 G28 Z0.\nT2 M06\n"
       "G00 G17 G40 G49 G80 G90\nG54 X15. Y85. S800 M03\nG43 H2 Z50. M08\nG83 G98 X15. Y85. R2. Z-20. Q5. F80\n"
       "X45.\nG80 G00 Z50. M05\nM30\n%\n",
       false, 6, {},
       [](const gcode::Program& p) {
         EXPECT_DOUBLE_EQ(p.holes[4].xMm, 15);
         EXPECT_DOUBLE_EQ(p.holes[4].yMm, 85);
         EXPECT_DOUBLE_EQ(p.holes[5].xMm, 45);
         EXPECT_FALSE(p.StateAfter(11).coolant);
         EXPECT_EQ(p.StateAfter(11).cycle, 0);
         EXPECT_DOUBLE_EQ(p.StateAfter(11).position.z, 50);
       }},
      {"a cycle beside a motion code is still refused", "%\nO1\nG00 G81 X1. Y1. R2. Z-3. F10\nM30\n%\n", false, 0,
       {{3, Code::kMotionAndCycle}}, nullptr},
      {"a byte order mark, rigid tapping M29, G94 and G53",
       "\xEF\xBB\xBF%\nO2\nG94 G53 Z0.\nT3 M06\nG43 H3 Z50.\nS500 M03\nM29 S500\nG84 X0. Y0. R5. Z-10. F750\nG80\nM30\n%\n",
       false, 1, {}, [](const gcode::Program& p) { EXPECT_EQ(p.programNumber, 2); }},
      {"a stray byte is named, not printed raw", "%\nO1\nG00 X0. \xEF Y0.\nM30\n%\n", false, 0,
       {{3, Code::kBadCharacter}},
       [](const gcode::Program& p) { EXPECT_EQ(p.diagnostics[0].Text(), "error: line 3: character not allowed outside a comment (\\xEF)"); }},
      {"numbers no address takes are refused, naming the word",
       "%\nO1\nT1 M06\nG43 H1 Z50.\nS1000 M03\nG00 X" + digits400 + ".\nG" + digits400 +
           "\nG81 X1. Y1. R2. Z-5. K100000000000000000000 F100\nG81 X1. Y1. R2. Z-5. K99999999 F100\n"
           "T100000000000\nH100000000000\nO100000000000\nG81 X1. Y1. R2. Z-5. K2 F100\nG80\nM30\n%\n",
       false, 2,
       {{6, Code::kOutOfRange}, {7, Code::kOutOfRange}, {8, Code::kOutOfRange}, {9, Code::kOutOfRange},
        {10, Code::kOutOfRange}, {11, Code::kOutOfRange}, {12, Code::kOutOfRange}},
       [](const gcode::Program& p) {
         EXPECT_EQ(p.diagnostics[0].detail, "X777777777777777777777777...");
         EXPECT_EQ(p.diagnostics[3].detail, "K99999999, at most 9999");
         EXPECT_EQ(p.programNumber, 1);
         EXPECT_EQ(p.StateAfter(12).tool, 1);
       }},
      {"lengths without a point count in thousandths, warned once per address",
       "%\nO1\nT1 M06\nG43 H1 Z50\nS1000 M03\nG81 X10 Y20. R2000 Z-5000 F100\nX20\nG80\nG20 G00 X10\nM30\n%\n", false,
       2, {{4, Code::kNoDecimalPoint}, {6, Code::kNoDecimalPoint}, {6, Code::kNoDecimalPoint}},
       [](const gcode::Program& p) {
         EXPECT_DOUBLE_EQ(p.holes[0].xMm, 0.010);
         EXPECT_DOUBLE_EQ(p.holes[0].rMm, 2);
         EXPECT_DOUBLE_EQ(p.holes[0].bottomMm, -5);
         EXPECT_DOUBLE_EQ(p.holes[1].xMm, 0.020);
         EXPECT_DOUBLE_EQ(p.StateAfter(9).position.x, 0.0254);  // 0.0010 inch
       }},
      {"calculator-type input reads them as millimetres",
       "%\nO1\nT1 M06\nG43 H1 Z50\nS1000 M03\nG81 X10 Y20. R2 Z-5 F100\nG80\nM30\n%\n", true, 1, {},
       [](const gcode::Program& p) {
         EXPECT_DOUBLE_EQ(p.holes[0].xMm, 10);
         EXPECT_DOUBLE_EQ(p.holes[0].bottomMm, -5);
       }},
      {"a tool diameter beyond any number is reported once and left out",
       "%\nO1\n(DRILL D" + digits400 + ")\nT1 M06\nG43 H1 Z50.\nS1000 M03\nG81 X1. Y1. R2. Z-5. F100\n(DRILL D" +
           digits400 + ")\nG80\nT2 M06\nG43 H2 Z50.\nG81 X2. Y1. R2. Z-5. F100\nG80\nM30\n%\n",
       false, 2, {{7, Code::kNotFinite}},
       [](const gcode::Program& p) { EXPECT_EQ(p.toolBlocks[0].diameterMm, 0); }},
      {"inches at the edge of the range and arcs of 100 m stay finite; an end off its circle is refused",
       "%\nO1\nT1 M06\nG43 H1 Z50.\nS1000 M03\nG20 G00 X3937.0078 Y-3937.0078\n"
       "G02 X-3937.0078 Y3937.0078 R5567.7 F0.0001\nG03 X3937.0078 Y-3937.0078 I3937.0078 J-3937.0078\n"
       "G02 X3937.0078 Y-3937.0078 R0.0001\nG21 G81 X99999.999 Y-99999.999 R2. Z-99999.999 F100\nG80\nM30\n%\n",
       false, 1, {{7, Code::kArcEndOffCircle}, {9, Code::kArcEndOffCircle}},
       [](const gcode::Program& p) {
         EXPECT_NEAR(p.StateAfter(8).position.x, 99999.998, 0.001);  // the full circle ends where it began
         EXPECT_DOUBLE_EQ(p.holes[0].bottomMm, -99999.999);
         for (const gcode::Motion& m : p.motions) EXPECT_TRUE(std::isfinite(m.centre.x) && std::isfinite(m.centre.y));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gcode::ReaderOptions options;
    options.calculatorInput = c.calculatorInput;
    options.keepStates = true;
    const gcode::Program p = gcode::ReadProgram(c.program, options);
    EXPECT_EQ(p.holes.size(), c.holes);
    EXPECT_EQ(Diagnosed(p), c.diagnostics);
    if (c.more && p.holes.size() == c.holes && Diagnosed(p) == c.diagnostics) c.more(p);
  }
}

// Programs that once took gigabytes or never ended: each read in a child
// that may add some hundred megabytes (what a kept program may hold at most,
// for the last), and must end with what it should give.
TEST(GcodeReader, HostileProgramsStayWithinMemory) {
  struct Case {
    const char* name;
    std::string program;
    std::function<bool(const gcode::Program&)> expected;
    std::size_t budgetMb = 256;
  };
  std::string emptyLines(10'000'000, '\n');
  std::string longComment = "%\nO1\n(" + std::string(10'000'000, 'C') + ")\nM30\n%\n";
  std::string repeats = "%\nO1\nT1 M06\nG43 H1 Z50.\nS1000 M03\nG91 G81 X0.001 Y0. R-48. Z-2. K9999 F100\n";
  for (int i = 0; i < 110; ++i) repeats += "X0.001 K9999\n";
  repeats += "G80\nM30\n%\n";
  const Case cases[] = {
      {"a repeat count of 99999999", "%\nO1\nG81 X1. Y1. R2. Z-3. K99999999 F10\nM30\n%\n",
       [](const gcode::Program& p) { return p.holes.empty() && p.diagnostics.size() == 1; }},
      {"a micron of Q over 200 metres",
       "%\nO1\nT1 M06\nG43 H1 Z50.\nS100 M03\nG83 X0. Y0. R99999. Z-99999. Q0.001 F100\nG73 Y1. Q0.001\nM30\n%\n",
       [](const gcode::Program& p) {
         return p.holes.size() == 2 && std::isfinite(p.holes[0].strokeFeedMm) && p.holes[0].strokeFeedMm >= 199998;
       }},
      {"10 MB of empty lines", emptyLines, [](const gcode::Program& p) { return p.lineCount == 10'000'000; }},
      {"a comment line of 10 MB", longComment, [](const gcode::Program& p) { return p.endLine == 4; }},
      {"111 blocks of 9999 repeats", repeats,
       [](const gcode::Program& p) {
         return p.holes.size() == gcode::kMostKeptHoles && p.toolBlocks[0].holeCount == 111u * 9999u;
       },
       640},
  };
  for (const Case& c : cases) {
    const int status = testsupport::RunUnderMemoryLimit(c.budgetMb << 20, [&] {
      const gcode::Program p = gcode::ReadProgram(c.program);
      return c.expected(p);
    });
    EXPECT_EQ(status, 0) << c.name;
  }
}

}  // namespace
