// The message window program: shows and logs every line the drilling program
// reports.
#include <QApplication>

#include "Relaypane/relaypane_app.h"
#include "common/qt/qt_ui.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Relaypane");
  common::InstallQtJapanese(app);
  QApplication::setQuitOnLastWindowClosed(false);  // the main window's close ends the program
  return relaypane::RunRelaypane(app);
}
