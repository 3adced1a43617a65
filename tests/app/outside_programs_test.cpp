#include "Drilling/app/outside_programs.h"

#include <gtest/gtest.h>

#include "Drilling/app/commands.h"
#include "Drilling/app/main_window.h"
#include "job/job_fixture.h"
#include "support/stand_in_program.h"

namespace fs = std::filesystem;
using namespace drilling;

namespace {

class OutsideProgramsTest : public jobtest::JobFixture {
 protected:
  // A job whose NcFile is `ncFile` (no key at all for "<absent>").
  void MakeJobWithNcFile(const std::string& ncFile) {
    std::string text = "[Drilling]\ntitle=T\n";
    if (ncFile != "<absent>") text += "NcFile=" + ncFile + "\n";
    MakeJob("T.ini", text);
  }
  fs::path MakeNcFile(const std::string& name) {
    fs::path path = ctx.NcFolder() / name;
    testsupport::WriteBytes(path, "%\r\nO1234\r\nM30\r\n%\r\n");
    return path;
  }
  std::vector<std::string> Listed() const { return lines; }

  common::MemoryForm main{MainDialogTemplate()};
};

// The editor: the job's NC program when it exists, else the NC file dialog;
// the configured editor or the desktop's default.
TEST_F(OutsideProgramsTest, EditorOpensTheJobProgramOrAsksForOne) {
  struct Case {
    const char* name;
    bool job;
    const char* ncFile;       // NcFile of the job ("<absent>": no key)
    bool fileExists;          // ncdata/<ncFile> exists
    const char* editor;       // EDITOR/FILE ("": not set)
    bool dialogAnswers;       // the dialog returns a file
    bool dialogExpected;
    const char* program;      // started program ("" none)
    const char* listed;       // last line delivered
  };
  const Case cases[] = {
      {"no job, cancelled", false, "", false, "", false, true, "", kNoNcFileChosenText},
      {"no job, chosen", false, "", false, "", true, true, kDefaultEditorProgram, nullptr},
      {"program missing", true, "O1234", false, "", false, true, "", kNoNcFileChosenText},
      {"no NcFile key", true, "<absent>", false, "", false, true, "", kNoNcFileChosenText},
      {"program exists", true, "O1234", true, "/opt/ed/ed", false, false, "/opt/ed/ed", nullptr},
      {"not configured", true, "O1234", true, "", false, false, kDefaultEditorProgram, nullptr},
      {"folder part", true, "../O1234", true, "", false, true, "", kNoNcFileChosenText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctx.currentJobPath.clear();
    if (c.job) MakeJobWithNcFile(c.ncFile);
    fs::path ncPath = ctx.NcFolder() / "O1234";
    if (c.fileExists) ncPath = MakeNcFile(std::string(c.ncFile).find("..") == 0 ? "../O1234" : "O1234");
    WriteConfig(std::string("[FILES]\nNCFILE=nc\n[EDITOR]\nFILE=") + c.editor + "\n");
    common::ForgetCachedProfiles();
    fs::path chosen = folder / "elsewhere" / "my programs" / "O 99.nc";
    fs::create_directories(chosen.parent_path());
    testsupport::WriteBytes(chosen, "%\r\n");
    ui.fileRequests.clear();
    ui.fileChoices.clear();
    ui.fileChoices.push_back(c.dialogAnswers ? std::optional<std::string>(chosen.string()) : std::nullopt);
    launcher.started.clear();
    lines.clear();
    ui.boxes.clear();

    EXPECT_EQ(OpenNcFileInEditor(ctx, main), 0);

    EXPECT_EQ(ui.fileRequests.size(), c.dialogExpected ? 1u : 0u);
    if (c.dialogExpected && !ui.fileRequests.empty()) {
      EXPECT_EQ(ui.fileRequests[0].title, "ＮＣファイルを開く");
    }
    if (*c.program) {
      ASSERT_EQ(launcher.started.size(), 1u);
      EXPECT_EQ(launcher.started[0].program, c.program);
      fs::path expected = c.dialogAnswers ? chosen : ncPath;
      EXPECT_EQ(launcher.started[0].arguments, std::vector<std::string>{expected.string()});
    } else {
      EXPECT_TRUE(launcher.started.empty());
    }
    if (c.listed) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), c.listed);
    }
    EXPECT_TRUE(ui.boxes.empty()) << "the cancelled dialog is reported in the list only";
    fs::remove_all(ctx.NcFolder());
    fs::create_directories(ctx.NcFolder());
  }
}

// The NC viewer: every check in its order, each with its error box; never a
// file dialog.
TEST_F(OutsideProgramsTest, NcViewerChecksInOrder) {
  struct Case {
    const char* name;
    bool job;
    const char* ncFile;
    bool fileExists;
    const char* viewer;
    bool startWorks;
    int result;
    const char* error;  // nullptr: started without an error
  };
  const Case cases[] = {
      {"no job", false, "O1234", true, "/v", true, -1, kNcFileNameUndefinedText},
      {"no NcFile", true, "<absent>", true, "/v", true, -1, kNcFileNameUndefinedText},
      {"empty NcFile", true, "", true, "/v", true, -1, kNcFileNameUndefinedText},
      {"no viewer, file there", true, "O1234", true, "", true, -1, kNcViewerUndefinedText},
      {"file missing", true, "O1234", false, "/v", true, -1, kNcFileMissingText},
      {"folder part", true, "../O1234", true, "/v", true, -1, kNcFileMissingText},
      {"cannot start", true, "O1234", true, "/v", false, -1, kNcViewerFailedText},
      {"started", true, "O1234", true, "/v", true, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctx.currentJobPath.clear();
    if (c.job) MakeJobWithNcFile(c.ncFile);
    if (c.fileExists) MakeNcFile("O1234");
    if (c.fileExists) testsupport::WriteBytes(ctx.programFolder / "O1234", "%\r\n");  // target of "../O1234"
    WriteConfig(std::string("[NcViewer]\nFILE=") + c.viewer + "\n");
    common::ForgetCachedProfiles();
    launcher.started.clear();
    launcher.startResult = c.startWorks;
    ui.boxes.clear();
    ui.fileRequests.clear();

    EXPECT_EQ(ShowNcDrawing(ctx, main), c.result);
    EXPECT_TRUE(ui.fileRequests.empty());
    if (c.error) {
      EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{c.error});
    } else {
      EXPECT_TRUE(ui.boxes.empty());
    }
    bool attempted = c.error == nullptr || std::string(c.error) == kNcViewerFailedText;
    ASSERT_EQ(launcher.started.size(), attempted ? 1u : 0u);
    if (attempted) {
      EXPECT_EQ(launcher.started[0].program, "/v");
      EXPECT_EQ(launcher.started[0].arguments, std::vector<std::string>{(ctx.NcFolder() / "O1234").string()});
    }
    fs::remove_all(ctx.NcFolder());
    fs::create_directories(ctx.NcFolder());
  }
}

// Real starts: a stand-in program records what it got. A path with blanks
// arrives as one argument, untouched; a program that is missing or not
// executable gives the command's error.
TEST_F(OutsideProgramsTest, RealStartsPassThePathAsOneArgument) {
  common::SystemLauncher real;
  ctx.launcher = &real;
  testsupport::StandInProgram editor(folder / "my tools" / "edit it");
  testsupport::StandInProgram viewer(folder / "viewer dir" / "view");
  MakeJobWithNcFile("O1234.nc");
  fs::path ncPath = MakeNcFile("O1234.nc");
  WriteConfig("[EDITOR]\nFILE=" + editor.Path().string() + "\n[NcViewer]\nFILE=" + viewer.Path().string() + "\n");
  common::ForgetCachedProfiles();

  EXPECT_EQ(OpenNcFileInEditor(ctx, main), 0);
  EXPECT_EQ(ShowNcDrawing(ctx, main), 0);
  EXPECT_EQ(editor.Arguments(), std::vector<std::string>{ncPath.string()});
  EXPECT_EQ(viewer.Arguments(), std::vector<std::string>{ncPath.string()});

  // A chosen file in a folder with blanks, and a name with a quote and a
  // dollar sign a shell would have acted on.
  ctx.currentJobPath.clear();
  fs::path odd = folder / "NC programs" / "O 12 $HOME 'x'.nc";
  fs::create_directories(odd.parent_path());
  testsupport::WriteBytes(odd, "%\r\n");
  ui.fileChoices.push_back(odd.string());
  fs::remove(editor.Path().parent_path() / "edit it.args");
  EXPECT_EQ(OpenNcFileInEditor(ctx, main), 0);
  EXPECT_EQ(editor.Arguments(), std::vector<std::string>{odd.string()});
  EXPECT_TRUE(ui.boxes.empty());

  MakeJobWithNcFile("O1234.nc");
  fs::path notExecutable = folder / "plain file";
  testsupport::WriteBytes(notExecutable, "not a program\n");
  for (const fs::path& program : {folder / "no such program", notExecutable, folder.Path()}) {
    SCOPED_TRACE(program.string());
    WriteConfig("[EDITOR]\nFILE=" + program.string() + "\n[NcViewer]\nFILE=" + program.string() + "\n");
    common::ForgetCachedProfiles();
    ui.boxes.clear();
    EXPECT_EQ(OpenNcFileInEditor(ctx, main), -1);
    EXPECT_EQ(ShowNcDrawing(ctx, main), -1);
    EXPECT_EQ(ErrorBoxes(), (std::vector<std::string>{kEditorFailedText, kNcViewerFailedText}));
  }
}

// The menu items reach the commands.
TEST_F(OutsideProgramsTest, MenuItemsStartTheCommands) {
  MakeJobWithNcFile("O1234.nc");
  fs::path ncPath = MakeNcFile("O1234.nc");
  WriteConfig("[EDITOR]\nFILE=/e\n[NcViewer]\nFILE=/v\n");
  common::ForgetCachedProfiles();
  common::MemoryForm window(MainDialogTemplate(), MainWindowProc(ctx));
  window.Click(kCmdNcFile);
  window.Click(kCmdDrawNcData);
  ASSERT_EQ(launcher.started.size(), 2u);
  EXPECT_EQ(launcher.started[0].program, "/e");
  EXPECT_EQ(launcher.started[1].program, "/v");
}

}  // namespace

// A bare program name is looked for in the program folder first and else
// left to PATH; a value with a folder part stands as it is. The shipped
// viewer, Drillview beside Drilling, is started by its full path.
TEST_F(OutsideProgramsTest, BareNamesAreLookedForInTheProgramFolderFirst) {
  const fs::path beside = ctx.programFolder / "Drillview";
  testsupport::WriteBytes(beside, "#!/bin/sh\n");
  fs::permissions(beside, fs::perms::owner_all);
  testsupport::WriteBytes(ctx.programFolder / "notes", "not a program\n");
  // An installed program: the other programs are beside its executable.
  ctx.executableFolder = ctx.programFolder / "bin";
  fs::create_directory(ctx.executableFolder);
  for (const char* name : {"Drillview", "drillnc"}) {
    testsupport::WriteBytes(ctx.executableFolder / name, "#!/bin/sh\n");
    fs::permissions(ctx.executableFolder / name, fs::perms::owner_all);
  }
  const std::pair<const char*, std::string> cases[] = {
      {"Drillview", beside.string()},  {"gedit", "gedit"},          {"notes", "notes"},
      {"sub/Drillview", "sub/Drillview"}, {"/usr/bin/Drillview", "/usr/bin/Drillview"},
      {"drillnc", (ctx.executableFolder / "drillnc").string()},
  };
  for (const auto& [configured, expected] : cases)
    EXPECT_EQ(ResolveConfiguredProgram(ctx, configured), expected) << configured;

  MakeJobWithNcFile("O1234");
  const fs::path program = MakeNcFile("O1234");
  WriteConfig("[NcViewer]\nFILE=Drillview\n");
  common::ForgetCachedProfiles();
  ASSERT_EQ(ShowNcDrawing(ctx, main), 0);
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0].program, beside.string());
  EXPECT_EQ(launcher.started[0].arguments, std::vector<std::string>{program.string()});
}
