#include "common/qt/qt_form.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWindow>
#include <QValidator>
#include <QVBoxLayout>

#include "common/sjis.h"
#include "common/text.h"

namespace common {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

// The template's font, falling back to an installed Japanese font when the
// named one is missing (Linux desktops have no "ＭＳ ゴシック").
QFont TemplateFont(const DialogTemplate& tpl) {
  QFont font;
  QStringList families{Q(tpl.fontName), "MS Gothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP",
                       "IPAGothic", "VL Gothic", "TakaoGothic", "monospace"};
  font.setFamilies(families);
  font.setPointSize(tpl.fontPointSize > 0 ? tpl.fontPointSize : 9);
  return font;
}

// `c` a share `amount` (0..1) of the way towards `to`.
QColor Mix(const QColor& c, const QColor& to, double amount) {
  auto channel = [amount](int a, int b) { return static_cast<int>(a + (b - a) * amount + 0.5); };
  return QColor(channel(c.red(), to.red()), channel(c.green(), to.green()), channel(c.blue(), to.blue()));
}

double Luminance(const QColor& c) {
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// The dialog's colours. A disabled field shows no white field, so it reads
// as not editable, and its text stays dark enough to be read.
QPalette FormPalette(QPalette pal, const Rgb& windowColour, const Rgb& textColour) {
  const QColor window = ToQColor(windowColour);
  const QColor text = ToQColor(textColour);
  pal.setColor(QPalette::Window, window);
  pal.setColor(QPalette::WindowText, text);
  // Faded towards the window colour as far as the text stays readable
  // (a contrast of 4.5, as accessibility guidelines ask of text).
  QColor faded = text;
  for (double amount : {0.4, 0.3, 0.2, 0.1}) {
    faded = Mix(text, window, amount);
    if (Contrast(faded, window) >= 4.5) break;
    faded = text;
  }
  pal.setColor(QPalette::Disabled, QPalette::Base, window);
  for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
    pal.setColor(QPalette::Disabled, role, faded);
  return pal;
}

bool IsCombo(const ControlTemplate& c) {
  return c.kind == ControlKind::ComboEdit || c.kind == ControlKind::ComboList;
}

// Height of a control in dialog units: a drop-down list's template height
// is that of its open list; closed it is one line.
int ClosedHeight(const ControlTemplate& c) { return IsCombo(c) ? 14 : c.height; }

QFont FixedGridFont(const QFont& base, int cell) {
  // A fixed-pitch list keeps the dialog's character grid (a column of n
  // characters is 4n dialog units wide), so its columns line up under
  // headings placed in dialog units.
  QFont fixed = base;
  fixed.setFamilies({"MS Gothic", "Noto Sans Mono CJK JP", "monospace"});
  fixed.setStyleHint(QFont::Monospace);
  int best = 0;
  int bestMiss = 1 << 30;
  for (int pixels = 6; pixels <= 64; ++pixels) {
    fixed.setPixelSize(pixels);
    const int miss = std::abs(QFontMetrics(fixed).horizontalAdvance(QLatin1Char('0')) - cell);
    if (miss < bestMiss) {
      bestMiss = miss;
      best = pixels;
    }
  }
  fixed.setPixelSize(best);
  // The rest of a pixel, spread over the characters.
  const qreal advance = QFontMetricsF(fixed).horizontalAdvance(QLatin1Char('0'));
  fixed.setLetterSpacing(QFont::AbsoluteSpacing, cell - advance);
  return fixed;
}

QWidget* MakeLabel(const ControlTemplate& c, QWidget* parent) {
  auto* label = new QLabel(Q(c.text), parent);
  label->setAutoFillBackground(false);
  if (c.flags & kRightAlign) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (c.flags & kCentre) label->setAlignment(Qt::AlignCenter);
  return label;
}

QWidget* MakeMultiLineEdit(const ControlTemplate& c, QWidget* parent) {
  auto* text = new QPlainTextEdit(Q(c.text), parent);
  text->setReadOnly(true);
  return text;
}
// A field's room in bytes of code page 932, as its value is stored: typing
// or pasting past it is refused whole, never cut. A longer text the
// procedure set (a hand-edited value) shows whole; typing may then shorten
// it but never lengthen it.
class ByteRoomValidator : public QValidator {
 public:
  ByteRoomValidator(std::size_t bytes, const int* programmatic, QObject* parent)
      : QValidator(parent), bytes_(bytes), programmatic_(programmatic) {}
  State validate(QString& input, int&) const override {
    const std::size_t width = Cp932Width(S(input));
    if (*programmatic_ == 0 && width > bytes_ && width > acceptedWidth_) return Invalid;
    acceptedWidth_ = width;
    return width <= bytes_ ? Acceptable : Intermediate;
  }

 private:
  std::size_t bytes_;
  const int* programmatic_;  // >0 while the procedure sets the text
  mutable std::size_t acceptedWidth_ = 0;
};

}  // namespace

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

DialogUnits DialogUnitsOf(const QFont& font) {
  QFontMetricsF fm(font);
  const qreal letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits{letters / 52 / 4, (fm.height() + 6) / 12};
}

QRect AvailableArea(const QWidget* near) {
  QScreen* screen = nullptr;
  if (near) {
    const QWidget* top = near->window();
    if (top->windowHandle()) screen = top->windowHandle()->screen();
    if (!screen) screen = top->screen();
  }
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect MovedInside(const QRect& frame, const QRect& area) {
  QRect r = frame;
  if (r.right() > area.right()) r.moveRight(area.right());
  if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
  if (r.left() < area.left()) r.moveLeft(area.left());
  if (r.top() < area.top()) r.moveTop(area.top());
  return r;
}

void KeepOnScreen(QWidget* window, const QRect& frame) {
  const QRect inside = MovedInside(frame, AvailableArea(window));
  if (inside.topLeft() != frame.topLeft()) window->move(inside.topLeft());
}

QColor ToQColor(const Rgb& c) { return QColor(c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF); }

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QtForm::QtForm(const DialogTemplate& tpl, DialogProc proc, Form* owner, const QtHostStyle& style, QWidget* parent)
    : QDialog(parent), tpl_(tpl), proc_(std::move(proc)), owner_(owner), style_(style) {
  setWindowTitle(Q(tpl.caption));
  setFont(TemplateFont(tpl));
  if (tpl.iconId != 0) {
    auto it = style_.icons.find(tpl.iconId);
    if (it != style_.icons.end()) setWindowIcon(it->second);
  }
  setPalette(FormPalette(palette(), style_.windowColour, style_.textColour));
  setAutoFillBackground(true);
  units_ = DialogUnitsOf(font());
  Build();
  FitToScreen();
  // A control that takes the focus comes into view.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now && isAncestorOf(now)) ScrollIntoView(now);
  });
}

void QtForm::BuildMenu(QVBoxLayout* layout) {
  if (tpl_.menu.empty()) return;
  menuBar_ = new QMenuBar(this);
  auto addCommand = [this](QWidget* menu, const MenuItem& item) {
    const int id = item.id;
    auto* a = new QAction(Q(item.text), menu);
    a->setData(id);
    menu->addAction(a);
    connect(a, &QAction::triggered, this, [this, id] { Send(DialogEvent::Command, id); });
  };
  std::function<void(QMenu*, const std::vector<MenuItem>&)> addItems = [&](QMenu* menu,
                                                                          const std::vector<MenuItem>& items) {
    for (const auto& item : items) {
      if (item.items.empty() && item.id == 0) menu->addSeparator();
      else if (!item.items.empty()) addItems(menu->addMenu(Q(item.text)), item.items);
      else addCommand(menu, item);
    }
  };
  for (const auto& top : tpl_.menu) {
    if (!top.items.empty()) addItems(menuBar_->addMenu(Q(top.text)), top.items);
    else addCommand(menuBar_, top);
  }
  layout->setMenuBar(menuBar_);
}

void QtForm::KeepUpperCase(QLineEdit* edit) {
  connect(edit, &QLineEdit::textEdited, this, [edit](const QString& t) {
    int pos = edit->cursorPosition();
    edit->setText(Q(ToUpperAscii(S(t))));
    edit->setCursorPosition(pos);
  });
}

QWidget* QtForm::MakeEdit(const ControlTemplate& c, QWidget* parent) {
  auto* edit = new QLineEdit(Q(c.text), parent);
  if (c.flags & kReadOnly) {
    // Drawn as static text: no frame, no field, and Tab passes it by (a
    // click still selects its text for copying).
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    edit->setPalette(pal);
  }
  if (c.flags & kRightAlign) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (c.flags & kCentre) edit->setAlignment(Qt::AlignCenter);
  if (c.flags & kUpperCase) KeepUpperCase(edit);
  edit->installEventFilter(this);
  return edit;
}

QWidget* QtForm::MakeButton(const ControlTemplate& c, QWidget* parent) {
  auto* button = new QPushButton(Q(c.text), parent);
  button->setAutoDefault(c.flags & kDefaultButton);
  button->setDefault(c.flags & kDefaultButton);
  const int id = c.id;
  if (id == kStaticId) {
    // A caption drawn as a button: it has no command, so it takes no
    // focus and Tab goes from field to field.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFlat(true);
  } else {
    connect(button, &QPushButton::clicked, this, [this, id] { Send(DialogEvent::Command, id); });
  }
  return button;
}

QWidget* QtForm::MakeCombo(const ControlTemplate& c, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(c.kind == ControlKind::ComboEdit);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(12);
  if (combo->isEditable()) {
    combo->lineEdit()->installEventFilter(this);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    if (c.flags & kUpperCase) KeepUpperCase(combo->lineEdit());
  }
  const int id = c.id;
  connect(combo, qOverload<int>(&QComboBox::activated), this, [this, id](int) {
    Send(DialogEvent::SelectionChanged, id);
    Send(DialogEvent::SelectionConfirmed, id);
  });
  return combo;
}

QWidget* QtForm::MakeListBox(const ControlTemplate& c, QWidget* parent) {
  auto* list = new QListWidget(parent);
  // Two dialog units across... a character cell of the grid is four.
  if (c.flags & kFixedFont) list->setFont(FixedGridFont(font(), units_.X(4)));
  if (c.flags & kExtendedSelect) list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  const int id = c.id;
  connect(list, &QListWidget::currentRowChanged, this, [this, id](int) {
    if (programmatic_ == 0) Send(DialogEvent::SelectionChanged, id);
  });
  connect(list, &QListWidget::itemActivated, this, [this, id](QListWidgetItem*) {
    Send(DialogEvent::SelectionConfirmed, id);
  });
  return list;
}

QWidget* QtForm::MakeRadio(const ControlTemplate& c, QWidget* parent, QButtonGroup*& group) {
  auto* radio = new QRadioButton(Q(c.text), parent);
  if (!group || (c.flags & kGroupStart)) {
    group = new QButtonGroup(this);
    group->setExclusive(true);
  }
  group->addButton(radio);
  const int id = c.id;
  connect(radio, &QRadioButton::clicked, this, [this, id] { Send(DialogEvent::Command, id); });
  return radio;
}

QWidget* QtForm::MakeCheck(const ControlTemplate& c, QWidget* parent) {
  auto* check = new QCheckBox(Q(c.text), parent);
  const int id = c.id;
  connect(check, &QCheckBox::clicked, this, [this, id] { Send(DialogEvent::Command, id); });
  return check;
}

QWidget* QtForm::MakeControl(const ControlTemplate& c, QWidget* parent, QButtonGroup*& radioGroup) {
  switch (c.kind) {
    case ControlKind::Label: return MakeLabel(c, parent);
    case ControlKind::Edit: return MakeEdit(c, parent);
    case ControlKind::MultiLineEdit: return MakeMultiLineEdit(c, parent);
    case ControlKind::Button: return MakeButton(c, parent);
    case ControlKind::ComboEdit:
    case ControlKind::ComboList: return MakeCombo(c, parent);
    case ControlKind::ListBox: return MakeListBox(c, parent);
    case ControlKind::Radio: return MakeRadio(c, parent, radioGroup);
    case ControlKind::Check: return MakeCheck(c, parent);
    case ControlKind::GroupBox: return new QGroupBox(Q(c.text), parent);
    case ControlKind::Picture: return MakePicture(c, parent);
  }
  return new QWidget(parent);
}

// A picture is the widget of the painter its text names; without one, an
// empty frame.
QWidget* QtForm::MakePicture(const ControlTemplate& c, QWidget* parent) {
  auto painter = style_.painters.find(c.text);
  if (painter != style_.painters.end() && painter->second.make)
    if (QWidget* w = painter->second.make(parent)) return w;
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::StyledPanel);
  return frame;
}

// What every kind shares: the place from the template (relative to the pane
// whose top left corner is `origin` in the form) and the flags that are not
// particular to one kind.
void QtForm::PlaceControl(QWidget* w, const ControlTemplate& c, QPoint origin) {
  const int x = units_.X(c.x);
  const int y = units_.Y(c.y);
  const int height = IsCombo(c) ? units_.Y(ClosedHeight(c)) + 4 : units_.Y(c.height);
  w->setGeometry(x - origin.x(), y - origin.y(), units_.X(c.x + c.width) - x, height);
  if (c.flags & kDisabled) w->setEnabled(false);
  if (c.flags & kNoTabStop) w->setFocusPolicy(Qt::NoFocus);
  if (c.flags & kAlertText) {
    QPalette alert = w->palette();
    alert.setColor(QPalette::WindowText, Qt::red);
    alert.setColor(QPalette::Text, Qt::red);
    alert.setColor(QPalette::Base, Qt::transparent);
    w->setPalette(alert);
  }
  if (c.kind == ControlKind::GroupBox) w->lower();
}

void QtForm::Build() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildMenu(layout);
  BuildPanes(layout);

  QButtonGroup* radioGroup = nullptr;
  for (const auto& c : tpl_.controls) {
    QPoint origin;
    QWidget* w = MakeControl(c, PaneOf(c, &origin), radioGroup);
    // A group box ends a run of radio buttons.
    if (c.kind == ControlKind::GroupBox) radioGroup = nullptr;
    PlaceControl(w, c, origin);
    controls_.push_back(w);
    if (c.id != kStaticId) {
      w->setObjectName(QString::number(c.id));
      widgets_.insert(c.id, w);
    }
  }
  const int menuHeight = menuBar_ ? menuBar_->sizeHint().height() : 0;
  const int menuWidth = menuBar_ ? menuBar_->sizeHint().width() : 0;
  natural_ = QSize(std::max(units_.X(tpl_.width), menuWidth), units_.Y(tpl_.height) + menuHeight);
}

namespace {

// A strip that shows part of a larger content widget, moved as the body
// scrolls (the fixed headings and row labels).
QWidget* MakeStrip(QWidget* parent, QWidget** content, QSize contentSize) {
  auto* strip = new QWidget(parent);
  *content = new QWidget(strip);
  (*content)->setFixedSize(contentSize);
  return strip;
}

}  // namespace

void QtForm::BuildPanes(QVBoxLayout* layout) {
  const QSize whole(units_.X(tpl_.width), units_.Y(tpl_.height));
  const int top = std::min(units_.Y(tpl_.fixedTop), whole.height());
  const int left = std::min(units_.X(tpl_.fixedLeft), whole.width());

  auto* panes = new QWidget(this);
  auto* grid = new QGridLayout(panes);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  body_ = new QScrollArea(panes);
  body_->setFrameShape(QFrame::NoFrame);
  body_->setFocusPolicy(Qt::NoFocus);
  body_->setWidgetResizable(false);
  body_->viewport()->setAutoFillBackground(false);
  bodyContent_ = new QWidget;
  bodyContent_->setFixedSize(whole.width() - left, whole.height() - top);
  body_->setWidget(bodyContent_);
  bodyContent_->setAutoFillBackground(false);
  grid->addWidget(body_, 1, 1);
  if (top > 0) {
    QWidget* strip = MakeStrip(panes, &heading_, QSize(whole.width() - left, top));
    strip->setFixedHeight(top);
    strip->installEventFilter(this);
    grid->addWidget(strip, 0, 1);
    connect(body_->horizontalScrollBar(), &QScrollBar::valueChanged, heading_, [this](int v) { heading_->move(-v, 0); });
  }
  if (left > 0) {
    QWidget* strip = MakeStrip(panes, &labels_, QSize(left, whole.height() - top));
    strip->setFixedWidth(left);
    strip->installEventFilter(this);
    grid->addWidget(strip, 1, 0);
    connect(body_->verticalScrollBar(), &QScrollBar::valueChanged, labels_, [this](int v) { labels_->move(0, -v); });
  }
  if (top > 0 && left > 0) {
    corner_ = new QWidget(panes);
    corner_->setFixedSize(left, top);
    grid->addWidget(corner_, 0, 0);
  }
  layout->addWidget(panes);
}

QWidget* QtForm::PaneOf(const ControlTemplate& c, QPoint* origin) const {
  const bool inTop = tpl_.fixedTop > 0 && c.y + ClosedHeight(c) <= tpl_.fixedTop;
  const bool inLeft = tpl_.fixedLeft > 0 && c.x + c.width <= tpl_.fixedLeft;
  const int top = heading_ ? heading_->height() : 0;
  const int left = labels_ ? labels_->width() : 0;
  *origin = QPoint(inLeft ? 0 : left, inTop ? 0 : top);
  if (inTop && inLeft) return corner_;
  if (inTop) return heading_;
  if (inLeft) return labels_;
  return bodyContent_;
}

QMargins QtForm::FrameMargins() const {
  if (QWindow* w = windowHandle(); w && isVisible()) {
    QMargins m = w->frameMargins();
    if (!m.isNull()) return m;
  }
  // Before the window manager has framed the window: a title bar and thin
  // borders, so that a form opened at its largest still fits.
  const int border = 4;
  return QMargins(border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border);
}

void QtForm::FitToScreen() {
  const QMargins frame = FrameMargins();
  const QSize room = AvailableArea(parentWidget() ? parentWidget() : this).size().shrunkBy(frame);
  QSize want = natural_;
  // A scroll bar takes room from the other direction.
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const bool tooTall = want.height() > room.height();
  const bool tooWide = want.width() > room.width();
  if (tooTall) want.rwidth() += bar;
  if (tooWide || (tooTall && want.width() > room.width())) want.rheight() += bar;
  // Larger than the whole form would only show more background.
  setMaximumSize(want);
  fitted_ = want.boundedTo(room);
  resize(fitted_);
}

QSize QtForm::sizeHint() const { return fitted_.isValid() ? fitted_ : QDialog::sizeHint(); }

void QtForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    // The screen it opens on may be another than the one it was sized for.
    const QSize room = AvailableArea(this).size().shrunkBy(FrameMargins());
    if (width() > room.width() || height() > room.height()) resize(size().boundedTo(room));
  }
  KeepOnScreen(this, geometry().marginsAdded(FrameMargins()));
}

void QtForm::ScrollIntoView(QWidget* w) {
  if (!w || !body_) return;
  if (bodyContent_->isAncestorOf(w)) {
    // The whole control (ensureWidgetVisible would bring only the text
    // cursor of a field into view).
    const QRect r(w->mapTo(bodyContent_, QPoint()), w->size());
    body_->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 2, r.height() / 2 + 2);
    return;
  }
  // In a fixed strip only the one direction scrolls.
  auto bring = [](QScrollBar* bar, int start, int length, int view) {
    if (start < bar->value()) bar->setValue(start);
    else if (start + length > bar->value() + view) bar->setValue(std::min(start, start + length - view));
  };
  if (heading_ && heading_->isAncestorOf(w)) {
    const QRect r(w->mapTo(heading_, QPoint()), w->size());
    bring(body_->horizontalScrollBar(), r.left(), r.width(), body_->viewport()->width());
  } else if (labels_ && labels_->isAncestorOf(w)) {
    const QRect r(w->mapTo(labels_, QPoint()), w->size());
    bring(body_->verticalScrollBar(), r.top(), r.height(), body_->viewport()->height());
  }
}

void QtForm::Initialise() { Send(DialogEvent::Init, 0); }

void QtForm::Send(DialogEvent event, int id) {
  if (proc_ && !ended_) proc_(*this, event, id);
}

void QtForm::TriggerCommand(int id) { Send(DialogEvent::Command, id); }

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && ((heading_ && watched == heading_->parentWidget()) ||
                                          (labels_ && watched == labels_->parentWidget()))) {
    // The wheel over the headings or the row labels scrolls the grid.
    QApplication::sendEvent(body_->viewport(), event);
    return true;
  }
  if (event->type() == QEvent::FocusOut) {
    for (auto it = widgets_.begin(); it != widgets_.end(); ++it) {
      QWidget* w = it.value();
      auto* combo = qobject_cast<QComboBox*>(w);
      if (w == watched || (combo && combo->lineEdit() == watched)) {
        Send(DialogEvent::FocusLost, it.key());
        break;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void QtForm::closeEvent(QCloseEvent* event) {
  if (ended_) {
    event->accept();
    return;
  }
  event->ignore();
  Send(DialogEvent::Close, 0);
  if (ended_) event->accept();
}

void QtForm::reject() {
  // Escape: the cancel command; only the procedure ends the dialog.
  if (ended_) {
    QDialog::reject();
    return;
  }
  Send(DialogEvent::Command, kCancelCommand);
}

std::string QtForm::Text(int id, std::size_t room) const {
  QWidget* w = Widget(id);
  QString text;
  if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
  else if (auto* c = qobject_cast<QComboBox*>(w)) text = c->currentText();
  else if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
  else if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
  else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) text = p->toPlainText();
  else if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
  else if (auto* lw = qobject_cast<QListWidget*>(w)) text = lw->currentItem() ? lw->currentItem()->text() : QString();
  return CutToRoom(S(text), room);
}

void QtForm::SetText(int id, std::string_view text) {
  QWidget* w = Widget(id);
  const ControlTemplate* c = ControlOf(id);
  QString t = Q(c && (c->flags & kUpperCase) ? ToUpperAscii(text) : std::string(text));
  ++programmatic_;
  if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(t);
  else if (auto* cb = qobject_cast<QComboBox*>(w)) {
    if (cb->isEditable()) {
      cb->setCurrentIndex(-1);
      cb->setEditText(t);
    }
  } else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(t);
  else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(t);
  else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) p->setPlainText(t);
  else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(t);
  --programmatic_;
}

void QtForm::LimitText(int id, std::size_t bytes) {
  QWidget* w = Widget(id);
  QLineEdit* edit = qobject_cast<QLineEdit*>(w);
  if (auto* combo = qobject_cast<QComboBox*>(w)) edit = combo->lineEdit();
  if (edit) edit->setValidator(new ByteRoomValidator(bytes, &programmatic_, edit));
}

void QtForm::Enable(int id, bool enabled) {
  if (QWidget* w = Widget(id)) w->setEnabled(enabled);
}

bool QtForm::IsEnabled(int id) const {
  QWidget* w = Widget(id);
  return w && w->isEnabled();
}

void QtForm::SetFocus(int id) {
  if (QWidget* w = Widget(id)) w->setFocus();
}

int QtForm::AddEntry(int id, std::string_view text) { return InsertEntry(id, -1, text); }

int QtForm::InsertEntry(int id, int index, std::string_view text) {
  QWidget* w = Widget(id);
  const ControlTemplate* c = ControlOf(id);
  if (!c) return -1;
  QString t = Q((c->flags & kUpperCase) ? ToUpperAscii(text) : std::string(text));
  ++programmatic_;
  int at = -1;
  if (auto* cb = qobject_cast<QComboBox*>(w)) {
    QString keep = cb->currentText();
    int current = cb->currentIndex();
    if (c->flags & kSorted) {
      at = 0;
      while (at < cb->count() && cb->itemText(at).compare(t, Qt::CaseInsensitive) <= 0) ++at;
    } else {
      at = index < 0 || index > cb->count() ? cb->count() : index;
    }
    cb->insertItem(at, t);
    // Adding entries never changes what the field shows.
    if (current < 0 && cb->isEditable()) {
      cb->setCurrentIndex(-1);
      cb->setEditText(keep);
    }
  } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
    if (c->flags & kSorted) {
      at = 0;
      while (at < lw->count() && lw->item(at)->text().compare(t, Qt::CaseInsensitive) <= 0) ++at;
    } else {
      at = index < 0 || index > lw->count() ? lw->count() : index;
    }
    lw->insertItem(at, t);
  }
  --programmatic_;
  return at;
}

void QtForm::DeleteEntry(int id, int index) {
  QWidget* w = Widget(id);
  ++programmatic_;
  if (auto* cb = qobject_cast<QComboBox*>(w)) {
    if (index >= 0 && index < cb->count()) cb->removeItem(index);
  } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
    if (index >= 0 && index < lw->count()) delete lw->takeItem(index);
  }
  --programmatic_;
}

void QtForm::ResetEntries(int id) {
  QWidget* w = Widget(id);
  ++programmatic_;
  if (auto* cb = qobject_cast<QComboBox*>(w)) {
    cb->clear();
    if (cb->isEditable()) cb->setEditText(QString());
  } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
    lw->clear();
  }
  --programmatic_;
}

int QtForm::EntryCount(int id) const {
  QWidget* w = Widget(id);
  if (auto* cb = qobject_cast<QComboBox*>(w)) return cb->count();
  if (auto* lw = qobject_cast<QListWidget*>(w)) return lw->count();
  return 0;
}

std::string QtForm::EntryText(int id, int index) const {
  QWidget* w = Widget(id);
  if (auto* cb = qobject_cast<QComboBox*>(w)) return index >= 0 && index < cb->count() ? S(cb->itemText(index)) : "";
  if (auto* lw = qobject_cast<QListWidget*>(w))
    return index >= 0 && index < lw->count() ? S(lw->item(index)->text()) : "";
  return {};
}

int QtForm::FindExact(int id, std::string_view text) const {
  int n = EntryCount(id);
  for (int i = 0; i < n; ++i)
    if (EqualsNoCase(EntryText(id, i), text)) return i;
  return -1;
}

void QtForm::Select(int id, int index) {
  QWidget* w = Widget(id);
  ++programmatic_;
  if (auto* cb = qobject_cast<QComboBox*>(w)) {
    if (index < 0 || index >= cb->count()) {
      cb->setCurrentIndex(-1);
      if (cb->isEditable()) cb->setEditText(QString());
    } else {
      cb->setCurrentIndex(index);
    }
  } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
    lw->setCurrentRow(index < 0 || index >= lw->count() ? -1 : index);
    if (index >= 0 && index < lw->count()) lw->scrollToItem(lw->item(index));
  }
  --programmatic_;
}

int QtForm::Selected(int id) const {
  QWidget* w = Widget(id);
  if (auto* cb = qobject_cast<QComboBox*>(w)) {
    if (cb->currentIndex() < 0) return -1;
    // An edited text that no longer matches its entry is no selection.
    if (cb->isEditable() && cb->currentText() != cb->itemText(cb->currentIndex())) return -1;
    return cb->currentIndex();
  }
  if (auto* lw = qobject_cast<QListWidget*>(w)) return lw->currentRow();
  return -1;
}

bool QtForm::IsChecked(int id) const {
  auto* b = qobject_cast<QAbstractButton*>(Widget(id));
  return b && b->isChecked();
}

void QtForm::SetPicture(int id, std::any picture) {
  const ControlTemplate* c = ControlOf(id);
  QWidget* w = Widget(id);
  if (!c || !w || c->kind != ControlKind::Picture) return;
  auto painter = style_.painters.find(c->text);
  if (painter != style_.painters.end() && painter->second.show) painter->second.show(w, picture);
}

void QtForm::SetChecked(int id, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(Widget(id))) {
    // Unchecking a radio button of an exclusive group needs the group released.
    QButtonGroup* group = b->group();
    bool exclusive = group && group->exclusive();
    if (exclusive && !checked) group->setExclusive(false);
    b->setChecked(checked);
    if (exclusive && !checked) group->setExclusive(true);
  }
}

std::string QtForm::Title() const { return S(windowTitle()); }
void QtForm::SetTitle(std::string_view title) { setWindowTitle(Q(title)); }

void QtForm::End(int result) {
  ended_ = true;
  result_ = result;
  done(result);
  if (!isModal()) close();
}

Rect QtForm::Frame() const {
  QRect r = frameGeometry();
  // Not shown yet: the size it will open with, in the frame it will get.
  if (!isVisible()) r = QRect(pos(), size().grownBy(FrameMargins()));
  return ToRect(r);
}

void QtForm::MoveTo(int x, int y) { move(x, y); }

Rect QtForm::ControlFrame(int id) const {
  QWidget* w = Widget(id);
  if (!w) return {};
  return ToRect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
}

}  // namespace common
