// POSIX only: how the launcher starts a program (the bounded run forks its
// own child, tied to the caller by the parent-death signal).
#pragma once

#ifndef _WIN32
#include <spawn.h>
#include <sys/types.h>

#include "common/launch.h"

namespace common {

// Starts request.program (looked up on PATH when it has no folder) with its
// arguments and this process's environment. `actions` holds what the caller
// wants done first (standard handles); the change into the request's working
// folder, when it names one, is added after them. `attributes` may be null.
// The pid, or -1 when the program cannot be started.
pid_t SpawnRequest(const LaunchRequest& request, posix_spawn_file_actions_t& actions,
                   const posix_spawnattr_t* attributes);

}  // namespace common
#endif
