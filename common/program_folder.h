// Which folder a program of this system uses as its program folder (the
// configuration files, tables, templates and data folders), decided in one
// place for Drilling, Relaypane, Drillview and drillnc:
//   1. a folder given on the command line (drillnc --home);
//   2. DRILLING_HOME when set and not empty;
//   3. an installed program (its shipped data found beside its executables,
//      see common::SharedDataRoot): the user's own folder,
//      <user data home>/drilling-cam, laid out from the shipped data;
//   4. otherwise the folder of the running executable (a build tree).
#pragma once

#include <filesystem>
#include <string>

namespace common {

// Everything the choice depends on, so tests can give their own.
struct ProgramFolderInputs {
  std::filesystem::path explicitFolder;     // --home; empty when not given
  std::string environmentFolder;            // DRILLING_HOME; empty when unset
  std::filesystem::path executableFolder;   // folder of the running program
  std::filesystem::path shippedFolder;      // an installation's shipped data (may not exist)
  std::filesystem::path userDataHome;       // e.g. ~/.local/share; empty when unknown
};

struct ProgramFolderChoice {
  std::filesystem::path folder;            // the program folder (absolute when it could be made so)
  std::filesystem::path executableFolder;  // where the other programs of the system are
  bool perUser = false;                    // an installed program's per-user folder
  int filesAdded = 0;                      // shipped files added to it by this start
  // Empty when the folder can be used. Otherwise why not (English, with the
  // path): the program cannot start on it.
  std::string problem;
  // Shipped files that could not be added (the folder is used all the same).
  std::string warning;
};

// Name of an installation's shipped data folder under its shared data root
// and of the per-user folder under the user data home, and of the list of
// shipped files already offered to a per-user folder (kept inside it).
inline constexpr const char* kPackageFolderName = "drilling-cam";
inline constexpr const char* kShippedRecordName = ".shipped-files";

// The inputs of this process: the command line's folder, the environment, the
// executable's folder and this platform's folders.
ProgramFolderInputs SystemProgramFolderInputs(const std::filesystem::path& explicitFolder = {});

// Chooses (and for an installed program lays out) the program folder.
ProgramFolderChoice ChooseProgramFolder(const ProgramFolderInputs& inputs);

// ChooseProgramFolder(SystemProgramFolderInputs(explicitFolder)).
ProgramFolderChoice ResolveProgramFolder(const std::filesystem::path& explicitFolder = {});

// The program folder of this process, problems left to its user (tests).
std::filesystem::path ProgramFolder();

struct LayoutOutcome {
  int added = 0;
  std::string problem;  // the first file or folder that could not be made; empty when none
};

// Lays out `user` from `shipped`: every shipped file that was never offered
// to this folder before and is not there is copied in. A file already there
// is never replaced (the user's tables, tool list, settings and jobs stay as
// they are), and one the user removed after it was offered is not brought
// back. The offered files are listed in `user`/.shipped-files, so a start
// with nothing new reads one small file and the shipped folder's listing.
LayoutOutcome LayOutUserFolder(const std::filesystem::path& shipped, const std::filesystem::path& user);

}  // namespace common
