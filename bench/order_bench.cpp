// The visiting order of a job's hole groups: four groups of twenty scattered
// positions (the most a job holds) put in a short order, as `drillnc order`
// and the hole dialog's 加工順最適化 do. Target: at most 5 ms.
#include <benchmark/benchmark.h>

#include <vector>

#include "Drilling/holes/hole_order.h"
#include "support/scattered_points.h"

namespace {

void BM_OrderFourGroupsOfTwenty(benchmark::State& state) {
  std::vector<std::vector<drilling::PlanePoint>> groups;
  for (unsigned g = 1; g <= 4; ++g) groups.push_back(testsupport::ScatteredPoints(20, g * 7919u));
  for (auto _ : state) {
    for (const auto& points : groups) benchmark::DoNotOptimize(drilling::ShortVisitingOrder({0, 0}, points));
  }
}
BENCHMARK(BM_OrderFourGroupsOfTwenty)->Unit(benchmark::kMillisecond);

// The largest group solved exactly, four times.
void BM_OrderFourGroupsAtTheExactLimit(benchmark::State& state) {
  std::vector<std::vector<drilling::PlanePoint>> groups;
  for (unsigned g = 1; g <= 4; ++g)
    groups.push_back(testsupport::ScatteredPoints(static_cast<int>(drilling::kExactOrderLimit), g * 104729u));
  for (auto _ : state) {
    for (const auto& points : groups) benchmark::DoNotOptimize(drilling::ShortVisitingOrder({0, 0}, points));
  }
}
BENCHMARK(BM_OrderFourGroupsAtTheExactLimit)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
