#include "app/legend_sample.h"

#include <QPainter>

#include "graph/qt/qt_painting.h"

namespace quarvel::app {

LegendSample::LegendSample(Shape shape, uint32_t colour, int width, QWidget* parent)
    : QWidget(parent), shape_(shape), colour_(colour), width_(width) {
  setFixedSize(sizeHint());
}

void LegendSample::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(ToQColor(colour_), width_, Qt::SolidLine, Qt::FlatCap));
  const int midX = width() / 2;
  const int midY = height() / 2;
  if (shape_ == Shape::Line) {
    painter.drawLine(2, midY, width() - 2, midY);
  } else {
    const int arm = height() / 2 - 1;
    painter.drawLine(midX - arm, midY, midX + arm, midY);
    painter.drawLine(midX, midY - arm, midX, midY + arm);
  }
}

}  // namespace quarvel::app
