// The Ui seam: message boxes, questions, the file chooser and modal dialogs.
// The Qt host shows real ones; tests script the answers; the command line
// answers from its flags.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/dialog_template.h"
#include "common/form.h"
#include "common/placement.h"

namespace common {

enum class BoxIcon { Error, Information, Warning, None };

struct FileFilter {
  std::string description;  // "NC Files(*.ncd)"
  std::string pattern;      // "*.ncd"
};

// What a file dialog shows beside a file's name (a job file's title and
// material), from the file's full path; empty for nothing.
using FileDescriber = std::function<std::string(const std::string& path)>;

struct FileDialogRequest {
  std::string title;
  std::string initialFolder;
  std::vector<FileFilter> filters;  // the first is preselected
  FileDescriber describe;           // optional
  std::string describeHeading;      // the heading of that column
};

struct ScreenInfo {
  Rect desktop{0, 0, 1920, 1080};
  int taskbarHeight = 0;
  // What windows may take: the desktop less panels and docks.
  Rect available{0, 0, 1920, 1080};
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual void ShowBox(Form* owner, const std::string& text, const std::string& caption, BoxIcon icon) = 0;
  virtual bool AskYesNo(Form* owner, const std::string& text, const std::string& caption) = 0;
  // The chosen file's full path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseOpenFile(Form* owner, const FileDialogRequest& request) = 0;
  // Runs a modal dialog; its End result, or -1 when it could not be created.
  virtual int RunModal(Form* owner, const DialogTemplate& tpl, const DialogProc& proc) = 0;
  virtual ScreenInfo Screen() const = 0;
};

// A Ui for tests and the command line. Yes/No questions take the next
// scripted answer (or `defaultAnswer`); file choices likewise; a modal dialog
// runs over a MemoryForm: Init is sent, then the handler registered for the
// template's name acts as the operator (no handler: the dialog is closed).
class ScriptedUi : public Ui {
 public:
  struct Box {
    std::string text;
    std::string caption;
    BoxIcon icon;
  };
  using ModalHandler = std::function<void(Form& form)>;

  void ShowBox(Form* owner, const std::string& text, const std::string& caption, BoxIcon icon) override;
  bool AskYesNo(Form* owner, const std::string& text, const std::string& caption) override;
  std::optional<std::string> ChooseOpenFile(Form* owner, const FileDialogRequest& request) override;
  int RunModal(Form* owner, const DialogTemplate& tpl, const DialogProc& proc) override;
  ScreenInfo Screen() const override { return screen; }

  std::vector<Box> boxes;
  std::vector<std::string> questions;
  std::function<void(const std::string& question)> onQuestion;  // called as each is asked
  std::deque<bool> answers;
  bool defaultAnswer = false;
  std::deque<std::optional<std::string>> fileChoices;
  std::vector<FileDialogRequest> fileRequests;
  std::map<std::string, ModalHandler> modalHandlers;
  std::vector<std::string> modalsRun;
  ScreenInfo screen;
};

}  // namespace common
