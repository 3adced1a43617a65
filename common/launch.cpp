#include "common/launch.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "common/posix_spawn.h"
extern char** environ;
#endif

namespace common {
namespace {

// Spawns the program; returns its pid or -1 (not found, not executable).
pid_t Spawn(const LaunchRequest& request) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  pid_t pid = SpawnRequest(request, actions, nullptr);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Started programs are not waited for, but their end is collected as soon
// as it comes (a thread per program that waits for it), so an editor or
// viewer that was closed does not stay as a zombie while the program runs.
// A process-wide SIGCHLD setting would interfere with the GUI library's own
// child handling, so none is made.
void ReapWhenEnded(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

pid_t SpawnRequest(const LaunchRequest& request, posix_spawn_file_actions_t& actions,
                   const posix_spawnattr_t* attributes) {
  ExecArguments argv(request);
  std::string folder = request.workingFolder.string();
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
#endif
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, request.program.c_str(), &actions, attributes, argv.Argv(), environ);
  return rc == 0 ? pid : -1;
}

bool SystemLauncher::Start(const LaunchRequest& request) {
  if (request.program.empty()) return false;
  pid_t pid = Spawn(request);
  if (pid <= 0) return false;
  ReapWhenEnded(pid);
  return true;
}

int SystemLauncher::Run(const LaunchRequest& request) {
  if (request.program.empty()) return -1;
  pid_t pid = Spawn(request);
  if (pid <= 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace common
