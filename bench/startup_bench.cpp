// Drilling as a whole process, from exec to its main window shown
// (offscreen), on a copy of the shipped program folder.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

void BM_DrillingStartToShown(benchmark::State& state) {
  fs::path home = fs::temp_directory_path() / "drilling-startup-bench";
  fs::remove_all(home);
  fs::copy(DRILLING_PROGRAM_DIR, home, fs::copy_options::recursive);
  std::string program = (home / "Drilling").string();
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("DRILLING_HOME", home.c_str(), 1);
  setenv("DRILLING_EXIT_AFTER_SHOW", "1", 1);
  for (auto _ : state) {
    pid_t pid = 0;
    char* argv[] = {program.data(), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start Drilling");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("Drilling did not end cleanly");
      break;
    }
  }
  unsetenv("DRILLING_EXIT_AFTER_SHOW");
  fs::remove_all(home);
}
BENCHMARK(BM_DrillingStartToShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
