#pragma once
// A canvas that draws nothing and keeps the list of calls, for tests and timing. Texts measure by
// a fixed rule (CharWidth pixels per byte, TextHeight pixels high) so layouts can be worked out
// by hand.

#include <optional>
#include <string>
#include <vector>

#include "graph/canvas.h"

namespace quarvel {

struct CanvasCall {
  enum class Kind {
    FillRect,
    SelectPen,
    RestorePen,
    MoveTo,
    LineTo,
    SelectFont,
    RestoreFont,
    SetTextAlign,
    SetTextColour,
    TextOut,
    Invalidate,
  };
  Kind kind = Kind::FillRect;
  int32_t x = 0;  // MoveTo, LineTo (end), TextOut
  int32_t y = 0;
  int32_t fromX = 0;  // LineTo: the current position it started from
  int32_t fromY = 0;
  PixelRect rect;      // FillRect, Invalidate
  Colour colour = 0;   // FillRect, SetTextColour; TextOut: the text colour then
  std::optional<Pen> pen;           // SelectPen; LineTo: the pen then (empty: the surface's own)
  std::optional<LogicalFont> font;  // SelectFont; TextOut: the font then (empty: the surface's own)
  TextAlign align = TextAlign::LeftTop;  // SetTextAlign; TextOut: the alignment then
  std::string text;                      // TextOut
};

class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas(int32_t width, int32_t height) : width_(width), height_(height) {}

  int32_t CharWidth = 7;
  int32_t TextHeight = 14;
  Colour Background = 0xFFFFFF;
  double Twips = 15.0;

  const std::vector<CanvasCall>& Calls() const { return calls_; }
  void Clear() { calls_.clear(); }
  // The lines that colour at least one pixel: LineTo calls of non-zero length with a pen of a
  // style other than "none".
  std::vector<CanvasCall> VisibleLines() const;
  std::vector<CanvasCall> Texts() const;

  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  Colour BackgroundColour() const override { return Background; }
  double TwipsPerPixel() const override { return Twips; }
  void FillRect(const PixelRect& rect, Colour colour) override;
  void SelectPen(const Pen& pen) override;
  void RestorePen() override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  bool SelectFont(const LogicalFont& font) override;
  void RestoreFont() override;
  void SetTextAlign(TextAlign align) override;
  void SetTextColour(Colour colour) override;
  void TextOut(int32_t x, int32_t y, std::string_view text) override;
  TextExtent MeasureText(std::string_view text) override;
  void Invalidate(const PixelRect& rect) override;

 private:
  CanvasCall& Add(CanvasCall::Kind kind);

  int32_t width_;
  int32_t height_;
  std::vector<CanvasCall> calls_;
  int32_t currentX_ = 0;
  int32_t currentY_ = 0;
  std::optional<Pen> pen_;
  std::optional<LogicalFont> font_;
  TextAlign align_ = TextAlign::LeftTop;
  Colour textColour_ = 0;
};

}  // namespace quarvel
