// The Ui seam over Qt: real message boxes, the file dialog and modal dialogs
// built by QtForm.
#pragma once

#include <QCoreApplication>
#include <QFileDialog>
#include <QString>

#include "common/qt/qt_form.h"
#include "common/ui.h"

namespace common {

class QtUi : public Ui {
 public:
  explicit QtUi(QtHostStyle style = {}) : style_(std::move(style)) {}
  void ShowBox(Form* owner, const std::string& text, const std::string& caption, BoxIcon icon) override;
  bool AskYesNo(Form* owner, const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseOpenFile(Form* owner, const FileDialogRequest& request) override;
  int RunModal(Form* owner, const DialogTemplate& tpl, const DialogProc& proc) override;
  ScreenInfo Screen() const override;
  // A window-modal progress window over the owner: the text, the seconds
  // passed and a 中止 button (Escape and the close box press it); the work
  // runs on its own thread, so every window keeps painting.
  bool RunLongTask(Form* owner, const LongTask& task) override;

  QtHostStyle& Style() { return style_; }

 private:
  QtHostStyle style_;
};

// Sets up the file dialog for a request: title, folder, filters, and the
// description of each file (in the detail view's type column) when the
// request has one. Sized to fit the screen.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// Object names of the progress window's parts (tests find them by these).
constexpr const char* kLongTaskTextName = "longTaskText";
constexpr const char* kLongTaskStopName = "longTaskStop";

// Draws the programs' small icons (resource 101 and 102) without image files.
QIcon DrawProgramIcon(int resourceId);

// The name filter the file dialog gets for a filter of the system: on
// platforms other than Windows "*.*" means every file (a Linux program has
// no extension), so "All Files(*.*)" becomes "All Files(*)".
QString HostNameFilter(const FileFilter& filter);

// Loads Qt's own Japanese translation (qtbase_ja from Qt's translation
// folder) into the application, so standard dialogs and buttons (はい /
// いいえ, the file dialog) speak the language of the system. False when it
// is not installed; the dialogs then stay in English.
bool InstallQtJapanese(QCoreApplication& app);

}  // namespace common
