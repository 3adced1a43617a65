// The visiting order of a job's hole groups: four groups of twenty scattered
// positions (the most a job holds) put in a short order, as `drillnc order`
// and the hole dialog's 加工順最適化 do. Target: at most 5 ms.
#include <benchmark/benchmark.h>

#include <vector>

#include "Drilling/holes/hole_order.h"

namespace {

// Positions of a 200 x 150 plate from a fixed integer sequence.
std::vector<drilling::PlanePoint> Scattered(int count, unsigned seed) {
  std::vector<drilling::PlanePoint> points;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double x = static_cast<double>((seed >> 8) % 2000) / 10.0;
    seed = seed * 1103515245u + 12345u;
    const double y = static_cast<double>((seed >> 8) % 1500) / 10.0;
    points.push_back({x, y});
  }
  return points;
}

void BM_OrderFourGroupsOfTwenty(benchmark::State& state) {
  std::vector<std::vector<drilling::PlanePoint>> groups;
  for (unsigned g = 1; g <= 4; ++g) groups.push_back(Scattered(20, g * 7919u));
  for (auto _ : state) {
    for (const auto& points : groups) benchmark::DoNotOptimize(drilling::ShortVisitingOrder({0, 0}, points));
  }
}
BENCHMARK(BM_OrderFourGroupsOfTwenty)->Unit(benchmark::kMillisecond);

// The largest group solved exactly, four times.
void BM_OrderFourGroupsAtTheExactLimit(benchmark::State& state) {
  std::vector<std::vector<drilling::PlanePoint>> groups;
  for (unsigned g = 1; g <= 4; ++g)
    groups.push_back(Scattered(static_cast<int>(drilling::kExactOrderLimit), g * 104729u));
  for (auto _ : state) {
    for (const auto& points : groups) benchmark::DoNotOptimize(drilling::ShortVisitingOrder({0, 0}, points));
  }
}
BENCHMARK(BM_OrderFourGroupsAtTheExactLimit)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
