#include "common/lock_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

#include "common/platform.h"
#include "common/text.h"
#include "common/textfile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace common {
namespace {

using Clock = std::chrono::steady_clock;

// A lock file nobody can read for this long was left half written by a
// holder that died between creating and filling it (the text is one short
// write): it is taken over.
constexpr auto kUnreadableLimit = std::chrono::seconds(2);

enum class Create { Done, Exists, Error };

// Platform half: create `path` only when it does not exist, holding `text`.
Create CreateExclusive(const fs::path& path, const std::string& text, std::string* why) {
#ifdef _WIN32
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS || e == ERROR_SHARING_VIOLATION) return Create::Exists;
    if (why) *why = std::system_category().message(static_cast<int>(e));
    return Create::Error;
  }
  DWORD written = 0;
  BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || written != text.size()) {
    DeleteFileW(path.c_str());
    if (why) *why = "write failed";
    return Create::Error;
  }
  return Create::Done;
#else
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) return Create::Exists;
    if (why) *why = std::strerror(errno);
    return Create::Error;
  }
  ssize_t written = ::write(fd, text.data(), text.size());
  int error = written == static_cast<ssize_t>(text.size()) ? 0 : (written < 0 ? errno : ENOSPC);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(path.c_str());
    if (why) *why = std::strerror(error);
    return Create::Error;
  }
  return Create::Done;
#endif
}

std::optional<std::string> ReadLockText(const fs::path& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return std::nullopt;
  return bytes;
}

void RemoveFile(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

#ifdef _WIN32
// The "started" of a process: its creation time (100 ns since 1601), so
// that a reused process id does not pass for the holder; empty when unknown.
std::string StartedOf(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return {};
  return std::to_string((static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
}
#else
// A file of /proc: its size says 0 and it cannot be sought, so it is read
// to its end.
bool ReadProcFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

// The "started" of a process: the boot it runs in and its start time since
// that boot, so that neither a reused process id nor a reboot passes for the
// holder.
std::string StartedOf(long long pid, char* state) {
  std::string stat;
  if (!ReadProcFile("/proc/" + std::to_string(pid) + "/stat", stat)) return {};
  // pid (comm) state ppid ... starttime is field 22; comm may hold blanks
  // and parentheses, so fields are counted after the last ')'.
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  std::string startTime;
  for (int n = 3; fields >> field; ++n) {
    if (n == 3 && state) *state = field.empty() ? '?' : field[0];
    if (n == 22) {
      startTime = field;
      break;
    }
  }
  std::string boot;
  ReadProcFile("/proc/sys/kernel/random/boot_id", boot);
  while (!boot.empty() && (boot.back() == '\n' || boot.back() == '\r')) boot.pop_back();
  return startTime.empty() ? std::string() : boot + "/" + startTime;
}
#endif

}  // namespace

std::string LockFileText(const LockHolder& holder) {
  return "host=" + holder.host + "\npid=" + std::to_string(holder.pid) + "\nstarted=" + holder.started + "\n";
}

bool ParseLockFileText(const std::string& text, LockHolder& holder) {
  LockHolder read;
  bool host = false, pid = false, started = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) return false;  // a last line without its end: still being written
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind("host=", 0) == 0) {
      read.host = line.substr(5);
      host = true;
    } else if (line.rfind("pid=", 0) == 0) {
      if (!ParseDigits(std::string_view(line).substr(4), &read.pid)) return false;
      pid = true;
    } else if (line.rfind("started=", 0) == 0) {
      read.started = line.substr(8);
      started = true;
    }
  }
  if (!host || !pid || !started) return false;
  holder = read;
  return true;
}

LockHolder ThisProcessAsHolder() {
  LockHolder me;
  me.host = HostName();
#ifdef _WIN32
  me.pid = static_cast<long long>(GetCurrentProcessId());
  me.started = StartedOf(GetCurrentProcess());
#else
  me.pid = static_cast<long long>(::getpid());
  me.started = StartedOf(me.pid, nullptr);
#endif
  return me;
}

bool HolderIsAlive(const LockHolder& holder) {
  if (holder.host != HostName()) return true;  // cannot be told from here
  if (holder.pid <= 0) return false;
#ifdef _WIN32
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(holder.pid));
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  bool alive = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  if (alive && !holder.started.empty()) {
    const std::string started = StartedOf(h);
    if (!started.empty()) alive = holder.started == started;
  }
  CloseHandle(h);
  return alive;
#else
  char state = '?';
  std::string started = StartedOf(holder.pid, &state);
  if (started.empty()) {
    // No /proc entry: gone, unless this system has no /proc at all.
    std::error_code ec;
    if (fs::exists("/proc/self/stat", ec)) return false;
    return ::kill(static_cast<pid_t>(holder.pid), 0) == 0 || errno == EPERM;
  }
  if (state == 'Z' || state == 'X') return false;  // ended, not yet collected by its parent
  return holder.started.empty() || holder.started == started;
#endif
}

LockOutcome LockFile::Acquire(const fs::path& lockPath, int waitMs, LockHolder* holder, std::string* why) {
  Release();
  const LockHolder me = ThisProcessAsHolder();
  const std::string text = LockFileText(me);
  const fs::path takeoverPath = fs::path(lockPath.string() + ".takeover");
  const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  std::minstd_rand jitter(static_cast<unsigned>(me.pid) ^
                          static_cast<unsigned>(Clock::now().time_since_epoch().count()));

  // How long a lock (or takeover) file has been seen unreadable, and as what.
  struct Unreadable {
    std::optional<Clock::time_point> since;
    std::string text;
    // True once the same unreadable text has stood for the limit.
    bool Stale(const std::string& seen) {
      if (!since || seen != text) {
        since = Clock::now();
        text = seen;
        return false;
      }
      return Clock::now() - *since > kUnreadableLimit;
    }
  } unreadableLock, unreadableTakeover;

  // Removes the stale lock file that held `seen`, under the takeover lock:
  // the file is removed only while it still holds exactly that text, so a
  // fresh lock another waiter made meanwhile is never removed.
  // True when the lock file is gone afterwards (try again at once).
  auto takeOver = [&](const std::string& seen) {
    Create made = CreateExclusive(takeoverPath, text, nullptr);
    if (made == Create::Exists) {
      // Another waiter is taking it over; its takeover file is removed only
      // when that waiter died in those few lines.
      std::optional<std::string> other = ReadLockText(takeoverPath);
      LockHolder h;
      if (other &&
          (ParseLockFileText(*other, h) ? (h.host == me.host && !HolderIsAlive(h)) : unreadableTakeover.Stale(*other)))
        RemoveFile(takeoverPath);
      return false;
    }
    if (made != Create::Done) return false;
    std::optional<std::string> now = ReadLockText(lockPath);
    if (now && *now == seen) RemoveFile(lockPath);
    RemoveFile(takeoverPath);
    return true;
  };

  LockHolder last;
  for (;;) {
    std::string error;
    Create made = CreateExclusive(lockPath, text, &error);
    if (made == Create::Done) {
      path_ = lockPath;
      text_ = text;
      return LockOutcome::Acquired;
    }
    if (made == Create::Error) {
      if (why) *why = error;
      return LockOutcome::Failed;
    }
    std::optional<std::string> seen = ReadLockText(lockPath);
    if (!seen) continue;  // released between the two looks: try again at once
    LockHolder h;
    if (ParseLockFileText(*seen, h)) {
      unreadableLock.since.reset();
      last = h;
      if (h.host == me.host && !HolderIsAlive(h) && takeOver(*seen)) continue;
    } else if (unreadableLock.Stale(*seen) && takeOver(*seen)) {
      continue;
    }
    const auto now = Clock::now();
    if (now >= deadline) {
      if (holder) *holder = last;
      return LockOutcome::Busy;
    }
    auto pause = std::chrono::milliseconds(10 + static_cast<int>(jitter() % 30));
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
  }
}

void LockFile::Release() {
  if (path_.empty()) return;
  std::optional<std::string> now = ReadLockText(path_);
  if (now && *now == text_) RemoveFile(path_);
  path_.clear();
  text_.clear();
}

}  // namespace common
