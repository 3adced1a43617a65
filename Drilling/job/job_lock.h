// One writer at a time on a job file: every read-modify-write of a job (a
// save of the window, a drillnc command) holds the job's lock file, beside
// the job, for its whole length. A second writer waits (Context::
// jobLockWaitMs), then reports the job as busy and writes nothing. The lock
// file holds the holder's host and process: a holder of this host that is
// gone (killed, crashed) leaves a lock the next writer takes over.
#pragma once

#include <filesystem>
#include <string>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// The lock file of a job: beside the file the job path leads to, named after
// it ("SAMPLE-PLATE.ini.lock"), so two paths to one job share one lock.
std::filesystem::path JobLockPath(const std::filesystem::path& job);

class JobLock {
 public:
  // Takes the lock of `job`; within a process that holds it already, this
  // only counts (a command holds it, and each save inside takes it again).
  // When another writer keeps it for the whole wait, the busy job has been
  // reported with kind -1 and Held() is false: write nothing. A lock file
  // that cannot be made at all (a folder where no file can be made) lets
  // the write go on: it fails there too, with its own report.
  JobLock(Context& ctx, common::Form* owner, const std::filesystem::path& job);
  ~JobLock();
  JobLock(const JobLock&) = delete;
  JobLock& operator=(const JobLock&) = delete;

  // True when the caller may write.
  bool Held() const { return mayWrite_; }

 private:
  std::string key_;  // the lock this process holds, when it holds one
  bool mayWrite_ = false;
};

}  // namespace drilling
