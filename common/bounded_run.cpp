#include "common/bounded_run.h"

#include <algorithm>
#include <chrono>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix_spawn.h"
#endif

namespace common {

#ifndef _WIN32
namespace {

constexpr std::size_t kMaxOutputBytes = 1u << 20;
// Granularity of the checks for the program's end (ms).
constexpr int kPollMs = 50;

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point start) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void Drain(int fd, std::string& output) {
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    if (output.size() < kMaxOutputBytes)
      output.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), kMaxOutputBytes - output.size()));
  }
}

}  // namespace

RunOutcome RunBounded(const LaunchRequest& request, const std::filesystem::path& inputFile,
                      const RunLimits& limits) {
  RunOutcome outcome;
  if (request.program.empty()) return outcome;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return outcome;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string input = inputFile.empty() ? std::string("/dev/null") : inputFile.string();
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  // Its own process group, so a limit that passes ends what it started too;
  // default signal handling and no blocked signals, whatever the host set.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  const pid_t pid = SpawnRequest(request, actions, &attr);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return outcome;
  }
  outcome.started = true;
  ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);

  const Clock::time_point start = Clock::now();
  int nextTickMs = limits.tickMs > 0 ? limits.tickMs : -1;
  bool outputOpen = true;
  int status = 0;
  for (;;) {
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) {
      // Ended: take what it wrote. Something it left running in the
      // background may hold the pipe open; that is not waited for.
      Drain(pipeFds[0], outcome.output);
      if (done == pid && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
      break;
    }
    int elapsed = MsSince(start);
    if (elapsed >= limits.timeoutMs) {
      ::kill(-pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      Drain(pipeFds[0], outcome.output);
      outcome.timedOut = true;
      break;
    }
    if (nextTickMs > 0 && elapsed >= nextTickMs) {
      if (limits.tick) limits.tick(elapsed);
      nextTickMs += limits.tickMs;
    }
    if (outputOpen) {
      pollfd p{pipeFds[0], POLLIN, 0};
      int r = ::poll(&p, 1, kPollMs);
      if (r > 0) {
        std::size_t before = outcome.output.size();
        char buffer[4096];
        ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
          if (before < kMaxOutputBytes)
            outcome.output.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), kMaxOutputBytes - before));
        } else if (n == 0) {
          outputOpen = false;  // closed its output; wait for its end alone
        }
      }
    } else {
      ::usleep(kPollMs * 1000);
    }
  }
  ::close(pipeFds[0]);
  return outcome;
}

#else

RunOutcome RunBounded(const LaunchRequest&, const std::filesystem::path&, const RunLimits&) {
  return RunOutcome{};  // the Windows build provides its own with CreateProcess
}

#endif

}  // namespace common
