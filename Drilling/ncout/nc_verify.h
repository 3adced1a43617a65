// The read-back check: a program is read with our own G-code reader (gcode/,
// independent of the writer) and the holes it drills are compared with the
// job's plan. Every process must drill every position of its groups exactly
// once, at that position, with its tool (T, H), cycle, R, Z, Q (G73, G83),
// F and S (the spindle turning). Run after the writer and before a program
// leaves for the machine (it may have been edited by hand since).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/ncout/nc_plan.h"
#include "common/form.h"

namespace drilling {

struct NcComparison {
  // One line per difference, naming the process, the position and the
  // program line; in program order. Empty: the program is the plan's.
  std::vector<std::string> differences;
  // Tool number and holes, in the order the tools are first used.
  std::vector<std::pair<int, int>> holesPerTool;
  int holes = 0;
};

NcComparison CompareProgramWithPlan(const NcPlan& plan, std::string_view programBytes);

// "T01 8穴、T23 4穴、計 12 穴".
std::string HolesPerToolText(const NcComparison& comparison);

// After the writer: the program at `ncPath` read back and compared with the
// plan it was written from. 0 with `verifiedLine` set to the line that says
// so (path and holes per tool; the caller reports it last); otherwise -1
// after each difference was listed and the failure reported (kind -1). The
// file stays for inspection.
int VerifyWrittenProgram(Context& ctx, common::Form* owner, const NcPlan& plan,
                         const std::filesystem::path& ncPath, std::string& verifiedLine);

// Before a transfer: the program at `ncPath` compared with the current job.
// 0 to send (it matches, which adds no line, or the operator answered Yes to
// sending it although it differs: each difference listed first); -1 to send
// nothing (the operator said No; listed, not an error box).
int CheckProgramBeforeTransfer(Context& ctx, common::Form* owner, const std::filesystem::path& ncPath);

}  // namespace drilling
