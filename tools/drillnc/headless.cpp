#include "tools/drillnc/headless.h"

#include <system_error>

#include "Drilling/app/main_window.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "common/program_folder.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drillnc {
namespace {

// Prints one line; a line that already ends with a line feed gets no second one.
void PutLine(std::FILE* to, std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), to);
  if (line.empty() || line.back() != '\n') std::fputc('\n', to);
  std::fflush(to);
}

}  // namespace

void HeadlessUi::ShowBox(common::Form* owner, const std::string& text, const std::string& caption,
                         common::BoxIcon icon) {
  ScriptedUi::ShowBox(owner, text, caption, icon);
  if (icon == common::BoxIcon::Error) {
    ++errors_;
    PutLine(err_, text);
  }
}

bool HeadlessUi::AskYesNo(common::Form* owner, const std::string& text, const std::string& caption) {
  bool yes = ScriptedUi::AskYesNo(owner, text, caption);
  PutLine(out_, text + (yes ? " -> Yes" : " -> No"));
  return yes;
}

Session::Session(const GlobalOptions& opts, const Command& cmd, std::FILE* outFile, std::FILE* errFile)
    : command(cmd),
      options(opts),
      out(outFile),
      err(errFile),
      ui(outFile, errFile),
      transport([this](const std::string& line) { PutLine(out, line); }) {
  ui.defaultAnswer = options.answer.value_or(false);
  ctx.ui = &ui;
  ctx.clock = &clock;
  ctx.launcher = &launcher;
  ctx.transport = &transport;
}

int Session::Start() {
  const common::ProgramFolderChoice home = common::ResolveProgramFolder(options.home);
  if (!home.problem.empty()) return Fail(home.problem);
  if (!home.warning.empty()) PutLine(err, std::string("drillnc ") + command.name + ": warning: " + home.warning);
  const fs::path& folder = home.folder;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return Fail("program folder " + folder.string() + " is not a folder");
  ctx.executableFolder = home.executableFolder;
  if (drilling::StartUp(ctx, folder) != 0) return kExitFailure;  // the box went to standard error
  return kExitOk;
}

std::unique_ptr<common::MemoryForm> Session::MainForm(bool presets) {
  auto main = std::make_unique<common::MemoryForm>(drilling::MainDialogTemplate());
  drilling::FillMainLists(ctx, *main);
  if (!presets) drilling::ClearMainForm(*main, 0);  // the lists stay
  return main;
}

bool Session::OpenJob(std::string_view argument, JobAccess access) {
  fs::path path = ResolveJobPath(argument);
  ctx.currentJobPath.clear();
  std::error_code ec;
  // Nothing there: the command's own check reports the missing job.
  const bool there = fs::exists(fs::symlink_status(path, ec));
  if (there && drilling::CheckJobDefinitionFile(ctx, nullptr, path) != drilling::kDone) return false;
  ctx.currentJobPath = path;
  return !there || access == JobAccess::Read || LockJob();
}

bool Session::LockJob() {
  jobLock.reset();
  jobLock.emplace(ctx, nullptr, ctx.currentJobPath);
  return jobLock->Held();
}

int Session::StartOnJob(std::string_view argument, JobAccess access) {
  if (int started = Start(); started != kExitOk) return started;
  return OpenJob(argument, access) ? kExitOk : kExitFailure;
}

int Session::StartOnJobArguments(const std::vector<std::string>& args, std::initializer_list<std::string_view> flags,
                                 Arguments& a, JobAccess access) {
  std::string error;
  if (!ParseArguments(args, {}, flags, a, error)) return UsageError(error);
  if (a.positional.size() != 1) return UsageError("needs JOB");
  return StartOnJob(a.positional[0], access);
}

bool Session::RequireJobFile() {
  if (drilling::JobFileExists(ctx)) return true;
  drilling::Report(ctx, nullptr, drilling::kKindError, drilling::kNoJobFileText);
  return false;
}

fs::path Session::ResolveJobPath(std::string_view argument) const {
  fs::path given{std::string(argument)};
  std::error_code ec;
  if (fs::exists(given, ec)) return given;
  if (!given.has_parent_path() && !argument.empty()) {
    for (fs::path candidate : {ctx.JobFolder() / given, ctx.JobFolder() / (std::string(argument) + ".ini")})
      if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return given;
}

void Session::Print(std::string_view line) { PutLine(out, line); }

int Session::UsageError(std::string_view why) {
  PutLine(err, std::string("drillnc ") + command.name + ": " + std::string(why));
  PutLine(err, std::string("usage: drillnc [--home DIR] [--yes|--no] ") + command.name + " " + command.usage);
  return kExitUsage;
}

int Session::Fail(std::string_view why) {
  PutLine(err, std::string("drillnc ") + command.name + ": " + std::string(why));
  return kExitFailure;
}

bool Arguments::Has(std::string_view name) const { return Last(name) != nullptr; }

const std::string* Arguments::Last(std::string_view name) const {
  const std::string* found = nullptr;
  for (const auto& [key, value] : options)
    if (key == name) found = &value;
  return found;
}

std::vector<std::string> Arguments::All(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [key, value] : options)
    if (key == name) values.push_back(value);
  return values;
}

bool ParseArguments(const std::vector<std::string>& args, std::initializer_list<std::string_view> valued,
                    std::initializer_list<std::string_view> flags, Arguments& out, std::string& error) {
  auto in = [](std::initializer_list<std::string_view> names, std::string_view name) {
    for (std::string_view n : names)
      if (n == name) return true;
    return false;
  };
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a.compare(0, 2, "--") != 0) {
      out.positional.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value" is accepted as well as "--name value".
    std::string name = a;
    std::optional<std::string> inlineValue;
    if (std::size_t eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      inlineValue = a.substr(eq + 1);
    }
    if (in(valued, name)) {
      if (inlineValue) {
        out.options.emplace_back(name, *inlineValue);
      } else if (i + 1 < args.size()) {
        out.options.emplace_back(name, args[++i]);
      } else {
        error = "option " + name + " needs a value";
        return false;
      }
    } else if (in(flags, name) && !inlineValue) {
      out.options.emplace_back(name, std::string());
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  return true;
}

bool SplitNumbers(std::string_view text, std::size_t count, std::vector<std::string>& parts) {
  parts.clear();
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    std::string_view part = common::Trim(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    double value = 0;
    if (!common::ParseNumber(part, &value)) return false;
    parts.emplace_back(part);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts.size() == count;
}

void PrintUsage(std::FILE* to) {
  std::fputs(
      "usage: drillnc [--home DIR] [--yes|--no] COMMAND [ARGUMENTS]\n"
      "\n"
      "  --home DIR   program folder (default: DRILLING_HOME, else the folder of drillnc;\n"
      "               installed: $XDG_DATA_HOME/drilling-cam, laid out at the first start)\n"
      "  --yes, --no  the answer to every Yes/No question (default: No)\n"
      "\n"
      "Exit status: 0 success, 1 failure, 2 usage error.\n"
      "\n"
      "Commands:\n",
      to);
  for (const Command& c : Commands()) std::fprintf(to, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
}

}  // namespace drillnc
