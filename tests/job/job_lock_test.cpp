#include "Drilling/job/job_lock.h"

#include <gtest/gtest.h>

#include <optional>

#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/job/job_file.h"
#include "common/lock_file.h"
#include "common/platform.h"
#include "job/job_fixture.h"
#include "support/run_program.h"

namespace drilling {
namespace {

class JobLockTest : public jobtest::JobFixture {};

// A save of the window with the job's lock in each state: another writer
// keeps it busy (nothing written, the holder named); a lock this process
// holds already (a command around the save) or a dead holder's does not.
TEST_F(JobLockTest, ASaveWaitsForAnotherWriterAndThenWritesNothing) {
  pid_t ended = testsupport::StartProgram({"/bin/true"}, {});
  testsupport::WaitForExit(ended);
  const struct {
    const char* what;
    std::string lockText;  // "" for a lock this process takes around the save
    bool saved;
  } cases[] = {
      {"another PC's writer", common::LockFileText({"OTHER-PC", 4711, "x"}), false},
      {"held by this process around the save", "", true},
      {"a writer of this host that was killed", common::LockFileText({common::HostName(), ended, ""}), true},
  };
  ctx.jobLockWaitMs = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MakeJob("lock.ini", "[Drilling]\ntitle=lock\n[Hole1]\n種類=ドリル\n");
    const std::string before = testsupport::ReadBytes(ctx.currentJobPath);
    const std::filesystem::path lockPath = JobLockPath(ctx.currentJobPath);
    EXPECT_EQ(lockPath, std::filesystem::weakly_canonical(ctx.currentJobPath).string() + ".lock");
    if (!c.lockText.empty()) testsupport::WriteBytes(lockPath, c.lockText);
    std::optional<JobLock> outer;
    if (c.lockText.empty()) outer.emplace(ctx, nullptr, ctx.currentJobPath);

    common::MemoryForm hole(HoleDialogTemplate());
    LoadHoleGroup(ctx, hole);
    hole.SetText(kHoleDiameterEdit, "8.5");
    ui.boxes.clear();
    EXPECT_EQ(SaveHoleGroup(ctx, hole) == 0, c.saved);
    if (c.saved) {
      EXPECT_TRUE(ErrorBoxes().empty());
      EXPECT_EQ(Stored("Hole1", "穴径"), "8.5");
    } else {
      ASSERT_EQ(ErrorBoxes().size(), 1u);
      EXPECT_EQ(ErrorBoxes()[0].rfind("エラー：定義ファイル " + ctx.currentJobPath.string() +
                                          " は他のプログラムが変更中です（OTHER-PC のプロセス 4711）。何も保存していません。",
                                      0),
                0u)
          << ErrorBoxes()[0];
      EXPECT_NE(ErrorBoxes()[0].find(lockPath.string()), std::string::npos) << "where to remove a dead PC's lock";
      EXPECT_EQ(testsupport::ReadBytes(ctx.currentJobPath), before);
    }
    // The save of a command keeps the command's lock; it goes when the command ends.
    EXPECT_EQ(std::filesystem::exists(lockPath), outer.has_value() || !c.saved);
    outer.reset();
    if (c.saved) {
      EXPECT_FALSE(std::filesystem::exists(lockPath));
    }
    std::filesystem::remove(lockPath);
  }
}

}  // namespace
}  // namespace drilling
