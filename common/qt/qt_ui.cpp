#include "common/qt/qt_ui.h"

#include <algorithm>

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTranslator>

#include <thread>
#include <vector>

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

namespace {

// The file dialog's model with the type column showing what the request's
// describer says of each file (folders keep their type). Descriptions are
// kept per file and time of last change, so a long list is read once.
class DescribedFiles : public QIdentityProxyModel {
 public:
  static constexpr int kTypeColumn = 2;

  DescribedFiles(FileDescriber describe, QString heading, QObject* parent)
      : QIdentityProxyModel(parent), describe_(std::move(describe)), heading_(std::move(heading)) {}

  QVariant data(const QModelIndex& index, int role) const override {
    if (index.column() != kTypeColumn || role != Qt::DisplayRole)
      return QIdentityProxyModel::data(index, role);
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    const QModelIndex source = mapToSource(index);
    if (!files || files->isDir(source)) return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(source);
    const QString key = info.absoluteFilePath() + '\n' + QString::number(info.lastModified().toMSecsSinceEpoch());
    auto it = cache_.find(key);
    if (it == cache_.end()) {
      const std::string path = info.absoluteFilePath().toUtf8().toStdString();
      it = cache_.insert(key, Q(describe_(path)));
    }
    return it.value();
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (section == kTypeColumn && orientation == Qt::Horizontal && role == Qt::DisplayRole) return heading_;
    return QIdentityProxyModel::headerData(section, orientation, role);
  }

 private:
  FileDescriber describe_;
  QString heading_;
  mutable QHash<QString, QString> cache_;
};

}  // namespace

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setWindowTitle(Q(request.title));
  dialog.setDirectory(Q(request.initialFolder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly, false);
  QStringList filters;
  for (const auto& f : request.filters) filters << HostNameFilter(f);
  dialog.setNameFilters(filters);
  // A filter of the files the user may run lists by permission, which only
  // Qt's own dialog can do; folders always show. The choice outlives this
  // function (the dialog runs later), so the lambda keeps its own copies.
  std::vector<bool> executableAt;
  for (const auto& f : request.filters) executableAt.push_back(f.executable);
  if (std::find(executableAt.begin(), executableAt.end(), true) != executableAt.end())
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  auto listFor = [&dialog, filters, executableAt](const QString& chosen) {
    const qsizetype index = filters.indexOf(chosen);
    const bool executable = index >= 0 && executableAt[static_cast<std::size_t>(index)];
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDot | (executable ? QDir::Executable : QDir::Filters()));
  };
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, listFor);
  if (!filters.isEmpty()) {
    dialog.selectNameFilter(filters.front());
    listFor(filters.front());
  }
  if (request.describe) {
    // Our own dialog (a desktop's native one takes no model), in the view
    // with columns.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setProxyModel(new DescribedFiles(request.describe, Q(request.describeHeading), &dialog));
    dialog.setViewMode(QFileDialog::Detail);
    if (auto* view = dialog.findChild<QTreeView*>()) {
      // Name, size, description, date: room for the description.
      view->header()->resizeSection(DescribedFiles::kTypeColumn, view->fontMetrics().averageCharWidth() * 24);
    }
  }
  const QRect area = AvailableArea(dialog.parentWidget());
  const QSize wanted = request.describe ? QSize(900, 520) : dialog.sizeHint();
  dialog.resize(wanted.boundedTo(area.size() - QSize(16, 48)));
}

std::optional<std::string> QtUi::ChooseOpenFile(Form* owner, const FileDialogRequest& request) {
  QFileDialog dialog(WidgetOf(owner));
  ConfigureFileDialog(dialog, request);
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

namespace {

// The progress window: Escape and the close box stop the task like the
// 中止 button; the window closes only when the work has ended.
class ProgressWindow : public QDialog {
 public:
  using QDialog::QDialog;
  std::function<void()> onStop;

 protected:
  void reject() override {
    if (onStop) onStop();
  }
};

// How often the window looks at the work and shows the seconds (ms).
constexpr int kProgressRefreshMs = 100;

}  // namespace

bool QtUi::RunLongTask(Form* owner, const LongTask& task) {
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  ProgressWindow window(WidgetOf(owner));
  window.setWindowTitle(Q(task.caption));
  window.setWindowModality(Qt::WindowModal);
  auto* text = new QLabel(&window);
  text->setObjectName(kLongTaskTextName);
  auto* stopButton = new QPushButton(QStringLiteral("中止"), &window);
  stopButton->setObjectName(kLongTaskStopName);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(stopButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(text);
  layout->addLayout(buttons);

  QString stopping;
  auto show = [&](qint64 elapsedMs) {
    text->setText(QStringLiteral("%1\n経過 %2 秒%3").arg(Q(task.text)).arg(elapsedMs / 1000).arg(stopping));
  };
  window.onStop = [&] {
    if (stop.exchange(true)) return;
    stopButton->setEnabled(false);
    stopping = QStringLiteral("\n中止しています…");
  };
  QObject::connect(stopButton, &QPushButton::clicked, &window, [&] { window.onStop(); });

  QElapsedTimer clock;
  clock.start();
  qint64 nextProgressMs = task.progressMs > 0 && task.progress ? task.progressMs : -1;
  QTimer refresh;
  refresh.setInterval(kProgressRefreshMs);
  QObject::connect(&refresh, &QTimer::timeout, &window, [&] {
    if (done) {
      window.accept();
      return;
    }
    const qint64 elapsed = clock.elapsed();
    show(elapsed);
    if (nextProgressMs > 0 && elapsed >= nextProgressMs) {
      nextProgressMs += task.progressMs;
      task.progress(static_cast<int>(elapsed));
    }
  });
  show(0);
  std::thread worker([&] {
    if (task.work) task.work(stop);
    done = true;
  });
  refresh.start();
  window.exec();
  refresh.stop();
  worker.join();
  return !stop;
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
    info.desktop = ToRect(g);
    // A panel at the bottom takes that much of the height; elsewhere none.
    info.taskbarHeight = (a.bottom() < g.bottom()) ? g.bottom() - a.bottom() : 0;
    info.available = ToRect(a);
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
