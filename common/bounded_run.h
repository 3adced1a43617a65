// Running an outside program to its end with a time limit: its standard
// input from a file, its standard output and error collected, and the
// program (with whatever it started in its process group) ended when the
// limit passes or the caller asks it to stop. The program never outlives the
// caller: it runs in its own process group and (on Linux) gets SIGKILL when
// the calling thread's process dies, so a killed caller leaves no program
// behind. For the few programs the system waits for; programs that are only
// started go through Launcher.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "common/launch.h"

namespace common {

struct RunLimits {
  int timeoutMs = 30000;
  // Set (from any thread) to end the program early: it is killed with its
  // process group and the outcome says it was stopped.
  const std::atomic<bool>* stop = nullptr;
  // Called once the program runs with its standard input open (on the
  // calling thread), e.g. to remove an input file that holds a secret.
  std::function<void()> started;
};

struct RunOutcome {
  bool started = false;   // false: not found or not executable
  bool timedOut = false;  // ended by the limit (exitCode is then -1)
  bool stopped = false;   // ended because RunLimits::stop was set (exitCode -1)
  int exitCode = -1;      // -1 also when ended by a signal
  std::string output;     // standard output and error as they came (at most 1 MiB)
};

// Runs `request` and waits for it, at most `limits.timeoutMs`. Standard input
// reads `inputFile` (nothing when empty). The calling thread must stay until
// it returns (the parent-death signal is tied to that thread).
RunOutcome RunBounded(const LaunchRequest& request, const std::filesystem::path& inputFile,
                      const RunLimits& limits);

}  // namespace common
