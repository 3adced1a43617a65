// Commands that add hole positions with the calculators of the hole
// definition dialog: circle (holes at equal angles on a circle) and grid
// (copies of a base point in X and Y steps). The dialog opens over an
// in-memory form, the calculator is typed into and run, then the dialog's
// save writes the group.
#include <map>

#include "Drilling/holes/hole_calculators.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/holes/hole_dialog.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/job/job_file.h"
#include "common/text.h"
#include "tools/drillnc/headless.h"

namespace drillnc {

namespace {

using namespace drilling;

constexpr std::size_t kFieldMax = 15;  // bytes a calculator field keeps

// One pattern: the calculator to open and what to type into it.
struct Pattern {
  int openCommand;
  const common::DialogTemplate* calculator;
  std::map<int, std::string> fields;
};

// Option `name` as `count` numbers into the controls `ids`. False with a
// usage message when it is absent (and required) or malformed.
bool TakeNumbers(const Arguments& a, const char* name, std::initializer_list<int> ids, bool required,
                 std::map<int, std::string>& fields, std::string& why) {
  const std::string* value = a.Last(name);
  if (!value) {
    if (required) why = std::string(name) + " is required";
    return !required;
  }
  std::vector<std::string> parts;
  if (!SplitNumbers(*value, ids.size(), parts)) {
    why = std::string(name) + (ids.size() == 1 ? " needs a number" : " needs " + std::to_string(ids.size()) +
                                                                          " numbers separated by commas");
    return false;
  }
  auto part = parts.begin();
  for (int id : ids) {
    if (part->size() > kFieldMax) {
      why = std::string(name) + ": a number is longer than 15 characters";
      return false;
    }
    fields[id] = *part++;
  }
  return true;
}

int RunPattern(Session& session, const std::vector<std::string>& args, const Pattern& pattern,
               std::initializer_list<std::string_view> valued) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args, valued, {}, a, error)) return session.UsageError(error);
  if (a.positional.size() != 2) return session.UsageError("needs JOB and GROUP");
  const std::string& group = a.positional[1];
  if (group.size() != 1 || group[0] < '1' || group[0] > '4') return session.UsageError("GROUP is 1, 2, 3 or 4");

  if (int started = session.StartOnJob(a.positional[0]); started != kExitOk) return started;
  Context& ctx = session.ctx;
  ctx.currentHoleGroup = group[0] - '0';

  common::MemoryForm dialog(HoleDialogTemplate(), HoleDialogProc(ctx));
  dialog.Init();  // reports a missing job itself
  if (!JobFileExists(ctx)) return kExitFailure;

  // The operator types the values, calculates once and closes.
  session.ui.modalHandlers[pattern.calculator->name] = [&pattern](common::Form& form) {
    auto& calculator = dynamic_cast<common::MemoryForm&>(form);
    for (const auto& [id, text] : pattern.fields) calculator.SetText(id, text);
    calculator.Click(kCalcCmdCalculate);
    calculator.Click(kCalcCmdClose);
  };
  const int errorsBefore = session.ErrorCount();
  dialog.Click(pattern.openCommand);
  // A refused calculation writes nothing; one that did not fit wrote part:
  // the command saves neither, so a job file is never left half-changed.
  if (session.ErrorCount() != errorsBefore) return session.Fail("hole group not saved");

  session.Print(common::FormatText("[%s]", jobkey::HoleSection(ctx.currentHoleGroup).c_str()));
  for (int row = 1; row <= kHoleRows; ++row) {
    std::string x = dialog.FullText(kHoleX1Edit + row - 1);
    std::string y = dialog.FullText(kHoleY1Edit + row - 1);
    if (x.empty() && y.empty()) break;
    session.Print(common::FormatText("X%d = %s  Y%d = %s", row, x.c_str(), row, y.c_str()));
  }
  dialog.Click(kHoleCmdSave);
  return dialog.HasEnded() ? kExitOk : kExitFailure;
}

}  // namespace

int RunCircle(Session& session, const std::vector<std::string>& args) {
  Pattern p{kHoleCmdCircle, &BoltCircleDialogTemplate(), {}};
  Arguments a;
  std::string why;
  // Options are checked here first so that a usage error touches nothing.
  if (ParseArguments(args, {"--diameter", "--centre", "--start-angle", "--count"}, {}, a, why) &&
      (!TakeNumbers(a, "--diameter", {kCircleDiameterEdit}, true, p.fields, why) ||
       !TakeNumbers(a, "--centre", {kCircleCentreXEdit, kCircleCentreYEdit}, true, p.fields, why) ||
       !TakeNumbers(a, "--start-angle", {kCircleStartAngleEdit}, false, p.fields, why) ||
       !TakeNumbers(a, "--count", {kCircleHoleCountEdit}, true, p.fields, why)))
    return session.UsageError(why);
  return RunPattern(session, args, p, {"--diameter", "--centre", "--start-angle", "--count"});
}

int RunGrid(Session& session, const std::vector<std::string>& args) {
  Pattern p{kHoleCmdMoveBase, &CoordinateCopyDialogTemplate(), {}};
  Arguments a;
  std::string why;
  if (ParseArguments(args, {"--base", "--step", "--copies"}, {}, a, why) &&
      (!TakeNumbers(a, "--base", {kCopyBaseXEdit, kCopyBaseYEdit}, true, p.fields, why) ||
       !TakeNumbers(a, "--step", {kCopyStepXEdit, kCopyStepYEdit}, true, p.fields, why) ||
       !TakeNumbers(a, "--copies", {kCopyCountXEdit, kCopyCountYEdit}, true, p.fields, why)))
    return session.UsageError(why);
  return RunPattern(session, args, p, {"--base", "--step", "--copies"});
}

}  // namespace drillnc
