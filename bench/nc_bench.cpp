// NC output speed: WriteNcProgram alone, the read-back check alone (plan,
// program read, comparison) and `drillnc nc` as a whole process (which runs
// both), on a job of 15 processes over 4 hole groups of 98 points; then the
// other side: `drillnc check` and `Drillview --png` on that program, and the
// check of a hand-made program of 1 MB. What the check adds to a creation is
// BM_VerifyWrittenProgram over the rest of BM_DrillncNc (BM_DrillncNc less it).
//   nc_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/ncout/nc_verify.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/message_transport.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"
#include "common/ui.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

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
  testsupport::TempFolder temp;  // removed with the folder
  const fs::path home = temp.Path();
  BenchFolder() {
    for (const char* sub : {"DB", "ncdata", "trycut", "DXF"}) fs::create_directories(home / sub);
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "Drilling.ini", home / "Drilling.ini");
    fs::copy_file(fs::path(DRILLING_PROGRAM_DIR) / "Relaypane.ini", home / "Relaypane.ini");
    common::WriteFileAtomic(home / "DB" / "big.ini", common::ToCp932CrLf(BigJob()));
  }
};

// A context on the bench folder's big job; its questions are answered Yes
// (the program of the previous round is overwritten), its lines go nowhere.
struct BenchContext {
  common::ScriptedUi ui;
  common::CallbackTransport transport{[](const std::string&) {}};
  drilling::Context ctx;
  explicit BenchContext(const BenchFolder& folder) {
    drilling::SetProgramFolder(ctx, folder.home);
    ctx.currentJobPath = folder.home / "DB" / "big.ini";
    ui.defaultAnswer = true;
    ctx.ui = &ui;
    ctx.transport = &transport;
  }
};

void BM_WriteNcProgram(benchmark::State& state) {
  BenchFolder folder;
  BenchContext bench(folder);
  for (auto _ : state) {
    if (drilling::WriteNcProgram(bench.ctx, nullptr, "FANUC 0i-MF") != 0) state.SkipWithError("WriteNcProgram failed");
  }
}
BENCHMARK(BM_WriteNcProgram)->Unit(benchmark::kMillisecond);

// What the read-back check adds to a creation: the big job's program read
// back and compared with the plan the writer wrote it from.
void BM_VerifyWrittenProgram(benchmark::State& state) {
  BenchFolder folder;
  BenchContext bench(folder);
  drilling::Context& ctx = bench.ctx;
  drilling::NcPlan plan;
  if (drilling::WriteNcProgram(ctx, nullptr, "FANUC 0i-MF", &plan) != 0)
    return state.SkipWithError("WriteNcProgram failed");
  const fs::path program = folder.home / "ncdata" / "O4321.nc";
  for (auto _ : state) {
    std::string line;
    if (drilling::VerifyWrittenProgram(ctx, nullptr, plan, program, line) != 0) state.SkipWithError("the check failed");
  }
}
BENCHMARK(BM_VerifyWrittenProgram)->Unit(benchmark::kMillisecond);

// Runs `argv` as a whole process per round, its output thrown away; exit
// statuses other than `allowed` (and 0) end the benchmark with an error.
void RunProcess(benchmark::State& state, const std::vector<std::string>& args, int allowed = 0) {
  for (auto _ : state) {
    const int status = testsupport::RunProgram(args, {});
    if (status < 0 || (status != 0 && status != allowed)) {
      state.SkipWithError("the program failed or cannot be started");
      break;
    }
  }
}

const std::string kDrillnc = (fs::path(DRILLING_PROGRAM_DIR) / "drillnc").string();

// drillnc --home HOME --yes nc big --no-sim.
void BM_DrillncNc(benchmark::State& state) {
  BenchFolder folder;
  RunProcess(state, {kDrillnc, "--home", folder.home.string(), "--yes", "nc", "big", "--no-sim"});
}
BENCHMARK(BM_DrillncNc)->Unit(benchmark::kMillisecond)->UseRealTime();

// The big job's program, written once.
fs::path BigProgram(const BenchFolder& folder) {
  std::string command = "'" + kDrillnc + "' --home '" + folder.home.string() + "' --yes nc big --no-sim >/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  return folder.home / "ncdata" / "O4321.nc";
}

// drillnc check on the big job's program (findings allowed: exit 1).
void BM_DrillncCheck(benchmark::State& state) {
  BenchFolder folder;
  fs::path program = BigProgram(folder);
  if (program.empty()) return state.SkipWithError("drillnc nc failed");
  RunProcess(state, {kDrillnc, "--home", folder.home.string(), "check", program.string(), "--job", "big"}, 1);
}
BENCHMARK(BM_DrillncCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

// Drillview --png on the big job's program, offscreen.
void BM_DrillviewPng(benchmark::State& state) {
  BenchFolder folder;
  fs::path program = BigProgram(folder);
  if (program.empty()) return state.SkipWithError("drillnc nc failed");
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  RunProcess(state, {(fs::path(DRILLING_PROGRAM_DIR) / "Drillview").string(), "--png",
                     (folder.home / "big.png").string(), program.string()});
}
BENCHMARK(BM_DrillviewPng)->Unit(benchmark::kMillisecond)->UseRealTime();

// A hand-made program of 1 MB: tool blocks of peck drilling, arcs and
// incremental repeats, checked by drillnc as a whole process.
void BM_DrillncCheck1Mb(benchmark::State& state) {
  BenchFolder folder;
  std::string text = "%\r\nO0001\r\n";
  for (int block = 0; text.size() < 1000000; ++block) {
    int t = block % 40 + 1;
    text += common::FormatText("G91 G28 Z0.\r\n(DRILL D%d.)\r\nT%02d M06\r\nG90 G00 G54 X0. Y0.\r\nG43 H%02d Z50.\r\n"
                               "S1200 M03\r\nM08\r\nG99 G83 X5. Y5. R2. Z-15. Q3. F150\r\n", t % 12 + 3, t, t);
    for (int k = 1; k < 120; ++k) text += common::FormatText("X%d.5 Y%d.\r\n", 5 + k % 60 * 4, 5 + k / 60 * 4);
    text += "G80\r\nG01 X10. Y10. F500\r\nG02 X30. Y10. R10.\r\nG03 X10. Y10. I-10. J0.\r\n"
            "G91 G81 X2. Y0. R-48. Z-5. K10 F100\r\nG90 G80\r\nM09\r\nM05\r\n";
  }
  text += "M30\r\n%\r\n";
  fs::path program = folder.home / "big1mb.nc";
  common::WriteFileAtomic(program, text);
  state.counters["bytes"] = static_cast<double>(text.size());
  RunProcess(state, {kDrillnc, "--home", folder.home.string(), "check", program.string()}, 1);
}
BENCHMARK(BM_DrillncCheck1Mb)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
