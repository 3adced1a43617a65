#include "Relaypane/message_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cstdio>

#include "Relaypane/message_list.h"
#include "Relaypane/message_log.h"
#include "common/build_date.h"
#include "common/file_keys.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/qt/qt_form.h"
#include "common/qt/qt_ui.h"
#include "common/sjis.h"
#include "common/text.h"

namespace relaypane {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// "ＭＳ ゴシック" where it is installed, else a Japanese fixed-pitch face.
QFont GothicFont() {
  QFont font;
  font.setFamilies({"ＭＳ ゴシック", "MS Gothic", "Noto Sans Mono CJK JP", "IPAGothic", "VL Gothic", "monospace"});
  font.setStyleHint(QFont::TypeWriter, QFont::PreferQuality);
  font.setFixedPitch(true);
  return font;
}

// The list font: 16 pixels, normal weight, fixed pitch.
QFont ListFont() {
  QFont font = GothicFont();
  font.setPixelSize(16);
  font.setWeight(QFont::Normal);
  return font;
}

// The information window ("PROGRAMINFODLG"): no controls; the text is drawn.
class InfoWindow : public QDialog {
 public:
  InfoWindow(QWidget* owner, const Settings& settings, const InfoColours& colours)
      : QDialog(owner), settings_(settings), colours_(colours) {
    setWindowTitle(Q(InfoWindowTitle(common::ExecutablePath())));
    setWindowIcon(common::DrawProgramIcon(102));
    QFont font = GothicFont();
    font.setPointSize(18);
    setFont(font);
    auto* menu = new QMenuBar(this);
    QAction* close = menu->addAction("Close (&C)");
    close->setData(kCmdInfoClose);
    connect(close, &QAction::triggered, this, [this] { done(kInfoResult); });
    menuBar_ = menu;
    // 220 x 70 dialog units of the window's font, no larger than the screen.
    const common::DialogUnits units = common::DialogUnitsOf(font);
    const QRect area = common::AvailableArea(owner);
    int width = std::min(units.X(220), area.width());
    int height = std::min(units.Y(70), area.height() - menu->sizeHint().height());
    menu->setGeometry(0, 0, width, menu->sizeHint().height());
    setFixedSize(width, height + menu->sizeHint().height());
    // Centre on the screen (inside the part windows may take).
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect g = screen->geometry();
      QRect centred((g.right() + 1 - this->width()) / 2, (g.bottom() + 1 - this->height()) / 2, this->width(),
                    this->height());
      move(common::MovedInside(centred, area).topLeft());
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), common::ToQColor(colours_.background));
    QFont bold = font();
    bold.setWeight(QFont::Black);
    painter.setFont(bold);
    painter.setPen(common::ToQColor(colours_.text));
    painter.setBackgroundMode(Qt::TransparentMode);
    QFontMetrics fm(bold);
    QRect area = rect();
    area.setTop(menuBar_->height() + 10);
    int y = area.top();
    for (const QString& line : Q(BuildInfoText(settings_, {})).split('\n')) {
      QString shown = fm.elidedText(line, Qt::ElideRight, area.width());
      painter.drawText(QRect(area.left(), y, area.width(), fm.height()), Qt::AlignHCenter | Qt::AlignTop, shown);
      y += fm.height();
    }
  }
  void keyPressEvent(QKeyEvent*) override { done(kInfoResult); }
  void closeEvent(QCloseEvent* event) override {
    event->accept();
    setResult(kInfoResult);
  }
  void reject() override { done(kInfoResult); }

 private:
  const Settings& settings_;
  const InfoColours& colours_;
  QMenuBar* menuBar_ = nullptr;
};

}  // namespace

bool Unattended() { return common::EnvironmentValue("RELAYPANE_UNATTENDED") == "1"; }

void ShowErrorBox(QWidget* owner, const std::string& text, const std::string& caption) {
  if (Unattended()) {
    std::fprintf(stderr, "box: %s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return;
  }
  QMessageBox box(QMessageBox::Critical, Q(caption), Q(text), QMessageBox::Ok, owner);
  box.exec();
}

QIcon ProgramIcon(const Settings& settings) {
  if (!settings.iconPath.empty() && QFileInfo(Q(settings.iconPath.string())).isFile()) {
    QIcon icon(Q(settings.iconPath.string()));
    if (!icon.availableSizes().isEmpty()) return icon;
  }
  return common::DrawProgramIcon(101);
}

int ShowInformationWindow(QWidget* owner, const Settings& settings, InfoColours& colours) {
  common::ReadColour(filekeys::relaypane::kInfoWindowColour, colours.background, settings.configPath);
  common::ReadColour(filekeys::relaypane::kInfoTextColour, colours.text, settings.configPath);
  if (Unattended()) {
    std::printf("%s\n%s\n", InfoWindowTitle(common::ExecutablePath()).c_str(),
                BuildInfoText(settings, {}).c_str());
    std::fflush(stdout);
    return kInfoResult;
  }
  InfoWindow window(owner, settings, colours);
  window.exec();
  return kInfoResult;
}

void ShowAboutBox(QWidget* owner, const Settings& settings, const std::string& caption, const std::string& name) {
  std::string application = AboutApplicationText(caption, name);
  std::size_t hash = application.find('#');
  std::string title = application.substr(0, hash);
  std::string first = hash == std::string::npos ? std::string() : application.substr(hash + 1);
  if (Unattended()) {
    std::fprintf(stderr, "about: %s\n%s\n%s\n", title.c_str(), first.c_str(), AboutCreditText().c_str());
    std::fflush(stderr);
    return;
  }
  QMessageBox box(owner);
  box.setWindowTitle(Q(title));
  box.setText(Q(first));
  box.setInformativeText(Q(AboutCreditText()));
  box.setIconPixmap(ProgramIcon(settings).pixmap(48, 48));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

MessageWindow::MessageWindow(Settings settings, std::optional<common::Rect> beside)
    : settings_(std::move(settings)), beside_(beside) {
  setWindowTitle(Q(settings_.windowName));
  setWindowIcon(ProgramIcon(settings_));
  QMenuBar* menu = menuBar();
  struct Command {
    const char* text;
    int id;
  };
  for (const Command& c : {Command{"Exit (&X)", kCmdExit}, Command{"Version (&V)", kCmdVersion},
                           Command{"Information (&I)", kCmdInformation}}) {
    QAction* action = menu->addAction(c.text);
    action->setData(c.id);
    int id = c.id;
    connect(action, &QAction::triggered, this, [this, id] { TriggerCommand(id); });
  }
  resize(800, 200);
  Place();
  list_ = new MessageList(this);
  list_->setObjectName(QString::number(kListId));
  list_->setFont(ListFont());
  setCentralWidget(list_);
}

void MessageWindow::AddLine(std::string line) {
  list_->AddEntry(std::move(line));
  list_->Select(list_->Count() - 1);
}

void MessageWindow::Restore() {
  showNormal();
  raise();
  activateWindow();
}

void MessageWindow::Place() {
  const std::string x = common::ReadProfileKey(filekeys::relaypane::kWindowX, settings_.configPath, "0");
  const std::string y = common::ReadProfileKey(filekeys::relaypane::kWindowY, settings_.configPath, "0");
  common::ScreenInfo screen = common::QtUi().Screen();
  const common::Rect& area = screen.available;
  // Never larger than the screen can show.
  resize(size().boundedTo(QSize(area.Width(), area.Height())));
  QRect frame = frameGeometry();
  common::Point p = common::PlaceWindow(common::PlacementFraction(x), common::PlacementFraction(y), screen.desktop,
                                        screen.taskbarHeight, frame.width(), frame.height());
  const common::Rect placed{p.x, p.y, p.x + frame.width(), p.y + frame.height()};
  if (beside_ && !common::Intersection(placed, *beside_).Empty())
    p = common::PlaceBeside(*beside_, frame.width(), frame.height(), area);
  const QRect inside = common::MovedInside(QRect(p.x, p.y, frame.width(), frame.height()), common::ToQRect(area));
  move(inside.topLeft());
  placed_ = inside.topLeft();
}

void MessageWindow::RememberPlace() {
  const QPoint at = frameGeometry().topLeft();
  if (at == placed_) return;
  common::ScreenInfo screen = common::QtUi().Screen();
  const QRect frame = frameGeometry();
  const double x = common::FractionOfPlace(at.x(), screen.desktop.right - frame.width());
  const double y = common::FractionOfPlace(at.y(), screen.desktop.bottom - frame.height() - screen.taskbarHeight);
  // Both keys are of one section: one write.
  common::WriteProfileTexts(filekeys::relaypane::kWindowX.section,
                            {{filekeys::relaypane::kWindowX.name, FractionText(x)},
                             {filekeys::relaypane::kWindowY.name, FractionText(y)}},
                            settings_.configPath);
  placed_ = at;
}

void MessageWindow::KeepInside() {
  if (!isMinimized()) common::KeepOnScreen(this, frameGeometry());
}

void MessageWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Back from the minimised state the window manager has framed it: the
  // frame too must be on the screen.
  if (event->type() == QEvent::WindowStateChange) KeepInside();
}

void MessageWindow::TriggerCommand(int id) {
  switch (id) {
    case kCmdExit:
      close();
      break;
    case kCmdVersion:
      ShowAboutBox(this, settings_, settings_.windowName, kProgramName);
      break;
    case kCmdInformation:
      ShowInformationWindow(this, settings_, infoColours_);
      break;
    default:
      break;
  }
}

void MessageWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Delete:
      close();
      break;
    case Qt::Key_F1:
      showMinimized();
      break;
    case Qt::Key_F2:
      showMaximized();
      break;
    case Qt::Key_F3:
      showNormal();
      break;
    default:
      QMainWindow::keyPressEvent(event);
      return;
  }
  event->accept();
}

void MessageWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closed_) return;
  closed_ = true;
  if (onClosing) onClosing();
  RememberPlace();
  LogSetup setup;
  setup.programFolder = settings_.programFolder;
  setup.configPath = settings_.configPath;
  setup.computerName = common::HostName();
  common::SystemClock clock;
  setup.clock = &clock;
  setup.failureBox = [this](const std::string& text) { ShowErrorBox(this, text, settings_.windowName); };
  WriteMessageLog(setup, list_->Entries());
  ++logWrites_;
  if (onClosed) onClosed();
}

}  // namespace relaypane
