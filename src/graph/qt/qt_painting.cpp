#include "graph/qt/qt_painting.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quarvel {

QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
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
  // Liang-Barsky: the part of a + t (b - a), 0 <= t <= 1, inside the four edges.
  double t0 = 0.0;
  double t1 = 1.0;
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() + kCoordinateLimit, kCoordinateLimit - a.x(),
                       a.y() + kCoordinateLimit, kCoordinateLimit - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const QPointF start = a;
  a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
  b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
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
