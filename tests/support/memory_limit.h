// Runs a piece of work in a child process under a memory limit, so that a
// hostile input that would allocate without bound fails the test (the child
// aborts) instead of the machine. Not a timing: a CPU-time limit far beyond
// any sound run only keeps an endless loop from hanging the suite.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <functional>

namespace testsupport {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressLimitApplies = false;  // the sanitizer's shadow memory needs terabytes of addresses
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressLimitApplies = false;
#else
inline constexpr bool kAddressLimitApplies = true;
#endif
#else
inline constexpr bool kAddressLimitApplies = true;
#endif

// The address space this process holds now, bytes.
inline std::size_t AddressSpaceBytes() {
  std::size_t pages = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%zu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Runs `work` in a child that may add at most `extraBytes` of address space
// to what the test process holds. 0 when `work` returned true, 1 when it
// returned false, -1 when the child died (an allocation refused, a CPU limit
// of `cpuSeconds` reached).
inline int RunUnderMemoryLimit(std::size_t extraBytes, const std::function<bool()>& work, int cpuSeconds = 300) {
  const std::size_t limit = AddressSpaceBytes() + extraBytes;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (kAddressLimitApplies) {
      rlimit memory{limit, limit};
      setrlimit(RLIMIT_AS, &memory);
    }
    rlimit cpu{static_cast<rlim_t>(cpuSeconds), static_cast<rlim_t>(cpuSeconds)};
    setrlimit(RLIMIT_CPU, &cpu);
    bool ok = false;
    try {
      ok = work();
    } catch (...) {
      _exit(3);
    }
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;
  return WEXITSTATUS(status);
}

}  // namespace testsupport
