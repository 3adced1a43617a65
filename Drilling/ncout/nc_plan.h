// The machining plan of a job: its processes and, for each, the positions it
// drills, built once from the job file (the saved processes PROCESS1 ..
// and the hole groups Hole1 .. Hole4). The NC writer formats a program from
// it; the read-back check compares the holes our G-code reader finds in a
// program with it. Reading the plan reports nothing: a value the writer
// cannot use is kept as the error text the writer reports when it gets there
// (so a failing program is written as far as it always was).
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Drilling/app/context.h"
#include "common/file_keys.h"

namespace drilling {

constexpr int kMaxProcesses = 15;
constexpr int kMaxHolePoints = filekeys::job::kPositionsRead;
constexpr int kHoleGroupCount = 4;

struct HolePoint {
  double xMm = 0;
  double yMm = 0;
};

struct CycleValues {
  int cycle = 0;            // 81, 82, 83, 73, 84
  int feedMmPerMin = 0;
  double rMm = 0;
  double zMm = 0;
  double qMm = 0;           // cycles 83 and 73 only
};

// Tool and length offset numbers of the processes; entry n is PROCESS<n>,
// entry 0 stays 0 (so a first process with tool 0 counts as "same tool").
struct ProcessTools {
  int count = 0;
  std::array<int, kMaxProcesses + 1> t{};
  std::array<int, kMaxProcesses + 1> h{};
};

// The points of one hole group as the writer takes them.
struct PlanHoleGroup {
  std::vector<HolePoint> points;
  std::string error;  // a stored position the writer cannot use; empty when none
};

struct PlanProcess {
  int number = 0;            // n of PROCESS<n>
  std::string toolName;      // TOOLNAME
  std::string toolDiameter;  // TOOLDIAM as the tool comment takes it (7 bytes)
  int t = 0;
  int h = 0;
  int spindleRpm = 0;        // SPINDL; not above 0 fails the writer
  int group = 0;             // GROUP: 0 every hole group, else that group
  CycleValues cycle;
  std::string cycleError;    // why the cycle values cannot be used; empty when they can

  // The hole groups the process drills, in order: 1-4 for group 0, else its own.
  std::vector<int> Groups() const;
};

// One position a process drills.
struct PlannedHole {
  int process = 0;  // index into NcPlan::processes
  int group = 0;    // hole group number
  int index = 0;    // 1-based position within the group
  HolePoint point;
};

struct NcPlan {
  std::vector<PlanProcess> processes;   // PROCESS1 .. up to the first without a tool name
  std::map<int, PlanHoleGroup> groups;  // every group a process drills

  // Every position of every process, in the order the program drills them
  // (a group that cannot be used gives none).
  std::vector<PlannedHole> Holes() const;
};

// Process count (the run of PROCESS<n> with a TOOLNAME) and the T/H numbers.
// 0, or -1 with the error text in the message buffer.
int ReadProcessTools(Context& ctx, ProcessTools& tools);

// Cycle number, feed, R, Z and (83, 73) Q of a process. 0, or -1 with the
// error text in the message buffer.
int ReadCycleValues(Context& ctx, std::string_view processSection, CycleValues& values);

// The plan of the current job. 0, or -1 with the error text in the message
// buffer when the process list cannot be read at all (a process without its
// tool or length offset number). The message buffer is otherwise left as it
// was: later errors are kept in the plan.
int BuildNcPlan(Context& ctx, NcPlan& plan);

// A number as the program writes it: three decimals at most, the point kept.
std::string NcNumberText(double value);

// Leaves "エラー：<what> の値 <text> が大きすぎます" in the message buffer for
// a value whose number text does not fit (FitsNumberWord). kFailed.
int SetTooLargeError(Context& ctx, std::string_view what, std::string_view text);

// Whether a value's number text fits the width such a value is stored with
// ("1e300" reads as a number but is 301 digits long).
bool FitsNumberWord(double value);

// A job value read whole into `value`: false (error text in the message
// buffer) when it is wider than `room` - 1 bytes, as a read with that room
// would cut it into another value.
bool ReadJobFitting(Context& ctx, std::string_view section, std::string_view key, std::size_t room,
                    std::string& value);
// The same for `key` (its name and room) in `section` (the key's own, or a
// numbered one: PROCESS<n>).
bool ReadJobFitting(Context& ctx, std::string_view section, const filekeys::Key& key, std::string& value);

}  // namespace drilling
