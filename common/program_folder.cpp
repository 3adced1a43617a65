#include "common/program_folder.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <vector>

#include "common/file_keys.h"
#include "common/platform.h"
#include "common/textfile.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace common {
namespace {

// An installation is recognised by the configuration file in its shipped data.
constexpr const char* kShippedMarker = filekeys::config::kFileName;

fs::path Absolute(const fs::path& folder) {
  std::error_code ec;
  fs::path absolute = fs::absolute(folder, ec);
  return ec ? folder : absolute.lexically_normal();
}

std::string Reason(const std::error_code& ec) { return ec.message(); }

// The relative paths (with "/") listed in the record; empty when it is missing.
std::set<std::string> ReadRecord(const fs::path& record) {
  std::set<std::string> paths;
  std::string bytes;
  if (!ReadFileBytes(record, bytes)) return paths;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) paths.emplace(bytes, start, end - start);
    start = end + 1;
  }
  return paths;
}

// Every regular file under `shipped`, as relative paths with "/", sorted.
std::vector<std::string> ShippedFiles(const fs::path& shipped, std::string& problem) {
  std::vector<std::string> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(shipped, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError))
      files.push_back(it->path().lexically_relative(shipped).generic_string());
  }
  if (ec) problem = "cannot list " + shipped.string() + ": " + Reason(ec);
  std::sort(files.begin(), files.end());
  return files;
}

// Puts a copy of `source` at `target` unless something is there already, also
// when another program of the system lays out the same folder at the same
// moment: the copy is written whole under a name of this process and linked
// to the target, which fails rather than replace. `added` tells whether this
// call made the file. False, with `problem`, when it could not be made.
bool AddFileIfAbsent(const fs::path& source, const fs::path& target, bool& added, std::string& problem) {
  added = false;
  std::error_code ec;
  if (fs::exists(fs::symlink_status(target, ec))) return true;
  fs::create_directories(target.parent_path(), ec);
  if (ec) {
    problem = "cannot create " + target.parent_path().string() + ": " + Reason(ec);
    return false;
  }
  fs::path temporary = target;
#ifdef _WIN32
  temporary += ".new";
#else
  temporary += ".new-" + std::to_string(::getpid());
#endif
  fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec);
  if (!ec) {
    fs::create_hard_link(temporary, target, ec);
    if (!ec) {
      added = true;
    } else if (ec == std::errc::file_exists) {
      ec.clear();
    } else {
      // A file system without hard links: rename, after one more look.
      std::error_code statError;
      ec.clear();
      if (!fs::exists(fs::symlink_status(target, statError))) {
        fs::rename(temporary, target, ec);
        added = !ec;
      }
    }
  }
  if (ec) problem = "cannot add " + target.string() + ": " + Reason(ec);
  std::error_code removeError;
  fs::remove(temporary, removeError);
  return problem.empty();
}

}  // namespace

LayoutOutcome LayOutUserFolder(const fs::path& shipped, const fs::path& user) {
  LayoutOutcome outcome;
  std::error_code ec;
  fs::create_directories(user, ec);
  if (!fs::is_directory(user, ec)) {
    outcome.problem = "cannot create the folder " + user.string() + (ec ? ": " + Reason(ec) : ": not a folder");
    return outcome;
  }
  const fs::path record = user / kShippedRecordName;
  std::set<std::string> offered = ReadRecord(record);
  const std::vector<std::string> files = ShippedFiles(shipped, outcome.problem);
  bool changed = false;
  for (const std::string& file : files) {
    if (offered.count(file)) continue;
    bool added = false;
    std::string problem;
    if (!AddFileIfAbsent(shipped / file, user / file, added, problem)) {
      // Not recorded: the next start tries again.
      if (outcome.problem.empty()) outcome.problem = problem;
      continue;
    }
    if (added) ++outcome.added;
    offered.insert(file);
    changed = true;
  }
  if (changed) {
    std::string text;
    for (const std::string& file : offered) text += file + "\n";
    std::string error;
    if (!WriteFileAtomic(record, text, FileMode::Normal, &error) && outcome.problem.empty())
      outcome.problem = "cannot write " + record.string() + ": " + error;
  }
  return outcome;
}

ProgramFolderInputs SystemProgramFolderInputs(const fs::path& explicitFolder) {
  ProgramFolderInputs inputs;
  inputs.explicitFolder = explicitFolder;
  inputs.environmentFolder = EnvironmentValue("DRILLING_HOME");
  inputs.executableFolder = ExecutablePath().parent_path();
  const fs::path shared = SharedDataRoot(inputs.executableFolder);
  if (!shared.empty()) inputs.shippedFolder = shared / kPackageFolderName;
  inputs.userDataHome = UserDataHome();
  return inputs;
}

ProgramFolderChoice ChooseProgramFolder(const ProgramFolderInputs& inputs) {
  ProgramFolderChoice choice;
  choice.executableFolder = inputs.executableFolder;
  if (!inputs.explicitFolder.empty()) {
    choice.folder = Absolute(inputs.explicitFolder);
    return choice;
  }
  if (!inputs.environmentFolder.empty()) {
    choice.folder = Absolute(inputs.environmentFolder);
    return choice;
  }
  std::error_code ec;
  if (inputs.shippedFolder.empty() || !fs::is_regular_file(inputs.shippedFolder / kShippedMarker, ec)) {
    choice.folder = inputs.executableFolder;  // a build tree: data beside the programs
    return choice;
  }
  choice.perUser = true;
  const fs::path& home = inputs.userDataHome;
  if (home.empty()) {
    choice.problem = "no home folder is known for the user's program folder: set HOME, or DRILLING_HOME to a program folder";
    return choice;
  }
  choice.folder = Absolute(home / kPackageFolderName);
  LayoutOutcome layout = LayOutUserFolder(inputs.shippedFolder, choice.folder);
  choice.filesAdded = layout.added;
  if (layout.problem.empty()) return choice;
  if (fs::is_directory(choice.folder, ec))
    choice.warning = "not every shipped file could be added to " + choice.folder.string() + ": " + layout.problem;
  else
    choice.problem = layout.problem;
  return choice;
}

ProgramFolderChoice ResolveProgramFolder(const fs::path& explicitFolder) {
  return ChooseProgramFolder(SystemProgramFolderInputs(explicitFolder));
}

fs::path ProgramFolder() { return ResolveProgramFolder().folder; }

}  // namespace common
