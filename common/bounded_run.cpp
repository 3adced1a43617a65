#include "common/bounded_run.h"

#include <algorithm>
#include <chrono>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>

#include "common/platform.h"
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

// The file to run: a program with a folder part as it is, a bare name looked
// up on PATH. Empty when there is none.
std::string FindProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  return FindOnPath(program);
}

// Starts the program in its own process group with standard input from
// `input` and standard output and error into `outFd`, tied to this process:
// on Linux the parent-death signal kills it when the caller dies. A forked
// child rather than posix_spawn, which cannot set that signal; between fork
// and exec the child makes only async-signal-safe calls. The pid, or -1 when
// the program cannot be started (nothing is left running then).
pid_t SpawnTied(const LaunchRequest& request, const std::string& input, int outFd) {
  const std::string program = FindProgram(request.program);
  if (program.empty()) return -1;
  ExecArguments argv(request);
  const std::string folder = request.workingFolder.string();

  // The child reports a failure before exec through this pipe; it closes
  // without a word when exec succeeded.
  int status[2];
  if (::pipe2(status, O_CLOEXEC) != 0) return -1;
  const pid_t parent = ::getpid();
  // No signal handler of this process may run in the child.
  sigset_t all, old;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int error = 0;
    ::setpgid(0, 0);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != parent) ::_exit(127);  // the caller died before the signal was set
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &defaults, nullptr);
    const int in = ::open(input.c_str(), O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(outFd, 2) < 0 ||
        (!folder.empty() && ::chdir(folder.c_str()) != 0)) {
      error = errno;
    } else {
      if (in > 2) ::close(in);
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::execv(program.c_str(), argv.Argv());
      error = errno;
    }
    (void)!::write(status[1], &error, sizeof error);
    ::_exit(127);
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::close(status[1]);
  if (pid < 0) {
    ::close(status[0]);
    return -1;
  }
  int error = 0;
  ssize_t n;
  while ((n = ::read(status[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(status[0]);
  if (n > 0) {
    int ended = 0;
    while (::waitpid(pid, &ended, 0) < 0 && errno == EINTR) {
    }
    return -1;
  }
  return pid;
}

}  // namespace

RunOutcome RunBounded(const LaunchRequest& request, const std::filesystem::path& inputFile,
                      const RunLimits& limits) {
  RunOutcome outcome;
  if (request.program.empty()) return outcome;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return outcome;
  const std::string input = inputFile.empty() ? std::string("/dev/null") : inputFile.string();
  const pid_t pid = SpawnTied(request, input, pipeFds[1]);
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return outcome;
  }
  outcome.started = true;
  if (limits.started) limits.started();
  ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);

  const Clock::time_point start = Clock::now();
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
    const bool stopNow = limits.stop && limits.stop->load();
    if (stopNow || MsSince(start) >= limits.timeoutMs) {
      ::kill(-pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      Drain(pipeFds[0], outcome.output);
      (stopNow ? outcome.stopped : outcome.timedOut) = true;
      break;
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
