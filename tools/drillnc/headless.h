// The shared set-up of every drillnc command: a drilling Context over a
// program folder with no screen. Reported lines are printed; questions are
// answered from --yes / --no; modal dialogs run over in-memory forms whose
// "operator" a command registers (ui.modalHandlers); the clock is the real
// one.
//
// Output rules:
//  - every reported line (kinds -1, 0, 1, 3) goes to standard output;
//  - an error line (kind -1) also goes to standard error. The channel only
//    sees the text, so the Ui does this: ReportMessage shows the error box
//    right after the line was delivered, and HeadlessUi::ShowBox prints an
//    error box to standard error instead of showing it;
//  - a Yes/No question is printed to standard output with the answer given.
#pragma once

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/job/job_lock.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/memory_form.h"
#include "common/message_transport.h"
#include "common/ui.h"
#include "tools/drillnc/command_table.h"

namespace drillnc {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,
};

struct GlobalOptions {
  std::filesystem::path home;   // --home DIR; empty: DRILLING_HOME, else the executable's folder
  std::optional<bool> answer;   // --yes / --no; none: every question is answered No
};

class HeadlessUi : public common::ScriptedUi {
 public:
  HeadlessUi(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}
  void ShowBox(common::Form* owner, const std::string& text, const std::string& caption,
               common::BoxIcon icon) override;
  bool AskYesNo(common::Form* owner, const std::string& text, const std::string& caption) override;
  int ErrorCount() const { return errors_; }

 private:
  std::FILE* out_;
  std::FILE* err_;
  int errors_ = 0;
};

struct Arguments;

// What a command does with its job: only reads it, or changes it (then it
// holds the job's lock from the start to the end, so no other program's
// change falls between its read and its write).
enum class JobAccess { Read, Change };

class Session {
 public:
  Session(const GlobalOptions& options, const Command& command, std::FILE* out = stdout,
          std::FILE* err = stderr);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Start-up over the program folder (data folders created when missing).
  // kExitOk, or kExitFailure with the reason on standard error.
  int Start();

  // A main form as the window has it after its creation: the lists filled
  // from Drilling.ini and, with `presets`, the start-up presets applied (no
  // placement, no banner, no message window to start). A form that an
  // existing job is read into takes no presets: a value the job does not
  // hold must stay absent, not become the preset and be saved.
  std::unique_ptr<common::MemoryForm> MainForm(bool presets = true);

  // ResolveJobPath, then, when something is there, the check that it is a
  // job definition file (reported when it is not: nothing may be read from
  // or written into it), and for a change the job's lock (a busy job is
  // reported). True with the context's current job set.
  bool OpenJob(std::string_view argument, JobAccess access = JobAccess::Change);

  // The job's lock for the rest of the command (see JobAccess); false after
  // the busy job was reported. For the current job path.
  bool LockJob();

  // The start of a command on one job: Start, then OpenJob, so nothing is
  // read from or written into the file before it is known to be a job.
  // kExitOk, or the exit status the command returns.
  int StartOnJob(std::string_view argument, JobAccess access = JobAccess::Change);

  // The start of a command whose one positional argument is the job: `args`
  // parsed (bare flags `flags`, no valued options), exactly one JOB required
  // (usage error otherwise), then StartOnJob. kExitOk with `a` filled, or the
  // exit status the command returns.
  int StartOnJobArguments(const std::vector<std::string>& args, std::initializer_list<std::string_view> flags,
                          Arguments& a, JobAccess access = JobAccess::Change);

  // For a command that needs the job to be there: false, with the missing
  // job reported as the main window reports it, when there is no job file.
  bool RequireJobFile();

  // A job file named on the command line: the path as given when something
  // is there; otherwise, for a bare name, DB/<name> and DB/<name>.ini of the
  // program folder. The path as given when nothing matches (the command's
  // own check then reports it).
  std::filesystem::path ResolveJobPath(std::string_view argument) const;

  // A result line on standard output (not a reported line).
  void Print(std::string_view line);
  // "drillnc NAME: why" and the command's usage on standard error; kExitUsage.
  int UsageError(std::string_view why);
  // "drillnc NAME: why" on standard error; kExitFailure.
  int Fail(std::string_view why);

  // Error boxes so far (each kind -1 report is one).
  int ErrorCount() const { return ui.ErrorCount(); }

  const Command& command;
  GlobalOptions options;
  std::FILE* out;
  std::FILE* err;

  HeadlessUi ui;
  common::SystemClock clock;
  common::SystemLauncher launcher;
  common::CallbackTransport transport;
  drilling::Context ctx;
  std::optional<drilling::JobLock> jobLock;  // released before the context goes
};

// The arguments of one command: "--name value" options for the names in
// `valued`, bare "--name" flags for the names in `flags`, everything else
// positional (in order). An option may repeat; "--" ends the options.
struct Arguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // flags have an empty value

  bool Has(std::string_view name) const;
  // The value of the last occurrence, or nullptr.
  const std::string* Last(std::string_view name) const;
  std::vector<std::string> All(std::string_view name) const;
};

// False with `error` set for an unknown option or an option without its value.
bool ParseArguments(const std::vector<std::string>& args, std::initializer_list<std::string_view> valued,
                    std::initializer_list<std::string_view> flags, Arguments& out, std::string& error);

// Splits "a,b,c" into exactly `count` numbers written as text (blanks around
// each part removed). False when the count differs or a part is not a whole
// decimal number.
bool SplitNumbers(std::string_view text, std::size_t count, std::vector<std::string>& parts);

// Program usage (the global options and every command of the table).
void PrintUsage(std::FILE* to);

}  // namespace drillnc
