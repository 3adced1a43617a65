// The magazine tool list from the command line: list, set and delete run the
// tool list dialog's own procedure over an in-memory form, as the operator
// would: open it (which creates a missing tool table), fill the fields, pick
// update or delete, end it.
#include <string>
#include <vector>

#include "Drilling/planning/tool_list_dialog.h"
#include "Drilling/planning/tool_table.h"
#include "common/memory_form.h"
#include "common/sjis.h"
#include "tools/drillnc/headless.h"

namespace drillnc {
namespace {

using namespace drilling;

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool HasControlCharacter(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7f) return true;
  return false;
}

// Opens the dialog over an in-memory form; false when that already failed
// with an error (no tool table defined, not readable).
bool OpenToolList(Session& session, common::MemoryForm& form) {
  int errors = session.ErrorCount();
  form.Init();
  return session.ErrorCount() == errors;
}

int List(Session& session) {
  common::MemoryForm form(ToolListDialogTemplate(), ToolListDialogProc(session.ctx));
  if (!OpenToolList(session, form)) return kExitFailure;
  for (int i = 0; i < form.EntryCount(kPocketList); ++i) session.Print(form.EntryText(kPocketList, i));
  form.Click(kCmdToolEnd);
  return kExitOk;
}

// Runs one command of the dialog on fields already typed.
int Apply(Session& session, common::MemoryForm& form, int command) {
  int errors = session.ErrorCount();
  form.Click(command);
  form.Click(kCmdToolEnd);
  return session.ErrorCount() == errors ? kExitOk : kExitFailure;
}

}  // namespace

int RunTools(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args, {"--name", "--diameter", "--h", "--d"}, {}, a, error)) return session.UsageError(error);
  if (a.positional.empty()) return session.UsageError("needs list, set or delete");
  const std::string& action = a.positional[0];

  if (action == "list") {
    if (a.positional.size() != 1 || !a.options.empty()) return session.UsageError("list takes no arguments");
    if (int started = session.Start(); started != kExitOk) return started;
    return List(session);
  }
  if (action != "set" && action != "delete") return session.UsageError("unknown action " + action);
  if (a.positional.size() != 2) return session.UsageError(action + " needs the pocket number T");
  const std::string& t = a.positional[1];
  if (!AllDigits(t) || t.size() > 2 || std::stoi(t) < 1 || std::stoi(t) > kMagazinePockets)
    return session.UsageError("T is a pocket number from 1 to 98");

  if (action == "delete") {
    if (!a.options.empty()) return session.UsageError("delete takes only T");
    if (int started = session.Start(); started != kExitOk) return started;
    common::MemoryForm form(ToolListDialogTemplate(), ToolListDialogProc(session.ctx));
    if (!OpenToolList(session, form)) return kExitFailure;
    form.SetText(kToolTEdit, t);
    return Apply(session, form, kCmdToolDelete);
  }

  const std::string* name = a.Last("--name");
  const std::string* diameter = a.Last("--diameter");
  const std::string* h = a.Last("--h");
  const std::string* d = a.Last("--d");
  if (!name || name->empty() || HasControlCharacter(*name) || common::Cp932Width(*name) > kToolNameRoom - 1)
    return session.UsageError("--name is a tool name of 1 to 31 bytes");
  std::vector<std::string> number;
  if (diameter && (diameter->size() > kToolDiameterRoom - 1 || !SplitNumbers(*diameter, 1, number)))
    return session.UsageError("--diameter is a number of at most 7 characters");
  for (const std::string* offset : {h, d})
    if (offset && (!AllDigits(*offset) || offset->size() > kToolNumberRoom - 1))
      return session.UsageError("--h and --d are numbers of 1 to 3 digits");

  if (int started = session.Start(); started != kExitOk) return started;
  common::MemoryForm form(ToolListDialogTemplate(), ToolListDialogProc(session.ctx));
  if (!OpenToolList(session, form)) return kExitFailure;
  form.SetText(kToolNameCombo, *name);
  form.SetText(kToolDiameterEdit, diameter ? *diameter : "");
  form.Type(kToolTEdit, t);  // leaving T copies it into H and D
  if (h) form.SetText(kToolHEdit, *h);
  if (d) form.SetText(kToolDEdit, *d);
  return Apply(session, form, kCmdToolUpdate);
}

}  // namespace drillnc
