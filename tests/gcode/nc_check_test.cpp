// The program check: each planted fault is found on its line, a clean program
// gives nothing, and the run time of a small program is the one worked out by
// hand.
#include "gcode/nc_check.h"

#include <gtest/gtest.h>

#include "common/textfile.h"
#include "gcode/gcode_reader.h"
#include "support/temp_folder.h"

namespace {

using gcode::Code;

// A clean program; each case below changes one line of it. Line numbers:
//  1 %   2 O1234   3 T03 M06   4 G90 G00 G54 X0. Y0.   5 G43 H03 Z50.
//  6 S800 M03   7 M08   8 G81 X10. Y10. R2. Z-10. F80   9 X20. Y10.   10 G80
// 11 (TAP D10.)   12 T04 M06   13 G43 H04 Z50.   14 S300 M03
// 15 G84 X10. Y10. R5. Z-12. F450   16 G80   17 M09   18 M05   19 G00 X0. Y0.
// 20 M30   21 %
const std::vector<std::string> kClean = {
    "%", "O1234", "T03 M06", "G90 G00 G54 X0. Y0.", "G43 H03 Z50.", "S800 M03", "M08",
    "G81 X10. Y10. R2. Z-10. F80", "X20. Y10.", "G80", "(TAP D10.)", "T04 M06", "G43 H04 Z50.", "S300 M03",
    "G84 X10. Y10. R5. Z-12. F450", "G80", "M09", "M05", "G00 X0. Y0.", "M30", "%"};

std::string Program(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::vector<std::pair<int, Code>> Found(const std::string& text, const gcode::JobFacts* job) {
  gcode::CheckOptions options;
  options.job = job;
  std::vector<std::pair<int, Code>> found;
  for (const auto& d : gcode::CheckProgram(gcode::ReadProgram(text), options).findings)
    found.emplace_back(d.line, d.code);
  return found;
}

gcode::JobFacts Job() {
  gcode::JobFacts job;
  job.hasStock = true;
  job.stockXMm = 100, job.stockYMm = 50, job.stockZMm = 20;
  job.originXMm = 0, job.originYMm = 0;
  job.programNumber = 1234;
  return job;
}

TEST(NcCheck, EachPlantedFaultIsFoundOnItsLine) {
  const gcode::JobFacts job = Job();
  EXPECT_EQ(Found(Program(kClean), &job), (std::vector<std::pair<int, Code>>{}));

  struct Case {
    int line;               // the line replaced (1-based), 0: none
    std::string text;       // its new text ("" removes it)
    bool withJob;
    std::vector<std::pair<int, Code>> expected;
  };
  // A cycle's R and Z hold for the next position: a fault planted in the
  // cycle line is found there and on line 9.
  const Case cases[] = {
      {5, "G43 H13 Z50.", false, {{5, Code::kOffsetNotTool}}},
      {6, "S800", false, {{8, Code::kSpindleStopped}}},
      {14, "S300 M05", false, {{15, Code::kSpindleStopped}}},
      {8, "G81 X10. Y10. R2. Z3. F80", false, {{8, Code::kBottomAboveR}, {9, Code::kBottomAboveR}}},
      {15, "G84 X10. Y10. R5. Z-12. F400", false, {{15, Code::kTapFeed}}},
      {19, "G00 X0. Y0. Z1.", false, {{19, Code::kRapidBelowR}}},
      {20, "M05", false, {{20, Code::kNoProgramEnd}}},
      {9, "X120. Y10.", true, {{9, Code::kOutsideStock}}},
      {9, "X20. Y-0.5", true, {{9, Code::kOutsideStock}}},
      {8, "G81 X10. Y10. R2. Z-20.5 F80", true, {{8, Code::kBelowUnderside}, {9, Code::kBelowUnderside}}},
      {2, "O1235", true, {{2, Code::kProgramNumber}}},
      {9, "X20. Y10. B5.", false, {{9, Code::kUnknownWord}}},
      {9, "X20. Y10. X30.", false, {{9, Code::kRepeatedWord}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = kClean;
    lines[c.line - 1] = c.text;
    std::vector<std::pair<int, Code>> found = Found(Program(lines), c.withJob ? &job : nullptr);
    EXPECT_EQ(found, c.expected) << c.text;
  }
  // Without the job its checks stay silent.
  std::vector<std::string> outside = kClean;
  outside[8] = "X120. Y10.";
  EXPECT_EQ(Found(Program(outside), nullptr), (std::vector<std::pair<int, Code>>{}));
}

// By hand, rapids at 1000 mm/min: the tool starts at the reference point
// X0 Y0 Z100. Rapids 50 (to Z50) + 48 (down to R2) + 60 (back to Z50) =
// 158 mm = 9.48 s; feeds 100 mm at 500 = 12 s and 12 mm at 120 = 6 s; a dwell
// of 1.5 s; one tool change of 5 s. Together 33.98 s.
TEST(NcCheck, RunTimeOfASmallProgram) {
  gcode::Program p = gcode::ReadProgram(
      "%\nO1\nT01 M06\nG90 G00 G54 X0. Y0.\nG43 H01 Z50.\nS1000 M03\nG01 X100. F500\n"
      "G81 X100. Y0. R2. Z-10. F120\nG80\nG04 P1500\nM30\n%\n");
  gcode::CheckOptions options;
  options.rapidMmPerMin = 1000;
  gcode::CheckResult result = gcode::CheckProgram(p, options);
  EXPECT_NEAR(result.runSeconds, 33.98, 1e-9);
  EXPECT_EQ(result.summary, (std::vector<std::string>{"T01 H01 G81 holes 1 Z-10. R2. F120 S1000", "holes total 1",
                                               "time 0:34"}));
}

// Programs too big to list value by value: a field of many distinct values
// gives its range and count, a run time beyond printing gives "?:??" and a
// finding, and more than a thousand findings of one kind end in one that
// counts the rest. Read and checked in one pass or checked after reading:
// the same report.
TEST(NcCheck, ReportStaysReadableForHugePrograms) {
  auto holes = [](int n, double stepZ, double startX) {
    std::string text = "%\nO1234\nT01 M06\nG43 H01 Z50.\nS1000 M03\nG81 X1. Y1. R2. Z-1. F100\n";
    for (int i = 1; i < n; ++i)
      text += "X" + gcode::MmText(startX + i) + " Z" + gcode::MmText(-1 - stepZ * i) + "\n";
    return text + "G80\nM30\n%\n";
  };
  struct Case {
    const char* name;
    std::string program;
    std::vector<std::string> summary;
    std::vector<std::pair<int, Code>> findings;  // the first ones
    std::size_t findingCount;
    std::string lastFinding;
    bool withJob = false;
  };
  const gcode::JobFacts job = Job();
  const Case cases[] = {
      // By hand: rapids 352.414 mm at 10000, feeds 12 mm at 100, a tool change.
      {"three depths are listed", holes(3, 1, 0),
       {"T01 H01 G81 holes 3 Z-1./-2./-3. R2. F100 S1000", "holes total 3", "time 0:14"}, {}, 0, ""},
      // Rapids 22039.414 mm, feeds 2590 mm, a tool change: 1691.2 s.
      {"200 depths give their range", holes(200, 0.1, 0),
       {"T01 H01 G81 holes 200 Z-20.9 to -1. (200 values) R2. F100 S1000", "holes total 200", "time 28:11"}, {}, 0,
       ""},
      {"a run time of years", "%\nO1234\nT01 M06\nG43 H01 Z50.\nS1000 M03\nG01 X99999. F0.001\nM30\n%\n",
       {"holes total 0", "time ?:??"}, {{0, Code::kRunTimeTooLong}}, 1, "warning: estimated run time too long to print"},
      // The first hole (line 6) lies on the stock, the 1499 after it beyond.
      {"1499 holes outside the stock", holes(1500, 0, 200), {}, {{7, Code::kOutsideStock}}, 1001,
       "warning: line 1007: hole outside the stock (and 499 more up to line 1505)", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gcode::CheckOptions options;
    if (c.withJob) options.job = &job;
    const gcode::CheckResult streamed = gcode::ReadAndCheck(c.program, {}, options);
    const gcode::CheckResult kept = gcode::CheckProgram(gcode::ReadProgram(c.program), options);
    if (!c.summary.empty()) {
      EXPECT_EQ(streamed.summary, c.summary);
    }
    EXPECT_EQ(streamed.summary, kept.summary);
    ASSERT_EQ(streamed.findings.size(), c.findingCount);
    ASSERT_EQ(kept.findings.size(), c.findingCount);
    for (std::size_t i = 0; i < c.findings.size(); ++i) {
      EXPECT_EQ(streamed.findings[i].line, c.findings[i].first);
      EXPECT_EQ(streamed.findings[i].code, c.findings[i].second);
    }
    if (c.findingCount > 0) {
      EXPECT_EQ(streamed.findings.back().Text(), c.lastFinding);
      EXPECT_EQ(kept.findings.back().Text(), c.lastFinding);
    }
  }
}

}  // namespace
