#include "Drilling/companions/trycut_package.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "Drilling/app/commands.h"
#include "Drilling/app/main_window.h"
#include "common/memory_form.h"
#include "common/text.h"
#include "common/textfile.h"
#include "ncout/ncout_support.h"

namespace fs = std::filesystem;

namespace drilling::testing {
namespace {

constexpr const char* kStock = "材料X=200.\n材料Y=100\n材料Z=30.\n原点X=0.\n原点Y=0\n原点Z=0.\n";

constexpr const char* kToolProcesses =
    "[PROCESS1]\nTOOLNAME=センタードリル\nTOOLDIAM=0.5\nTOOLT=1\nZCODE=-2.\n"
    "[PROCESS2]\nTOOLNAME=ドリル\nTOOLDIAM=10\nTOOLT=5\nZCODE=-20\n"
    "[PROCESS3]\nTOOLNAME=ドリル\nTOOLDIAM=10\nTOOLT=5\nZCODE=-20\n"
    "[PROCESS4]\nTOOLNAME=面取りカッター\nTOOLT=3\nZCODE=-2.\n"
    "[PROCESS5]\nTOOLNAME=タップ\nTOOLDIAM=10.\nTOOLT=7\nZCODE=-18.\n"
    "[PROCESS6]\nTOOLNAME=エンドミル\nTOOLDIAM=14\nTOOLT=8\nZCODE=-9.5\n"
    "[PROCESS8]\nTOOLNAME=ドリル\nTOOLDIAM=8.5\nTOOLT=9\nZCODE=-25.5\n"
    "[PROCESS9]\nTOOLNAME=面取りカッター\nTOOLDIAM=12\nTOOLT=10\nZCODE=-1.5\n"
    "[PROCESS10]\nTOOLNAME=リーマ\nTOOLDIAM=8\nTOOLT=11\nZCODE=-20\n"
    "[PROCESS11]\nTOOLNAME=ドリル\nTOOLDIAM=6\nTOOLT=150\nZCODE=-10\n"
    "[PROCESS12]\nTOOLNAME=ドリル\nTOOLDIAM=6\nTOOLT=150\nZCODE=-10\n"
    "[PROCESS13]\nTOOLNAME=ドリル\nTOOLDIAM=6\nTOOLT=0\nZCODE=-10\n";

class TrycutTest : public NcFolderTest {
 protected:
  TrycutTest() {
    goldenFolder = "companions";
    WriteText(folder / "FANUC.CTL", "; test template\nMACHINE = FANUC\n");
  }

  // A job with stock, a FANUC controller, the NC file O12.nc and `extra`.
  void JobWith(const std::string& extra, const char* controller = "FANUC 0i-MF") {
    Job(std::string("[Drilling]\n制御装置=") + controller + "\n" + kStock + "NcFile=O12.nc\n" + extra);
  }
  fs::path Trycut(const char* name) const { return ctx.TrycutFolder() / name; }

  // A program TRYCUT stands for: a file in a folder whose name has a blank.
  fs::path FakeSimulator(const char* name = "trycut2000") {
    fs::path bin = folder / "TRYCUT bin";
    fs::create_directories(bin);
    WriteText(bin / name, "#!/bin/sh\n");
    return bin / name;
  }
  std::string NcPath() const { return (ctx.NcFolder() / "O12.nc").string(); }
};

TEST_F(TrycutTest, PackageFileNamesFromTheNcFileBaseName) {
  auto names = PackageFileNames(ctx, "/cam/ncdata/O12.NC");
  EXPECT_EQ(names.base, "O12");
  EXPECT_EQ(names.controlName, "O12.CTL");
  EXPECT_EQ(names.boxName, "O12.box");
  EXPECT_EQ(names.toolName, "O12.ttl");
  EXPECT_EQ(names.batchPath, ctx.TrycutFolder() / "O12.bat");
  EXPECT_EQ(names.toolPath, ctx.TrycutFolder() / "O12.ttl");
  EXPECT_EQ(PackageFileNames(ctx, "C:\\CAM\\ncdata\\O5.min").base, "O5");
  EXPECT_EQ(PackageFileNames(ctx, "O7").base, "O7");
  EXPECT_EQ(PackageFileNames(ctx, "/a.b/O1.2.nc").base, "O1.2");
}

TEST_F(TrycutTest, ControlFileIsTheTemplateAndTheRadiusLines) {
  JobWith(
      "[PROCESS1]\nGCODE=41\nTOOLD=21\nTOOLDIAM=10.\n"
      "[PROCESS2]\nGCODE=41\nTOOLD=0\nTOOLDIAM=8\n"     // no offset number: no line
      "[PROCESS3]\nGCODE=83\nTOOLD=5\nTOOLDIAM=8\n"     // not radius-compensated
      "[PROCESS4]\nGCODE=41\nTOOLD=4\nTOOLDIAM=\n"      // no diameter
      "[PROCESS20]\nGCODE=41\nTOOLD=7\nTOOLDIAM=12.5\n"  // the scan passes gaps
      "[PROCESS98]\nGCODE=41\nTOOLD=123\nTOOLDIAM=25.4\n"
      "[PROCESS99]\nGCODE=41\nTOOLD=9\nTOOLDIAM=10\n");  // beyond the scan
  ASSERT_EQ(WriteTrycutControlFile(ctx, Trycut("O12.CTL")), 0) << ctx.messageBuffer;
  EXPECT_EQ(Bytes(Trycut("O12.CTL")), Golden("control.CTL"));
}

TEST_F(TrycutTest, ControlFileTemplateChoiceAndTextModeCopy) {
  // OSP is tested before FANUC; a template with bare LF and no final line end.
  ASSERT_TRUE(common::WriteFileAtomic(folder / "OSP.CTL", "OSP LINE 1\nOSP LINE 2"));
  JobWith("[PROCESS1]\nGCODE=41\nTOOLD=3\nTOOLDIAM=6\n", "OSP FANUC");
  ASSERT_EQ(WriteTrycutControlFile(ctx, Trycut("O12.CTL")), 0) << ctx.messageBuffer;
  EXPECT_EQ(Bytes(Trycut("O12.CTL")), "OSP LINE 1\r\nOSP LINE 2\r\nMEMORY D03 = 3.000\r\n");

  // Without MEMORY lines the template is copied unchanged, final line end or not.
  JobWith("[PROCESS1]\nGCODE=83\nTOOLD=3\nTOOLDIAM=6\n", "OSP");
  ASSERT_EQ(WriteTrycutControlFile(ctx, Trycut("O12.CTL")), 0) << ctx.messageBuffer;
  EXPECT_EQ(Bytes(Trycut("O12.CTL")), "OSP LINE 1\r\nOSP LINE 2");

  // The copy ends at an end-of-file mark, as a text-mode copy does; an exact
  // half radius rounds away from zero.
  ASSERT_TRUE(common::WriteFileAtomic(folder / "MELDAS.CTL", "M1\r\n\x1a\x1a"));
  JobWith("[PROCESS1]\nGCODE=41\nTOOLD=2\nTOOLDIAM=12.125\n", "MELDAS M80");
  ASSERT_EQ(WriteTrycutControlFile(ctx, Trycut("O12.CTL")), 0) << ctx.messageBuffer;
  EXPECT_EQ(Bytes(Trycut("O12.CTL")), "M1\r\nMEMORY D02 = 6.063\r\n");
}

TEST_F(TrycutTest, ControlFileFailures) {
  struct Case {
    const char* controller;
    const char* error;
  } cases[] = {
      {"", "エラー：制御装置取り出し失敗"},
      {"HEIDENHAIN TNC640", "エラー：TRYCUTコントローラー取り出し失敗"},
      {"fanuc 0i", "エラー：TRYCUTコントローラー取り出し失敗"},  // the family names are case-sensitive
      {"MITSUBISHI MELDAS M80", "エラー：TRYCUTコントロールファイルの作成に失敗"},  // no MELDAS.CTL here
  };
  for (const Case& c : cases) {
    JobWith("", c.controller);
    EXPECT_EQ(WriteTrycutControlFile(ctx, Trycut("O12.CTL")), -1) << c.controller;
    EXPECT_EQ(ctx.messageBuffer, c.error) << c.controller;
  }
  EXPECT_FALSE(fs::exists(Trycut("O12.CTL")));
}

TEST_F(TrycutTest, StockBoxInWorkCoordinates) {
  JobWith("");
  ASSERT_EQ(WriteStockBox(ctx, Trycut("O12.box")), 0);
  EXPECT_EQ(Bytes(Trycut("O12.box")), Golden("box.box"));
  Job("[Drilling]\n材料X=200\n材料Y=100\n材料Z=30\n原点X=50.5\n原点Y=25\n原点Z=0.\n");
  ASSERT_EQ(WriteStockBox(ctx, Trycut("O12.box")), 0);
  EXPECT_EQ(Bytes(Trycut("O12.box")), "+BOX(149.500 75.000 0.000 -50.500 -25.000 -30.000)\r\n");
  // Exact halves round away from zero, as every number text of the system.
  Job("[Drilling]\n材料X=100.0625\n材料Y=50\n材料Z=20\n原点X=0\n原点Y=0\n原点Z=-0.0625\n");
  ASSERT_EQ(WriteStockBox(ctx, Trycut("O12.box")), 0);
  EXPECT_EQ(Bytes(Trycut("O12.box")), "+BOX(100.063 50.000 -0.063 0.000 0.000 -20.063)\r\n");
}

TEST_F(TrycutTest, StockBoxNamesTheFirstMissingValue) {
  const char* keys[] = {"材料X", "材料Y", "材料Z", "原点X", "原点Y", "原点Z"};
  for (const char* key : keys) {
    std::string stock = kStock;
    std::size_t at = stock.find(std::string(key) + "=");
    stock.insert(at, "#");  // the key is gone
    Job("[Drilling]\n" + stock);
    EXPECT_EQ(WriteStockBox(ctx, Trycut("O12.box")), -1);
    EXPECT_EQ(ctx.messageBuffer, common::FormatText("エラー：%s データがあいません。", key));
  }
  EXPECT_FALSE(fs::exists(Trycut("O12.box")));
}

TEST_F(TrycutTest, ToolFileOneEntryPerToolWithPensAndSpecialCases) {
  JobWith(kToolProcesses);
  ASSERT_EQ(WriteTrycutToolFile(ctx, nullptr, Trycut("O12.ttl")), 0) << ctx.messageBuffer;
  EXPECT_EQ(Bytes(Trycut("O12.ttl")), Golden("tools.ttl"));
  EXPECT_TRUE(Reported("T01 → センタードリル D0.50"));
  EXPECT_TRUE(Reported("T05 → 作成済"));
  EXPECT_TRUE(Reported("T150 → 作成済"));

  // The one-decimal and two-decimal prints round exact halves away from zero too.
  JobWith("[PROCESS1]\nTOOLNAME=センタードリル\nTOOLDIAM=2.25\nTOOLT=4\nZCODE=-2\n"
          "[PROCESS2]\nTOOLNAME=ドリル\nTOOLDIAM=0.125\nTOOLT=6\nZCODE=-1\n");
  ui.answers = {true};  // overwrite the first tool file
  ASSERT_EQ(WriteTrycutToolFile(ctx, nullptr, Trycut("O12.ttl")), 0) << ctx.messageBuffer;
  EXPECT_EQ(Bytes(Trycut("O12.ttl")),
            Cp932("INI = MAGAZINE04\n"
                  "MAGAZINE04 = CUTTER/2.3,0,0,2.3,31,0,4.8,\"センタードリル\"\n"
                  "             LENGTH3/30,5,1,0,30,8\n"
                  "             PEN/1\n"
                  "MAGAZINE06 = CUTTER/0.125,0,0,0.063,31,0,2.,\"ドリル\"\n"
                  "             LENGTH/7.\n"
                  "             PEN/2\n"));
  EXPECT_TRUE(Reported("T06 → ドリル D0.13"));
}

TEST_F(TrycutTest, ToolFileFailures) {
  struct Case {
    const char* processes;
    const char* error;
  } cases[] = {
      {"[PROCESS1]\nTOOLNAME=ドリル\nTOOLT=0\nZCODE=-5\n", "エラー：[1] 工具番号の定義がありません"},
      {"[PROCESS1]\nTOOLNAME=ドリル\nTOOLT=1\nZCODE=-5\n[PROCESS2]\nTOOLT=2\nZCODE=-5\n",
       "エラー：[2] 工具名の定義がありません"},
      {"[PROCESS1]\nTOOLNAME=ドリル\nTOOLT=1\nZCODE=-5\n[PROCESS2]\nTOOLNAME=タップ\nTOOLT=2\nZCODE=\n",
       "エラー：[2] 切込みＺ値がありません"},
  };
  for (const Case& c : cases) {
    JobWith(c.processes);
    // The operator agreed to replace an earlier tool file: it must not stay
    // beside the new control and box files; the partial one is kept aside.
    WriteText(Trycut("O12.ttl"), "old tools\n");
    ui.answers = {true};
    EXPECT_EQ(WriteTrycutToolFile(ctx, nullptr, Trycut("O12.ttl")), -1);
    EXPECT_EQ(ctx.messageBuffer.rfind(c.error, 0), 0u) << ctx.messageBuffer;
    EXPECT_FALSE(fs::exists(Trycut("O12.ttl")));  // neither the old nor a half-written one
    const bool partial = std::string(c.error).find("[1]") == std::string::npos;
    EXPECT_EQ(fs::exists(Trycut("O12.ttl.failed")), partial) << c.error;
    if (partial) {
      EXPECT_NE(ctx.messageBuffer.find("書きかけの工具ファイルは " + Trycut("O12.ttl.failed").string()), std::string::npos);
    }
    fs::remove(Trycut("O12.ttl.failed"));
  }
  // A later process without a tool number is only skipped.
  JobWith("[PROCESS1]\nTOOLNAME=ドリル\nTOOLT=1\nZCODE=-5\n[PROCESS3]\nTOOLNAME=タップ\nZCODE=-5\n");
  WriteText(Trycut("O12.ttl.failed"), "partial of an earlier run\n");
  EXPECT_EQ(WriteTrycutToolFile(ctx, nullptr, Trycut("O12.ttl")), 0);
  EXPECT_FALSE(fs::exists(Trycut("O12.ttl.failed"))) << "a later good run clears the stale partial";
}

TEST_F(TrycutTest, DeclinedToolFileIsAnErrorAndKeepsWhatWasWritten) {
  JobWith(kToolProcesses);
  WriteText(Trycut("O12.ttl"), "old tools\n");
  ui.answers = {false};
  fs::path simulator = FakeSimulator();
  EXPECT_EQ(CreateTrycutPackage(ctx, nullptr, simulator.string(), NcPath()), -1);
  EXPECT_EQ(LastErrorBox(), "TRYCUT 工具ファイルの書き込みを中止します。");
  EXPECT_EQ(Bytes(Trycut("O12.ttl")), Cp932("old tools\n"));
  EXPECT_TRUE(fs::exists(Trycut("O12.CTL")));  // written before the failure, left in place
  EXPECT_TRUE(fs::exists(Trycut("O12.box")));
  EXPECT_FALSE(fs::exists(Trycut("O12.bat")));
  EXPECT_TRUE(launcher.started.empty());
}

TEST_F(TrycutTest, BatchFileTwelveLines) {
  auto names = PackageFileNames(ctx, "C:\\CAM\\ncdata\\O12.nc");
  Config("");
  ASSERT_EQ(WriteTrycutBatchFile(ctx, nullptr, names, "C:\\TRYCUT\\TRYCUT2000.exe", "C:\\CAM\\ncdata\\O12.nc"), 0);
  EXPECT_EQ(Bytes(names.batchPath), Golden("batch.bat"));

  Config("[TRYCUT]\nPAR=/m2\n[NCFORMAT]\nStartX=0.\nStartY=0.\nStartZ=50.\n");
  ui.answers = {true};
  ASSERT_EQ(WriteTrycutBatchFile(ctx, nullptr, names, "C:\\シミュレータ\\TRYCUT2000.exe", "C:\\CAM\\ncdata\\O12.nc"), 0);
  EXPECT_EQ(Bytes(names.batchPath), Golden("batch_par.bat"));
  EXPECT_TRUE(Reported("TRYCUT2000 実行モード /m2"));
}

TEST_F(TrycutTest, BatchFileRefusesAStartPositionThatIsNotANumber) {
  auto names = PackageFileNames(ctx, "C:\\CAM\\ncdata\\O12.nc");
  for (const char* config : {"[NCFORMAT]\nStartZ=５０\n", "[NCFORMAT]\nStartX=12345678\n"}) {
    Config(config);
    EXPECT_EQ(WriteTrycutBatchFile(ctx, nullptr, names, "C:\\TRYCUT\\TRYCUT2000.exe", "C:\\CAM\\ncdata\\O12.nc"), -1);
    EXPECT_EQ(LastErrorBox().rfind("エラー：NCFORMAT の START", 0), 0u) << LastErrorBox();
    EXPECT_FALSE(fs::exists(names.batchPath));
  }
}

TEST_F(TrycutTest, DeclinedBatchFileIsOnlyAnInformation) {
  JobWith(kToolProcesses);
  Config("");
  WriteText(Trycut("O12.bat"), "old batch\n");
  ui.answers = {false};
  EXPECT_EQ(CreateTrycutPackage(ctx, nullptr, FakeSimulator().string(), NcPath()), 1);
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes.back().text, "TRYCUT バッチファイルの書き込みを中止します。");
  EXPECT_EQ(ui.boxes.back().icon, common::BoxIcon::Information);
  EXPECT_EQ(ErrorBoxCount(), 0);
  EXPECT_EQ(Bytes(Trycut("O12.bat")), Cp932("old batch\n"));
  EXPECT_TRUE(fs::exists(Trycut("O12.ttl")));
  EXPECT_TRUE(launcher.started.empty());
}

// ---- starting TRYCUT --------------------------------------------------------

TEST_F(TrycutTest, PackageStartsTheSimulatorAsTheBatchFileWould) {
  JobWith(kToolProcesses);
  Config("[TRYCUT]\nPAR=/m2 /q\n");
  fs::path simulator = FakeSimulator();
  ASSERT_EQ(CreateTrycutPackage(ctx, nullptr, simulator.string(), NcPath()), 0) << LastErrorBox();
  EXPECT_EQ(ErrorBoxCount(), 0);
  EXPECT_TRUE(Reported("=== TRYCUT2000用シミュレーションファイル作成 ==="));
  EXPECT_TRUE(Reported("実行 " + Trycut("O12.bat").string()));
  ASSERT_EQ(launcher.started.size(), 1u);
  const common::LaunchRequest r = launcher.started[0];
  EXPECT_EQ(r.program, simulator.string());  // the blank in the folder name stays inside one argument
  EXPECT_EQ(r.arguments, (std::vector<std::string>{"/m2", "/q", "/s", "(0,0,50)", "/d", "O12.box", "/t", "O12.ttl",
                                                    "/c", "O12.CTL", NcPath()}));
  EXPECT_EQ(fs::canonical(r.workingFolder), fs::canonical(ctx.TrycutFolder()));

  // TRYCUT再実行 starts the same batch file's command again, nothing rebuilt.
  fs::remove(Trycut("O12.ttl"));
  common::MemoryForm main(MainDialogTemplate());
  EXPECT_EQ(RerunTrycut(ctx, main), 0);
  ASSERT_EQ(launcher.started.size(), 2u);
  EXPECT_EQ(launcher.started[1].program, r.program);
  EXPECT_EQ(launcher.started[1].arguments, r.arguments);
  EXPECT_FALSE(fs::exists(Trycut("O12.ttl")));
}

TEST_F(TrycutTest, NoSimulatorStartOnRequest) {
  JobWith(kToolProcesses);
  Config("");
  ASSERT_EQ(CreateTrycutPackage(ctx, nullptr, FakeSimulator().string(), NcPath(), false), 0);
  EXPECT_TRUE(fs::exists(Trycut("O12.bat")));
  EXPECT_TRUE(launcher.started.empty());
}

TEST_F(TrycutTest, AStartFailureIsReportedButThePackageStands) {
  JobWith(kToolProcesses);
  Config("");
  launcher.startResult = false;
  fs::path simulator = FakeSimulator();
  EXPECT_EQ(CreateTrycutPackage(ctx, nullptr, simulator.string(), NcPath()), 0);
  EXPECT_EQ(LastErrorBox(), "エラー：シミュレーション実行できません");
  EXPECT_TRUE(Reported(simulator.string() + " を起動できません"));
  EXPECT_TRUE(fs::exists(Trycut("O12.bat")));
}

TEST_F(TrycutTest, WindowsProgramsRunThroughWine) {
  TrycutCommand command;
  command.program = "/opt/trycut/TRYCUT2000.EXE";
  command.arguments = {"/s", "(0,0,50)", "/d", "O12.box", "/c", "O12.CTL", "/cam/ncdata/O12.nc"};
  command.argumentIsPath = {false, false, false, false, false, false, true};
  command.folder = "/cam/trycut";
  common::LaunchRequest request;
  std::string why;
  ASSERT_TRUE(TrycutLaunchRequest(command, "/usr/bin/wine", request, why));
  EXPECT_EQ(request.program, "/usr/bin/wine");
  EXPECT_EQ(request.arguments, (std::vector<std::string>{"/opt/trycut/TRYCUT2000.EXE", "/s", "(0,0,50)", "/d",
                                                          "O12.box", "/c", "O12.CTL", "Z:\\cam\\ncdata\\O12.nc"}));
  EXPECT_EQ(request.workingFolder, "/cam/trycut");

  EXPECT_FALSE(TrycutLaunchRequest(command, "", request, why));
  EXPECT_NE(why.find("wine"), std::string::npos);
}

TEST_F(TrycutTest, AWindowsProgramWithoutWineCannotBeStartedHere) {
  JobWith(kToolProcesses);
  Config("");
  std::string savedPath = common::FormatText("%s", getenv("PATH") ? getenv("PATH") : "");
  setenv("PATH", folder.c_str(), 1);  // no wine anywhere
  fs::path simulator = FakeSimulator("TRYCUT2000.exe");
  int result = CreateTrycutPackage(ctx, nullptr, simulator.string(), NcPath());
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(LastErrorBox(), "エラー：シミュレーション実行できません");
  EXPECT_TRUE(Reported(simulator.string() + " はWindowsのプログラムですが、wine がインストールされていません"));
  EXPECT_TRUE(launcher.started.empty());
}

TEST_F(TrycutTest, RerunFailures) {
  common::MemoryForm main(MainDialogTemplate());
  Job("[Drilling]\nNcFile=\n");
  EXPECT_EQ(RerunTrycut(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：ＮＣファイル名が未定義です。");
  JobWith("");
  EXPECT_EQ(RerunTrycut(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "シミュレーションファイルがありません。");
  // A start failure is reported, and the command still counts as done.
  WriteText(Trycut("O12.bat"), "@echo off\nstart %EXEFILE%\n");  // EXEFILE never set
  EXPECT_EQ(RerunTrycut(ctx, main), 0);
  EXPECT_EQ(LastErrorBox(), "エラー：シミュレーション実行できません");
  EXPECT_TRUE(Reported(Trycut("O12.bat").string() + " に起動行がありません"));
  EXPECT_TRUE(launcher.started.empty());
}

}  // namespace
}  // namespace drilling::testing
