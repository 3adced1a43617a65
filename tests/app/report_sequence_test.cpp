// The order of steps of ReportMessage and StartMessageWindow, over a
// transport and a Ui that write every call into one event list, with a clock
// that only counts the waits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Drilling/app/context.h"
#include "Drilling/app/message_channel.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/platform.h"
#include "common/ui.h"

namespace {

using drilling::Context;

struct Events {
  std::vector<std::string> list;
};

// A window that is there or not; once started it answers after a number of
// look-ups.
class FakeTransport : public common::MessageTransport {
 public:
  explicit FakeTransport(Events& events) : events_(events) {}
  bool Find(const std::string&, const std::string&) override {
    if (!present && started && startedAnswersAfter >= 0 && ++findsSinceStart > startedAnswersAfter) present = true;
    return present;
  }
  bool AddLine(const std::string&, const std::string&, const std::string& line) override {
    events_.list.push_back("line:" + line);
    return true;
  }
  void PostClose(const std::string&, const std::string&) override { events_.list.push_back("close"); }
  void Restore(const std::string&, const std::string&) override { events_.list.push_back("restore"); }

  bool present = false;
  int startedAnswersAfter = -1;  // -1: a start never brings a window
  bool started = false;
  int findsSinceStart = 0;

 private:
  Events& events_;
};

class RecordingUi : public common::ScriptedUi {
 public:
  explicit RecordingUi(Events& events) : events_(events) {}
  void ShowBox(common::Form* owner, const std::string& text, const std::string& caption,
               common::BoxIcon icon) override {
    events_.list.push_back("box:" + text);
    common::ScriptedUi::ShowBox(owner, text, caption, icon);
  }

 private:
  Events& events_;
};

class RecordingLauncher : public common::RecordingLauncher {
 public:
  RecordingLauncher(Events& events, FakeTransport& transport) : events_(events), transport_(transport) {}
  bool Start(const common::LaunchRequest& request) override {
    events_.list.push_back("start");
    transport_.started = true;
    transport_.findsSinceStart = 0;
    return common::RecordingLauncher::Start(request);
  }

 private:
  Events& events_;
  FakeTransport& transport_;
};

class ReportSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    drilling::SetProgramFolder(ctx_, "/opt/drill");
    ctx_.messageWindowClass = "DrillingMessage";
    ctx_.messageWindowName = "穴明け加工メッセージ";
    ctx_.transport = &transport_;
    ctx_.ui = &ui_;
    ctx_.launcher = &launcher_;
    ctx_.clock = &clock_;
  }

  Events events_;
  FakeTransport transport_{events_};
  RecordingUi ui_{events_};
  RecordingLauncher launcher_{events_, transport_};
  common::FixedClock clock_;
  Context ctx_;
};

TEST_F(ReportSequence, LineIsListedBeforeItsBoxAndEveryKindComesBack) {
  transport_.present = true;
  EXPECT_EQ(drilling::Report(ctx_, nullptr, -1, "エラー：一"), -1);
  EXPECT_EQ(drilling::Report(ctx_, nullptr, 1, "完了"), 1);
  EXPECT_EQ(drilling::Report(ctx_, nullptr, 3, "注意"), 3);
  EXPECT_EQ(drilling::Report(ctx_, nullptr, 2, "二"), 2);
  EXPECT_EQ(events_.list, (std::vector<std::string>{"line:エラー：一", "box:エラー：一", "line:完了", "box:完了",
                                                    "line:注意", "box:注意", "line:二"}));
  EXPECT_TRUE(ctx_.messageBuffer.empty());
  EXPECT_EQ(clock_.sleptMs, 0);  // a window that answers at once costs no wait
}

TEST_F(ReportSequence, UnreachableWindowIsStartedOnceAndGivenUpAfterTwoWaits) {
  EXPECT_EQ(drilling::Report(ctx_, nullptr, 0, "失われる行"), -1);
  EXPECT_EQ(events_.list, (std::vector<std::string>{"start", "box:エラー：メッセージウィンドウが開けません。"}));
  EXPECT_EQ(ui_.boxes[0].caption, "Drilling");
  EXPECT_EQ(ui_.boxes[0].icon, common::BoxIcon::Error);
  EXPECT_EQ(clock_.sleptMs, 1000);  // 500 ms before the start, 500 ms after it, never more
  ASSERT_EQ(launcher_.started.size(), 1u);
  EXPECT_EQ(launcher_.started[0].program,
            (std::filesystem::path("/opt/drill") / common::ExecutableName("Relaypane")).string());
  EXPECT_TRUE(launcher_.started[0].arguments.empty());
  EXPECT_EQ(ctx_.messageBuffer, "失われる行");  // not delivered: left as it was
}

TEST_F(ReportSequence, StartedWindowGetsTheLineAsSoonAsItAnswers) {
  transport_.startedAnswersAfter = 3;
  EXPECT_EQ(drilling::Report(ctx_, nullptr, 0, "最初の行"), 0);
  EXPECT_EQ(events_.list, (std::vector<std::string>{"start", "line:最初の行"}));
  EXPECT_LT(clock_.sleptMs, 1000);
  EXPECT_GE(clock_.sleptMs, 500);
}

TEST_F(ReportSequence, ModesCloseStartAndRestoreOnlyWhereTheyShould) {
  // No window: mode 0 does nothing, mode 1 starts without waiting, mode 2
  // starts and waits; other modes do nothing.
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 0), 0);
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 1), 0);
  EXPECT_EQ(clock_.sleptMs, 0);
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 2), 0);
  EXPECT_EQ(clock_.sleptMs, 500);
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 5), 0);
  EXPECT_EQ(events_.list, (std::vector<std::string>{"start", "start"}));

  // A window: mode 1 leaves it alone, mode 2 restores it, mode 0 closes it.
  events_.list.clear();
  transport_.present = true;
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 1), 0);
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 2), 0);
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, 0), 0);
  EXPECT_EQ(drilling::StartMessageWindow(ctx_, -1), 0);
  EXPECT_EQ(events_.list, (std::vector<std::string>{"restore", "close"}));
  EXPECT_EQ(clock_.sleptMs, 500);
}

}  // namespace
