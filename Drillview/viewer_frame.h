// The Drillview program window: the view of one file under a menu
// (ファイル: 開く, PNG保存, 閉じる; 表示: 全体表示, 拡大, 縮小) with the usual
// shortcuts, sized to the screen it opens on. Escape, Ctrl+W and Ctrl+Q
// close it.
#pragma once

#include <QMainWindow>

#include <filesystem>
#include <functional>

#include "Drillview/scene.h"

class QAction;

namespace drillview {

class ViewWindow;

// What the operator is asked; tests answer instead of a dialog.
struct FrameChoices {
  std::function<QString(QWidget* owner)> fileToOpen;   // empty: cancelled
  std::function<QString(QWidget* owner)> pngToWrite;   // empty: cancelled
  std::function<void(QWidget* owner, const QString& text)> showError;
};

// Writes what `widget` shows as a PNG picture at `png`, beside the target
// and renamed over it: never half a picture. False when it cannot be written.
bool WritePicture(QWidget& widget, const QString& png);

// Asks for a program or drawing to view, starting in the program folder's
// NC folder; empty when cancelled.
QString ChooseFileToView(QWidget* owner, const std::filesystem::path& programFolder);

class ViewerFrame : public QMainWindow {
 public:
  // `programFolder` is where a program's job is looked for (DB).
  ViewerFrame(Scene scene, const QString& fileName, std::filesystem::path programFolder);

  ViewWindow* View() const { return view_; }
  // The menu command with the given text (tests), or null.
  QAction* Command(const QString& text) const;
  FrameChoices& Choices() { return choices_; }

  // Shows `file` in place of the current one; false (the current one
  // stays) when it cannot be read, after the error was shown.
  bool Open(const QString& file);
  // Writes the view as a PNG picture (written whole or not at all).
  bool SavePicture(const QString& png);

  // Size: most of the screen's available area, never more, centred on it.
  void FitToScreen();

 private:
  void Show(Scene scene, const QString& fileName);
  void BuildMenu();

  std::filesystem::path programFolder_;
  ViewWindow* view_ = nullptr;
  FrameChoices choices_;
};

}  // namespace drillview
