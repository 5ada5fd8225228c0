#pragma once
// The drawing surface the graph paints on: a few pen, line, font and text operations with the
// rules of a classic raster device (end pixel of a line not drawn, text placed by a reference
// point and an alignment). Implemented on QImage (graph/qt) and by a recording canvas for tests.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "graph/graph_model.h"

namespace quarvel {

// A rectangle in surface pixels; right and bottom are one past the last column and row.
struct PixelRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Width and height of a text in pixels (height: the font's cell height).
struct TextExtent {
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const TextExtent&, const TextExtent&) = default;
};

// Where the reference point of a text lies on its box. The values are the classic alignment
// flag words; "bottom" is the bottom of the cell, below the descenders.
enum class TextAlign : int32_t {
  LeftTop = 0,
  CentreTop = 6,
  RightBottom = 10,
  CentreBottom = 14,
};

// A pen: style 0..5 as PenStyle, width in pixels (below 1 draws 1 pixel wide), colour 0x00BBGGRR.
struct Pen {
  int32_t Style = kPenSolid;
  int32_t Width = 1;
  ::quarvel::Colour Colour = 0;
  friend bool operator==(const Pen&, const Pen&) = default;
};

// A font as asked for: Height < 0 is the character height in pixels without internal leading
// (the usual point-size meaning), 0 the device's default height; Escapement in tenths of a
// degree counter-clockwise (900: the text reads upwards).
struct LogicalFont {
  int32_t Height = 0;
  int32_t Escapement = 0;
  int32_t Weight = 400;
  bool Italic = false;
  bool Underline = false;
  bool Strikeout = false;
  int32_t CharSet = 0;
  std::string FaceName;
  friend bool operator==(const LogicalFont&, const LogicalFont&) = default;
};

// The logical font for a text style: Height = -round(Size * 20 / twipsPerPixel) (9 pt is -12 at
// 15 twips per pixel), weight 700 when Bold. Empty when the face name has more than 32
// characters or twipsPerPixel is not positive: the text is then drawn in the surface's own font.
std::optional<LogicalFont> MakeFont(const TextStyle& style, int32_t escapement,
                                    double twipsPerPixel);

// The drawing surface. Coordinates are pixels with (0, 0) at the top left corner.
// Each element of the graph selects its pen or font, draws, and restores the surface's own.
class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual Colour BackgroundColour() const = 0;
  // 1440 divided by the vertical dots per inch (15 at 96 dpi).
  virtual double TwipsPerPixel() const = 0;

  // Fills the rectangle with a solid colour.
  virtual void FillRect(const PixelRect& rect, Colour colour) = 0;

  // Lines are drawn with the selected pen; style 5 draws nothing.
  virtual void SelectPen(const Pen& pen) = 0;
  virtual void RestorePen() = 0;
  // Sets the current position.
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  // Draws from the current position to (x, y) without the end pixel, so a line from a point to
  // itself draws nothing, then makes (x, y) the current position.
  virtual void LineTo(int32_t x, int32_t y) = 0;

  // Makes the font current; false when it cannot be made (the current font stays).
  virtual bool SelectFont(const LogicalFont& font) = 0;
  // Back to the surface's own font.
  virtual void RestoreFont() = 0;
  virtual void SetTextAlign(TextAlign align) = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // Writes the text with its reference point at (x, y), along the current font's escapement.
  virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;
  // Width along the text and height across it, in the current font.
  virtual TextExtent MeasureText(std::string_view text) = 0;

  // Tells the owner that the rectangle was repainted.
  virtual void Invalidate(const PixelRect& /*rect*/) {}
};

}  // namespace quarvel
