// Drillview's picture inside another window: a canvas over a scene that
// the window replaces as its content changes (the drawing preview of the
// import of holes).
#pragma once

#include <memory>

#include <QWidget>

#include "Drillview/scene.h"

namespace drillview {

class Canvas;

class ScenePreview : public QWidget {
 public:
  explicit ScenePreview(QWidget* parent);
  ~ScenePreview() override;
  // Shows `scene`, fitted to the widget.
  void Show(Scene scene);

 private:
  std::unique_ptr<Scene> scene_;  // the canvas draws it by reference
  Canvas* canvas_ = nullptr;
};

}  // namespace drillview
