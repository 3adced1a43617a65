#include "Relaypane/message_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace relaypane {
namespace {

constexpr int kTextMarginPx = 2;
// Lines may come thousands a second; the view follows at most this often.
constexpr int kRefreshIntervalMs = 40;

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

MessageList::MessageList(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  verticalScrollBar()->setSingleStep(1);
}

int MessageList::RowHeight() const { return std::max(1, fontMetrics().height()); }

int MessageList::VisibleRows() const { return std::max(1, viewport()->height() / RowHeight()); }

int MessageList::AddEntry(std::string text) {
  entries_.push_back(std::move(text));
  ScheduleRefresh();
  return Count() - 1;
}

void MessageList::Select(int index) {
  selected_ = (index >= 0 && index < Count()) ? index : -1;
  scrollToSelected_ = selected_ >= 0;
  ScheduleRefresh();
}

void MessageList::ScheduleRefresh() {
  if (refreshPending_) return;
  refreshPending_ = true;
  QTimer::singleShot(kRefreshIntervalMs, this, [this] {
    if (refreshPending_) Refresh();
  });
}

void MessageList::Refresh() {
  refreshPending_ = false;
  // Measure only the entries added since the last turn.
  QFontMetrics fm = fontMetrics();
  for (; measured_ < Count(); ++measured_) {
    const std::string& e = entries_[static_cast<std::size_t>(measured_)];
    widest_ = std::max(widest_, fm.horizontalAdvance(Q(e)));
  }
  UpdateScrollBars();
  if (scrollToSelected_) {
    EnsureVisible(selected_);
    scrollToSelected_ = false;
  }
  viewport()->update();
}

int MessageList::TopIndex() {
  if (refreshPending_) Refresh();
  return verticalScrollBar()->value();
}

void MessageList::UpdateScrollBars() {
  int rows = VisibleRows();
  verticalScrollBar()->setPageStep(rows);
  verticalScrollBar()->setRange(0, std::max(0, Count() - rows));
  int width = viewport()->width();
  horizontalScrollBar()->setPageStep(std::max(1, width));
  horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
  horizontalScrollBar()->setRange(0, std::max(0, widest_ + 2 * kTextMarginPx - width));
}

void MessageList::EnsureVisible(int index) {
  if (index < 0) return;
  QScrollBar* bar = verticalScrollBar();
  int rows = VisibleRows();
  if (index < bar->value()) {
    bar->setValue(index);
  } else if (index >= bar->value() + rows) {
    bar->setValue(index - rows + 1);
  }
}

void MessageList::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const int height = RowHeight();
  const int first = verticalScrollBar()->value();
  const int left = kTextMarginPx - horizontalScrollBar()->value();
  const int rows = viewport()->height() / height + 1;
  const QPalette& pal = palette();
  for (int row = 0; row < rows && first + row < Count(); ++row) {
    int index = first + row;
    QRect line(0, row * height, viewport()->width(), height);
    if (index == selected_) {
      painter.fillRect(line, pal.brush(QPalette::Highlight));
      painter.setPen(pal.color(QPalette::HighlightedText));
    } else {
      painter.setPen(pal.color(QPalette::Text));
    }
    painter.drawText(QRect(left, line.top(), std::max(widest_, line.width()) + kTextMarginPx, height),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     Q(entries_[static_cast<std::size_t>(index)]));
  }
}

void MessageList::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void MessageList::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    // Widths depend on the font: measure everything again.
    widest_ = 0;
    measured_ = 0;
    ScheduleRefresh();
  }
}

void MessageList::keyPressEvent(QKeyEvent* event) {
  int target = selected_;
  switch (event->key()) {
    case Qt::Key_Up:
      target = selected_ < 0 ? Count() - 1 : selected_ - 1;
      break;
    case Qt::Key_Down:
      target = selected_ + 1;
      break;
    case Qt::Key_PageUp:
      target = (selected_ < 0 ? 0 : selected_) - VisibleRows();
      break;
    case Qt::Key_PageDown:
      target = (selected_ < 0 ? 0 : selected_) + VisibleRows();
      break;
    case Qt::Key_Home:
      target = 0;
      break;
    case Qt::Key_End:
      target = Count() - 1;
      break;
    case Qt::Key_Left:
    case Qt::Key_Right:
      QAbstractScrollArea::keyPressEvent(event);
      return;
    default:
      // Everything else is the window's (Delete, F1, F2, F3).
      event->ignore();
      return;
  }
  if (Count() > 0) Select(std::clamp(target, 0, Count() - 1));
  event->accept();
}

void MessageList::mousePressEvent(QMouseEvent* event) {
  int index = verticalScrollBar()->value() + static_cast<int>(event->position().y()) / RowHeight();
  if (index >= 0 && index < Count()) Select(index);
  QAbstractScrollArea::mousePressEvent(event);
}

}  // namespace relaypane
