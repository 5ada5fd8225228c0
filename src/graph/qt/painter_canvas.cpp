#include "graph/qt/painter_canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QVector>

#include <algorithm>

#include "graph/qt/qt_painting.h"

namespace quarvel {
namespace {

// Lines are painted through the pixel centres, where a raster device sets its pixels.
constexpr double kPixelCentre = 0.5;

QPointF PixelCentre(int32_t x, int32_t y) { return QPointF(x + kPixelCentre, y + kPixelCentre); }

QPen MakePen(const Pen& pen) {
  QPen qpen(ToQColor(pen.Colour));
  if (pen.Width <= 1) {
    qpen.setWidth(1);
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    const std::vector<int> dash = detail::DashPattern(pen.Style);
    if (!dash.empty()) qpen.setDashPattern(QVector<qreal>(dash.begin(), dash.end()));
    return qpen;
  }
  // Wide pens are solid whatever their style, with round ends and joins.
  qpen.setWidth(pen.Width);
  qpen.setStyle(Qt::SolidLine);
  qpen.setCapStyle(Qt::RoundCap);
  qpen.setJoinStyle(Qt::RoundJoin);
  return qpen;
}

}  // namespace

PainterCanvas::PainterCanvas(QPaintDevice& device, int32_t width, int32_t height,
                             Colour background, double twipsPerPixel)
    : device_(device),
      width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      background_(background),
      twips_(twipsPerPixel) {
  painter_.begin(&device_);
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  RestorePen();
  RestoreFont();
}

PainterCanvas::~PainterCanvas() { Finish(); }

bool PainterCanvas::Finish() {
  if (!painter_.isActive()) return true;
  FlushLines();
  return painter_.end();
}

void PainterCanvas::FillRect(const PixelRect& rect, Colour colour) {
  FlushLines();
  painter_.fillRect(QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top),
                    ToQColor(colour));
}

void PainterCanvas::SelectPen(const Pen& pen) {
  FlushLines();
  penDraws_ = pen.Style != kPenNone;
  pen_ = MakePen(pen);
}

void PainterCanvas::RestorePen() { SelectPen(Pen{kPenSolid, 1, 0}); }

void PainterCanvas::MoveTo(int32_t x, int32_t y) {
  FlushLines();
  current_ = PixelCentre(x, y);
}

void PainterCanvas::LineTo(int32_t x, int32_t y) {
  const QPointF target = PixelCentre(x, y);
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

bool PainterCanvas::SelectFont(const LogicalFont& font) {
  font_ = detail::ToQFont(font, surfaceFont_);
  escapement_ = font.Escapement;
  return true;
}

void PainterCanvas::RestoreFont() {
  font_ = surfaceFont_;
  escapement_ = 0;
}

void PainterCanvas::SetTextColour(Colour colour) { textColour_ = ToQColor(colour); }

TextExtent PainterCanvas::MeasureText(std::string_view text) {
  const QFontMetrics metrics(font_, &device_);
  return TextExtent{metrics.horizontalAdvance(detail::ToQString(text)), metrics.height()};
}

void PainterCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  FlushLines();
  if (!painter_.isActive()) return;
  detail::DrawAlignedText(painter_, font_, QFontMetrics(font_, &device_), x, y, align_,
                          escapement_, detail::ToQString(text), textColour_);
}

}  // namespace quarvel
