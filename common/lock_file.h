// An exclusive lock file: one holder at a time for a file that programs on
// one or several computers change (a job file in a program folder on a
// network share, where an flock may hold on one machine only).
//
// The lock is a file beside the resource, created only when it does not
// exist (O_EXCL; CREATE_NEW on Windows), holding the holder's host, process
// id and process start. A lock whose holder ran on this host and is gone (no
// such process, or another process under a reused id) is stale: it is taken
// over under a short second lock file, so that two waiters never both take
// it. A lock of another host cannot be checked from here: it is waited for
// and then reported busy with its holder, never taken over.
#pragma once

#include <filesystem>
#include <string>

namespace common {

// Who holds a lock, as its file says.
struct LockHolder {
  std::string host;
  long long pid = 0;
  std::string started;  // the holder's start, as its platform tells it (empty when unknown)
};

// The text of a lock file for `holder`, and back. Parse is false for text
// that is not a complete lock file (one being written, or damaged).
std::string LockFileText(const LockHolder& holder);
bool ParseLockFileText(const std::string& text, LockHolder& holder);

// This process, as its lock files name it.
LockHolder ThisProcessAsHolder();

// Whether the process of `holder` is alive. Only meaningful for a holder of
// this host: a process id of another host says nothing here.
bool HolderIsAlive(const LockHolder& holder);

enum class LockOutcome {
  Acquired,
  Busy,    // another holder kept it for the whole wait
  Failed,  // the lock file could not be created (folder missing or not writable)
};

class LockFile {
 public:
  LockFile() = default;
  ~LockFile() { Release(); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // Tries to create `lockPath` until it succeeds or `waitMs` has passed.
  // Busy: *holder (optional) is the last holder seen. Failed: *why
  // (optional) says why, in the words of the system.
  LockOutcome Acquire(const std::filesystem::path& lockPath, int waitMs, LockHolder* holder = nullptr,
                      std::string* why = nullptr);

  // Removes the lock file when this object created it and it is still this
  // process's (a file that says otherwise is left alone).
  void Release();

  bool Held() const { return !path_.empty(); }

 private:
  std::filesystem::path path_;
  std::string text_;  // what was written into it
};

}  // namespace common
