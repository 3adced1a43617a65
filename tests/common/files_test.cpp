#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include <atomic>
#include <thread>

#include "common/bounded_run.h"
#include "common/build_date.h"
#include "common/launch.h"
#include "common/sjis.h"
#include "common/textfile.h"
#include "companions/ftp_server_support.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testsupport::WriteBytes;

TEST(TextFile, WritesCodePage932WithCrLfOnlyOnCommit) {
  TempFolder dir;
  common::TextFileWriter out(dir / "O1001.nc");
  out.WriteLine("%");
  out.WriteLine("(センタードリル)");
  out.Write("G80\r\nM30\n");
  EXPECT_FALSE(fs::exists(dir / "O1001.nc")) << "nothing reaches the disk before Commit";
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(ReadBytes(dir / "O1001.nc"), "%\r\n" + common::Utf8ToCp932("(センタードリル)") + "\r\nG80\r\nM30\r\n");
  ASSERT_TRUE(out.KeepAs(dir / "O1001.nc.failed"));
  EXPECT_EQ(ReadBytes(dir / "O1001.nc.failed"), ReadBytes(dir / "O1001.nc"));
}

TEST(TextFile, AFailedWriteLeavesTheTargetAndNoTemporaryFile) {
  TempFolder dir;
  WriteBytes(dir / "keep.nc", "old");
  fs::create_directory(dir / "folder");
  std::string error;
  // Renaming over a folder fails: the old contents stay, the temporary goes.
  EXPECT_FALSE(common::WriteFileAtomic(dir / "folder", "new", common::FileMode::Normal, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(common::WriteFileAtomic(dir / "missing" / "x.nc", "new"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
  EXPECT_EQ(ReadBytes(dir / "keep.nc"), "old");
}

TEST(TextFile, SecretsAreOwnerOnlyAndReplacedFilesKeepTheirMode) {
  TempFolder dir;
  ASSERT_TRUE(common::WriteFileAtomic(dir / "secret.ctl", "pass", common::FileMode::OwnerOnly));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "secret.ctl").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  WriteBytes(dir / "private.ini", "x");
  fs::permissions(dir / "private.ini", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(common::WriteFileAtomic(dir / "private.ini", "y"));
  ASSERT_EQ(::stat((dir / "private.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// What a write changes: a link is written through to its file (the link
// stays, the temporary is made beside the file), a file without write
// permission is refused and kept (this also runs as the super-user).
TEST(TextFile, LinksAreWrittenThroughAndWriteProtectedFilesKept) {
  TempFolder dir;
  fs::create_directories(dir / "jobs");
  fs::create_directories(dir / "elsewhere");
  struct Case {
    const char* name;
    fs::path write;       // the path written
    fs::path file;        // the file that must hold the new bytes (or the old ones)
    unsigned mode;        // of that file before the write; 0: none there
    bool written;
  };
  const Case cases[] = {
      {"link to a file in another folder", dir / "jobs" / "link.ini", dir / "elsewhere" / "real.ini", 0640, true},
      {"relative link to a link", dir / "jobs" / "chain.ini", dir / "elsewhere" / "end.ini", 0644, true},
      {"link to a file not there yet", dir / "jobs" / "dangling.ini", dir / "elsewhere" / "new.ini", 0, true},
      {"read-only file", dir / "jobs" / "ro.nc", dir / "jobs" / "ro.nc", 0444, false},
      {"link to a read-only file", dir / "jobs" / "ro-link.nc", dir / "elsewhere" / "ro.nc", 0400, false},
      {"writable by its group only", dir / "jobs" / "g.nc", dir / "jobs" / "g.nc", 0464, true},
  };
  fs::create_symlink(dir / "elsewhere" / "real.ini", dir / "jobs" / "link.ini");
  fs::create_symlink("../elsewhere/mid.ini", dir / "jobs" / "chain.ini");
  fs::create_symlink("end.ini", dir / "elsewhere" / "mid.ini");
  fs::create_symlink(dir / "elsewhere" / "new.ini", dir / "jobs" / "dangling.ini");
  fs::create_symlink(dir / "elsewhere" / "ro.nc", dir / "jobs" / "ro-link.nc");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.mode != 0) {
      WriteBytes(c.file, "old");
      ASSERT_EQ(::chmod(c.file.c_str(), c.mode), 0);
    }
    std::string error;
    EXPECT_EQ(common::WriteFileAtomic(c.write, "new", common::FileMode::Normal, &error), c.written) << error;
    EXPECT_EQ(ReadBytes(c.file), c.written ? "new" : "old");
    if (!c.written) {
      EXPECT_NE(error.find("write-protected"), std::string::npos) << error;
    }
    struct stat st {};
    ASSERT_EQ(::stat(c.file.c_str(), &st), 0);
    if (c.mode != 0) {
      EXPECT_EQ(st.st_mode & 0777, c.mode);
    }
    if (c.write != c.file) {
      EXPECT_TRUE(fs::is_symlink(c.write));
    }
  }
  // Nothing but the links and files: no temporary left in either folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "jobs"), fs::directory_iterator()), 6);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()), 5);
  // A chain of links that never ends is refused.
  fs::create_symlink("loop-b", dir / "jobs" / "loop-a");
  fs::create_symlink("loop-a", dir / "jobs" / "loop-b");
  EXPECT_FALSE(common::WriteFileAtomic(dir / "jobs" / "loop-a", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "jobs" / "loop-a"));
}

TEST(Launch, ArgumentsTravelAsAListNeverThroughAShell) {
  TempFolder dir;
  fs::path script = dir / "echo args.sh";
  WriteBytes(script, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$(dirname \"$0\")/out.txt\"\n");
  fs::permissions(script, fs::perms::owner_all);
  common::SystemLauncher launcher;
  common::LaunchRequest request{script.string(), {"a file with blanks.nc", "$(touch pwned)", "x;y"}, dir.Path()};
  EXPECT_EQ(launcher.Run(request), 0);
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "[a file with blanks.nc][$(touch pwned)][x;y]");
  EXPECT_FALSE(fs::exists(dir / "pwned"));
  EXPECT_FALSE(launcher.Start({(dir / "no such program").string(), {}, {}}));
  EXPECT_EQ(launcher.Run({(dir / "no such program").string(), {}, {}}), -1);
}

TEST(BuildDate, FormatsTheLastWriteTimeOrFails) {
  TempFolder dir;
  WriteBytes(dir / "prog", "x");
  std::tm tm{};
  tm.tm_year = 2021 - 1900;
  tm.tm_mon = 4;
  tm.tm_mday = 9;
  tm.tm_hour = 14;
  tm.tm_min = 3;
  tm.tm_sec = 5;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  struct timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "prog").c_str(), times, 0), 0);
  std::string out = "untouched";
  EXPECT_EQ(common::GetBuildDateText(dir / "prog", out), 0);
  EXPECT_EQ(out, "2021/05/09 14:03:05");
  out = "untouched";
  EXPECT_EQ(common::GetBuildDateText(dir / "missing", out), -1);
  EXPECT_EQ(out, "untouched");
  EXPECT_EQ(common::GetBuildDateText({}, out), 0) << "the running program itself";
  EXPECT_GE(common::BuildYear(), 2024);
}

// A write killed before its rename leaves "<file>.<hex>.tmp": the next write
// of the same target removes it, unless a running process may still be
// writing it. Other files are never touched.
TEST(TextFile, StaleTemporariesOfTheTargetGoAtTheNextWrite) {
  TempFolder dir;
  const fs::path target = dir / "DRILLING.ini";
  // A process id that cannot be running (above the kernel's limit).
  const std::string deadWriter = "7ffffff0" "0123abcd";
  char own[32];
  std::snprintf(own, sizeof own, "%08lx0123abcd", static_cast<unsigned long>(::getpid()));
  struct Case {
    std::string name;
    bool removed;
  };
  const Case cases[] = {
      {"DRILLING.ini." + deadWriter + ".tmp", true},
      {"DRILLING.ini." + std::string(own) + ".tmp", false},   // this process: may be in flight
      {"DRILLING.ini.7ffffff00123abcX.tmp", false},          // not a temporary name
      {"DRILLING.ini.7ffffff00123abc.tmp", false},           // 15 digits
      {"OTHER.ini." + deadWriter + ".tmp", false},           // another target
      {"DRILLING.ini.old", false},
  };
  for (const Case& c : cases) WriteBytes(dir / c.name, "partial");
  ASSERT_TRUE(common::WriteFileAtomic(target, "new"));
  EXPECT_EQ(ReadBytes(target), "new");
  for (const Case& c : cases) EXPECT_EQ(fs::exists(dir / c.name), !c.removed) << c.name;

  // An hour-old temporary is stale whatever its name says.
  const fs::path old = dir / ("DRILLING.ini." + std::string(own) + ".tmp");
  fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(2));
  EXPECT_EQ(common::RemoveStaleTemporaries(target), 1);
  EXPECT_FALSE(fs::exists(old));
}

// A waited-for program ends at its limit or when asked to stop, and what it
// started in the background ends with it; the input file can go as soon as
// it runs.
TEST(BoundedRun, StopAndLimitEndTheProgramAndWhatItStarted) {
  struct Case {
    const char* name;
    int timeoutMs;
    int stopAfterMs;  // -1: never
    bool stopped;
    bool timedOut;
  };
  const Case cases[] = {
      {"stopped", 30000, 200, true, false},
      {"limit", 300, -1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    WriteBytes(dir / "input", "x");
    common::LaunchRequest request;
    request.program = "sh";
    request.arguments = {"-c", "sleep 30 & echo $! > background; read line; wait"};
    request.workingFolder = dir.Path();
    std::atomic<bool> stop{false};
    int started = 0;
    common::RunLimits limits;
    limits.timeoutMs = c.timeoutMs;
    limits.stop = &stop;
    limits.started = [&] {
      ++started;
      fs::remove(dir / "input");
    };
    std::thread stopper([&] {
      if (c.stopAfterMs < 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(c.stopAfterMs));
      stop = true;
    });
    const auto begin = std::chrono::steady_clock::now();
    common::RunOutcome run = common::RunBounded(request, dir / "input", limits);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    EXPECT_TRUE(run.started);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(run.stopped, c.stopped);
    EXPECT_EQ(run.timedOut, c.timedOut);
    EXPECT_FALSE(fs::exists(dir / "input"));
    const pid_t background = static_cast<pid_t>(std::atol(ReadBytes(dir / "background").c_str()));
    ASSERT_GT(background, 0);
    for (int i = 0; i < 100 && testsupport::IsRunning(background); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(testsupport::IsRunning(background));
  }
  common::RunLimits limits;
  int started = 0;
  limits.started = [&] { ++started; };
  EXPECT_FALSE(common::RunBounded({"no-such-program-here", {}, {}}, {}, limits).started);
  EXPECT_EQ(started, 0);
}

// Programs that are only started (an editor, a viewer, xdg-open that hands
// the file on) are collected when they end: no zombie stays behind while
// the program that started them runs on.
TEST(Launch, StartedProgramsThatEndLeaveNoZombie) {
  auto zombies = [] {
    int count = 0;
    for (pid_t child : testsupport::ChildrenOf(::getpid())) count += testsupport::IsRunning(child) ? 0 : 1;
    return count;
  };
  common::SystemLauncher launcher;
  ASSERT_TRUE(launcher.Start({"true", {}, {}}));
  ASSERT_TRUE(launcher.Start({"sh", {"-c", "sleep 0.2"}, {}}));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (int i = 0; i < 100 && zombies() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(zombies(), 0);
  EXPECT_TRUE(testsupport::ChildrenOf(::getpid()).empty());
}
