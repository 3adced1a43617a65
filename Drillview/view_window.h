// The Drillview window: the picture (top view, and for programs the side
// view), the legend and the findings. The same window, grabbed offscreen,
// is the --png picture.
#pragma once

#include <QPoint>
#include <QWidget>

class QPainter;

#include "Drillview/scene.h"

namespace drillview {

// The two views of one scene under one scale and one X: wheel zoom about the
// cursor, drag pan, fit, and a tip with the line and the coordinates under the cursor.
class Canvas : public QWidget {
 public:
  Canvas(const Scene& scene, QWidget* parent);
  void Fit();
  // Marks the holes and the motions of one entry of the findings (null:
  // none) in both views.
  void Select(const FindingGroup* group);
  // Zoom by wheel notches (negative: out) about `at` (widget pixels), as
  // the wheel does; about the middle of the canvas when `at` is null.
  void Zoom(double notches, const QPointF* at = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QRect TopArea() const;
  QRect SideArea() const;
  QPointF Top(double x, double y) const { return {originX_ + x * scale_, topY0_ - y * scale_}; }
  QPointF Side(double x, double z) const { return {originX_ + x * scale_, sideY0_ - z * scale_}; }
  QString TipAt(QPoint at) const;
  void PaintSelection(QPainter& p, bool side) const;

  const Scene& scene_;
  double scale_ = 1;                            // pixels per mm
  double originX_ = 0, topY0_ = 0, sideY0_ = 0;  // screen position of model 0
  bool fitted_ = false;
  bool dragging_ = false;
  bool dragInSide_ = false;  // a drag pans the height of the view it started in
  QPoint dragFrom_;
  const FindingGroup* selected_ = nullptr;
};

class ViewWindow : public QWidget {
 public:
  // `title` names the file shown.
  ViewWindow(Scene scene, const QString& title);
  Canvas* View() const { return canvas_; }

 private:
  Scene scene_;
  Canvas* canvas_;
};

}  // namespace drillview
