#include "graph/recording_canvas.h"

namespace quarvel {

CanvasCall& RecordingCanvas::Add(CanvasCall::Kind kind) {
  CanvasCall& call = calls_.emplace_back();
  call.kind = kind;
  return call;
}

std::vector<CanvasCall> RecordingCanvas::VisibleLines() const {
  std::vector<CanvasCall> lines;
  for (const CanvasCall& call : calls_) {
    if (call.kind != CanvasCall::Kind::LineTo) continue;
    if (call.x == call.fromX && call.y == call.fromY) continue;
    if (call.pen && call.pen->Style == kPenNone) continue;
    lines.push_back(call);
  }
  return lines;
}

std::vector<CanvasCall> RecordingCanvas::Texts() const {
  std::vector<CanvasCall> texts;
  for (const CanvasCall& call : calls_) {
    if (call.kind == CanvasCall::Kind::TextOut) texts.push_back(call);
  }
  return texts;
}

void RecordingCanvas::FillRect(const PixelRect& rect, Colour colour) {
  CanvasCall& call = Add(CanvasCall::Kind::FillRect);
  call.rect = rect;
  call.colour = colour;
}

void RecordingCanvas::SelectPen(const Pen& pen) {
  pen_ = pen;
  Add(CanvasCall::Kind::SelectPen).pen = pen;
}

void RecordingCanvas::RestorePen() {
  pen_.reset();
  Add(CanvasCall::Kind::RestorePen);
}

void RecordingCanvas::MoveTo(int32_t x, int32_t y) {
  currentX_ = x;
  currentY_ = y;
  CanvasCall& call = Add(CanvasCall::Kind::MoveTo);
  call.x = x;
  call.y = y;
}

void RecordingCanvas::LineTo(int32_t x, int32_t y) {
  CanvasCall& call = Add(CanvasCall::Kind::LineTo);
  call.fromX = currentX_;
  call.fromY = currentY_;
  call.x = x;
  call.y = y;
  call.pen = pen_;
  currentX_ = x;
  currentY_ = y;
}

bool RecordingCanvas::SelectFont(const LogicalFont& font) {
  font_ = font;
  Add(CanvasCall::Kind::SelectFont).font = font;
  return true;
}

void RecordingCanvas::RestoreFont() {
  font_.reset();
  Add(CanvasCall::Kind::RestoreFont);
}

void RecordingCanvas::SetTextAlign(TextAlign align) {
  align_ = align;
  Add(CanvasCall::Kind::SetTextAlign).align = align;
}

void RecordingCanvas::SetTextColour(Colour colour) {
  textColour_ = colour;
  Add(CanvasCall::Kind::SetTextColour).colour = colour;
}

void RecordingCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  CanvasCall& call = Add(CanvasCall::Kind::TextOut);
  call.x = x;
  call.y = y;
  call.text = std::string(text);
  call.font = font_;
  call.align = align_;
  call.colour = textColour_;
}

TextExtent RecordingCanvas::MeasureText(std::string_view text) {
  return TextExtent{CharWidth * static_cast<int32_t>(text.size()), TextHeight};
}

void RecordingCanvas::Invalidate(const PixelRect& rect) {
  Add(CanvasCall::Kind::Invalidate).rect = rect;
}

}  // namespace quarvel
