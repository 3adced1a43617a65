// POSIX only: how the launcher starts a program (the bounded run forks its
// own child, tied to the caller by the parent-death signal).
#pragma once

#ifndef _WIN32
#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "common/launch.h"

namespace common {

// The argument vector exec and posix_spawn take for a request: the program
// as named, then its arguments, then a null pointer. The pointers point into
// the object's own strings, so it is neither copied nor moved.
class ExecArguments {
 public:
  explicit ExecArguments(const LaunchRequest& request) {
    args_.push_back(request.program);
    args_.insert(args_.end(), request.arguments.begin(), request.arguments.end());
    for (auto& a : args_) argv_.push_back(a.data());
    argv_.push_back(nullptr);
  }
  ExecArguments(const ExecArguments&) = delete;
  ExecArguments& operator=(const ExecArguments&) = delete;
  char* const* Argv() { return argv_.data(); }

 private:
  std::vector<std::string> args_;
  std::vector<char*> argv_;
};

// Starts request.program (looked up on PATH when it has no folder) with its
// arguments and this process's environment. `actions` holds what the caller
// wants done first (standard handles); the change into the request's working
// folder, when it names one, is added after them. `attributes` may be null.
// The pid, or -1 when the program cannot be started.
pid_t SpawnRequest(const LaunchRequest& request, posix_spawn_file_actions_t& actions,
                   const posix_spawnattr_t* attributes);

}  // namespace common
#endif
