#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "common/platform.h"
#include "common/program_folder.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

namespace {

// Every file under `folder` (relative, with "/"), the record included.
std::set<std::string> FilesUnder(const fs::path& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.insert(entry.path().lexically_relative(folder).generic_string());
  return files;
}

// An installation in miniature: <root>/usr/bin and <root>/usr/share/drilling-cam.
struct Installation {
  TempFolder root;
  fs::path bin = root / "usr/bin";
  fs::path shipped = root / "usr/share/drilling-cam";
  fs::path dataHome = root / "home/.local/share";
  Installation() {
    fs::create_directories(bin);
    fs::create_directories(shipped / "DB");
    WriteBytes(shipped / "Drilling.ini", "[Drilling]\r\nToolTable=MCTOOL.ini\r\n");
    WriteBytes(shipped / "drillS45C.tbl", "shipped 1\r\n");
    WriteBytes(shipped / "DB/SAMPLE-PLATE.ini", "[Drilling]\r\n");
  }
  common::ProgramFolderInputs Inputs() const {
    common::ProgramFolderInputs in;
    in.executableFolder = bin;
    in.shippedFolder = shipped;
    in.userDataHome = dataHome;
    return in;
  }
};

}  // namespace

TEST(ProgramFolder, IsChosenByCommandLineThenEnvironmentThenInstallationThenExecutable) {
  Installation inst;
  const fs::path user = inst.dataHome / "drilling-cam";
  struct Case {
    const char* what;
    fs::path explicitFolder;
    std::string environment;
    bool installed;       // the shipped data is there
    bool knownHome;       // the user data home is known
    fs::path expected;
    bool perUser;
    bool problem;
  };
  const Case cases[] = {
      {"--home wins", inst.root / "a/../given", "/elsewhere", true, true, inst.root / "given", false, false},
      {"DRILLING_HOME next", {}, (inst.root / "env").string(), true, true, inst.root / "env", false, false},
      {"installed: the user's folder", {}, "", true, true, user, true, false},
      {"a build tree keeps its own folder", {}, "", false, true, inst.bin, false, false},
      {"installed without a home", {}, "", true, false, {}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(inst.dataHome);
    common::ProgramFolderInputs in = inst.Inputs();
    in.explicitFolder = c.explicitFolder;
    in.environmentFolder = c.environment;
    if (!c.installed) in.shippedFolder = inst.root / "usr/share/nothing";
    if (!c.knownHome) in.userDataHome.clear();
    const common::ProgramFolderChoice choice = common::ChooseProgramFolder(in);
    EXPECT_EQ(choice.folder, c.expected);
    EXPECT_EQ(choice.perUser, c.perUser);
    EXPECT_EQ(!choice.problem.empty(), c.problem) << choice.problem;
    EXPECT_EQ(choice.executableFolder, inst.bin);
    // Only the per-user choice lays anything out.
    EXPECT_EQ(fs::exists(user / "Drilling.ini"), c.perUser && !c.problem);
  }
}

TEST(ProgramFolder, AnUpdateAddsNewShippedFilesAndKeepsWhatTheUserHas) {
  Installation inst;
  const fs::path user = inst.dataHome / "drilling-cam";

  // First start: everything shipped, byte for byte, and the record of it.
  common::ProgramFolderChoice first = common::ChooseProgramFolder(inst.Inputs());
  ASSERT_TRUE(first.problem.empty()) << first.problem;
  EXPECT_EQ(first.filesAdded, 3);
  EXPECT_EQ(FilesUnder(user), (std::set<std::string>{".shipped-files", "DB/SAMPLE-PLATE.ini", "Drilling.ini",
                                                     "drillS45C.tbl"}));
  EXPECT_EQ(ReadBytes(user / "drillS45C.tbl"), "shipped 1\r\n");

  // The user edits a table and the settings and removes the sample job.
  WriteBytes(user / "drillS45C.tbl", "mine\r\n");
  WriteBytes(user / "Drilling.ini", "[Drilling]\r\nToolTable=MYTOOLS.ini\r\n");
  fs::remove(user / "DB/SAMPLE-PLATE.ini");
  WriteBytes(user / "DB/PLATE-01.ini", "[Drilling]\r\n");

  // The update changes the shipped table and settings and brings two new
  // files, one of them already made by the user under that name.
  WriteBytes(inst.shipped / "drillS45C.tbl", "shipped 2\r\n");
  WriteBytes(inst.shipped / "Drilling.ini", "[Drilling]\r\nToolTable=MCTOOL2.ini\r\n");
  fs::create_directories(inst.shipped / "help");
  WriteBytes(inst.shipped / "help/Drilling.html", "<html></html>");
  WriteBytes(inst.shipped / "drillFC250.tbl", "shipped FC250\r\n");
  WriteBytes(user / "drillFC250.tbl", "my FC250\r\n");

  common::ProgramFolderChoice second = common::ChooseProgramFolder(inst.Inputs());
  ASSERT_TRUE(second.problem.empty()) << second.problem;
  EXPECT_EQ(second.filesAdded, 1);
  EXPECT_EQ(ReadBytes(user / "help/Drilling.html"), "<html></html>");
  EXPECT_EQ(ReadBytes(user / "drillS45C.tbl"), "mine\r\n");
  EXPECT_EQ(ReadBytes(user / "Drilling.ini"), "[Drilling]\r\nToolTable=MYTOOLS.ini\r\n");
  EXPECT_EQ(ReadBytes(user / "drillFC250.tbl"), "my FC250\r\n");
  EXPECT_FALSE(fs::exists(user / "DB/SAMPLE-PLATE.ini")) << "a removed shipped file is not brought back";
  EXPECT_TRUE(fs::exists(user / "DB/PLATE-01.ini"));

  // Nothing new: nothing added, the record stays as it was.
  const std::string record = ReadBytes(user / ".shipped-files");
  EXPECT_EQ(common::ChooseProgramFolder(inst.Inputs()).filesAdded, 0);
  EXPECT_EQ(ReadBytes(user / ".shipped-files"), record);
  EXPECT_EQ(FilesUnder(user), (std::set<std::string>{".shipped-files", "DB/PLATE-01.ini", "Drilling.ini",
                                                     "drillFC250.tbl", "drillS45C.tbl", "help/Drilling.html"}));
}

TEST(ProgramFolder, AFileThatCannotBeAddedIsReportedAndTriedAgainAtTheNextStart) {
  Installation inst;
  const fs::path user = inst.dataHome / "drilling-cam";
  fs::create_directories(inst.shipped / "help");
  WriteBytes(inst.shipped / "help/Drilling.html", "<html></html>");
  fs::create_directories(user);
  WriteBytes(user / "help", "a file where the shipped folder goes");

  common::ProgramFolderChoice blocked = common::ChooseProgramFolder(inst.Inputs());
  EXPECT_TRUE(blocked.problem.empty()) << "the folder is still used";
  EXPECT_NE(blocked.warning.find("help"), std::string::npos) << blocked.warning;
  EXPECT_EQ(blocked.filesAdded, 3);

  fs::remove(user / "help");
  common::ProgramFolderChoice later = common::ChooseProgramFolder(inst.Inputs());
  EXPECT_TRUE(later.warning.empty()) << later.warning;
  EXPECT_EQ(later.filesAdded, 1);
  EXPECT_EQ(ReadBytes(user / "help/Drilling.html"), "<html></html>");

  // A user folder that cannot be a folder: the program cannot start on it.
  fs::remove_all(inst.dataHome);
  fs::create_directories(inst.dataHome);
  WriteBytes(user, "not a folder");
  common::ProgramFolderChoice refused = common::ChooseProgramFolder(inst.Inputs());
  EXPECT_NE(refused.problem.find(user.string()), std::string::npos) << refused.problem;
}

TEST(ProgramFolder, TheUserDataHomeFollowsTheDesktopsBaseFolderRules) {
  struct Case {
    const char* xdg;   // nullptr: unset
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/data/alice", "/home/alice", "/data/alice"},
      {"relative/data", "/home/alice", "/home/alice/.local/share"},  // a relative value is ignored
      {"", "/home/alice", "/home/alice/.local/share"},
      {nullptr, "/home/bob", "/home/bob/.local/share"},
  };
  const std::string savedXdg = common::EnvironmentValue("XDG_DATA_HOME");
  const std::string savedHome = common::EnvironmentValue("HOME");
  for (const Case& c : cases) {
    if (c.xdg) ::setenv("XDG_DATA_HOME", c.xdg, 1);
    else ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", c.home, 1);
    EXPECT_EQ(common::UserDataHome(), fs::path(c.expected)) << (c.xdg ? c.xdg : "(unset)");
  }
  if (savedXdg.empty()) ::unsetenv("XDG_DATA_HOME");
  else ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  ::setenv("HOME", savedHome.c_str(), 1);
}

// The real program, installed in miniature: its own executable path leads it
// to the shipped data, and a fresh home gets the user's folder.
TEST(ProgramFolder, AnInstalledProgramStartsOnTheUsersFolder) {
  Installation inst;
  fs::remove_all(inst.shipped);
  fs::copy(fs::path(DRILLING_SOURCE_DIR) / "dist", inst.shipped, fs::copy_options::recursive);
  fs::copy_file(DRILLING_PROGRAM_DIR "/drillnc", inst.bin / "drillnc");
  const fs::path home = inst.root / "home";
  fs::create_directories(home);

  const fs::path out = inst.root / "out";
  const int status = testsupport::RunProgram({(inst.bin / "drillnc").string(), "show", "SAMPLE-PLATE"}, {{}, out, {}},
                                             {"HOME=" + home.string(), "PATH=/usr/bin:/bin"});
  EXPECT_EQ(status, 0) << ReadBytes(out);
  const fs::path user = home / ".local/share/drilling-cam";
  EXPECT_EQ(ReadBytes(user / "MCTOOL.ini"), ReadBytes(inst.shipped / "MCTOOL.ini"));
  EXPECT_TRUE(fs::is_directory(user / "ncdata")) << "the data folders are made in the user's folder";
  EXPECT_FALSE(fs::exists(inst.shipped / "ncdata")) << "the shipped data stays as installed";
}
