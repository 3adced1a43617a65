// Planning data look-ups: a drill table of 1,000 rows searched for its last
// row (the whole file read and scanned each time, as every call does), and
// the magazine searched over its 98 pockets for a tool in the last one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "Drilling/app/context.h"
#include "Drilling/planning/condition_tables.h"
#include "Drilling/planning/tool_table.h"
#include "common/profile.h"
#include "common/text.h"

namespace {

namespace fs = std::filesystem;

struct Folder {
  Folder() {
    std::random_device rd;
    path = fs::temp_directory_path() / ("drilling-planning-bench-" + std::to_string(rd()));
    fs::create_directories(path);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void BM_DrillTableLookupLastOf1000Rows(benchmark::State& state) {
  Folder folder;
  drilling::Context ctx;
  drilling::SetProgramFolder(ctx, folder.path);
  ctx.currentJobPath = folder.path / "job.ini";
  common::WriteProfileText("Drilling", "材質", "S45C", ctx.currentJobPath);
  std::string table;
  for (int i = 1; i <= 1000; ++i)
    table += common::FormatText("%.2f  %d  %d  %.1f\r\n", 1 + i * 0.02, 8000 - i * 5, 400 - i / 4, 0.5 + i * 0.01);
  table += "0  0  0  0\r\n";
  WriteBytes(folder.path / "drillS45C.tbl", table);
  drilling::CuttingConditions record;
  for (auto _ : state) {
    record.Diameter = 21.0;  // the last row
    int r = drilling::ReadDrillConditions(ctx, nullptr, record);
    if (r != 1) state.SkipWithError("row not found");
    benchmark::DoNotOptimize(record);
  }
}
BENCHMARK(BM_DrillTableLookupLastOf1000Rows)->Unit(benchmark::kMicrosecond);

void BM_FindMagazineToolOver98Pockets(benchmark::State& state) {
  Folder folder;
  fs::path path = folder.path / "MCTOOL.ini";
  std::string text;
  for (int n = 1; n <= 99; ++n)
    text += common::FormatText("[MAGAZINE%d]\r\nNAME=%s\r\nDIAM=%d.5\r\nT=%d\r\nH=%d\r\nD=%d\r\n", n,
                               n % 2 ? "\x83\x68\x83\x8a\x83\x8b" : "\x83\x8a\x81\x5b\x83\x7d", n, n, n, n);
  WriteBytes(path, text);
  drilling::MagazineTool tool;
  for (auto _ : state) {
    tool.Diameter = 97.5;  // pocket 97, near the end of the search
    int r = drilling::FindMagazineTool("ドリル", tool, path);
    if (r != 1) state.SkipWithError("pocket not found");
    benchmark::DoNotOptimize(tool);
  }
}
BENCHMARK(BM_FindMagazineToolOver98Pockets)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
