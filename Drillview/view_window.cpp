#include "Drillview/view_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "gcode/nc_check.h"

namespace drillview {
namespace {

constexpr int kMargin = 24;          // pixels around the fitted picture
constexpr int kLabelHeight = 20;     // room for a view's name
constexpr double kTopShare = 0.68;   // of the height, for the top view of a program
constexpr double kHitPixels = 8;     // how near the cursor a hole or an end must be for the tip
constexpr double kZoomStep = 1.25;   // per wheel notch
// Up to this many circles of holes are drawn one by one; more are copied
// from a stamp per size and colour, if no larger than kMostStampRadius pixels.
constexpr std::size_t kMostExactCircles = 4000;
constexpr double kMostStampRadius = 40;

QColor Colour(unsigned rgb) { return QColor::fromRgb(rgb); }

QString Mm(double v) { return QString::fromStdString(gcode::MmText(v)); }

// A view's name in its upper left corner, on white so lines under it do not
// run through the text.
void DrawLabel(QPainter& p, const QRect& area, const QString& text) {
  QRect box = p.fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
  box.moveTopLeft(area.topLeft() + QPoint(6, 4));
  p.fillRect(box, Qt::white);
  p.setPen(Qt::black);
  p.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

Canvas::Canvas(const Scene& scene, QWidget* parent) : QWidget(parent), scene_(scene) {
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

QRect Canvas::TopArea() const {
  QRect all = rect();
  if (!scene_.isProgram) return all;
  return QRect(all.left(), all.top(), all.width(), static_cast<int>(all.height() * kTopShare));
}

QRect Canvas::SideArea() const {
  QRect all = rect();
  QRect top = TopArea();
  return QRect(all.left(), top.bottom() + 1, all.width(), all.bottom() - top.bottom());
}

void Canvas::Fit() {
  const Bounds& t = scene_.topBounds;
  const Bounds& s = scene_.sideBounds;
  QRect top = TopArea().adjusted(kMargin, kMargin + kLabelHeight, -kMargin, -kMargin);
  QRect side = SideArea().adjusted(kMargin, kMargin + kLabelHeight, -kMargin, -kMargin);
  if (t.empty) return;
  double minX = t.minX, maxX = t.maxX;
  if (scene_.isProgram && !s.empty) minX = std::min(minX, s.minX), maxX = std::max(maxX, s.maxX);
  double width = std::max(maxX - minX, 1e-3);
  scale_ = top.width() / width;
  scale_ = std::min(scale_, top.height() / std::max(t.maxY - t.minY, 1e-3));
  if (scene_.isProgram && !s.empty) scale_ = std::min(scale_, side.height() / std::max(s.maxY - s.minY, 1e-3));
  originX_ = top.center().x() - (minX + maxX) / 2 * scale_;
  topY0_ = top.center().y() + (t.minY + t.maxY) / 2 * scale_;
  if (!s.empty) sideY0_ = side.center().y() + (s.minY + s.maxY) / 2 * scale_;
  fitted_ = true;
  update();
}

void Canvas::resizeEvent(QResizeEvent*) { Fit(); }

void Canvas::Select(const FindingGroup* group) {
  selected_ = group;
  update();
}

namespace {

// A key of a few pixel values, for drawing what lands on the same pixels
// once: a program of a million holes repeats most of its moves and holes
// pixel for pixel (centre drill, drill and tap on the same positions).
std::uint64_t PixelKey(std::initializer_list<double> values) {
  std::uint64_t key = 0;
  for (double v : values) key = key * 65599 + static_cast<std::uint64_t>(std::lround(std::clamp(v, -1e6, 1e6)) + 1000000);
  return key;
}

bool Outside(const QRectF& area, QPointF a, QPointF b) {
  return (a.x() < area.left() && b.x() < area.left()) || (a.x() > area.right() && b.x() > area.right()) ||
         (a.y() < area.top() && b.y() < area.top()) || (a.y() > area.bottom() && b.y() > area.bottom());
}

}  // namespace

// The segments of one view, style by style, each pixel line once.
template <typename ToScreen>
void DrawSegments(QPainter& p, const std::vector<Segment>& segments, ToScreen toScreen, const QRect& area,
                  const QPen* pens) {
  // One pass over the segments (a program may have millions), each style's
  // lines gathered apart and drawn with its pen, each line once per pixel.
  constexpr int kStyles = Segment::Drawing + 1;
  std::vector<QLineF> lines[kStyles];
  std::unordered_set<std::uint64_t> drawn[kStyles];
  for (const Segment& s : segments) {
    if (s.style < 0 || s.style >= kStyles) continue;
    const QPointF a = toScreen(s.x1, s.y1), b = toScreen(s.x2, s.y2);
    if (Outside(area, a, b) || !drawn[s.style].insert(PixelKey({a.x(), a.y(), b.x(), b.y()})).second) continue;
    lines[s.style].emplace_back(a, b);
  }
  for (int style = 0; style < kStyles; ++style) {
    p.setPen(pens[style]);
    p.drawLines(lines[style].data(), static_cast<int>(lines[style].size()));
  }
}

void Canvas::paintEvent(QPaintEvent*) {
  if (!fitted_) Fit();
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPen pens[] = {QPen(QColor(150, 150, 150), 1, Qt::DashLine), QPen(QColor(30, 30, 30), 1.4),
                       QPen(QColor(90, 90, 90), 1.6), QPen(QColor(20, 20, 20), 1.2)};

  // Top view.
  QRect top = TopArea();
  p.setClipRect(top);
  DrawSegments(p, scene_.top, [this](double x, double y) { return Top(x, y); }, top, pens);
  // Holes: each circle once per pixel position, size and colour; when there
  // are thousands, each is a stamp drawn once and copied (the same picture
  // within a pixel, at a fraction of the cost).
  std::unordered_set<std::uint64_t> drawn;
  std::vector<std::pair<QPointF, const HoleMark*>> circles;
  for (const HoleMark& h : scene_.holes) {
    const double r = std::max(h.radius * scale_, 3.0);
    const QPointF c = Top(h.x, h.y);
    if (Outside(top, c - QPointF(r, r), c + QPointF(r, r)) ||
        !drawn.insert(PixelKey({c.x(), c.y(), r, static_cast<double>(ToolColour(h.colour))})).second)
      continue;
    circles.emplace_back(c, &h);
  }
  std::unordered_map<std::uint64_t, QPixmap> stamps;
  for (const auto& [c, h] : circles) {
    const double r = std::max(h->radius * scale_, 3.0);
    const QColor colour = Colour(ToolColour(h->colour));
    QColor fill = colour;
    fill.setAlpha(50);
    if (circles.size() < kMostExactCircles || r > kMostStampRadius) {
      p.setPen(QPen(colour, 1.5));
      p.setBrush(fill);
      p.drawEllipse(c, r, r);
      continue;
    }
    const int side = static_cast<int>(std::ceil(2 * r + 4));
    QPixmap& stamp = stamps[PixelKey({r, static_cast<double>(ToolColour(h->colour))})];
    if (stamp.isNull()) {
      stamp = QPixmap(side, side);
      stamp.fill(Qt::transparent);
      QPainter sp(&stamp);
      sp.setRenderHint(QPainter::Antialiasing);
      sp.setPen(QPen(colour, 1.5));
      sp.setBrush(fill);
      sp.drawEllipse(QPointF(side / 2.0, side / 2.0), r, r);
    }
    p.drawPixmap(QPointF(std::round(c.x() - side / 2.0), std::round(c.y() - side / 2.0)), stamp);
  }
  p.setBrush(Qt::NoBrush);
  PaintSelection(p, false);
  p.setClipping(false);
  DrawLabel(p, top, scene_.isProgram ? QStringLiteral("上面図 (X-Y)") : QStringLiteral("図面 (X-Y)"));
  if (!scene_.isProgram) return;

  // Side view: the path in X-Z, each hole from its R level to its bottom.
  QRect side = SideArea();
  p.setPen(QPen(QColor(200, 200, 200), 1));
  p.drawLine(side.topLeft(), side.topRight());
  p.setClipRect(side);
  p.setPen(QPen(QColor(170, 170, 170), 1, Qt::DotLine));
  p.drawLine(QPointF(side.left(), Side(0, 0).y()), QPointF(side.right(), Side(0, 0).y()));
  DrawSegments(p, scene_.side, [this](double x, double z) { return Side(x, z); }, side, pens);
  drawn.clear();
  for (const HoleMark& h : scene_.holes) {
    const double w = std::max(h.radius * 2 * scale_, 2.0);
    const QPointF r = Side(h.x, h.rLevel), b = Side(h.x, h.bottom);
    if (Outside(side, r - QPointF(w, 0), b + QPointF(w, 0)) ||
        !drawn.insert(PixelKey({r.x(), r.y(), b.y(), w, static_cast<double>(ToolColour(h.colour))})).second)
      continue;
    QColor c = Colour(ToolColour(h.colour));
    QColor fill = c;
    fill.setAlpha(90);
    p.fillRect(QRectF(r.x() - w / 2, std::min(r.y(), b.y()), w, std::fabs(b.y() - r.y())), fill);
    p.setPen(QPen(c, 1.5));
    p.drawLine(QPointF(r.x() - w / 2 - 3, r.y()), QPointF(r.x() + w / 2 + 3, r.y()));  // the R level
    p.drawLine(QPointF(b.x() - w / 2, b.y()), QPointF(b.x() + w / 2, b.y()));          // the bottom
  }
  PaintSelection(p, true);
  p.setClipping(false);
  DrawLabel(p, side, QStringLiteral("側面図 (X-Z)  R点と深さ"));
}

// The selected entry of the findings: its motions drawn over in the mark
// colour, its holes ringed.
void Canvas::PaintSelection(QPainter& p, bool side) const {
  if (!selected_) return;
  const QColor mark(255, 0, 160);
  p.setPen(QPen(mark, 3));
  for (const Segment& s : side ? scene_.side : scene_.top) {
    if (s.line == 0 || !std::binary_search(selected_->lines.begin(), selected_->lines.end(), s.line)) continue;
    p.drawLine(side ? Side(s.x1, s.y1) : Top(s.x1, s.y1), side ? Side(s.x2, s.y2) : Top(s.x2, s.y2));
  }
  p.setPen(QPen(mark, 2.5));
  p.setBrush(Qt::NoBrush);
  for (int i : selected_->holes) {
    if (i < 0 || static_cast<std::size_t>(i) >= scene_.holes.size()) continue;
    const HoleMark& h = scene_.holes[i];
    const double r = std::max(h.radius * scale_, 3.0) + 4;
    if (!side) {
      p.drawEllipse(Top(h.x, h.y), r, r);
      continue;
    }
    const QPointF top = Side(h.x, std::max(h.rLevel, h.bottom)), bottom = Side(h.x, std::min(h.rLevel, h.bottom));
    p.drawRect(QRectF(top.x() - r, top.y() - 3, 2 * r, bottom.y() - top.y() + 6));
  }
}

void Canvas::wheelEvent(QWheelEvent* event) {
  double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  const QPointF at = event->position();
  Zoom(notches, &at);
}

void Canvas::Zoom(double notches, const QPointF* at) {
  if (!fitted_) Fit();
  const double f = std::pow(kZoomStep, notches);
  const QPointF c = at ? *at : QPointF(rect().center());
  // The views share X, so both zoom about the cursor's X. Vertically each
  // zooms about its own anchor: the cursor in the view it points at, the
  // middle of the other one (about a height outside it, the other view's
  // drawing would leave its area).
  const bool inSide = at && scene_.isProgram && SideArea().contains(c.toPoint());
  const double topAnchor = inSide || !at ? TopArea().center().y() : c.y();
  const double sideAnchor = inSide ? c.y() : SideArea().center().y();
  originX_ = c.x() + (originX_ - c.x()) * f;
  topY0_ = topAnchor + (topY0_ - topAnchor) * f;
  sideY0_ = sideAnchor + (sideY0_ - sideAnchor) * f;
  scale_ *= f;
  update();
}

void Canvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragFrom_ = event->position().toPoint();
  dragInSide_ = scene_.isProgram && SideArea().contains(dragFrom_);
  setCursor(Qt::ClosedHandCursor);
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
  QPoint at = event->position().toPoint();
  if (dragging_) {
    QPoint d = at - dragFrom_;
    dragFrom_ = at;
    originX_ += d.x();  // shared by both views
    (dragInSide_ ? sideY0_ : topY0_) += d.y();
    update();
    return;
  }
  QString tip = TipAt(at);
  if (tip.isEmpty()) QToolTip::hideText();
  else QToolTip::showText(event->globalPosition().toPoint(), tip, this);
}

void Canvas::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
  unsetCursor();
}

QString Canvas::TipAt(QPoint at) const {
  const bool inTop = TopArea().contains(at);
  const HoleMark* best = nullptr;
  double bestD = kHitPixels;
  for (const HoleMark& h : scene_.holes) {
    double d = 0;
    if (inTop) {
      QPointF c = Top(h.x, h.y);
      d = std::hypot(c.x() - at.x(), c.y() - at.y());
    } else {
      QPointF r = Side(h.x, h.rLevel), b = Side(h.x, h.bottom);
      double y = std::clamp<double>(at.y(), std::min(r.y(), b.y()), std::max(r.y(), b.y()));
      d = std::hypot(r.x() - at.x(), y - at.y());
    }
    if (d < bestD) bestD = d, best = &h;
  }
  if (best) {
    QString tool = best->tool < 0 ? QStringLiteral("T?") : QStringLiteral("T%1").arg(best->tool, 2, 10, QChar('0'));
    return QStringLiteral("%1行目  X%2 Y%3\nG%4 %5  R%6 Z%7")
        .arg(best->line)
        .arg(Mm(best->x), Mm(best->y))
        .arg(best->cycle)
        .arg(tool, Mm(best->rLevel), Mm(best->bottom));
  }
  // Otherwise the nearest end of a motion.
  const Segment* near = nullptr;
  bool nearEnd = false;
  bestD = kHitPixels;
  for (const Segment& s : inTop ? scene_.top : scene_.side) {
    if (s.line == 0) continue;
    for (bool end : {false, true}) {
      QPointF c = inTop ? Top(end ? s.x2 : s.x1, end ? s.y2 : s.y1) : Side(end ? s.x2 : s.x1, end ? s.y2 : s.y1);
      double d = std::hypot(c.x() - at.x(), c.y() - at.y());
      if (d < bestD) bestD = d, near = &s, nearEnd = end;
    }
  }
  if (!near) return {};
  double x = nearEnd ? near->x2 : near->x1, v = nearEnd ? near->y2 : near->y1;
  return QStringLiteral("%1行目  X%2 %3%4").arg(near->line).arg(Mm(x), inTop ? "Y" : "Z", Mm(v));
}

ViewWindow::ViewWindow(Scene scene, const QString& title) : scene_(std::move(scene)) {
  setWindowTitle(QStringLiteral("Drillview - %1").arg(title));
  canvas_ = new Canvas(scene_, this);

  auto* panel = new QVBoxLayout;
  auto* fit = new QPushButton(QStringLiteral("全体表示"), this);
  connect(fit, &QPushButton::clicked, this, [this] { canvas_->Fit(); });
  panel->addWidget(fit);
  if (scene_.isProgram) {
    panel->addWidget(new QLabel(QStringLiteral("凡例 (工具・穴数)"), this));
    auto* legend = new QListWidget(this);
    for (const LegendEntry& e : scene_.legend) {
      QPixmap swatch(14, 14);
      swatch.fill(Colour(ToolColour(e.colour)));
      legend->addItem(new QListWidgetItem(QIcon(swatch), QString::fromStdString(e.text)));
    }
    legend->setMaximumHeight(200);
    panel->addWidget(legend);
    panel->addWidget(new QLabel(QStringLiteral("実線：切削送り　破線：早送り"), this));
  }
  panel->addWidget(new QLabel((scene_.isProgram ? QStringLiteral("チェック結果 (%1件)") : QStringLiteral("読み込みの注記 (%1件)"))
                                 .arg(scene_.findings.size()),
                             this));
  auto* findings = new QListWidget(this);
  for (const FindingGroup& f : scene_.findings) {
    auto* item = new QListWidgetItem(QString::fromStdString(f.text));
    QStringList tip;
    for (const std::string& d : f.details) tip << QString::fromStdString(d);
    item->setToolTip(tip.join('\n'));
    if (f.error) item->setForeground(QColor(190, 0, 0));
    findings->addItem(item);
  }
  if (scene_.findings.empty()) findings->addItem(QStringLiteral("指摘なし"));
  // A click on an entry marks its holes and motions in the views.
  connect(findings, &QListWidget::currentRowChanged, this, [this](int row) {
    canvas_->Select(row >= 0 && static_cast<std::size_t>(row) < scene_.findings.size() ? &scene_.findings[row] : nullptr);
  });
  findings->setWordWrap(true);
  panel->addWidget(findings, 1);

  auto* side = new QWidget(this);
  side->setLayout(panel);
  side->setFixedWidth(340);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(canvas_, 1);
  layout->addWidget(side);
}

}  // namespace drillview
