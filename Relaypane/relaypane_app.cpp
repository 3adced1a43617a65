#include "Relaypane/relaypane_app.h"

#include <QMetaObject>
#include <QPointer>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Relaypane/message_window.h"
#include "Relaypane/relaypane_info.h"
#include "common/program_folder.h"
#include "common/qt/local_socket_transport.h"
#include "common/qt/message_link.h"

namespace relaypane {
namespace {

// A second start may come while the first is still on its way up: give it
// this long to open its socket.
constexpr int kWakeWaitMs = 2000;
constexpr int kWakeStepMs = 20;

void WakeRunningInstance(const Settings& settings) {
  auto transport = common::MakeLocalSocketTransport();
  for (int waited = 0; waited < kWakeWaitMs; waited += kWakeStepMs) {
    if (transport->Find(settings.className, settings.windowName)) {
      transport->Restore(settings.className, settings.windowName);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kWakeStepMs));
  }
}

}  // namespace

int RunRelaypane(QApplication& app) {
  const common::ProgramFolderChoice home = common::ResolveProgramFolder();
  // Nothing to show a box in yet: the window lists what it can and logs where it can.
  if (!home.problem.empty()) std::fprintf(stderr, "Relaypane: %s\n", home.problem.c_str());
  if (!home.warning.empty()) std::fprintf(stderr, "Relaypane: %s\n", home.warning.c_str());
  Settings settings = ReadSettings(home.folder);

  std::vector<std::string> arguments;
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) arguments.push_back(args[i].toStdString());
  // Before the single-instance test, so it works while another one runs.
  if (IsVersionRequest(arguments)) {
    InfoColours colours;
    ShowInformationWindow(nullptr, settings, colours);
    return 0;
  }

  common::InstanceLock lock;
  if (!lock.TryAcquire(common::MessageLinkPathsFor(settings.className, settings.windowName).lockPath)) {
    WakeRunningInstance(settings);
    return 0;
  }

  MessageWindow window(settings, common::BesideArgument(arguments));
  QPointer<MessageWindow> target(&window);
  common::MessageLinkServer server({
      [&window](std::string line) { window.AddLine(std::move(line)); },
      // Posted: the sender does not wait for the log to be written.
      [target] {
        QMetaObject::invokeMethod(
            target.data(), [target] { if (target) target->close(); }, Qt::QueuedConnection);
      },
      [&window] { window.Restore(); },
  });
  // A window that cannot be reached is of no use: end quietly, as when the
  // window cannot be made.
  if (!server.Listen(settings.className, settings.windowName)) return 0;
  // No line may arrive after the log is written.
  window.onClosing = [&server] { server.Stop(); };
  window.onClosed = [] { QCoreApplication::exit(0); };
  window.showMinimized();
  return app.exec();
}

}  // namespace relaypane
