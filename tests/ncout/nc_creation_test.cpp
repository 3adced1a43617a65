#include "Drilling/ncout/nc_creation.h"

#include <gtest/gtest.h>

#include "Drilling/app/commands.h"
#include "Drilling/app/main_window.h"
#include "common/memory_form.h"
#include "common/text.h"
#include "ncout/ncout_support.h"

namespace fs = std::filesystem;

namespace drilling::testing {
namespace {

constexpr const char* kProcess =
    "[Hole1]\nX1=10.\nY1=10.\n"
    "[PROCESS1]\nTOOLNAME=ドリル\nTOOLDIAM=8.5\nTOOLT=3\nTOOLH=3\nSPINDL=800\nFEEDRATE=80\nGCODE=81\n"
    "RCODE=3.\nZCODE=-20.\nGROUP=1\n";

class NcCreationTest : public NcFolderTest {
 protected:
  NcCreationTest() : main(MainDialogTemplate()) {}

  void JobFor(const char* controller, const char* ncFile = "O12.nc") {
    Job(common::FormatText("[Drilling]\n制御装置=%s\n座標系=G54\nＯ番号=12\nNcFile=%s\n材料X=100\n材料Y=50\n"
                           "材料Z=20\n原点X=0\n原点Y=0\n原点Z=0.\n",
                           controller, ncFile) +
        kProcess);
  }
  // A program that stands for TRYCUT.
  fs::path Simulator() {
    fs::path exe = folder / "trycut2000";
    WriteText(exe, "#!/bin/sh\n");
    return exe;
  }

  common::MemoryForm main;
};

TEST_F(NcCreationTest, WritesTheProgramAndEndsQuietlyWithoutTrycut) {
  Config("");
  JobFor("FANUC 0i-MF");
  EXPECT_EQ(CreateNcData(ctx, main), 0) << LastErrorBox();
  EXPECT_TRUE(fs::is_regular_file(ctx.NcFolder() / "O12.nc"));
  EXPECT_TRUE(Reported("TRYCUT2000の設定はされてません。"));
  EXPECT_EQ(ui.boxes.size(), 0u);
  EXPECT_TRUE(fs::is_empty(ctx.TrycutFolder()));
}

TEST_F(NcCreationTest, FanucAnywhereInTheNameCaseSensitive) {
  Config("");
  for (const char* controller : {"FANUC 31i-B5", "MAKINO FANUC PRO5", "MELDAS FANUC"}) {
    JobFor(controller);
    ui.answers = {true};
    EXPECT_EQ(CreateNcData(ctx, main), 0) << controller << ": " << LastErrorBox();
  }
  for (const char* controller : {"Fanuc 0i", "MITSUBISHI MELDAS M80", "OKUMA OSP-P300MA"}) {
    JobFor(controller, "O99.nc");
    EXPECT_EQ(CreateNcData(ctx, main), -1);
    EXPECT_EQ(LastErrorBox(), common::FormatText("エラー：指定した制御装置 %s は未定義です。", controller));
    EXPECT_FALSE(fs::exists(ctx.NcFolder() / "O99.nc"));
  }
}

TEST_F(NcCreationTest, ChecksBeforeTheWriter) {
  Config("");
  // No NC file name and no program number in the form.
  Job(std::string("[Drilling]\n制御装置=FANUC 0i-MF\n座標系=G54\n") + kProcess);
  EXPECT_EQ(CreateNcData(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：プログラム番号が未定義です。");
  // A program number in the form: the writer reports the missing name.
  main.SetText(kProgramNumberEdit, "12");
  EXPECT_EQ(CreateNcData(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：ＮＣファイル定義がありません");
  EXPECT_TRUE(Reported(">>> FANUC 0i-MF仕様 ＮＣデータ作成"));
  // No controller.
  JobFor("");
  EXPECT_EQ(CreateNcData(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：制御装置（マシニング）名の定義がありません");
  EXPECT_TRUE(fs::is_empty(ctx.NcFolder()));
}

TEST_F(NcCreationTest, WriterFailureEndsTheCommand) {
  Config(common::FormatText("[TRYCUT]\nFILE=%s\n", Simulator().c_str()));
  Job(std::string("[Drilling]\n制御装置=FANUC 0i-MF\nＯ番号=12\nNcFile=O12.nc\n") + kProcess);  // no 座標系
  EXPECT_EQ(CreateNcData(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：ワーク座標系の定義がありません");
  EXPECT_EQ(ErrorBoxCount(), 1);
  EXPECT_TRUE(fs::is_empty(ctx.TrycutFolder()));
}

TEST_F(NcCreationTest, ProgramMissingAfterWriting) {
  // The second read of the name takes 31 bytes only: a longer name is
  // written by the writer but not found afterwards.
  Config("");
  const std::string longName = "O12-" + std::string(30, 'x') + ".nc";
  JobFor("FANUC 0i-MF", longName.c_str());
  EXPECT_EQ(CreateNcData(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：ＮＣ計算失敗？ ファイルがありません");
  EXPECT_TRUE(fs::exists(ctx.NcFolder() / longName));
}

TEST_F(NcCreationTest, HandsTheProgramToTrycut) {
  fs::path simulator = Simulator();
  Config(common::FormatText("[TRYCUT]\nFILE=%s\n", simulator.c_str()));
  WriteText(folder / "FANUC.CTL", "; template\n");
  JobFor("FANUC 0i-MF");
  main.Minimise();
  EXPECT_EQ(CreateNcData(ctx, main), 0) << LastErrorBox();
  EXPECT_EQ(ErrorBoxCount(), 0);
  EXPECT_FALSE(main.IsMinimised()) << "the main window comes back after the package";
  for (const char* name : {"O12.CTL", "O12.box", "O12.ttl", "O12.bat"})
    EXPECT_TRUE(fs::exists(ctx.TrycutFolder() / name)) << name;
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0].program, simulator.string());
  EXPECT_EQ(launcher.started[0].arguments.back(), (ctx.NcFolder() / "O12.nc").string());

  // Without starting the simulator (the command line's --no-sim).
  ui.answers = {true, true, true};
  EXPECT_EQ(CreateNcData(ctx, main, TrycutPackageStep(false)), 0) << LastErrorBox();
  EXPECT_EQ(launcher.started.size(), 1u);
}

TEST_F(NcCreationTest, MissingTrycutExecutable) {
  Config(common::FormatText("[TRYCUT]\nFILE=%s\n", (folder / "nowhere.exe").c_str()));
  JobFor("FANUC 0i-MF");
  EXPECT_EQ(CreateNcData(ctx, main), -1);
  EXPECT_EQ(LastErrorBox(), "エラー：実行ファイル " + (folder / "nowhere.exe").string() + " がありません");
  EXPECT_TRUE(fs::exists(ctx.NcFolder() / "O12.nc"));  // the program stands
}

TEST_F(NcCreationTest, TrycutFailureLeavesTheProgram) {
  Config(common::FormatText("[TRYCUT]\nFILE=%s\n", Simulator().c_str()));
  JobFor("FANUC 0i-MF");  // no FANUC.CTL template in the program folder
  EXPECT_EQ(CreateNcData(ctx, main), 0);
  EXPECT_EQ(LastErrorBox(), "エラー：TRYCUTコントロールファイルの作成に失敗");
  EXPECT_TRUE(fs::exists(ctx.NcFolder() / "O12.nc"));
  EXPECT_TRUE(launcher.started.empty());
}

}  // namespace
}  // namespace drilling::testing
