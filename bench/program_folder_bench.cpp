// The per-user program folder of an installed program: laying it out from the
// shipped data at a first start, the look at a later start with nothing new,
// and drillnc as a whole process on a fresh home and on a laid-out one.
//
//   build/bench/program_folder_bench
//
// The shipped data is dist/; the installation is a temporary
// <root>/usr/bin + <root>/usr/share/drilling-cam.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/program_folder.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct Installation {
  testsupport::TempFolder root;
  fs::path bin = root / "usr/bin";
  fs::path shipped = root / "usr/share/drilling-cam";
  fs::path home = root / "home";
  Installation() {
    fs::create_directories(bin);
    fs::create_directories(shipped.parent_path());
    fs::copy(fs::path(DRILLING_SOURCE_DIR) / "dist", shipped, fs::copy_options::recursive);
    fs::copy_file(DRILLING_PROGRAM_DIR "/drillnc", bin / "drillnc");
  }
  fs::path User() const { return home / ".local/share/drilling-cam"; }
  int RunDrillnc() {
    return testsupport::RunProgram({(bin / "drillnc").string(), "tools", "list"}, {},
                                   {"HOME=" + home.string(), "PATH=/usr/bin:/bin"});
  }
};

void BM_LayOutFirstStart(benchmark::State& state) {
  Installation inst;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(inst.User());
    state.ResumeTiming();
    if (common::LayOutUserFolder(inst.shipped, inst.User()).added == 0) state.SkipWithError("nothing laid out");
  }
}
BENCHMARK(BM_LayOutFirstStart)->Unit(benchmark::kMillisecond);

void BM_LayOutLaterStart(benchmark::State& state) {
  Installation inst;
  common::LayOutUserFolder(inst.shipped, inst.User());
  for (auto _ : state) {
    common::LayoutOutcome outcome = common::LayOutUserFolder(inst.shipped, inst.User());
    if (outcome.added != 0 || !outcome.problem.empty()) state.SkipWithError("a later start added files");
  }
}
BENCHMARK(BM_LayOutLaterStart)->Unit(benchmark::kMicrosecond);

void BM_InstalledDrillncFirstStart(benchmark::State& state) {
  Installation inst;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(inst.home);
    fs::create_directories(inst.home);
    state.ResumeTiming();
    if (inst.RunDrillnc() != 0) state.SkipWithError("drillnc failed");
  }
}
BENCHMARK(BM_InstalledDrillncFirstStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_InstalledDrillncLaterStart(benchmark::State& state) {
  Installation inst;
  fs::create_directories(inst.home);
  inst.RunDrillnc();
  for (auto _ : state)
    if (inst.RunDrillnc() != 0) state.SkipWithError("drillnc failed");
}
BENCHMARK(BM_InstalledDrillncLaterStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
