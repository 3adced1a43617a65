// Running an outside program to its end with a time limit: its standard
// input from a file, its standard output and error collected, a tick while
// it runs (for a progress line), and the program (with whatever it started
// in its process group) ended when the limit passes. For the few programs the
// system waits for; programs that are only started go through Launcher.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "common/launch.h"

namespace common {

struct RunLimits {
  int timeoutMs = 30000;
  int tickMs = 1000;
  // Called about every tickMs while the program runs, with the time waited.
  std::function<void(int elapsedMs)> tick;
};

struct RunOutcome {
  bool started = false;   // false: not found or not executable
  bool timedOut = false;  // ended by the limit (exitCode is then -1)
  int exitCode = -1;      // -1 also when ended by a signal
  std::string output;     // standard output and error as they came (at most 1 MiB)
};

// Runs `request` and waits for it, at most `limits.timeoutMs`. Standard input
// reads `inputFile` (nothing when empty).
RunOutcome RunBounded(const LaunchRequest& request, const std::filesystem::path& inputFile,
                      const RunLimits& limits);

}  // namespace common
