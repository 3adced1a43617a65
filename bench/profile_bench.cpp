// Profile access on a job file of about 200 lines.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/profile.h"
#include "common/sjis.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeJobFile() {
  fs::path dir = fs::temp_directory_path() / "drilling-profile-bench";
  fs::create_directories(dir);
  fs::path file = dir / "job.ini";
  std::string text = "[Drilling]\r\ntitle=BENCH\r\n制御装置=FANUC 0i-MF\r\n座標系=G54\r\n材質=S45C\r\n"
                     "材料X=150\r\n材料Y=100\r\n材料Z=20\r\n原点X=0\r\n原点Y=0\r\n原点Z=0.\r\nＯ番号=1001\r\n"
                     "NcFile=O1001.nc\r\n\r\n";
  for (int g = 1; g <= 4; ++g) {
    text += "[Hole" + std::to_string(g) + "]\r\n種類=ドリル\r\n穴径=8.5\r\n深さ=20\r\n";
    for (int i = 1; i <= 20; ++i)
      text += "X" + std::to_string(i) + "=" + std::to_string(i * 5) + ".\r\nY" + std::to_string(i) + "=10.\r\n";
    text += "\r\n";
  }
  for (int p = 1; p <= 4; ++p)
    text += "[PROCESS" + std::to_string(p) + "]\r\nTOOLNAME=ドリル\r\nTOOLNO=" + std::to_string(p) + "\r\n";
  std::ofstream(file, std::ios::binary) << common::Utf8ToCp932(text);
  return file;
}

void BM_ReadKeyWarm(benchmark::State& state) {
  fs::path file = MakeJobFile();
  common::ReadProfileText("Hole4", "Y20", "", 16, file);
  for (auto _ : state) benchmark::DoNotOptimize(common::ReadProfileText("Hole4", "Y20", "", 16, file));
}
BENCHMARK(BM_ReadKeyWarm);

void BM_ReadKeyCold(benchmark::State& state) {
  fs::path file = MakeJobFile();
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // Another program changes the file: the next read must parse it anew.
    common::WriteProfileText("Drilling", "title", "BENCH" + std::to_string(++n), file);
    common::ForgetCachedProfiles();
    state.ResumeTiming();
    benchmark::DoNotOptimize(common::ReadProfileText("Hole4", "Y20", "", 16, file));
  }
}
BENCHMARK(BM_ReadKeyCold);

void BM_WriteKey(benchmark::State& state) {
  fs::path file = MakeJobFile();
  int n = 0;
  for (auto _ : state) common::WriteProfileText("Drilling", "材料X", std::to_string(++n % 1000), file);
}
BENCHMARK(BM_WriteKey);

}  // namespace

BENCHMARK_MAIN();
