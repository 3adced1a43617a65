// The check of a read program before it goes to the machine: the faults that
// break a tool, a thread or a fixture, the summary per tool block and the
// estimated run time.
#pragma once

#include <string>
#include <vector>

#include "gcode/job_facts.h"
#include "gcode/program.h"

namespace gcode {

// The time one tool change (M06) is counted with, seconds: a typical
// chip-to-chip time of a vertical machining centre's magazine.
inline constexpr double kToolChangeSeconds = 5.0;
inline constexpr double kDefaultRapidMmPerMin = 10000.0;

struct CheckOptions {
  double rapidMmPerMin = kDefaultRapidMmPerMin;
  const JobFacts* job = nullptr;  // the job checks run only with a job
};

struct CheckResult {
  // The reader's diagnostics and the check's findings, in line order.
  std::vector<Diagnostic> findings;
  double runSeconds = 0;
};

CheckResult CheckProgram(const Program& program, const CheckOptions& options);

// Rapids along the straight line at `rapidMmPerMin`, feed moves and arcs at
// their F, dwells, and kToolChangeSeconds per tool change.
double RunSeconds(const Program& program, double rapidMmPerMin);

// The report lines before the findings: one per tool block ("T23 H23
// (DRILL D8.5) G83 holes 4 Z-25. R2. F88 S740"; values that differ within a
// block are joined by "/"), then "holes total N" and "time M:SS". UTF-8
// (comments are converted from code page 932).
std::vector<std::string> SummaryLines(const Program& program, const CheckResult& result);

// A length as the programs write it: three decimals at most, the point kept.
std::string MmText(double value);

}  // namespace gcode
