// The message window: a main window whose client area is the list of
// received lines, with the menu "PROGMENU" and the keys Delete, F1, F2, F3.
// Closing it, however it is asked, writes the log once.
#pragma once

#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>

#include "Relaypane/relaypane_info.h"
#include "common/colour.h"
#include "common/placement.h"

class QAction;

namespace relaypane {

class MessageList;

// How boxes and the information window reach the operator. Unattended (the
// environment variable RELAYPANE_UNATTENDED set to 1, used by the tests on a
// screen nobody watches) they are written to standard error, or standard
// output for the information window, instead of waiting for a click.
bool Unattended();
void ShowErrorBox(QWidget* owner, const std::string& text, const std::string& caption);

// The information window's colours: read anew from Relaypane.ini at every
// opening, and keeping what a key does not give from the last opening.
struct InfoColours {
  common::Rgb background{210, 210, 210};
  common::Rgb text{0, 0, 0};
};

// Shows the information window (modal; `owner` may be null) and returns its
// result, 16.
int ShowInformationWindow(QWidget* owner, const Settings& settings, InfoColours& colours);

// The version box with the application text, extra text and icon.
void ShowAboutBox(QWidget* owner, const Settings& settings, const std::string& caption, const std::string& name);

// The program's icon: the configured icon file when it names a readable
// image, else the built-in icon 101.
QIcon ProgramIcon(const Settings& settings);

class MessageWindow : public QMainWindow {
 public:
  // `beside`: a window (screen pixels) this one opens beside, never over.
  explicit MessageWindow(Settings settings, std::optional<common::Rect> beside = std::nullopt);

  MessageList* List() const { return list_; }
  // One line of the channel: append it, count, select the newest.
  void AddLine(std::string line);
  // Back from the minimised state, to the front.
  void Restore();
  // WINX/WINY of section WINDOW: the window's place on the free screen;
  // beside the window to keep clear when that place would cover it; always
  // inside the screen's available area.
  void Place();
  // Writes the window's place as WINX/WINY when the operator moved it from
  // where Place put it (a place beside the main window alone is not kept).
  void RememberPlace();
  // The menu command `id` as the operator would choose it.
  void TriggerCommand(int id);
  int LogWrites() const { return logWrites_; }

  // Called when the close begins (before the log is written) and after it.
  std::function<void()> onClosing;
  std::function<void()> onClosed;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Moves the window inside the available area, its frame included.
  void KeepInside();

  Settings settings_;
  std::optional<common::Rect> beside_;
  QPoint placed_;
  MessageList* list_ = nullptr;
  InfoColours infoColours_;
  bool closed_ = false;
  int logWrites_ = 0;
};

}  // namespace relaypane
