#pragma once
// What the QPainter canvases share: the text half of the Canvas, the dash patterns of thin
// pens, fonts made from logical fonts, texts placed by a reference point, and the clipping of
// far-away lines.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

#include "graph/canvas.h"

class QPainter;
class QPaintDevice;

namespace quarvel {

// 0x00BBGGRR to QColor.
QColor ToQColor(Colour colour);

// What the QPainter canvases share: filled rectangles, and texts (the selected font with its
// escapement, the alignment and the colour) measured on the canvas's device and drawn by its
// painter. The surface's own font is the application's default font.
class QtCanvas : public Canvas {
 public:
  void FillRect(const PixelRect& rect, Colour colour) override;
  bool SelectFont(const LogicalFont& font) override;
  void RestoreFont() override;
  void SetTextAlign(TextAlign align) override { align_ = align; }
  void SetTextColour(Colour colour) override { textColour_ = ToQColor(colour); }
  void TextOut(int32_t x, int32_t y, std::string_view text) override;
  TextExtent MeasureText(std::string_view text) override;

 protected:
  // hinted: false for fonts without hinting, whose advance grows in proportion to their size.
  explicit QtCanvas(bool hinted) : hinted_(hinted) {}

  // The device texts are measured on.
  virtual QPaintDevice& TextDevice() = 0;
  // The painter, once the lines waiting to be painted are; nullptr when nothing can be drawn
  // any more.
  virtual QPainter* FlushedPainter() = 0;

 private:
  bool hinted_;
  QFont surfaceFont_;
  QFont font_;
  int32_t escapement_ = 0;
  TextAlign align_ = TextAlign::LeftTop;
  QColor textColour_ = Qt::black;
};

}  // namespace quarvel

namespace quarvel::detail {

// Lines reaching further out than this are clipped before painting: the far parts are off the
// surface anyway, and painters and file formats work with bounded coordinates.
inline constexpr double kCoordinateLimit = 16384.0;

// Dash pattern of a 1-pixel pen in pixels (on, off, ...), as a classic raster device draws it:
// 18-6 (dash), 3-3 (dot), 9-6-3-6, 9-3-3-3-3-3; empty for solid.
std::vector<int> DashPattern(int32_t style);

QString ToQString(std::string_view text);

// The font of a logical font: its face, |Height| pixels (0: the surface font's size, else 12),
// weight, italic, underline, strikeout; no kerning and no ligatures, since texts are measured
// and placed character by character.
QFont ToQFont(const LogicalFont& font, const QFont& surfaceFont);

// True when the point lies beyond kCoordinateLimit on either axis.
bool IsFar(const QPointF& p);

// Cuts the segment a-b to the square |x|, |y| <= kCoordinateLimit; false when nothing is left.
bool ClipToLimit(QPointF& a, QPointF& b);

// Writes the text with its reference point at (x, y): the box given by the metrics' advance
// and height is placed by the alignment (top, or bottom below the descenders), and turned
// counter-clockwise by the escapement (tenths of a degree) around the reference point.
void DrawAlignedText(QPainter& painter, const QFont& font, const QFontMetrics& metrics, int x,
                     int y, TextAlign align, int32_t escapement, const QString& text,
                     const QColor& colour);

}  // namespace quarvel::detail
