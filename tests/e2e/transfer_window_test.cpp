// The main window during an FTP transfer (Qt host, offscreen): the client
// waits on its own thread, so the window keeps painting and running its
// timers; the progress window counts the seconds, and 中止 ends the client
// and reports the transfer as stopped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "common/profile.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"
#include "companions/ftp_server_support.h"
#include "e2e/scripted_qt_ui.h"
#include "support/app_fixture.h"

using namespace drilling;

namespace {

class TransferWindowTest : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    ASSERT_NE(silent.Port(), 0);
    WriteConfig("[NcFileTransfer]\nPROTOCOL=FTP\nFTP=127.0.0.1 " + std::to_string(silent.Port()) +
                "\nFTPUSER=cam\nFTPPASS=secret\n");
    ASSERT_EQ(StartUp(ctx, folder.Path()), 0);
    common::ForgetCachedProfiles();
    ctx.currentJobPath = ctx.JobFolder() / "JOB.ini";
    testsupport::WriteBytes(ctx.currentJobPath, "[Drilling]\r\nNcFile=O1001.nc\r\n");
    testsupport::WriteBytes(ctx.NcFolder() / "O1001.nc", "%\r\nO1001\r\nM30\r\n%\r\n");
    ctx.ui = &qtUi;
  }
  testsupport::SilentServer silent;  // takes the connection and never answers
  testsupport::ScriptedQtUi qtUi;
};

TEST_F(TransferWindowTest, WindowStaysResponsiveAndStopEndsTheTransfer) {
  common::QtForm main(MainDialogTemplate(), MainWindowProc(ctx), nullptr, qtUi.Style());
  main.Initialise();
  main.show();

  int ticks = 0;
  QTimer ticker;
  ticker.setInterval(50);
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start();
  QString shown;
  bool painted = false;
  int ticksWhileWaiting = 0;
  // 1.5 s into the transfer the operator looks at the window and presses 中止.
  QTimer::singleShot(1500, &main, [&] {
    ticksWhileWaiting = ticks;
    auto* text = main.findChild<QLabel*>(common::kLongTaskTextName);
    ASSERT_NE(text, nullptr);
    shown = text->text();
    painted = !main.grab().isNull();
    auto* stop = main.findChild<QPushButton*>(common::kLongTaskStopName);
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->text().toStdString(), "中止");
    stop->click();
  });
  main.TriggerCommand(kCmdTransferNcData);  // 【ＮＣデータ転送】

  EXPECT_GE(ticksWhileWaiting, 15) << "the window's timers did not run during the transfer";
  EXPECT_TRUE(painted);
  EXPECT_TRUE(shown.contains(QStringLiteral("経過 1 秒"))) << shown.toStdString();
  EXPECT_EQ(qtUi.boxes, std::vector<std::string>{"ＮＣファイル O1001.nc\n送り先 127.0.0.1 " +
                                                  std::to_string(silent.Port()) +
                                                  "\n転送を中止しました。送り先のファイルは不完全な場合があります。"});
  for (pid_t child : testsupport::ChildrenOf(getpid())) EXPECT_FALSE(testsupport::IsRunning(child)) << child;
  EXPECT_FALSE(std::filesystem::exists(ctx.NcFolder() / "mtftp.ctl"));
}

}  // namespace
