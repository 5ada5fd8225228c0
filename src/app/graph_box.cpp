#include "app/graph_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "text/number_text.h"

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

void GraphBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit DoubleClicked();
    event->accept();
    return;
  }
  QWidget::mouseDoubleClickEvent(event);
}

void GraphBox::mouseMoveEvent(QMouseEvent* event) {
  // Positions may come with fractions of a pixel (high-resolution pointers): rounded to whole
  // pixels, halves to even.
  const QPointF position = event->position();
  emit PointerMoved(QPoint(static_cast<int>(RoundHalfEven(position.x())),
                           static_cast<int>(RoundHalfEven(position.y()))));
  QWidget::mouseMoveEvent(event);
}

void GraphBox::leaveEvent(QEvent* event) {
  emit PointerLeft();
  QWidget::leaveEvent(event);
}

}  // namespace quarvel::app
