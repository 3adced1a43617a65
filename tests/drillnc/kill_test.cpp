// drillnc killed at random moments: whatever instant a SIGKILL lands, the
// job file and the NC program on disk are each a complete version, the one
// before the run or the one after it, never a torn or mixed file; and the
// job's lock a killed writer leaves behind never blocks the next writer.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "companions/ftp_server_support.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

using Clock = std::chrono::steady_clock;

class KillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(DRILLING_SOURCE_DIR) / "dist", home.Path(), fs::copy_options::recursive);
    fs::create_directories(home / "ncdata");
    job = home / "DB" / "SAMPLE-PLATE.ini";
    nc = home / "ncdata" / "O1001.nc";
  }

  // Starts drillnc on the home folder; output goes to /dev/null.
  pid_t Start(const std::vector<std::string>& args) {
    std::vector<std::string> all{DRILLING_PROGRAM_DIR "/drillnc", "--yes", "--home", home.Path().string()};
    all.insert(all.end(), args.begin(), args.end());
    return testsupport::StartProgram(all, {});
  }

  // Runs to the end; true on exit status 0.
  bool Run(const std::vector<std::string>& args) {
    return testsupport::WaitForExit(Start(args)) == 0;
  }

  // Runs and sends SIGKILL after `delay` unless it ended before.
  void RunAndKill(const std::vector<std::string>& args, std::chrono::microseconds delay) {
    pid_t pid = Start(args);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
  }

  testsupport::TempFolder home;
  fs::path job, nc;
};

int RunCount() {
  const char* text = std::getenv("KILL_RUNS");
  return text ? std::max(1, std::atoi(text)) : 300;
}

TEST_F(KillTest, JobFileAndNcProgramAreAlwaysACompleteVersion) {
  // The two versions of each file the runs move between: holes of group 1
  // at one place or another, and the NC program of each.
  const std::vector<std::string> holeA{"hole", "SAMPLE-PLATE", "1", "--at", "15,15", "--at", "135,15"};
  const std::vector<std::string> holeB{"hole", "SAMPLE-PLATE", "1", "--at", "20,25", "--at", "130,25", "--at", "75,50"};
  const std::vector<std::string> ncRun{"nc", "SAMPLE-PLATE", "--no-sim"};

  auto started = Clock::now();
  // Each version is read after an NC run: the run saves the main fields of
  // the job first, which may normalise them.
  ASSERT_TRUE(Run(holeA));
  ASSERT_TRUE(Run(ncRun));
  const std::string jobA = ReadBytes(job);
  const std::string ncA = ReadBytes(nc);
  ASSERT_TRUE(Run(holeB));
  ASSERT_TRUE(Run(ncRun));
  const std::string jobB = ReadBytes(job);
  const std::string ncB = ReadBytes(nc);
  // One full run, for the range of the kill delays (a quarter beyond it, so
  // some runs finish).
  const auto fullRun = (Clock::now() - started) / 4;
  ASSERT_NE(jobA, jobB);
  ASSERT_NE(ncA, ncB);
  ASSERT_FALSE(ncA.empty());

  std::mt19937 random(std::random_device{}());
  const auto maxDelayUs = std::chrono::duration_cast<std::chrono::microseconds>(fullRun * 5 / 4).count();
  std::uniform_int_distribution<long long> delayUs(0, std::max<long long>(1, maxDelayUs));
  const auto budget = std::chrono::seconds(150);
  int runs = 0, killedHole = 0, killedNc = 0, newJob = 0, newNc = 0, locksLeft = 0;
  const fs::path lock = job.string() + ".lock";
  // A writer that changes nothing (group 3 saved as it stands) but needs the lock.
  const std::vector<std::string> idleWriter{"hole", "SAMPLE-PLATE", "3"};

  std::string jobNow = jobB;  // what is on disk before each run
  std::string ncNow = ncB;
  for (; runs < RunCount() && Clock::now() - started < budget; ++runs) {
    const bool hole = random() % 2 == 0;
    const bool toA = jobNow == jobB;
    std::chrono::microseconds delay(delayUs(random));
    if (hole) {
      RunAndKill(toA ? holeA : holeB, delay);
      const std::string after = ReadBytes(job);
      ASSERT_TRUE(after == jobNow || after == (toA ? jobA : jobB)) << "run " << runs << ": torn job file\n" << after;
      ++killedHole;
      newJob += after != jobNow;
      jobNow = after;
      ASSERT_EQ(ReadBytes(nc), ncNow) << "the hole command never writes the NC program";
    } else {
      RunAndKill(ncRun, delay);
      ASSERT_EQ(ReadBytes(job), jobNow) << "run " << runs << ": the NC run changed the job file";
      const std::string after = ReadBytes(nc);
      const std::string& fresh = jobNow == jobA ? ncA : ncB;
      ASSERT_TRUE(after == ncNow || after == fresh) << "run " << runs << ": torn NC program\n" << after;
      ++killedNc;
      newNc += after != ncNow;
      ncNow = after;
    }
    if (fs::exists(lock)) {
      // The killed holder's lock: the next writer takes it over at once
      // (waiting it out would fail the run as busy).
      ++locksLeft;
      ASSERT_TRUE(Run(idleWriter)) << "run " << runs << ": a killed writer's lock blocked the next one";
      ASSERT_EQ(ReadBytes(job), jobNow);
      ASSERT_FALSE(fs::exists(lock)) << "run " << runs << ": the next writer left the lock";
    }
  }
  // How many runs got as far as their write tells whether the delays span the runs.
  std::printf("kill test: %d runs (%d hole, %d of them wrote; %d nc, %d of them changed the program; %d left a lock), "
              "delays up to %lld us\n",
              runs, killedHole, newJob, killedNc, newNc, locksLeft, static_cast<long long>(maxDelayUs));
  RecordProperty("runs", runs);
  EXPECT_GE(runs, 50) << "too few runs in the time budget to mean anything";
  EXPECT_GT(locksLeft, 0) << "no kill landed while a writer held the lock";
}

// An FTP transfer killed while the client waits for the server: the client
// dies with drillnc (none is left running), the script with the password is
// not on disk, and a script left by a kill between its writing and the
// client's start goes at the next start of Drilling.
TEST_F(KillTest, AKilledTransferLeavesNoClientAndNoScript) {
  testsupport::SilentServer silent;
  ASSERT_NE(silent.Port(), 0);
  testsupport::TempFolder scratch;
  WriteBytes(scratch / "password", "secret\n");
  ASSERT_EQ(testsupport::RunProgram({DRILLING_PROGRAM_DIR "/drillnc", "--home", home.Path().string(), "settings",
                                     "--protocol", "FTP", "--destination",
                                     "127.0.0.1 " + std::to_string(silent.Port()), "--ftp-user", "cam",
                                     "--ftp-password-stdin"},
                                    {scratch / "password", {}, {}}),
            0);
  ASSERT_TRUE(Run({"nc", "SAMPLE-PLATE", "--no-sim"}));
  const fs::path script = home / "ncdata" / "mtftp.ctl";

  const pid_t send = Start({"send", "SAMPLE-PLATE"});
  ASSERT_GT(send, 0);
  pid_t client = -1;
  for (int i = 0; i < 400 && client < 0; ++i) {
    for (pid_t child : testsupport::ChildrenOf(send))
      if (testsupport::IsRunning(child)) client = child;
    if (client < 0) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ASSERT_GT(client, 0) << "no ftp client was started";
  // The script goes once the client has it open (a slow start under load
  // may take a while); then the client waits for the server's greeting.
  for (int i = 0; i < 600 && fs::exists(script); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(fs::exists(script)) << "the script stays while the client runs";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(send, SIGKILL);
  testsupport::WaitForExit(send);
  for (int i = 0; i < 100 && testsupport::IsRunning(client); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(testsupport::IsRunning(client)) << "the ftp client outlived drillnc";
  EXPECT_FALSE(fs::exists(script));

  // The script goes during the start, before the main window opens; the
  // window itself (it may wait on a box offscreen) is not this test's.
  WriteBytes(script, "open 127.0.0.1\nuser cam secret\n");
  setenv("DRILLING_HOME", home.Path().c_str(), 1);
  setenv("DRILLING_EXIT_AFTER_SHOW", "1", 1);
  const pid_t drilling = testsupport::StartProgram({DRILLING_PROGRAM_DIR "/Drilling"}, {});
  unsetenv("DRILLING_EXIT_AFTER_SHOW");
  unsetenv("DRILLING_HOME");
  ASSERT_GT(drilling, 0);
  for (int i = 0; i < 600 && fs::exists(script) && testsupport::IsRunning(drilling); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(fs::exists(script)) << "a stale script stays after the start";
  kill(drilling, SIGKILL);
  testsupport::WaitForExit(drilling);
}

}  // namespace
