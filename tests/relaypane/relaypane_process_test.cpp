// The message window program as a process: single instance, the version
// request, its boxes on a screen nobody watches, and what it does with
// clients it does not know.
#include <gtest/gtest.h>

#include <QProcess>

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>

#include <random>

#include "channel/relay_fixture.h"

namespace {

using relaytest::RelayFolder;
using relaytest::FolderOptions;

QString Executable() { return QString::fromStdString(relaytest::RelaypaneExecutable()); }

// Starts the window program and waits until it holds its lock.
bool StartWindow(QProcess& process, const RelayFolder& relay) {
  process.start(Executable(), {});
  if (!process.waitForStarted(5000)) return false;
  for (int i = 0; i < 500 && !relay.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  // The lock comes just before the socket: wait until it answers.
  auto transport = common::MakeLocalSocketTransport();
  for (int i = 0; i < 500; ++i) {
    if (transport->Find(relay.runningClass, relay.windowName)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool Deliver(const RelayFolder& relay, const std::string& line) {
  auto transport = common::MakeLocalSocketTransport();
  return transport->AddLine(relay.runningClass, relay.windowName, line);
}

bool CloseWindow(QProcess& process, const RelayFolder& relay) {
  auto transport = common::MakeLocalSocketTransport();
  if (transport->Find(relay.runningClass, relay.windowName)) transport->PostClose(relay.runningClass, relay.windowName);
  return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit;
}

TEST(RelaypaneProcess, SecondStartEndsAtOnceAndLeavesTheFirstServing) {
  RelayFolder relay;
  QProcess first;
  ASSERT_TRUE(StartWindow(first, relay));
  long long pid = relay.Pid();
  ASSERT_TRUE(Deliver(relay, "to the first"));

  QProcess second;
  second.start(Executable(), {});
  ASSERT_TRUE(second.waitForFinished(5000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(relay.Pid(), pid);
  EXPECT_EQ(first.state(), QProcess::Running);
  ASSERT_TRUE(Deliver(relay, "still the first"));

  ASSERT_TRUE(CloseWindow(first, relay));
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_EQ(relay.LogEntries(), (std::vector<std::string>{"to the first", "still the first"}));
}

TEST(RelaypaneProcess, VersionRequestShowsInformationEvenWhileAnotherRuns) {
  RelayFolder relay;
  // Without a running instance: the information, then the end; nothing stays.
  QProcess alone;
  alone.start(Executable(), {"ver"});
  ASSERT_TRUE(alone.waitForFinished(5000));
  EXPECT_EQ(alone.exitCode(), 0);
  std::string out = alone.readAllStandardOutput().toStdString();
  EXPECT_EQ(out.rfind("Relaypane - Program Information\nVeltrane\n", 0), 0u) << out;
  EXPECT_NE(out.find("Release Version 0.12.2740"), std::string::npos);
  EXPECT_NE(out.find("フォルダ " + relay.folder.string() + "/"), std::string::npos);
  EXPECT_FALSE(relay.Running());

  QProcess first;
  ASSERT_TRUE(StartWindow(first, relay));
  long long pid = relay.Pid();
  QProcess version;
  version.start(Executable(), {"/V"});
  ASSERT_TRUE(version.waitForFinished(5000));
  EXPECT_EQ(version.exitCode(), 0);
  EXPECT_NE(version.readAllStandardOutput().toStdString().find("Program Information"), std::string::npos);
  EXPECT_EQ(relay.Pid(), pid);
  ASSERT_TRUE(Deliver(relay, "untouched"));
  ASSERT_TRUE(CloseWindow(first, relay));
  EXPECT_EQ(relay.LogEntries(), std::vector<std::string>{"untouched"});
}

TEST(RelaypaneProcess, LogFolderThatCannotBeMadeGivesItsBoxAndTheWindowStillCloses) {
  RelayFolder relay;
  common::WriteFileAtomic(relay.folder / "Log", "a file where the folder should be");
  QProcess window;
  ASSERT_TRUE(StartWindow(window, relay));
  ASSERT_TRUE(Deliver(relay, "not logged"));
  ASSERT_TRUE(CloseWindow(window, relay));
  EXPECT_EQ(window.exitCode(), 0);
  std::string err = window.readAllStandardError().toStdString();
  EXPECT_NE(err.find("box: " + relay.windowName + ": " + (relay.folder / "Log").string() + "\nフォルダ作成失敗"),
            std::string::npos)
      << err;
}

// A raw client of the window's socket.
int RawConnect(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Sends the bytes; true when an acknowledgement comes back within the wait.
bool SendExpectingAck(int fd, const std::string& bytes, int waitMs) {
  if (::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) return false;
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, waitMs) <= 0) return false;
  char ack[5];
  return ::recv(fd, ack, sizeof ack, 0) == 5 && ack[0] == common::kFrameAck;
}

TEST(RelaypaneProcess, GarbageAndUnknownClientsAddNothingAndDoNotHurtTheWindow) {
  RelayFolder relay;
  QProcess window;
  ASSERT_TRUE(StartWindow(window, relay));
  std::string path = common::MessageLinkPathsFor(relay.className, relay.windowName).socketPath;
  std::string line = common::EncodeFrame(common::kFrameLine, "intruder line");
  std::string hello = common::EncodeFrame(common::kFrameHello, common::kHelloPayload);

  // A line without the hello.
  int fd = RawConnect(path);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(SendExpectingAck(fd, line, 300));
  ::close(fd);
  // A wrong hello.
  fd = RawConnect(path);
  EXPECT_FALSE(SendExpectingAck(fd, common::EncodeFrame(common::kFrameHello, "HTTP/1.1") + line, 300));
  ::close(fd);
  // Random bytes, a lot of them.
  std::mt19937 random(7);
  std::string noise(1 << 16, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  fd = RawConnect(path);
  ::send(fd, noise.data(), noise.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::close(fd);
  // A hello, then a frame that claims to be huge.
  fd = RawConnect(path);
  std::string huge = hello + 'L' + std::string("\xff\xff\xff\x7f", 4);
  EXPECT_FALSE(SendExpectingAck(fd, huge, 300));
  ::close(fd);
  // A proper client connects and leaves half-way through a frame.
  fd = RawConnect(path);
  std::string half = hello + line.substr(0, 8);
  ::send(fd, half.data(), half.size(), MSG_NOSIGNAL);
  ::close(fd);

  // The window is still there and serves lines.
  EXPECT_EQ(window.state(), QProcess::Running);
  ASSERT_TRUE(Deliver(relay, "after the noise"));
  fd = RawConnect(path);
  EXPECT_TRUE(SendExpectingAck(fd, hello + common::EncodeFrame(common::kFrameLine, "raw but proper"), 3000));
  ::close(fd);
  ASSERT_TRUE(CloseWindow(window, relay));
  EXPECT_EQ(window.exitCode(), 0);
  EXPECT_EQ(relay.LogEntries(), (std::vector<std::string>{"after the noise", "raw but proper"}));
}

// Run in a child: becomes user `uid` and tries to add a line. With
// `overrideFileRights` it keeps the right to pass file permissions, so that
// only the window's own check of the peer's user stands in its way. Exit
// code 0 when the line was refused, 1 when it was acknowledged, 2 when the
// child could not set itself up.
[[noreturn]] void ForeignClient(const std::string& path, uid_t uid, bool overrideFileRights) {
  if (overrideFileRights) ::prctl(PR_SET_KEEPCAPS, 1, 0, 0, 0);
  if (::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0) ::_exit(2);
  if (overrideFileRights) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) ::_exit(2);
    data[0].effective |= (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    if (::syscall(SYS_capset, &header, data) != 0) ::_exit(2);
  }
  int fd = RawConnect(path);
  if (fd < 0) ::_exit(0);
  std::string bytes = common::EncodeFrame(common::kFrameHello, common::kHelloPayload) +
                      common::EncodeFrame(common::kFrameLine, "foreign line");
  ::_exit(SendExpectingAck(fd, bytes, 2000) ? 1 : 0);
}

int RunForeignClient(const std::string& path, bool overrideFileRights) {
  pid_t pid = ::fork();
  if (pid == 0) ForeignClient(path, 65534, overrideFileRights);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

TEST(RelaypaneProcess, AnotherUserCannotAddLines) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  RelayFolder relay;
  QProcess window;
  ASSERT_TRUE(StartWindow(window, relay));
  std::string path = common::MessageLinkPathsFor(relay.className, relay.windowName).socketPath;
  // Stopped by the rights of the socket and its folder.
  EXPECT_EQ(RunForeignClient(path, false), 0);
  // Past the file rights: stopped by the window's check of the peer's user.
  EXPECT_EQ(RunForeignClient(path, true), 0);
  EXPECT_EQ(window.state(), QProcess::Running);
  ASSERT_TRUE(Deliver(relay, "own line"));
  ASSERT_TRUE(CloseWindow(window, relay));
  EXPECT_EQ(relay.LogEntries(), std::vector<std::string>{"own line"});
}

}  // namespace
