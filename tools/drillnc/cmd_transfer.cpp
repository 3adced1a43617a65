// Sending the NC program and the initial settings from the command line:
// send runs the transfer of 【ＮＣデータ転送】; settings shows or changes
// Drilling.ini through the initial settings dialog's own procedure over an
// in-memory form, as the operator would: open it, fill the fields, save.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "Drilling/app/field_check.h"
#include "Drilling/companions/nc_transfer.h"
#include "Drilling/companions/settings_dialog.h"
#include "common/memory_form.h"
#include "tools/drillnc/headless.h"

namespace drillnc {
namespace {

using namespace drilling;

// The dialog's rows as `settings` prints them and the options that set them.
struct SettingRow {
  int field;
  const char* label;
  const char* option;  // nullptr: set otherwise
};
constexpr SettingRow kRows[] = {
    {kEditorField, "FILE EDITOR", "--editor"},
    {kTrycutField, "TRYCUT2000", "--trycut"},
    {kNcViewerField, "NC VIEWER", "--nc-viewer"},
    {kDxfViewerField, "DXF VIEWER", "--dxf-viewer"},
    {kToolFileField, "工具ファイル", "--tool-table"},
    {kMethodCombo, "ファイル転送方法", nullptr},
    {kDestinationField, "NCファイル転送先", "--destination"},
    {kFtpUserField, "FTP ユーザー", "--ftp-user"},
    {kFtpPasswordField, "FTP パスワード", nullptr},
};

// The values as they are stored, whole.
void PrintSettings(Session& session, const common::Form& form) {
  for (const SettingRow& row : kRows) {
    std::string value = WholeText(form, row.field);
    // The password is never printed; only whether one is set.
    if (row.field == kFtpPasswordField && !value.empty()) value = "***";
    session.Print(std::string(row.label) + ": " + value);
  }
}

// The password from standard input: its first line, without the line end.
std::string ReadPasswordLine() {
  std::string line;
  std::getline(std::cin, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

// send: the job's NC program to the machine by the configured method.
int RunSend(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {}, a, JobAccess::Read); started != kExitOk) return started;
  Context& ctx = session.ctx;
  if (!session.RequireJobFile()) return kExitFailure;
  const int errors = session.ErrorCount();
  if (TransferNcFile(ctx, nullptr) != 0) {
    // Declined (the program differs from its job and the answer was No):
    // no error box was shown, so say here why nothing went.
    if (session.ErrorCount() == errors) return session.Fail("nothing was sent (--yes sends a program that differs from its job)");
    return kExitFailure;
  }
  return session.ErrorCount() == 0 ? kExitOk : kExitFailure;
}

// settings: without options the values the dialog shows; with options those
// fields changed and saved by the dialog's save, then the values shown again.
int RunSettings(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  std::string error;
  if (!ParseArguments(args,
                      {"--editor", "--trycut", "--nc-viewer", "--dxf-viewer", "--tool-table", "--protocol",
                       "--destination", "--ftp-user"},
                      {"--ftp-password-stdin"}, a, error))
    return session.UsageError(error);
  if (!a.positional.empty()) return session.UsageError("takes options only");

  if (int started = session.Start(); started != kExitOk) return started;
  Context& ctx = session.ctx;
  common::MemoryForm form(InitialSettingsDialogTemplate(), InitialSettingsDialogProc(ctx));
  form.Init();
  if (a.options.empty()) {
    PrintSettings(session, form);
    return kExitOk;
  }

  // The method first: choosing it shows its stored destination and account,
  // which the other options may then replace.
  if (const std::string* method = a.Last("--protocol")) {
    int index = form.FindExact(kMethodCombo, *method);
    if (index >= 0)
      form.Choose(kMethodCombo, index);
    else
      form.SetText(kMethodCombo, *method);
  }
  for (const SettingRow& row : kRows)
    if (row.option)
      if (const std::string* value = a.Last(row.option)) form.SetText(row.field, *value);
  const bool wantsAccount = a.Has("--ftp-user") || a.Has("--ftp-password-stdin");
  if (wantsAccount && !form.IsEnabled(kFtpUserField))
    return session.Fail("--ftp-user and --ftp-password-stdin need the FTP method (--protocol FTP)");
  if (a.Has("--ftp-password-stdin")) form.SetText(kFtpPasswordField, ReadPasswordLine());

  int errors = session.ErrorCount();
  form.Send(common::DialogEvent::Command, kSettingsCmdSave);
  if (!form.HasEnded() || session.ErrorCount() != errors) return kExitFailure;

  common::MemoryForm reopened(InitialSettingsDialogTemplate(), InitialSettingsDialogProc(ctx));
  reopened.Init();
  PrintSettings(session, reopened);
  return kExitOk;
}

}  // namespace drillnc
