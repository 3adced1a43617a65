#include "common/lock_file.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <thread>

#include "common/platform.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

namespace {

// A process of this host that has ended (and was collected): its id names
// nobody now.
long long EndedProcess() {
  pid_t pid = testsupport::StartProgram({"/bin/true"}, {});
  testsupport::WaitForExit(pid);
  return pid;
}

// Whatever lock file stands there, the outcome of a short wait for it.
TEST(LockFile, AStaleLockOfThisHostIsTakenOverAnyOtherIsWaitedFor) {
  const std::string host = common::HostName();
  pid_t sleeper = testsupport::StartProgram({"/bin/sleep", "30"}, {});
  ASSERT_GT(sleeper, 0);
  pid_t zombie = testsupport::StartProgram({"/bin/true"}, {});  // ended, not yet collected
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const common::LockHolder self = common::ThisProcessAsHolder();

  struct Case {
    const char* what;
    std::function<std::string()> text;  // the lock file standing there; nullopt-like "" with exists false
    bool exists;
    common::LockOutcome outcome;
    std::string holderHost;
  } cases[] = {
      {"no lock", [] { return std::string(); }, false, common::LockOutcome::Acquired, ""},
      {"a live process of this host",
       [&] { return common::LockFileText({host, sleeper, ""}); }, true, common::LockOutcome::Busy, host},
      {"this very process (another lock of it)", [&] { return common::LockFileText(self); }, true,
       common::LockOutcome::Busy, host},
      {"an ended process of this host", [&] { return common::LockFileText({host, EndedProcess(), ""}); }, true,
       common::LockOutcome::Acquired, ""},
      {"an ended process not yet collected", [&] { return common::LockFileText({host, zombie, ""}); }, true,
       common::LockOutcome::Acquired, ""},
      {"a reused process id (another start)", [&] { return common::LockFileText({host, sleeper, "0/1"}); }, true,
       common::LockOutcome::Acquired, ""},
      {"another host", [] { return common::LockFileText({"OTHER-PC", 1, "x"}); }, true, common::LockOutcome::Busy,
       "OTHER-PC"},
      {"a lock being written (not yet readable)", [] { return std::string("host=OTH"); }, true,
       common::LockOutcome::Busy, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const fs::path path = dir / "job.ini.lock";
    const std::string before = c.text();
    if (c.exists) WriteBytes(path, before);
    common::LockFile lock;
    common::LockHolder holder;
    ASSERT_EQ(lock.Acquire(path, 150, &holder), c.outcome);
    if (c.outcome == common::LockOutcome::Acquired) {
      EXPECT_TRUE(lock.Held());
      EXPECT_EQ(ReadBytes(path), common::LockFileText(self)) << "the lock names this process";
      EXPECT_FALSE(fs::exists(dir / "job.ini.lock.takeover"));
      lock.Release();
      EXPECT_FALSE(fs::exists(path)) << "released";
    } else {
      EXPECT_FALSE(lock.Held());
      EXPECT_EQ(ReadBytes(path), before) << "another's lock is never touched";
      EXPECT_EQ(holder.host, c.holderHost);
    }
  }
  kill(sleeper, SIGKILL);
  testsupport::WaitForExit(sleeper);
  testsupport::WaitForExit(zombie);
}

TEST(LockFile, AHalfWrittenLockIsTakenOverOnlyAfterItStaysUnreadable) {
  TempFolder dir;
  const fs::path path = dir / "job.ini.lock";
  WriteBytes(path, "");  // a holder died between creating and filling it
  common::LockFile lock;
  EXPECT_EQ(lock.Acquire(path, 3000), common::LockOutcome::Acquired);

  // A release leaves a lock file that is no longer this process's alone.
  WriteBytes(path, common::LockFileText({"OTHER-PC", 7, "x"}));
  lock.Release();
  EXPECT_TRUE(fs::exists(path));

  common::LockFile none;
  std::string why;
  EXPECT_EQ(none.Acquire(dir / "absent" / "job.ini.lock", 100, nullptr, &why), common::LockOutcome::Failed);
  EXPECT_FALSE(why.empty());
}

}  // namespace
