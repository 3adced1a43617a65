#include "Drilling/job/job_lock.h"

#include <map>
#include <memory>
#include <mutex>
#include <system_error>

#include "Drilling/app/message_channel.h"
#include "common/lock_file.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

struct HeldLock {
  std::unique_ptr<common::LockFile> file;
  int count = 0;
};

// The locks this process holds, by lock file path.
std::mutex gMutex;
std::map<std::string, HeldLock> gHeld;

}  // namespace

fs::path JobLockPath(const fs::path& job) {
  std::error_code ec;
  fs::path real = fs::weakly_canonical(job, ec);
  if (ec) real = fs::absolute(job, ec);
  return fs::path(real.string() + ".lock");
}

JobLock::JobLock(Context& ctx, common::Form* owner, const fs::path& job) {
  const fs::path lockPath = JobLockPath(job);
  const std::string key = lockPath.string();
  {
    std::lock_guard<std::mutex> guard(gMutex);
    auto it = gHeld.find(key);
    if (it != gHeld.end()) {
      ++it->second.count;
      key_ = key;
      mayWrite_ = true;
      return;
    }
  }
  auto file = std::make_unique<common::LockFile>();
  common::LockHolder holder;
  std::string why;
  switch (file->Acquire(lockPath, ctx.jobLockWaitMs, &holder, &why)) {
    case common::LockOutcome::Acquired: {
      std::lock_guard<std::mutex> guard(gMutex);
      gHeld[key] = HeldLock{std::move(file), 1};
      key_ = key;
      mayWrite_ = true;
      return;
    }
    case common::LockOutcome::Busy:
      ReportF(ctx, owner, kKindError,
              "エラー：定義ファイル %s は他のプログラムが変更中です（%s のプロセス %lld）。何も保存していません。"
              "しばらくしてからやり直して下さい（そのプログラムがもう無いときは %s を削除して下さい）。",
              job.string().c_str(), holder.host.c_str(), holder.pid, lockPath.string().c_str());
      return;
    case common::LockOutcome::Failed:
      // No file can be made beside the job (a read-only folder): the write,
      // which makes its temporary file there too, fails and says so itself.
      ctx.Trace("job lock %s: %s\n", lockPath.string().c_str(), why.c_str());
      mayWrite_ = true;
      return;
  }
}

JobLock::~JobLock() {
  if (key_.empty()) return;
  std::unique_ptr<common::LockFile> release;
  {
    std::lock_guard<std::mutex> guard(gMutex);
    auto it = gHeld.find(key_);
    if (it == gHeld.end() || --it->second.count > 0) return;
    release = std::move(it->second.file);
    gHeld.erase(it);
  }
  release->Release();
}

}  // namespace drilling
