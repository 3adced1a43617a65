#include "common/qt/qt_ui.h"

#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTranslator>

namespace common {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QWidget* WidgetOf(Form* form) { return dynamic_cast<QtForm*>(form); }

}  // namespace

void QtUi::ShowBox(Form* owner, const std::string& text, const std::string& caption, BoxIcon icon) {
  QMessageBox::Icon qicon = icon == BoxIcon::Error         ? QMessageBox::Critical
                            : icon == BoxIcon::Information ? QMessageBox::Information
                            : icon == BoxIcon::Warning     ? QMessageBox::Warning
                                                           : QMessageBox::NoIcon;
  QMessageBox box(qicon, Q(caption), Q(text), QMessageBox::Ok, WidgetOf(owner));
  box.exec();
}

bool QtUi::AskYesNo(Form* owner, const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No, WidgetOf(owner));
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtUi::ChooseOpenFile(Form* owner, const FileDialogRequest& request) {
  QFileDialog dialog(WidgetOf(owner), Q(request.title), Q(request.initialFolder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly, false);
  QStringList filters;
  for (const auto& f : request.filters) filters << HostNameFilter(f);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toUtf8().toStdString();
}

namespace {

// A dialog without input controls (an information window) is closed by any
// key, the way its close box closes it: the procedure is told Close.
class AnyKeyCloses : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    static_cast<QWidget*>(watched)->close();
    return true;
  }
};

bool TakesNoInput(const DialogTemplate& tpl) {
  for (const auto& c : tpl.controls)
    if (c.kind != ControlKind::Label && c.kind != ControlKind::GroupBox) return false;
  return true;
}

}  // namespace

int QtUi::RunModal(Form* owner, const DialogTemplate& tpl, const DialogProc& proc) {
  QtHostStyle style = style_;
  // A program icon the host was not given is drawn.
  if (tpl.iconId != 0 && !style.icons.count(tpl.iconId)) style.icons[tpl.iconId] = DrawProgramIcon(tpl.iconId);
  QtForm form(tpl, proc, owner, style, WidgetOf(owner));
  form.setModal(true);
  AnyKeyCloses anyKey;
  if (TakesNoInput(tpl)) form.installEventFilter(&anyKey);
  form.Initialise();
  if (form.HasEnded()) return form.Result();
  form.exec();
  return form.Result();
}

QString HostNameFilter(const FileFilter& filter) {
  QString text = Q(filter.description);
#ifndef _WIN32
  text.replace("*.*", "*");
#endif
  return text;
}

bool InstallQtJapanese(QCoreApplication& app) {
  // Lives as long as the application: a translator must outlive its use.
  auto* translator = new QTranslator(&app);
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

ScreenInfo QtUi::Screen() const {
  ScreenInfo info;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect g = screen->geometry();
    QRect a = screen->availableGeometry();
    info.desktop = Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    // A panel at the bottom takes that much of the height; elsewhere none.
    info.taskbarHeight = (a.bottom() < g.bottom()) ? g.bottom() - a.bottom() : 0;
  }
  return info;
}

QIcon DrawProgramIcon(int resourceId) {
  QPixmap pix(32, 32);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  if (resourceId == 101) {
    // A drilled plate: grey plate, three holes.
    p.setBrush(QColor(120, 130, 150));
    p.setPen(QPen(QColor(40, 40, 60), 1.5));
    p.drawRoundedRect(3, 7, 26, 18, 3, 3);
    p.setBrush(Qt::white);
    for (int x : {9, 16, 23}) p.drawEllipse(QPointF(x, 16), 2.8, 2.8);
  } else {
    // A message list: page with lines.
    p.setBrush(QColor(250, 250, 235));
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawRect(5, 3, 22, 26);
    p.setPen(QPen(QColor(30, 80, 160), 2));
    for (int y : {9, 14, 19, 24}) p.drawLine(9, y, 23, y);
  }
  return QIcon(pix);
}

}  // namespace common
