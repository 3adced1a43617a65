// Commands of the process list: plan (the window's 【工程作成】 and save),
// processes (the saved list) and process (one row changed, or the list
// initialised). They run the process dialog's own procedure over an
// in-memory form, as the operator would.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "Drilling/app/message_channel.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/process_dialog.h"
#include "Drilling/planning/process_grid.h"
#include "common/memory_form.h"
#include "common/sjis.h"
#include "common/text.h"
#include "tools/drillnc/headless.h"

namespace drillnc {
namespace {

using namespace drilling;

// The grid as an aligned table: a heading line, then every row that holds
// anything. Widths count code page 932 bytes, as a terminal in that code
// page shows them (a Japanese character takes two columns).
void PrintGrid(Session& session, const common::Form& form) {
  std::vector<std::array<std::string, kProcessColumns + 1>> lines;
  std::array<std::string, kProcessColumns + 1> heading;
  heading[0] = "工程";
  for (int c = 0; c < kProcessColumns; ++c) heading[static_cast<std::size_t>(c) + 1] = kProcessColumnInfo[c].heading;
  lines.push_back(heading);
  for (int row = 1; row <= kProcessRows; ++row) {
    std::array<std::string, kProcessColumns + 1> line;
    bool any = false;
    line[0] = common::FormatText("[%02d]", row);
    for (int c = 0; c < kProcessColumns; ++c) {
      line[static_cast<std::size_t>(c) + 1] = CellText(form, c, row);
      any = any || !line[static_cast<std::size_t>(c) + 1].empty();
    }
    if (any) lines.push_back(line);
  }
  std::array<std::size_t, kProcessColumns + 1> widths{};
  for (const auto& line : lines)
    for (std::size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], common::Cp932Width(line[i]));
  for (const auto& line : lines) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
      int column = static_cast<int>(i) - 1;
      bool right = column == kColS || column == kColF || column == kColZ;
      std::string pad(widths[i] - common::Cp932Width(line[i]), ' ');
      if (i > 0) text += "  ";
      text += right ? pad + line[i] : line[i] + pad;
    }
    session.Print(std::string(common::TrimRight(text)));
  }
}

common::MemoryForm& AsMemoryForm(common::Form& form) { return dynamic_cast<common::MemoryForm&>(form); }

struct CellOption {
  const char* name;
  int column;
};

const CellOption kCellOptions[] = {
    {"--tool", kColToolName}, {"--diameter", kColDiameter}, {"--t", kColT},      {"--h", kColH},
    {"--d", kColD},           {"--s", kColS},               {"--f", kColF},      {"--g", kColG},
    {"--r", kColR},           {"--z", kColZ},               {"--q", kColQ},      {"--offset", kColOffset},
    {"--group", kColGroup},
};

int CountRows(const common::Form& form) {
  int n = 0;
  while (n < kProcessRows && !CellText(form, kColToolName, n + 1).empty()) ++n;
  return n;
}

// The list as stored (Z negated, numbers in their stored form), not the grid
// as typed or generated.
void PrintStoredList(Session& session) {
  session.ctx.processDialogMode = kProcessModeLoad;
  common::MemoryForm stored(ProcessDialogTemplate(), ProcessDialogProc(session.ctx));
  stored.Init();
  PrintGrid(session, stored);
}

}  // namespace

// plan: 【工程作成】 on the job, then 【保 存】. A generation that reported an
// error leaves the grid for the operator to complete; here nobody can, so
// nothing is saved and the command fails. A stored list is replaced only
// with --yes (the save asks, and the default answer is No).
int RunPlan(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {}, a); started != kExitOk) return started;
  Context& ctx = session.ctx;
  auto main = session.MainForm(false);  // no preset may stand in for a value the job lacks
  if (ReadJobFile(ctx, *main) != 0) return kExitFailure;

  int errorsBefore = session.ErrorCount();
  bool generationFailed = false;
  bool declined = false;
  session.ui.modalHandlers[ProcessDialogTemplate().name] = [&](common::Form& form) {
    generationFailed = session.ErrorCount() != errorsBefore;
    if (!generationFailed) {
      AsMemoryForm(form).Click(kCmdProcessSave);
      // Not saved without an error: the stored list was not to be replaced.
      declined = !form.HasEnded() && session.ErrorCount() == errorsBefore;
    }
    if (form.HasEnded()) return;
    // Refused or declined: the grid would stay with the operator, who is not
    // here. It is shown as generated; nothing is saved.
    PrintGrid(session, form);
    Report(ctx, nullptr, kKindList, "加工工程は保存しません。");
    form.End(kProcessDialogClosed);
  };
  ctx.processDialogMode = kProcessModeGenerate;
  int result = OpenProcessDialog(ctx, *main);
  if (declined) return session.Fail("the job has a saved process list (--yes replaces it)");
  if (result != kProcessDialogSaved || generationFailed) return kExitFailure;
  PrintStoredList(session);
  return kExitOk;
}

// processes: the saved list of the job, as the process dialog loads it.
int RunProcesses(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {}, a, JobAccess::Read); started != kExitOk) return started;
  Context& ctx = session.ctx;
  if (!session.RequireJobFile()) return kExitFailure;
  ctx.processDialogMode = kProcessModeLoad;
  common::MemoryForm form(ProcessDialogTemplate(), ProcessDialogProc(ctx));
  form.Init();
  PrintGrid(session, form);
  return kExitOk;
}

// process: one row of the saved list changed and the list saved again, or
// the list initialised.
int RunProcess(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args,
                      {"--tool", "--diameter", "--t", "--h", "--d", "--s", "--f", "--g", "--r", "--z", "--q",
                       "--offset", "--group"},
                      {"--initialise"}, a, error))
    return session.UsageError(error);
  bool initialise = a.Has("--initialise");
  if (initialise) {
    if (a.positional.size() != 1 || a.options.size() != 1) return session.UsageError("--initialise takes only JOB");
  } else {
    if (a.positional.size() != 2) return session.UsageError("needs JOB and ROW");
    if (a.options.empty()) return session.UsageError("nothing to change: give at least one cell option");
  }
  int row = 0;
  if (!initialise) {
    const std::string& text = a.positional[1];
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos ||
        (row = std::stoi(text)) < 1 || row > kProcessRows)
      return session.UsageError("ROW is a process number from 1 to 15");
  }
  for (const CellOption& option : kCellOptions) {
    const std::string* value = a.Last(option.name);
    std::size_t limit = kProcessColumnInfo[static_cast<std::size_t>(option.column)].room - 1;
    if (value && common::Cp932Width(*value) > limit)
      return session.UsageError(common::FormatText("%s is at most %zu bytes", option.name, limit));
  }

  if (int started = session.StartOnJob(a.positional[0]); started != kExitOk) return started;
  Context& ctx = session.ctx;
  if (!session.RequireJobFile()) return kExitFailure;
  ctx.processDialogMode = kProcessModeLoad;
  common::MemoryForm form(ProcessDialogTemplate(), ProcessDialogProc(ctx));
  form.Init();

  int errors = session.ErrorCount();
  if (initialise) {
    form.Click(kCmdProcessInitialise);
    return session.ErrorCount() == errors ? kExitOk : kExitFailure;
  }
  int count = CountRows(form);
  // A row past the end would be left out of the list by the save, silently.
  if (row > count + 1)
    return session.Fail(common::FormatText("the list has %d processes: ROW is 1 to %d", count, count + 1));
  for (const CellOption& option : kCellOptions) {
    const std::string* value = a.Last(option.name);
    if (!value) continue;
    int id = ProcessCellId(option.column, row);
    if (option.column == kColT)
      form.Type(id, *value);  // leaving T completes H and D, as in the window
    else
      form.SetText(id, *value);
  }
  form.Click(kCmdProcessSave);
  if (!form.HasEnded()) return kExitFailure;
  PrintStoredList(session);
  return kExitOk;
}

}  // namespace drillnc
