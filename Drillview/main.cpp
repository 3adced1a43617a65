// Drillview: shows an NC program (top and side view, legend, findings of the
// check) or a DXF drawing.
//   Drillview [FILE]                            (no FILE: a file chooser)
//   Drillview --png OUT.png [--size WxH] FILE   (offscreen, no display needed)
// Exit status: 0 shown or written, 1 the picture could not be written, 2 a
// usage error or a file that cannot be read.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <filesystem>
#include <string>

#include "Drillview/open_file.h"
#include "Drillview/view_window.h"
#include "Drillview/viewer_frame.h"
#include "common/program_folder.h"

namespace {

constexpr const char* kUsage = "usage: Drillview [FILE]\n       Drillview --png OUT.png [--size WxH] FILE\n";

bool ParseSize(const std::string& text, int& w, int& h) {
  char x = 0;
  char rest = 0;
  return std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) == 3 && (x == 'x' || x == 'X') && w >= 200 &&
         h >= 150 && w <= 10000 && h <= 10000;
}

// A display the window can be shown on (the offscreen platform is none; a
// Windows desktop always has one).
bool HasDisplay() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform == "offscreen" || platform == "minimal") return false;
#ifdef _WIN32
  return true;
#else
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string png, file;
  int width = 1200, height = 800;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if ((a == "--png" || a == "--size") && i + 1 < argc) {
      std::string v = argv[++i];
      if (a == "--png") png = v;
      else if (!ParseSize(v, width, height)) {
        std::fprintf(stderr, "Drillview: --size must be WxH (200x150 to 10000x10000), not %s\n", v.c_str());
        return 2;
      }
    } else if (a.rfind("--", 0) == 0 || !file.empty()) {
      std::fputs(kUsage, stderr);
      return 2;
    } else {
      file = a;
    }
  }
  // Started from the desktop's menu there is no file: one is asked for. On
  // a terminal without a display that cannot be, and the usage is the answer.
  const bool askForFile = file.empty() && png.empty() && HasDisplay();
  if (file.empty() && !askForFile) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // A picture for a script needs no display.
  if (!png.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  // The program folder of the system (its jobs give a program its stock);
  // a file is shown even when the folder cannot be made.
  const common::ProgramFolderChoice home = common::ResolveProgramFolder();
  if (!home.problem.empty()) std::fprintf(stderr, "Drillview: %s\n", home.problem.c_str());
  if (!home.warning.empty()) std::fprintf(stderr, "Drillview: %s\n", home.warning.c_str());
  const std::filesystem::path& programFolder = home.folder;
  if (askForFile) {
    const QString chosen = drillview::ChooseFileToView(nullptr, programFolder);
    if (chosen.isEmpty()) return 0;
    file = chosen.toStdString();
  }
  drillview::Scene scene;
  std::string error;
  if (!drillview::OpenForView(file, programFolder, scene, error)) {
    std::fprintf(stderr, "Drillview: %s\n", error.c_str());
    if (png.empty()) QMessageBox::critical(nullptr, QStringLiteral("Drillview"), QString::fromStdString(error));
    return 2;
  }
  const QString name = QString::fromStdString(std::filesystem::path(file).filename().string());
  if (png.empty()) {
    drillview::ViewerFrame frame(std::move(scene), name, programFolder);
    frame.show();
    return app.exec();
  }
  drillview::ViewWindow window(std::move(scene), name);
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(width, height);
  window.show();
  if (!drillview::WritePicture(window, QString::fromStdString(png))) {
    std::fprintf(stderr, "Drillview: cannot write %s\n", png.c_str());
    return 1;
  }
  return 0;
}
