#pragma once
// The Canvas of the figures for a report (figure.h) on any QPaintDevice through QPainter: an
// SVG generator, a PDF writer, or an image. Antialiased; joined lines become one path, texts
// stay texts. A QGuiApplication must exist before fonts are used.
//
// Pens draw as asked at any width: dashes and dots in proportion to the width, with flat ends;
// solid lines with round ends; round joins. Ends of lines are not shortened (a line from a
// point to itself still draws nothing). Texts are placed by their cell box, in fonts without
// hinting, so that their advance grows in proportion to their size whatever the device scale.

#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <cstdint>

#include "graph/canvas.h"
#include "graph/qt/qt_painting.h"

class QPaintDevice;

namespace quarvel {

class PainterCanvas : public QtCanvas {
 public:
  // Paints on `device` (not owned; it must outlive the painting), a surface of width x height
  // units drawn at `scale` device units each.
  PainterCanvas(QPaintDevice& device, int32_t width, int32_t height, double scale = 1.0);
  ~PainterCanvas() override;
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  // Ends the painting, which completes the device's document (an SVG generator writes its
  // file, a PDF writer its page); false when the device reports a failure. Nothing can be
  // drawn afterwards.
  bool Finish();

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  Colour BackgroundColour() const override { return 0xFFFFFF; }
  double TwipsPerPixel() const override { return 15.0; }  // 96 units per inch
  void SelectPen(const Pen& pen) override;
  void RestorePen() override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;

 protected:
  QPaintDevice& TextDevice() override { return device_; }
  QPainter* FlushedPainter() override;

 private:
  // Paints the polyline collected from consecutive LineTo calls.
  void FlushLines();

  QPaintDevice& device_;
  QPainter painter_;
  int32_t width_;
  int32_t height_;
  QPen pen_;
  bool penDraws_ = true;  // style other than "none"
  QPointF current_;
  QPolygonF pending_;
};

}  // namespace quarvel
