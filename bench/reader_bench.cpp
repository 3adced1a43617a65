// The reader's targets: `drillnc check` linear in the program's size, at 20
// MB/s and more on a drilling program, its peak memory at most 4 times the
// file; Drillview --png of a 1 MB program within 300 ms, of 10 MB within 3 s.
//   reader_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
// BM_CheckDrillingProgram reports bytes_per_second (in process: the reader
// and the check in one pass) for 1, 4 and 16 MB, so its time per byte shows
// whether it stays linear, and heap_over_file: the file plus the most the
// check holds on the heap at once, against the file (this program counts
// every allocation). BM_DrillncCheckMemory runs drillnc check as a process
// on 4 and 16 MB under /usr/bin/time (when installed) and reports its peak
// resident memory, and the same of an empty program (base_MB: the program's
// own code and libraries).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "common/textfile.h"
#include "gcode/gcode_reader.h"
#include "gcode/nc_check.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

// Every allocation of this program counted, with the most held at once.
std::atomic<std::size_t> gHeldBytes{0}, gPeakBytes{0};

void* Allocate(std::size_t size) {
  auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  const std::size_t held = gHeldBytes += size;
  std::size_t peak = gPeakBytes.load();
  while (held > peak && !gPeakBytes.compare_exchange_weak(peak, held)) {
  }
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void Release(void* p) {
  if (!p) return;
  auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
  gHeldBytes -= *block;
  std::free(block);
}

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace {

const std::string kDrillnc = (fs::path(DRILLING_PROGRAM_DIR) / "drillnc").string();
const std::string kDrillview = (fs::path(DRILLING_PROGRAM_DIR) / "Drillview").string();

// A drilling program as the NC writer makes them, of about `bytes`: tool
// blocks of 2000 holes each (centre drill, peck drill, tap in turn), one
// "X Y" line per hole, CR LF.
std::string DrillingProgram(std::size_t bytes) {
  std::string text = "%\r\nO1000\r\n(DRILLING BENCH)\r\nG17 G40 G49 G80\r\n";
  const char* cycles[] = {"G81 X%.3f Y%.3f R2. Z-2. F120", "G83 X%.3f Y%.3f R2. Z-25. Q3. F88",
                          "G84 X%.3f Y%.3f R5. Z-15. F390"};
  const char* names[] = {"(CENTER DRILL D3)", "(DRILL D8.5)", "(TAP D10)"};
  const int speeds[] = {1590, 740, 260};
  char line[96];
  for (int block = 0; text.size() < bytes; ++block) {
    const int kind = block % 3, tool = block % 40 + 1;
    std::snprintf(line, sizeof line, "%s\r\nT%02d M06\r\nG90 G00 G54 X0. Y0.\r\nG43 H%02d Z50.\r\nS%d M03\r\nM08\r\n",
                  names[kind], tool, tool, speeds[kind]);
    text += line;
    for (int k = 0; k < 2000; ++k) {
      const double x = 10 + (k % 100) * 7.25, y = 10 + (k / 100) * 6.5;
      if (k == 0) {
        std::snprintf(line, sizeof line, cycles[kind], x, y);
        text += line;
      } else {
        std::snprintf(line, sizeof line, "X%.3f Y%.3f", x, y);
        text += line;
      }
      text += "\r\n";
    }
    text += "G80\r\nM09\r\nM05\r\nG91 G28 Z0.\r\n";
  }
  return text + "M30\r\n%\r\n";
}

void BM_CheckDrillingProgram(benchmark::State& state) {
  const std::string program = DrillingProgram(static_cast<std::size_t>(state.range(0)) << 20);
  std::size_t lines = 0, peak = 0;
  for (auto _ : state) {
    const std::size_t before = gHeldBytes;
    gPeakBytes = before;
    gcode::CheckResult result = gcode::ReadAndCheck(program, {}, {});
    peak = std::max(peak, gPeakBytes - before);
    lines = result.summary.size();
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * program.size()));
  state.counters["file_MB"] = static_cast<double>(program.size()) / (1 << 20);
  state.counters["summary_lines"] = static_cast<double>(lines);
  state.counters["heap_over_file"] = static_cast<double>(program.size() + peak) / static_cast<double>(program.size());
}
BENCHMARK(BM_CheckDrillingProgram)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// Peak resident memory of one run of `args` as /usr/bin/time measures it
// (a process of its own, so nothing of this one counts), bytes; -1 when it
// failed or /usr/bin/time is missing.
double PeakBytes(const fs::path& folder, std::vector<std::string> args) {
  if (!fs::exists("/usr/bin/time")) return -1;
  args.insert(args.begin(), {"/usr/bin/time", "-f", "%M"});
  testsupport::StandardFiles files;
  files.err = folder / "time.txt";
  const int status = testsupport::RunProgram(args, files);
  if (status < 0 || status > 1) return -1;
  std::FILE* f = std::fopen(files.err.c_str(), "r");
  if (!f) return -1;
  long kb = -1;
  if (std::fscanf(f, "%ld", &kb) != 1) kb = -1;
  std::fclose(f);
  return kb < 0 ? -1 : static_cast<double>(kb) * 1024;
}

void BM_DrillncCheckMemory(benchmark::State& state) {
  testsupport::TempFolder folder;
  const std::string program = DrillingProgram(static_cast<std::size_t>(state.range(0)) << 20);
  common::WriteFileAtomic(folder / "big.nc", program);
  common::WriteFileAtomic(folder / "empty.nc", "%\r\nO1\r\nM30\r\n%\r\n");
  double peak = 0, base = 0;
  for (auto _ : state) {
    peak = PeakBytes(folder.Path(), {kDrillnc, "--home", folder.Path().string(), "check", (folder / "big.nc").string()});
    base = PeakBytes(folder.Path(), {kDrillnc, "--home", folder.Path().string(), "check", (folder / "empty.nc").string()});
    if (peak < 0 || base < 0) return state.SkipWithError("drillnc check failed, or no /usr/bin/time");
  }
  state.counters["file_MB"] = static_cast<double>(program.size()) / (1 << 20);
  state.counters["peak_MB"] = peak / (1 << 20);
  state.counters["base_MB"] = base / (1 << 20);
  state.counters["above_base_over_file"] = (peak - base) / static_cast<double>(program.size());
}
BENCHMARK(BM_DrillncCheckMemory)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// CPU seconds (user and system) of the children this program has waited for.
double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Drillview --png (offscreen, 1200 x 800) of a drilling program of 1 and 10 MB.
// The time is the wall clock; child_cpu_ms is Drillview's own CPU time per
// run, which a busy machine does not inflate.
void BM_DrillviewPng(benchmark::State& state) {
  testsupport::TempFolder folder;
  const std::string program = DrillingProgram(static_cast<std::size_t>(state.range(0)) << 20);
  common::WriteFileAtomic(folder / "big.nc", program);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const double cpuBefore = ChildCpuSeconds();
  for (auto _ : state) {
    const int status = testsupport::RunProgram(
        {kDrillview, "--png", (folder / "big.png").string(), "--size", "1200x800", (folder / "big.nc").string()}, {});
    if (status != 0) return state.SkipWithError("Drillview --png failed");
  }
  state.counters["file_MB"] = static_cast<double>(program.size()) / (1 << 20);
  state.counters["child_cpu_ms"] = (ChildCpuSeconds() - cpuBefore) * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DrillviewPng)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
