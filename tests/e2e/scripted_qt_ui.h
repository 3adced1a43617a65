// The real Qt host with the operator's answers scripted, for the
// whole-program tests on the real windows (offscreen).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"

namespace testsupport {

// The real Qt host with the operator's answers scripted: a modal dialog is
// built and shown as on the screen, then the script acts on its widgets
// instead of a nested event loop waiting for a person.
class ScriptedQtUi : public common::QtUi {
 public:
  using Script = std::function<void(common::QtForm& dialog)>;
  void ShowBox(common::Form*, const std::string& text, const std::string&, common::BoxIcon) override {
    boxes.push_back(text);
  }
  bool AskYesNo(common::Form*, const std::string& text, const std::string&) override {
    questions.push_back(text);
    return yesAnswer;
  }
  std::optional<std::string> ChooseOpenFile(common::Form*, const common::FileDialogRequest&) override {
    return fileChoice;
  }
  int RunModal(common::Form* owner, const common::DialogTemplate& tpl, const common::DialogProc& proc) override {
    common::QtForm dialog(tpl, proc, owner, Style(), dynamic_cast<QWidget*>(owner));
    dialog.setModal(true);
    dialog.Initialise();
    dialog.show();
    QApplication::processEvents();
    auto it = scripts.find(tpl.name);
    if (it != scripts.end()) it->second(dialog);
    if (!dialog.HasEnded()) dialog.close();  // the close box
    return dialog.Result();
  }

  std::map<std::string, Script> scripts;
  std::vector<std::string> boxes;
  std::vector<std::string> questions;
  std::optional<std::string> fileChoice;
  bool yesAnswer = false;  // the answer to every question
};

// A copy of the shipped program folder's data.
inline void CopyProgramData(const std::filesystem::path& to) {
  std::filesystem::create_directories(to / "DB");
  for (const auto& entry : std::filesystem::directory_iterator(DRILLING_PROGRAM_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    if (name.find('.') != std::string::npos && entry.path().extension() != ".exe")
      std::filesystem::copy_file(entry.path(), to / name, std::filesystem::copy_options::overwrite_existing);
  }
  std::filesystem::copy_file(std::filesystem::path(DRILLING_PROGRAM_DIR) / "DB" / "SAMPLE-PLATE.ini",
                             to / "DB" / "SAMPLE-PLATE.ini");
}

// The widget of control `id`, of the kind the test expects (a failure, and
// null, when it is another).
template <class W>
W* Widget(common::QtForm& form, int id) {
  W* w = qobject_cast<W*>(form.Widget(id));
  EXPECT_NE(w, nullptr) << id;
  return w;
}

}  // namespace testsupport
