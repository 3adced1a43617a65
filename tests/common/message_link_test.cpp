// The pieces of the local-socket link: frames, socket names, the instance lock.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/qt/message_link.h"

namespace {

using common::FrameReader;

TEST(MessageLink, FramesSurviveArrivingByteByByte) {
  std::string stream = common::EncodeFrame(common::kFrameHello, common::kHelloPayload) +
                       common::EncodeFrame(common::kFrameLine, "穴明け\nline") +
                       common::EncodeFrame(common::kFrameLine, "") + common::EncodeFrame(common::kFrameClose, "");
  FrameReader reader;
  std::vector<std::pair<char, std::string>> frames;
  char type = 0;
  std::string payload;
  for (char byte : stream) {
    reader.Append(std::string_view(&byte, 1));
    FrameReader::Status status;
    while ((status = reader.Next(type, payload)) == FrameReader::Status::Complete) frames.emplace_back(type, payload);
    ASSERT_NE(status, FrameReader::Status::Invalid);
  }
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0], std::make_pair(common::kFrameHello, std::string(common::kHelloPayload)));
  EXPECT_EQ(frames[1], std::make_pair(common::kFrameLine, std::string("穴明け\nline")));
  EXPECT_EQ(frames[2], std::make_pair(common::kFrameLine, std::string()));
  EXPECT_EQ(frames[3].first, common::kFrameClose);
}

TEST(MessageLink, UnknownTypesAndOverLongPayloadsAreRefused) {
  char type = 0;
  std::string payload;
  FrameReader unknown;
  unknown.Append("GET / HTTP/1.1\r\n");
  EXPECT_EQ(unknown.Next(type, payload), FrameReader::Status::Invalid);
  // Even the first byte alone gives a stranger away.
  FrameReader early;
  early.Append("\x16");
  EXPECT_EQ(early.Next(type, payload), FrameReader::Status::Invalid);

  FrameReader huge;
  std::string head = common::EncodeFrame(common::kFrameLine, std::string(common::kMaxFramePayload + 1, 'x'));
  huge.Append(head.substr(0, common::kFrameHeaderBytes));
  EXPECT_EQ(huge.Next(type, payload), FrameReader::Status::Invalid);

  FrameReader largest;
  largest.Append(common::EncodeFrame(common::kFrameLine, std::string(common::kMaxFramePayload, 'x')));
  EXPECT_EQ(largest.Next(type, payload), FrameReader::Status::Complete);
  EXPECT_EQ(payload.size(), common::kMaxFramePayload);
}

TEST(MessageLink, EachIdentityHasItsOwnSocketInAPrivateFolder) {
  auto a = common::MessageLinkPathsFor("DrillingMessage", "穴明け加工メッセージ");
  auto b = common::MessageLinkPathsFor("DrillingMessage", "穴明け加工メッセージ２");
  auto c = common::MessageLinkPathsFor("DrillingMessageX", "穴明け加工メッセージ");
  ASSERT_FALSE(a.socketPath.empty());
  EXPECT_EQ(a.socketPath, common::MessageLinkPathsFor("DrillingMessage", "穴明け加工メッセージ").socketPath);
  EXPECT_NE(a.socketPath, b.socketPath);
  EXPECT_NE(a.socketPath, c.socketPath);
  EXPECT_NE(a.lockPath, a.socketPath);
  // Safe as a socket name: short and plain.
  EXPECT_LT(a.socketPath.size(), 100u);
  std::string name = std::filesystem::path(a.socketPath).filename().string();
  EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"), std::string::npos) << name;
  struct stat st {};
  ASSERT_EQ(::stat(std::filesystem::path(a.socketPath).parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, ::geteuid());
  EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(MessageLink, InstanceLockIsHeldByOneHolderAtATime) {
  std::string cls = "LockTest" + std::to_string(::getpid());
  auto paths = common::MessageLinkPathsFor(cls, "window");
  EXPECT_FALSE(common::MessageWindowRunning(cls, "window"));
  {
    common::InstanceLock first;
    ASSERT_TRUE(first.TryAcquire(paths.lockPath));
    EXPECT_TRUE(common::MessageWindowRunning(cls, "window"));
    EXPECT_EQ(common::MessageWindowPid(cls, "window"), ::getpid());
    common::InstanceLock second;
    EXPECT_FALSE(second.TryAcquire(paths.lockPath));
  }
  EXPECT_FALSE(common::MessageWindowRunning(cls, "window"));
  common::InstanceLock again;
  EXPECT_TRUE(again.TryAcquire(paths.lockPath));
}

}  // namespace

// One message window per user and graphical session: another display gets
// other names; screens of one display share them.
TEST(MessageLink, EachDisplayHasItsOwnSocketAndLock) {
  const char* keep[] = {"DISPLAY", "WAYLAND_DISPLAY"};
  std::string saved[2];
  bool had[2];
  for (int i = 0; i < 2; ++i) {
    const char* v = std::getenv(keep[i]);
    had[i] = v != nullptr;
    if (v) saved[i] = v;
  }
  auto pathsWith = [](const char* display, const char* wayland) {
    if (display) ::setenv("DISPLAY", display, 1); else ::unsetenv("DISPLAY");
    if (wayland) ::setenv("WAYLAND_DISPLAY", wayland, 1); else ::unsetenv("WAYLAND_DISPLAY");
    return common::MessageLinkPathsFor("DrillingMessage", "window");
  };
  auto first = pathsWith(":0", nullptr);
  auto firstScreen1 = pathsWith(":0.1", nullptr);
  auto second = pathsWith(":1", nullptr);
  auto none = pathsWith(nullptr, nullptr);
  auto wayland = pathsWith(":0", "wayland-0");
  EXPECT_EQ(common::GraphicalSession(), "wayland:wayland-0");
  pathsWith("host:10.0", nullptr);
  EXPECT_EQ(common::GraphicalSession(), "x11:host:10");
  for (int i = 0; i < 2; ++i) {
    if (had[i]) ::setenv(keep[i], saved[i].c_str(), 1); else ::unsetenv(keep[i]);
  }
  ASSERT_FALSE(first.socketPath.empty());
  EXPECT_EQ(first.socketPath, firstScreen1.socketPath);
  EXPECT_NE(first.socketPath, second.socketPath);
  EXPECT_NE(first.lockPath, second.lockPath);
  EXPECT_NE(first.socketPath, none.socketPath);
  EXPECT_NE(first.socketPath, wayland.socketPath);
}
