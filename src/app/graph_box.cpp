#include "app/graph_box.h"

#include <QPainter>

namespace quarvel::app {

GraphBox::GraphBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setMinimumSize(200, 150);
}

void GraphBox::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void GraphBox::Clear() {
  image_ = QImage();
  update();
}

void GraphBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!image_.isNull()) painter.drawImage(0, 0, image_);
}

void GraphBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit Resized();
}

}  // namespace quarvel::app
