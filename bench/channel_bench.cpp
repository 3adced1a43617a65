// The message channel into a running message window program: one report's
// round trip, 10,000 reports in a row, and the window program's resident
// memory once it holds 100,000 lines.
//
//   build/bench/channel_bench [--benchmark_repetitions=N]
//
// The window program runs on a temporary program folder (DRILLING_HOME) with
// its own identity; logging is off so the folder stays small.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/app/message_channel.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/qt/local_socket_transport.h"
#include "common/qt/message_link.h"
#include "common/textfile.h"
#include "common/ui.h"

namespace fs = std::filesystem;

namespace {

struct Channel {
  fs::path folder;
  drilling::Context ctx;
  std::unique_ptr<common::MessageTransport> transport = common::MakeLocalSocketTransport();
  common::SystemClock clock;
  common::SystemLauncher launcher;
  common::ScriptedUi ui;
  long long linesSent = 0;
};

Channel* channel = nullptr;

void Report() {
  if (drilling::ReportF(channel->ctx, nullptr, 0, "ベンチマーク行 %lld: 穴明け 12.5 深さ 20.", channel->linesSent) != 0)
    std::abort();
  ++channel->linesSent;
}

void BM_ReportRoundTrip(benchmark::State& state) {
  std::vector<double> us;
  us.reserve(1 << 16);
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    Report();
    us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(us.begin(), us.end());
  state.counters["median_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[us.size() * 99 / 100];
}
BENCHMARK(BM_ReportRoundTrip)->Iterations(5000);

void BM_TenThousandReports(benchmark::State& state) {
  for (auto _ : state)
    for (int i = 0; i < 10000; ++i) Report();
}
BENCHMARK(BM_TenThousandReports)->Iterations(3)->Unit(benchmark::kMillisecond);

long long ResidentKb(long long pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atoll(line.c_str() + 6);
  return -1;
}

void BM_ResidentWith100000Lines(benchmark::State& state) {
  for (auto _ : state) {
    while (channel->linesSent < 100000) Report();
  }
  // Let the window bring its view up to date before measuring.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  long long pid = common::MessageWindowPid(channel->ctx.messageWindowClass, channel->ctx.messageWindowName);
  state.counters["lines"] = static_cast<double>(channel->linesSent);
  state.counters["rss_MB"] = static_cast<double>(ResidentKb(pid)) / 1024.0;
}
BENCHMARK(BM_ResidentWith100000Lines)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);

  Channel c;
  channel = &c;
  c.folder = fs::temp_directory_path() / ("channel-bench-" + std::to_string(::getpid()));
  fs::create_directories(c.folder);
  std::string tag = std::to_string(::getpid());
  common::WriteFileAtomic(c.folder / "Relaypane.ini",
                          common::ToCp932CrLf("[Relaypane]\nClassName=Bench" + tag + "\nWindowName=Bench window " +
                                              tag + "\nLogWrite=0\n"));
  fs::create_symlink(std::string(DRILLING_PROGRAM_DIR) + "/Relaypane", c.folder / "Relaypane");
  ::setenv("DRILLING_HOME", c.folder.c_str(), 1);
  ::setenv("RELAYPANE_UNATTENDED", "1", 1);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  drilling::SetProgramFolder(c.ctx, c.folder);
  drilling::ReadMessageWindowIdentity(c.ctx);
  c.ctx.transport = c.transport.get();
  c.ctx.clock = &c.clock;
  c.ctx.launcher = &c.launcher;
  c.ctx.ui = &c.ui;
  drilling::StartMessageWindow(c.ctx, 2);
  Report();  // the window answers before timing starts

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  drilling::StartMessageWindow(c.ctx, 0);
  for (int i = 0; i < 500 && common::MessageWindowRunning(c.ctx.messageWindowClass, c.ctx.messageWindowName); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::error_code ec;
  fs::remove_all(c.folder, ec);
  return 0;
}
