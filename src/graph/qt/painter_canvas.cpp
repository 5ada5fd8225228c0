#include "graph/qt/painter_canvas.h"

#include <QPaintDevice>
#include <QVector>

#include <algorithm>

#include "graph/qt/qt_painting.h"

namespace quarvel {
namespace {

// Dashes and gaps in multiples of the pen's width, as figure tools draw them; empty for solid.
QVector<qreal> DashOf(int32_t style) {
  switch (style) {
    case kPenDash:
      return {3.7, 1.6};
    case kPenDot:
      return {1.0, 1.65};
    case kPenDashDot:
      return {6.4, 1.6, 1.0, 1.6};
    case kPenDashDotDot:
      return {6.4, 1.6, 1.0, 1.6, 1.0, 1.6};
    default:
      return {};
  }
}

QPen MakePen(const Pen& pen) {
  QPen qpen(ToQColor(pen.Colour));
  qpen.setWidth(std::max(pen.Width, 1));
  qpen.setJoinStyle(Qt::RoundJoin);
  const QVector<qreal> dash = DashOf(pen.Style);
  qpen.setCapStyle(dash.isEmpty() ? Qt::RoundCap : Qt::FlatCap);
  if (!dash.isEmpty()) qpen.setDashPattern(dash);
  return qpen;
}

}  // namespace

PainterCanvas::PainterCanvas(QPaintDevice& device, int32_t width, int32_t height, double scale)
    : QtCanvas(false),
      device_(device),
      width_(std::max(width, 1)),
      height_(std::max(height, 1)) {
  painter_.begin(&device_);
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.scale(scale, scale);
  RestorePen();
}

PainterCanvas::~PainterCanvas() { Finish(); }

bool PainterCanvas::Finish() {
  if (!painter_.isActive()) return true;
  FlushLines();
  return painter_.end();
}

void PainterCanvas::SelectPen(const Pen& pen) {
  FlushLines();
  penDraws_ = pen.Style != kPenNone;
  pen_ = MakePen(pen);
}

void PainterCanvas::RestorePen() { SelectPen(Pen{kPenSolid, 1, 0}); }

void PainterCanvas::MoveTo(int32_t x, int32_t y) {
  FlushLines();
  current_ = QPointF(x, y);
}

void PainterCanvas::LineTo(int32_t x, int32_t y) {
  const QPointF target(x, y);
  if (target == current_) return;  // a line from a point to itself draws nothing
  if (penDraws_ && (detail::IsFar(current_) || detail::IsFar(target))) {
    // Only the part near the surface can show; the rest is cut off first.
    FlushLines();
    QPointF a = current_;
    QPointF b = target;
    if (detail::ClipToLimit(a, b)) {
      painter_.setPen(pen_);
      painter_.drawLine(a, b);
    }
  } else if (penDraws_) {
    if (pending_.isEmpty()) pending_ << current_;
    pending_ << target;
  }
  current_ = target;
}

void PainterCanvas::FlushLines() {
  if (pending_.size() >= 2 && painter_.isActive()) {
    painter_.setPen(pen_);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolyline(pending_);
  }
  pending_.clear();
}

QPainter* PainterCanvas::FlushedPainter() {
  FlushLines();
  return painter_.isActive() ? &painter_ : nullptr;
}

}  // namespace quarvel
