// Starting outside programs. A program and its arguments travel as a list,
// never as a command line for a shell to split, so a path with blanks stays
// one argument and no text is ever interpreted as a command.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace common {

struct LaunchRequest {
  std::string program;                   // a path, or a name looked up on PATH
  std::vector<std::string> arguments;
  std::filesystem::path workingFolder;   // empty: the caller's
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts the program and does not wait. False when it could not be started
  // (not found, not executable).
  virtual bool Start(const LaunchRequest& request) = 0;
  // Runs the program and waits; its exit code, or -1 when it could not run.
  virtual int Run(const LaunchRequest& request) = 0;
};

// The real one (posix_spawn on Linux, CreateProcess on Windows).
class SystemLauncher : public Launcher {
 public:
  bool Start(const LaunchRequest& request) override;
  int Run(const LaunchRequest& request) override;
};

// For tests: records what would have been started.
class RecordingLauncher : public Launcher {
 public:
  bool Start(const LaunchRequest& request) override {
    started.push_back(request);
    return startResult;
  }
  int Run(const LaunchRequest& request) override {
    ran.push_back(request);
    return runResult;
  }
  std::vector<LaunchRequest> started;
  std::vector<LaunchRequest> ran;
  bool startResult = true;
  int runResult = 0;
};

}  // namespace common
