// The check of a read program before it goes to the machine: the faults that
// break a tool, a thread or a fixture, the summary per tool block and the
// estimated run time. It listens to the reader as it reads (ReadAndCheck),
// so a program of any size is checked in memory of the order of its findings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gcode/gcode_reader.h"
#include "gcode/job_facts.h"
#include "gcode/program.h"

namespace gcode {

// The time one tool change (M06) is counted with, seconds: a typical
// chip-to-chip time of a vertical machining centre's magazine.
inline constexpr double kToolChangeSeconds = 5.0;
inline constexpr double kDefaultRapidMmPerMin = 10000.0;
// A run time beyond this (seconds, about three years) is no estimate worth
// printing: the summary gives "time ?:??" and a finding says why.
inline constexpr double kMostRunSeconds = 1e8;
// A summary field lists up to this many distinct values; more are given as
// their range and count.
inline constexpr std::size_t kMostListedValues = 4;

struct CheckOptions {
  double rapidMmPerMin = kDefaultRapidMmPerMin;
  const JobFacts* job = nullptr;  // the job checks run only with a job
};

struct CheckResult {
  // The reader's diagnostics and the check's findings, in line order (at
  // most kMostDiagnosticsPerCode of one code, then one that counts the rest).
  std::vector<Diagnostic> findings;
  double runSeconds = 0;
  // The report lines before the findings: one per tool block ("T23 H23
  // (DRILL D8.5) G83 holes 4 Z-25. R2. F88 S740"; values that differ within
  // a block are joined by "/", more than kMostListedValues given as
  // "Z-30. to -5. (12 values)"), then "holes total N" and "time M:SS".
  // UTF-8 (comments are converted from code page 932).
  std::vector<std::string> summary;
};

// Reads and checks in one pass; nothing of the program is kept.
CheckResult ReadAndCheck(std::string_view bytes, const ReaderOptions& reader, const CheckOptions& options);

// The check of a program read before (the viewer keeps it to draw it).
CheckResult CheckProgram(const Program& program, const CheckOptions& options);

// Rapids along the straight line at `rapidMmPerMin`, feed moves and arcs at
// their F, dwells, and kToolChangeSeconds per tool change.
double RunSeconds(const Program& program, double rapidMmPerMin);

// A run time as the summary gives it, "M:SS"; "?:??" beyond kMostRunSeconds.
std::string RunTimeText(double seconds);

// A length as the programs write it: three decimals at most, the point kept.
std::string MmText(double value);

}  // namespace gcode
