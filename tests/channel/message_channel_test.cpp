// The sending side of the message channel against the real message window
// program: lines go through ReportMessage and the log file on disk is the
// evidence.
#include <gtest/gtest.h>

#include <QProcess>

#include "channel/relay_fixture.h"
#include "common/platform.h"
#include "common/program_folder.h"
#include "common/text.h"

namespace {

using relaytest::RelayFolder;
using relaytest::FolderOptions;
using drilling::Context;
using drilling::Report;
using drilling::ReportMessage;
using drilling::StartMessageWindow;

const char* kNoWindow = "エラー：メッセージウィンドウが開けません。";

TEST(MessageChannel, FirstReportStartsTheWindowAndEveryKindIsListedThenBoxed) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  ASSERT_FALSE(relay.Running());

  // Not running at the first report: started, the line is delivered.
  EXPECT_EQ(Report(ctx, nullptr, 0, "一行目 first line"), 0);
  EXPECT_TRUE(relay.Running());
  EXPECT_TRUE(ctx.messageBuffer.empty());
  EXPECT_TRUE(relay.ui.boxes.empty());

  // Kinds without a box come back unchanged.
  EXPECT_EQ(Report(ctx, nullptr, 2, "kind two"), 2);
  EXPECT_EQ(Report(ctx, nullptr, 4, "kind four"), 4);
  EXPECT_EQ(Report(ctx, nullptr, -7, "negative kind"), -7);
  EXPECT_EQ(Report(ctx, nullptr, 1, "完了しました"), 1);
  EXPECT_EQ(Report(ctx, nullptr, 3, "warning line"), 3);
  EXPECT_EQ(Report(ctx, nullptr, -1, "エラー：試験"), -1);
  EXPECT_TRUE(ctx.messageBuffer.empty());

  ASSERT_EQ(relay.ui.boxes.size(), 4u);
  EXPECT_EQ(relay.ui.boxes[0].text, "negative kind");
  EXPECT_EQ(relay.ui.boxes[0].icon, common::BoxIcon::Error);
  EXPECT_EQ(relay.ui.boxes[1].text, "完了しました");
  EXPECT_EQ(relay.ui.boxes[1].icon, common::BoxIcon::Information);
  EXPECT_EQ(relay.ui.boxes[2].icon, common::BoxIcon::Warning);
  EXPECT_EQ(relay.ui.boxes[3].text, "エラー：試験");
  EXPECT_EQ(relay.ui.boxes[3].icon, common::BoxIcon::Error);
  for (const auto& box : relay.ui.boxes) EXPECT_EQ(box.caption, "Drilling");

  // Mode 1 with the window running starts nothing more.
  StartMessageWindow(ctx, 1);
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  EXPECT_EQ(relay.LogEntries(), (std::vector<std::string>{"一行目 first line", "kind two", "kind four",
                                                          "negative kind", "完了しました", "warning line",
                                                          "エラー：試験"}));
  // Closing again with no window does nothing (and starts nothing).
  StartMessageWindow(ctx, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(relay.Running());
}

TEST(MessageChannel, ModeTwoStartsAndWaitsUntilTheWindowAnswers) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  StartMessageWindow(ctx, 2);
  EXPECT_TRUE(relay.transport->Find(ctx.messageWindowClass, ctx.messageWindowName));
  // Restoring a running window keeps it serving.
  StartMessageWindow(ctx, 2);
  EXPECT_EQ(Report(ctx, nullptr, 0, "after restore"), 0);
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  EXPECT_EQ(relay.LogEntries(), std::vector<std::string>{"after restore"});
}

TEST(MessageChannel, WindowKilledBetweenReportsIsStartedAgain) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  ASSERT_EQ(Report(ctx, nullptr, 0, "before the kill"), 0);
  long long first = relay.Pid();
  ASSERT_GT(first, 0);
  ::kill(static_cast<pid_t>(first), SIGKILL);
  ASSERT_TRUE(relay.WaitEnded(5000));

  EXPECT_EQ(Report(ctx, nullptr, 0, "after the kill"), 0);
  EXPECT_TRUE(relay.ui.boxes.empty());
  long long second = relay.Pid();
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  // A killed window leaves no block; the new one holds the new line only.
  EXPECT_EQ(relay.LogEntries(), std::vector<std::string>{"after the kill"});
}

TEST(MessageChannel, WithoutClassNameEveryReportFailsEvenWithAWindowOpen) {
  FolderOptions options;
  options.withClassName = false;
  RelayFolder relay(options);
  // The window program runs under its own default class name.
  QProcess window;
  window.start(QString::fromStdString(relaytest::RelaypaneExecutable()), {});
  ASSERT_TRUE(window.waitForStarted(5000));
  for (int i = 0; i < 200 && !relay.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(relay.Running());

  Context ctx;
  relay.Wire(ctx);
  EXPECT_EQ(ctx.messageWindowClass, "DrillingMessage");
  EXPECT_EQ(Report(ctx, nullptr, 0, "lost one"), -1);
  EXPECT_EQ(Report(ctx, nullptr, 1, "lost two"), -1);
  ASSERT_EQ(relay.ui.boxes.size(), 2u);
  for (const auto& box : relay.ui.boxes) {
    EXPECT_EQ(box.text, kNoWindow);
    EXPECT_EQ(box.caption, "Drilling");
    EXPECT_EQ(box.icon, common::BoxIcon::Error);
  }
  // The line stays in the buffer when it was not delivered.
  EXPECT_EQ(ctx.messageBuffer, "lost two");

  auto transport = common::MakeLocalSocketTransport();
  ASSERT_TRUE(transport->Find("MessageWindow", relay.windowName));
  transport->PostClose("MessageWindow", relay.windowName);
  ASSERT_TRUE(window.waitForFinished(5000));
  EXPECT_EQ(window.exitCode(), 0);
  EXPECT_TRUE(relay.LogBytes().empty());
}

TEST(MessageChannel, OverLongLineIsCutAtACharacterBoundary) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  // One ASCII byte, then two-byte characters: byte 1023 would split one.
  std::string text = "x";
  for (int i = 0; i < 800; ++i) text += "穴";
  EXPECT_EQ(drilling::ReportF(ctx, nullptr, 0, "%s", text.c_str()), 0);
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  std::vector<std::string> entries = relay.LogEntries();
  ASSERT_EQ(entries.size(), 1u);
  std::string bytes = common::Utf8ToCp932(entries[0]);
  EXPECT_EQ(bytes.size(), 1023u);
  EXPECT_TRUE(common::IsValidCp932(bytes));
  EXPECT_EQ(entries[0], text.substr(0, 1 + 511 * 3));
}

TEST(MessageChannel, LineFeedInsideAnEntryIsLoggedUnchanged) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  ASSERT_EQ(Report(ctx, nullptr, 0, "上の行\n下の行"), 0);
  ASSERT_EQ(Report(ctx, nullptr, 0, "next"), 0);
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  std::string log = relay.LogBytes();
  EXPECT_NE(log.find(common::Utf8ToCp932("上の行\r\n下の行\r\nnext\r\n")), std::string::npos);
}

TEST(MessageChannel, HundredThousandLinesAreLoggedInOrder) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  constexpr int kLines = 100000;
  int failures = 0;
  for (int i = 0; i < kLines; ++i) {
    if (drilling::ReportF(ctx, nullptr, 0, "行 %06d の報告", i) != 0) ++failures;
  }
  EXPECT_EQ(failures, 0);
  ASSERT_TRUE(relay.CloseAndWait(ctx, 30000));
  std::vector<std::string> entries = relay.LogEntries();
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(kLines));
  int wrong = 0;
  for (int i = 0; i < kLines; ++i)
    if (entries[static_cast<std::size_t>(i)] != common::FormatText("行 %06d の報告", i)) ++wrong;
  EXPECT_EQ(wrong, 0);
}

TEST(MessageChannel, StoppedWindowDoesNotHoldTheReportForEver) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx, 300);
  ASSERT_EQ(Report(ctx, nullptr, 0, "answered"), 0);
  pid_t pid = static_cast<pid_t>(relay.Pid());
  ::kill(pid, SIGSTOP);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Report(ctx, nullptr, 0, "while stopped"), -1);
  auto waitedMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  ::kill(pid, SIGCONT);
  EXPECT_LT(waitedMs, 2000);
  ASSERT_EQ(relay.ui.boxes.size(), 1u);
  EXPECT_EQ(relay.ui.boxes[0].text, kNoWindow);
  // Once it answers again, reports go on.
  EXPECT_EQ(Report(ctx, nullptr, 0, "answered again"), 0);
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  std::vector<std::string> entries = relay.LogEntries();
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries.front(), "answered");
  EXPECT_EQ(entries.back(), "answered again");
}

// Two drilling processes report into one window at once. Each is this test
// program run again with only the child test below selected.
TEST(MessageChannel, TwoProcessesReportingAtOnceLoseAndMixNothing) {
  RelayFolder relay;
  Context ctx;
  relay.Wire(ctx);
  ASSERT_EQ(Report(ctx, nullptr, 0, "parent"), 0);
  constexpr int kEach = 3000;
  QProcess children[2];
  for (int c = 0; c < 2; ++c) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CHANNEL_CHILD_TAG", QString("P%1").arg(c));
    env.insert("CHANNEL_CHILD_COUNT", QString::number(kEach));
    children[c].setProcessEnvironment(env);
    children[c].start("/proc/self/exe", {"--gtest_filter=ChannelChild.ReportLines"});
  }
  for (auto& child : children) {
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
  }
  ASSERT_TRUE(relay.CloseAndWait(ctx));
  std::vector<std::string> entries = relay.LogEntries();
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(1 + 2 * kEach));
  int next[2] = {0, 0};
  int wrong = 0;
  for (std::size_t i = 1; i < entries.size(); ++i) {
    const std::string& e = entries[i];
    int c = e.rfind("P0 ", 0) == 0 ? 0 : e.rfind("P1 ", 0) == 0 ? 1 : -1;
    if (c < 0 || e != common::FormatText("P%d 報告 %05d 終わり", c, next[c])) {
      ++wrong;
      continue;
    }
    ++next[c];
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(next[0], kEach);
  EXPECT_EQ(next[1], kEach);
}

TEST(ChannelChild, ReportLines) {
  std::string tag = common::EnvironmentValue("CHANNEL_CHILD_TAG");
  if (tag.empty()) GTEST_SKIP() << "run by TwoProcessesReportingAtOnceLoseAndMixNothing";
  int count = common::ParseLeadingInt(common::EnvironmentValue("CHANNEL_CHILD_COUNT"));
  Context ctx;
  auto transport = common::MakeLocalSocketTransport();
  common::SystemClock clock;
  common::ScriptedUi ui;
  drilling::SetProgramFolder(ctx, common::ProgramFolder());
  drilling::ReadMessageWindowIdentity(ctx);
  ctx.transport = transport.get();
  ctx.clock = &clock;
  ctx.ui = &ui;
  int failures = 0;
  for (int i = 0; i < count; ++i)
    if (drilling::ReportF(ctx, nullptr, 0, "%s 報告 %05d 終わり", tag.c_str(), i) != 0) ++failures;
  EXPECT_EQ(failures, 0);
}

}  // namespace
