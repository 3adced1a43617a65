// Process planning speed: GenerateProcesses alone, and `drillnc plan` as a
// whole process, on a job of four hole groups that plan 13 processes, over
// the shipped tables and tool table.
//   process_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "Drilling/app/context.h"
#include "Drilling/planning/process_dialog.h"
#include "Drilling/planning/process_generation.h"
#include "Drilling/planning/process_grid.h"
#include "Drilling/planning/process_list.h"
#include "common/memory_form.h"
#include "common/message_transport.h"
#include "common/text.h"
#include "common/textfile.h"
#include "common/ui.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Three taps and a reamer: 1 centre drill + 4 x 3 processes.
std::string FourGroupJob() {
  std::string job = "[Drilling]\ntitle=plan4\n制御装置=FANUC 0i-MF\n座標系=G54\n材質=S45C\n材料X=300\n材料Y=200\n"
                    "材料Z=30\n原点X=0\n原点Y=0\n原点Z=0.\nＯ番号=4322\nNcFile=O4322.nc\n";
  const char* groups[] = {
      "種類=タップ\n穴径=10\n深さ=-15\n面取深=-5.5\n下穴径=8.5\n下穴深=-22.5\n",
      "種類=タップ\n穴径=8\n深さ=-12\n面取深=-4.5\n下穴径=6.8\n下穴深=-18\n",
      "種類=リーマ\n穴径=8\n深さ=-12\n面取深=-4.3\n下穴径=7.7\n下穴深=-17\n",
      "種類=タップ\n穴径=12\n深さ=-18\n面取深=-6.5\n下穴径=10.2\n下穴深=-27\n",
  };
  for (int g = 1; g <= 4; ++g) {
    job += common::FormatText("[Hole%d]\n%s", g, groups[g - 1]);
    for (int k = 1; k <= 20; ++k) job += common::FormatText("X%d=%d.\nY%d=%d.\n", k, 10 * k, k, 40 * g);
  }
  return job;
}

struct BenchFolder {
  testsupport::TempFolder temp;  // removed with the folder
  const fs::path home = temp.Path();
  BenchFolder() {
    for (const char* sub : {"DB", "ncdata", "trycut", "DXF"}) fs::create_directories(home / sub);
    for (const auto& entry : fs::directory_iterator(DRILLING_PROGRAM_DIR)) {
      std::string name = entry.path().filename().string();
      if (name == "Drilling.ini" || name == "Relaypane.ini" || name == "MCTOOL.ini" ||
          entry.path().extension() == ".tbl")
        fs::copy_file(entry.path(), home / name);
    }
    common::WriteFileAtomic(home / "DB" / "plan4.ini", common::ToCp932CrLf(FourGroupJob()));
  }
};

void BM_GenerateProcesses(benchmark::State& state) {
  BenchFolder folder;
  drilling::Context ctx;
  drilling::SetProgramFolder(ctx, folder.home);
  ctx.currentJobPath = folder.home / "DB" / "plan4.ini";
  common::ScriptedUi ui;
  common::CallbackTransport transport([](const std::string&) {});
  ctx.ui = &ui;
  ctx.transport = &transport;
  for (auto _ : state) {
    common::MemoryForm grid(drilling::ProcessDialogTemplate());
    drilling::FillToolNameBoxes(ctx, grid);
    if (drilling::GenerateProcesses(ctx, grid) != 0 || !ui.boxes.empty())
      state.SkipWithError("generation failed");
    if (drilling::CellText(grid, drilling::kColToolName, 13).empty()) state.SkipWithError("not 13 processes");
  }
}
BENCHMARK(BM_GenerateProcesses)->Unit(benchmark::kMillisecond);

// drillnc --home HOME plan plan4, its output thrown away.
void BM_DrillncPlan(benchmark::State& state) {
  BenchFolder folder;
  std::string drillnc = (fs::path(DRILLING_PROGRAM_DIR) / "drillnc").string();
  std::string home = folder.home.string();
  const std::vector<std::string> args{drillnc, "--home", home, "plan", "plan4"};
  for (auto _ : state) {
    if (testsupport::RunProgram(args, {}) != 0) {
      state.SkipWithError("drillnc plan failed or cannot be started");
      break;
    }
  }
}
BENCHMARK(BM_DrillncPlan)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
