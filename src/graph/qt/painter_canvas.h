#pragma once
// The graph's Canvas on any QPaintDevice through QPainter, for vector pictures (an SVG
// generator, a PDF writer): joined lines become one path, texts stay texts. A device unit is
// taken as one pixel of the surface. A QGuiApplication must exist before fonts are used.
//
// What the raster canvas does pixel by pixel is kept in shape here: 1-pixel pens with the
// raster dash patterns, flat ends and their centre on the pixel centres; wider pens solid
// whatever their style, with round ends and joins; texts placed by their cell box. Ends of
// lines are not shortened by a pixel: a vector line has no end pixel to leave out, but a line
// from a point to itself still draws nothing.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include <cstdint>

#include "graph/canvas.h"

class QPaintDevice;

namespace quarvel {

class PainterCanvas : public Canvas {
 public:
  // Paints on `device` (not owned; it must outlive the painting), a surface of width x height
  // pixels. twipsPerPixel: 1440 / the dots per inch the picture stands for (15 at 96).
  PainterCanvas(QPaintDevice& device, int32_t width, int32_t height,
                Colour background = 0xFFFFFF, double twipsPerPixel = 15.0);
  ~PainterCanvas() override;
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  // Ends the painting, which completes the device's document (an SVG generator writes its
  // file, a PDF writer its page); false when the device reports a failure. Nothing can be
  // drawn afterwards.
  bool Finish();

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  Colour BackgroundColour() const override { return background_; }
  double TwipsPerPixel() const override { return twips_; }
  void FillRect(const PixelRect& rect, Colour colour) override;
  void SelectPen(const Pen& pen) override;
  void RestorePen() override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  bool SelectFont(const LogicalFont& font) override;
  void RestoreFont() override;
  void SetTextAlign(TextAlign align) override { align_ = align; }
  void SetTextColour(Colour colour) override;
  void TextOut(int32_t x, int32_t y, std::string_view text) override;
  TextExtent MeasureText(std::string_view text) override;

 private:
  // Paints the polyline collected from consecutive LineTo calls.
  void FlushLines();

  QPaintDevice& device_;
  QPainter painter_;
  int32_t width_;
  int32_t height_;
  Colour background_;
  double twips_;
  QPen pen_;
  bool penDraws_ = true;  // style other than "none"
  QFont surfaceFont_;
  QFont font_;
  int32_t escapement_ = 0;
  TextAlign align_ = TextAlign::LeftTop;
  QColor textColour_ = Qt::black;
  QPointF current_;
  QPolygonF pending_;
};

}  // namespace quarvel
