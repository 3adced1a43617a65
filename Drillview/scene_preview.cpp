#include "Drillview/scene_preview.h"

#include <QVBoxLayout>

#include "Drillview/view_window.h"

namespace drillview {

ScenePreview::ScenePreview(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

ScenePreview::~ScenePreview() {
  delete canvas_;  // before the scene it refers to
}

void ScenePreview::Show(Scene scene) {
  delete canvas_;
  canvas_ = nullptr;
  scene_ = std::make_unique<Scene>(std::move(scene));
  canvas_ = new Canvas(*scene_, this);
  canvas_->setMinimumSize(0, 0);
  layout()->addWidget(canvas_);
}

}  // namespace drillview
