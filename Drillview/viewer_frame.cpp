#include "Drillview/viewer_frame.h"

#include <algorithm>

#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>

#include "Drillview/open_file.h"
#include "Drillview/view_window.h"

namespace drillview {
namespace {

// Of the screen's available area the window takes this share, so the
// desktop stays in sight around it.
constexpr double kScreenShare = 0.9;

}  // namespace

bool WritePicture(QWidget& widget, const QString& png) {
  const QPixmap picture = widget.grab();
  QSaveFile out(png);
  return out.open(QIODevice::WriteOnly) && picture.save(&out, "PNG") && out.commit();
}

QString ChooseFileToView(QWidget* owner, const std::filesystem::path& programFolder) {
  return QFileDialog::getOpenFileName(
      owner, QStringLiteral("ファイルを開く"), QString::fromStdString((programFolder / "ncdata").string()),
      QStringLiteral("NCデータ・図面 (*.nc *.ncd *.NC *.min *.eia *.dxf *.DXF);;すべてのファイル (*)"));
}

ViewerFrame::ViewerFrame(Scene scene, const QString& fileName, std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)) {
  choices_.fileToOpen = [this](QWidget* owner) { return ChooseFileToView(owner, programFolder_); };
  choices_.pngToWrite = [](QWidget* owner) {
    return QFileDialog::getSaveFileName(owner, QStringLiteral("PNG保存"), QString(),
                                        QStringLiteral("PNG画像 (*.png)"));
  };
  choices_.showError = [](QWidget* owner, const QString& text) {
    QMessageBox::critical(owner, QStringLiteral("Drillview"), text);
  };
  Show(std::move(scene), fileName);
  BuildMenu();
  FitToScreen();
}

void ViewerFrame::Show(Scene scene, const QString& fileName) {
  auto* view = new ViewWindow(std::move(scene), fileName);
  setCentralWidget(view);  // the one shown before is deleted
  view_ = view;
  setWindowTitle(QStringLiteral("Drillview - %1").arg(fileName));
}

void ViewerFrame::BuildMenu() {
  auto add = [this](QMenu* menu, const QString& text, QList<QKeySequence> keys, auto slot) {
    QAction* a = menu->addAction(text);
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  add(file, QStringLiteral("開く(&O)..."), QKeySequence::keyBindings(QKeySequence::Open), [this] {
    const QString chosen = choices_.fileToOpen(this);
    if (!chosen.isEmpty()) Open(chosen);
  });
  add(file, QStringLiteral("PNG保存(&S)..."), QKeySequence::keyBindings(QKeySequence::Save), [this] {
    QString png = choices_.pngToWrite(this);
    if (png.isEmpty()) return;
    if (!png.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) png += QStringLiteral(".png");
    SavePicture(png);
  });
  file->addSeparator();
  // Escape, Ctrl+W and Ctrl+Q all close the viewer: it is one window.
  QList<QKeySequence> closeKeys{QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_Q),
                                QKeySequence(Qt::Key_Escape)};
  add(file, QStringLiteral("閉じる(&C)"), closeKeys, [this] { close(); });

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  add(view, QStringLiteral("全体表示(&A)"), {QKeySequence(Qt::CTRL | Qt::Key_0), QKeySequence(Qt::Key_Home)},
      [this] { view_->View()->Fit(); });
  add(view, QStringLiteral("拡大(&I)"),
      {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::Key_Plus)},
      [this] { view_->View()->Zoom(1); });
  add(view, QStringLiteral("縮小(&O)"), {QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(Qt::Key_Minus)},
      [this] { view_->View()->Zoom(-1); });
}

QAction* ViewerFrame::Command(const QString& text) const {
  for (QAction* top : menuBar()->actions()) {
    if (!top->menu()) continue;
    for (QAction* a : top->menu()->actions()) {
      if (a->text().startsWith(text)) return a;
    }
  }
  return nullptr;
}

bool ViewerFrame::Open(const QString& file) {
  Scene scene;
  std::string error;
  const std::filesystem::path path = file.toStdString();
  if (!OpenForView(path, programFolder_, scene, error)) {
    choices_.showError(this, QString::fromStdString(error));
    return false;
  }
  Show(std::move(scene), QString::fromStdString(path.filename().string()));
  return true;
}

bool ViewerFrame::SavePicture(const QString& png) {
  if (WritePicture(*view_, png)) return true;
  choices_.showError(this, QStringLiteral("%1 に書き込めません。").arg(png));
  return false;
}

void ViewerFrame::FitToScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  // The frame the window manager adds is not known before the window is
  // shown: leave room for a title bar.
  const int titleBar = 32;
  const QSize room(area.width(), area.height() - titleBar);
  QSize size(static_cast<int>(area.width() * kScreenShare), static_cast<int>(area.height() * kScreenShare));
  size = size.expandedTo(minimumSizeHint()).boundedTo(room);
  resize(size);
  move(area.left() + std::max(0, (area.width() - size.width()) / 2),
       area.top() + std::max(0, (room.height() - size.height()) / 2));
}

}  // namespace drillview
