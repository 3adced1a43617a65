// The Ui seam: message boxes, questions, the file chooser and modal dialogs.
// The Qt host shows real ones; tests script the answers; the command line
// answers from its flags.
#pragma once

#include <atomic>
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
  bool executable = false;  // only files the user may run (and the folders)
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

// A task that takes a while (an upload): it runs on another thread while
// the operator sees `text` and the seconds passed, and may stop it (中止).
struct LongTask {
  std::string caption;  // the title of the progress window
  std::string text;     // what is being done
  // Runs on another thread: it touches no window and reports nothing; it
  // watches `stop` and ends soon after it is set.
  std::function<void(const std::atomic<bool>& stop)> work;
  // Called on the caller's thread about every progressMs while the work
  // runs (0: never), with the time passed: progress lines.
  int progressMs = 0;
  std::function<void(int elapsedMs)> progress;
};

// Runs the task's work on another thread and waits for it on this one,
// calling its progress here. With `stopAfterMs` >= 0 the stop flag is set
// after that long (an operator who presses 中止). True when the work ended
// without a stop.
bool RunLongTaskWaiting(const LongTask& task, int stopAfterMs = -1);

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
  // Runs a long task; the window stays responsive meanwhile (the Qt host
  // shows a progress window with a 中止 button). True when it ended without
  // a stop. Without a window: RunLongTaskWaiting.
  virtual bool RunLongTask(Form* owner, const LongTask& task);
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
  bool RunLongTask(Form* owner, const LongTask& task) override;

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
  std::vector<std::string> longTasks;  // the text of each long task run
  int stopLongTasksAfterMs = -1;       // >= 0: 中止 is pressed after that long
};

}  // namespace common
