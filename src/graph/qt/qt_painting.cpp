#include "graph/qt/qt_painting.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "graph/clip.h"

namespace quarvel {

QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void QtCanvas::FillRect(const PixelRect& rect, Colour colour) {
  if (QPainter* painter = FlushedPainter()) {
    painter->fillRect(QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top),
                      ToQColor(colour));
  }
}

bool QtCanvas::SelectFont(const LogicalFont& font) {
  font_ = detail::ToQFont(font, surfaceFont_);
  if (!hinted_) font_.setHintingPreference(QFont::PreferNoHinting);
  escapement_ = font.Escapement;
  return true;
}

void QtCanvas::RestoreFont() {
  font_ = surfaceFont_;
  escapement_ = 0;
}

TextExtent QtCanvas::MeasureText(std::string_view text) {
  const QFontMetrics metrics(font_, &TextDevice());
  return TextExtent{metrics.horizontalAdvance(detail::ToQString(text)), metrics.height()};
}

void QtCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  QPainter* painter = FlushedPainter();
  if (painter == nullptr) return;
  detail::DrawAlignedText(*painter, font_, QFontMetrics(font_, &TextDevice()), x, y, align_,
                          escapement_, detail::ToQString(text), textColour_);
}

}  // namespace quarvel

namespace quarvel::detail {

std::vector<int> DashPattern(int32_t style) {
  switch (style) {
    case kPenDash:
      return {18, 6};
    case kPenDot:
      return {3, 3};
    case kPenDashDot:
      return {9, 6, 3, 6};
    case kPenDashDotDot:
      return {9, 3, 3, 3, 3, 3};
    default:
      return {};
  }
}

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont ToQFont(const LogicalFont& font, const QFont& surfaceFont) {
  QFont qfont(ToQString(font.FaceName));
  int pixels = std::abs(font.Height);
  if (pixels == 0) pixels = surfaceFont.pixelSize() > 0 ? surfaceFont.pixelSize() : 12;
  qfont.setPixelSize(pixels);
  qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font.Weight, 100, 900)));
  qfont.setItalic(font.Italic);
  qfont.setUnderline(font.Underline);
  qfont.setStrikeOut(font.Strikeout);
  qfont.setKerning(false);
  // Nor ligatures: "fi" stays two letters, so that a PDF or SVG reader finds the words.
  qfont.setStyleStrategy(QFont::PreferNoShaping);
  return qfont;
}

bool IsFar(const QPointF& p) {
  return std::abs(p.x()) > kCoordinateLimit || std::abs(p.y()) > kCoordinateLimit;
}

bool ClipToLimit(QPointF& a, QPointF& b) {
  double ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
  const ClipRect limit{-kCoordinateLimit, -kCoordinateLimit, kCoordinateLimit, kCoordinateLimit};
  if (!ClipSegment(ax, ay, bx, by, limit)) return false;
  a = QPointF(ax, ay);
  b = QPointF(bx, by);
  return true;
}

void DrawAlignedText(QPainter& painter, const QFont& font, const QFontMetrics& metrics, int x,
                     int y, TextAlign align, int32_t escapement, const QString& text,
                     const QColor& colour) {
  const int width = metrics.horizontalAdvance(text);
  const int height = metrics.height();
  int left = 0;
  int top = 0;
  switch (align) {
    case TextAlign::LeftTop:
      break;
    case TextAlign::CentreTop:
      left = -(width / 2);
      break;
    case TextAlign::RightBottom:
      left = -width;
      top = -height;
      break;
    case TextAlign::CentreBottom:
      left = -(width / 2);
      top = -height;
      break;
  }
  painter.save();
  painter.translate(x, y);
  // Escapement counts tenths of a degree counter-clockwise; y grows downwards here.
  if (escapement != 0) painter.rotate(-escapement / 10.0);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(QPoint(left, top + metrics.ascent()), text);
  painter.restore();
}

}  // namespace quarvel::detail
