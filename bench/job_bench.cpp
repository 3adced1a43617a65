// The job file: drillnc new with every field as a whole process, and the
// save of the main form alone.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Drilling/app/commands.h"
#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "common/clock.h"
#include "common/memory_form.h"
#include "common/message_transport.h"
#include "common/sjis.h"
#include "common/ui.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeProgramFolder() {
  std::string pattern = (fs::temp_directory_path() / "job-bench-XXXXXX").string();
  fs::path folder = ::mkdtemp(pattern.data());
  std::ofstream(folder / "Drilling.ini", std::ios::binary)
      << common::Utf8ToCp932(
             "[UserStartup]\r\nWorkType=S45C\r\nMachine=FANUC 0i-MF\r\nCoordSystem=G54\r\n"
             "[WorkType]\r\nWorkType0=S45C\r\nWorkType1=A5052\r\n[Machine]\r\nMachine0=FANUC 0i-MF\r\n"
             "[CoordSystem]\r\nCoordSystem0=G54\r\n[work]\r\n原点=0\r\n[NCFILE]\r\nFANUC=nc\r\n");
  return folder;
}

void DrillncNewWholeProcess(benchmark::State& state) {
  fs::path home = MakeProgramFolder();
  std::string program = DRILLING_PROGRAM_DIR "/drillnc";
  std::vector<std::string> args{program,       "--yes",      "--home",       home.string(), "new",
                                "--title",     "BENCH-PLATE", "--material",  "S45C",        "--stock",
                                "150,100,20",  "--origin",   "c",            "--controller", "FANUC 0i-MF",
                                "--coord",     "G54",        "--program",    "1001"};
  for (auto _ : state) {
    if (testsupport::RunProgram(args, {}) != 0) {
      state.SkipWithError("drillnc new failed");
      break;
    }
  }
  fs::remove_all(home);
}
BENCHMARK(DrillncNewWholeProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->Iterations(40);

void SaveJobMainFieldsAlone(benchmark::State& state) {
  fs::path home = MakeProgramFolder();
  drilling::Context ctx;
  common::ScriptedUi ui;
  common::FixedClock clock;
  common::CallbackTransport transport([](const std::string&) {});
  ctx.ui = &ui;
  ctx.clock = &clock;
  ctx.transport = &transport;
  drilling::StartUp(ctx, home);
  common::MemoryForm main(drilling::MainDialogTemplate());
  drilling::NewJobFile(ctx, main);
  // Two sets of values, alternated, so that every key really changes.
  const char* sets[2][9] = {{"S45C", "150", "100", "20", "75", "50", "FANUC 0i-MF", "G54", "1001"},
                            {"A5052", "200", "120", "25", "0", "0", "FANUC 31i-B5", "G55", "2002"}};
  const int ids[9] = {drilling::kMaterialCombo, drilling::kStockXEdit, drilling::kStockYEdit,
                      drilling::kStockZEdit,    drilling::kOriginXEdit, drilling::kOriginYEdit,
                      drilling::kControllerCombo, drilling::kCoordSystemCombo, drilling::kProgramNumberEdit};
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < 9; ++i) main.SetText(ids[i], sets[n % 2][i]);
    ++n;
    state.ResumeTiming();
    if (drilling::SaveJobMainFields(ctx, main) != 0) {
      state.SkipWithError("save failed");
      break;
    }
  }
  fs::remove_all(home);
}
BENCHMARK(SaveJobMainFieldsAlone)->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
