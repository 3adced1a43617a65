// NC output speed: WriteNcProgram alone, and `drillnc nc` as a whole
// process, on a job of 15 processes over 4 hole groups of 98 points.
//   nc_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "Drilling/app/context.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/message_transport.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "common/ui.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string BigJob() {
  std::string job = "[Drilling]\ntitle=big\n制御装置=FANUC 0i-MF\n座標系=G54\n材質=S45C\n材料X=1000\n材料Y=250\n"
                    "材料Z=30\n原点X=0\n原点Y=0\n原点Z=0.\nＯ番号=4321\nNcFile=O4321.nc\n";
  for (int g = 1; g <= 4; ++g) {
    job += common::FormatText("[Hole%d]\n種類=ドリル\n穴径=8.5\n深さ=20\n", g);
    for (int k = 1; k <= 98; ++k) job += common::FormatText("X%d=%d.5\nY%d=%d.\n", k, 10 * k, k, 50 * g);
  }
  const int cycles[] = {81, 83, 73, 82, 84};
  const char* names[] = {"センタードリル", "ドリル", "ドリル", "面取りカッター", "タップ"};
  for (int n = 1; n <= 15; ++n) {
    int i = (n - 1) % 5;
    job += common::FormatText(
        "[PROCESS%d]\nTOOLNAME=%s\nTOOLDIAM=8.5\nTOOLT=%d\nTOOLH=%d\nTOOLD=\nSPINDL=900\nFEEDRATE=120\nGCODE=%d\n"
        "RCODE=2.\nZCODE=-20.\nQCODE=%s\nOFFSET=\nGROUP=%d\n",
        n, names[i], n, n, cycles[i], (cycles[i] == 83 || cycles[i] == 73) ? "2." : "", n % 5);
  }
  return job;
}

// A program folder with the shipped configuration and the big job.
struct BenchFolder {
  fs::path home;
  BenchFolder() {
    std::string pattern = (fs::temp_directory_path() / "ncbench-XXXXXX").string();
    home = mkdtemp(pattern.data());
    for (const char* sub : {"DB", "ncdata", "trycut", "DXF"}) fs::create_directories(home / sub);
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "Drilling.ini", home / "Drilling.ini");
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "Relaypane.ini", home / "Relaypane.ini");
    common::WriteFileAtomic(home / "DB" / "big.ini", common::ToCp932CrLf(BigJob()));
  }
  ~BenchFolder() {
    std::error_code ec;
    fs::remove_all(home, ec);
  }
};

void BM_WriteNcProgram(benchmark::State& state) {
  BenchFolder folder;
  drilling::Context ctx;
  drilling::SetProgramFolder(ctx, folder.home);
  ctx.currentJobPath = folder.home / "DB" / "big.ini";
  common::ScriptedUi ui;
  ui.defaultAnswer = true;  // overwrite the program of the previous round
  common::CallbackTransport transport([](const std::string&) {});
  ctx.ui = &ui;
  ctx.transport = &transport;
  for (auto _ : state) {
    if (drilling::WriteNcProgram(ctx, nullptr, "FANUC 0i-MF") != 0) state.SkipWithError("WriteNcProgram failed");
  }
}
BENCHMARK(BM_WriteNcProgram)->Unit(benchmark::kMillisecond);

// drillnc --home HOME --yes nc big --no-sim, its output thrown away.
void BM_DrillncNc(benchmark::State& state) {
  BenchFolder folder;
  std::string drillnc = (fs::path(DRILLING_PROGRAM_DIR) / "drillnc").string();
  std::string home = folder.home.string();
  const char* argv[] = {drillnc.c_str(), "--home", home.c_str(), "--yes", "nc", "big", "--no-sim", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, drillnc.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("drillnc cannot be started");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("drillnc nc failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_DrillncNc)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
