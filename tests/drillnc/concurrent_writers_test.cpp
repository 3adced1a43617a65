// Two drillnc writers at once on one job, each changing its own hole group
// hundreds of times: every change of each is kept (one writer at a time on
// a job file), none is lost to the other's stale copy.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/profile.h"
#include "common/text.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBatches = 10;        // per writer
constexpr int kAppendsPerBatch = 19;  // with the reset: 20 changes a batch, 200 a writer

struct Writer {
  int group = 0;
  int runs = 0;
  std::vector<std::string> faults;
};

TEST(ConcurrentWriters, NoChangeOfEitherWriterIsLost) {
  testsupport::TempFolder home;
  fs::copy(fs::path(DRILLING_SOURCE_DIR) / "dist", home.Path(), fs::copy_options::recursive);
  const fs::path job = home / "DB" / "SAMPLE-PLATE.ini";
  const std::string group3 = common::ReadProfileText("Hole3", "X2", "", 16, job);

  auto drillnc = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {DRILLING_PROGRAM_DIR "/drillnc", "--home", home.Path().string()});
    return testsupport::RunProgram(args, {});
  };
  // Each batch: the group reset to one position, then 19 positions appended
  // by the bolt-circle calculator (a circle of diameter 0 at each point).
  // Appending reads the group as stored, so a change lost to the other
  // writer's stale copy leaves a position missing at the batch's end.
  auto run = [&](Writer& w) {
    for (int b = 0; b < kBatches; ++b) {
      const std::string y = std::to_string(b);
      const std::string g = std::to_string(w.group);
      ++w.runs;
      if (drillnc({"hole", "SAMPLE-PLATE", g, "--at", "0," + y}) != 0) w.faults.push_back("reset failed");
      for (int i = 1; i <= kAppendsPerBatch; ++i) {
        ++w.runs;
        if (drillnc({"circle", "SAMPLE-PLATE", g, "--diameter", "0", "--centre", std::to_string(i) + "," + y,
                     "--count", "1"}) != 0)
          w.faults.push_back(common::FormatText("batch %d append %d failed", b, i));
      }
      std::string rows;
      for (int k = 1; k <= 20; ++k) {
        const std::string section = "Hole" + g;
        rows += common::ReadProfileText(section, "X" + std::to_string(k), "-", 16, job) + "/" +
                common::ReadProfileText(section, "Y" + std::to_string(k), "-", 16, job) + " ";
      }
      std::string expected;
      for (int k = 0; k < 20; ++k) expected += std::to_string(k) + "./" + y + ". ";
      if (rows != expected) w.faults.push_back("group " + g + " batch " + y + ": " + rows);
    }
  };
  Writer one, two;
  one.group = 1;
  two.group = 2;
  std::thread first(run, std::ref(one));
  std::thread second(run, std::ref(two));
  first.join();
  second.join();

  EXPECT_EQ(one.runs + two.runs, 2 * kBatches * (kAppendsPerBatch + 1));
  for (const Writer* w : {&one, &two})
    for (const std::string& fault : w->faults) ADD_FAILURE() << fault;
  EXPECT_EQ(common::ReadProfileText("Hole3", "X2", "", 16, job), group3) << "the third group is nobody's";
  EXPECT_FALSE(fs::exists(job.string() + ".lock")) << "every writer released the lock";
}

}  // namespace
