// The drilling program: wiring of the context, the Qt host and the channel.
#include <QApplication>

#include <clocale>
#include <QTimer>

#include <cstdio>

#include "Drilling/app/context.h"
#include "Drilling/app/main_window.h"
#include "Drilling/app/startup.h"
#include "Drilling/companions/nc_transfer.h"
#include "Drilling/holes/import_dialog.h"
#include "Drillview/scene_preview.h"
#include "common/clock.h"
#include "common/launch.h"
#include "common/program_folder.h"
#include "common/qt/local_socket_transport.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // The GUI library takes the user's locale for the C library; numbers in
  // files and NC programs always use a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName("Drilling");
  common::InstallQtJapanese(app);

  drilling::Context ctx;
  common::SystemClock clock;
  common::SystemLauncher launcher;
  auto transport = common::MakeLocalSocketTransport();
  common::QtUi ui;
  ctx.clock = &clock;
  ctx.launcher = &launcher;
  ctx.transport = transport.get();
  ctx.ui = &ui;

  // An installed program lays out the user's own folder at its first start.
  const common::ProgramFolderChoice home = common::ResolveProgramFolder();
  if (!home.problem.empty()) {
    ui.ShowBox(nullptr, "エラー：プログラムフォルダの作成失敗\n" + home.problem, "Drilling", common::BoxIcon::Error);
    return -1;
  }
  if (!home.warning.empty()) ui.ShowBox(nullptr, home.warning, "Drilling", common::BoxIcon::Warning);
  ctx.executableFolder = home.executableFolder;
  if (drilling::StartUp(ctx, home.folder) != 0) return -1;
  // An FTP script a killed run left behind holds the password.
  drilling::RemoveStaleFtpScript(ctx);
  drilling::OpenTraceConsole(ctx, stdout);

  ui.Style().windowColour = ctx.windowColour;
  ui.Style().textColour = ctx.textColour;
  ui.Style().icons[101] = common::DrawProgramIcon(101);
  // The preview of a drawing whose holes are being imported: Drillview's picture.
  ui.Style().painters[drilling::kDrawingPreviewPicture] = {
      [](QWidget* parent) -> QWidget* { return new drillview::ScenePreview(parent); },
      [](QWidget* widget, const std::any& picture) {
        if (const auto* scene = std::any_cast<drillview::Scene>(&picture))
          static_cast<drillview::ScenePreview*>(widget)->Show(*scene);
      }};

  common::QtForm main(drilling::MainDialogTemplate(), drilling::MainWindowProc(ctx), nullptr, ui.Style());
  // Sized by the host to fit the screen (adjustSize would take two thirds
  // of it instead).
  main.setModal(false);
  QObject::connect(&main, &QDialog::finished, &app, [&app] { app.quit(); });
  main.Initialise();
  if (main.HasEnded()) return 0;
  main.show();
  // The start-up benchmark measures the whole process up to the shown window.
  if (!qEnvironmentVariableIsEmpty("DRILLING_EXIT_AFTER_SHOW"))
    QTimer::singleShot(0, &main, [&main] { main.close(); });
  return QApplication::exec();
}
