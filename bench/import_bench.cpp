// The import of holes from a drawing of 10,000 entities: the DXF read, the
// blocks placed, the outline found among the drawing's lines, the circles
// grouped by kind and size, placed in the job and fitted to it (what
// drillnc import and 図面から読込 do before the job is written).
// Target: at most 100 ms.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Drilling/holes/drawing_import.h"
#include "Drilling/holes/drawing_import_job.h"
#include "common/text.h"
#include "dxf/dxf_reader.h"
#include "support/dxf_text.h"

namespace {

// An outline of 600 x 400, 4,000 circles of five sizes (1,000 of them tap
// pairs of 10 and 8.5), 5,996 lines of a grid of title-block and hatch
// pieces, axis-parallel like most of a mechanical drawing.
std::string BigDrawing() {
  std::string dxf;
  auto line = [&](double x1, double y1, double x2, double y2) { dxf += testsupport::DxfLine("0", x1, y1, x2, y2); };
  auto circle = [&](double x, double y, double d) { dxf += testsupport::DxfCircle("HOLES", x, y, d); };
  line(0, 0, 600, 0);
  line(600, 0, 600, 400);
  line(600, 400, 0, 400);
  line(0, 400, 0, 0);
  const double sizes[] = {3.4, 5.5, 6.6, 9};
  for (int i = 0; i < 2000; ++i) circle(5 + (i % 50) * 11.8, 5 + (i / 50) * 9.7, sizes[i % 4]);
  for (int i = 0; i < 1000; ++i) {
    circle(8 + (i % 50) * 11.8, 8 + (i / 50) * 19.4, 10);
    circle(8 + (i % 50) * 11.8, 8 + (i / 50) * 19.4, 8.5);
  }
  for (int i = 0; i < 5996; ++i) {
    const double x = 700 + (i % 100) * 3, y = (i / 100) * 3;
    if (i % 2) line(x, y, x + 3, y);
    else line(x, y, x, y + 3);
  }
  return testsupport::DxfEntitiesDrawing(dxf);
}

void BM_ImportDrawingOf10000Entities(benchmark::State& state) {
  const std::string bytes = BigDrawing();
  const std::vector<drilling::PairedSize> pairs = {{drilling::HoleKind::Tap, 10, 8.5},
                                                   {drilling::HoleKind::Counterbore, 9, 14}};
  std::size_t groups = 0;
  for (auto _ : state) {
    dxf::Drawing drawing;
    std::string error;
    if (!dxf::ReadDxf(bytes, drawing, error)) state.SkipWithError(error.c_str());
    std::vector<drilling::DrawnCircle> circles;
    std::vector<drilling::DrawnSegment> segments;
    std::vector<std::string> notes;
    drilling::Collect(drawing, {}, circles, segments, notes);
    const auto outline = drilling::FindOutline(segments, 600, 400);
    if (!outline) state.SkipWithError("no outline");
    std::vector<drilling::ProposedGroup> proposed = drilling::GroupCircles(circles, pairs);
    drilling::PlaceInJob(proposed, {outline->minXMm, outline->minYMm}, {0, 0});
    benchmark::DoNotOptimize(drilling::FitToJob(proposed));
    groups = proposed.size();
  }
  state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(BM_ImportDrawingOf10000Entities)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
