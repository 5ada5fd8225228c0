#pragma once
// A short sample of a graph series for the window's legend: a line, or the "+" mark that the
// graph draws at a reversal point, in the series' colour and pen width.

#include <QWidget>

#include <cstdint>

namespace quarvel::app {

class LegendSample : public QWidget {
 public:
  enum class Shape { Line, Plus };

  // colour as 0x00BBGGRR.
  LegendSample(Shape shape, uint32_t colour, int width, QWidget* parent = nullptr);

  QSize sizeHint() const override { return {36, 14}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Shape shape_;
  uint32_t colour_;
  int width_;
};

}  // namespace quarvel::app
