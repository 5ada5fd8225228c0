#include "graph/qt/qimage_canvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QImageWriter>
#include <QLine>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string_view>
#include <vector>

#include "graph/qt/qt_painting.h"
#include "io/file_writer.h"

namespace quarvel {

using detail::ClipToLimit;
using detail::IsFar;

QImageCanvas::QImageCanvas(int32_t width, int32_t height, Colour background, double twipsPerPixel)
    : QtCanvas(true), background_(background), twips_(twipsPerPixel) {
  RestorePen();
  Resize(width, height);
}

QImageCanvas::~QImageCanvas() {
  FlushLines();
  EndPainting();
}

void QImageCanvas::Resize(int32_t width, int32_t height) {
  FlushLines();
  EndPainting();
  image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image_.fill(ToQColor(background_));
}

int32_t QImageCanvas::Width() const { return image_.width(); }
int32_t QImageCanvas::Height() const { return image_.height(); }

QPainter& QImageCanvas::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
  }
  return *painter_;
}

void QImageCanvas::EndPainting() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

const QImage& QImageCanvas::Image() {
  FlushLines();
  EndPainting();
  return image_;
}

FileResult QImageCanvas::SavePng(const std::string& path) { return SaveImagePng(Image(), path); }

void QImageCanvas::SetLinePen(const Pen& pen) {
  FlushLines();
  penDraws_ = pen.Style != kPenNone;
  thin_ = pen.Width <= 1;
  dashPhase_ = 0;
  lineRgb_ = ToQColor(pen.Colour).rgb();
  if (thin_) {
    dash_ = detail::DashPattern(pen.Style);
    dashPeriod_ = std::accumulate(dash_.begin(), dash_.end(), 0);
    return;
  }
  // Wide pens are solid whatever their style, with round ends and joins.
  QPen qpen(ToQColor(pen.Colour));
  qpen.setWidth(pen.Width);
  qpen.setStyle(Qt::SolidLine);
  qpen.setCapStyle(Qt::RoundCap);
  qpen.setJoinStyle(Qt::RoundJoin);
  linePen_ = qpen;
}

bool QImageCanvas::DashOn(int64_t position) const {
  if (dashPeriod_ <= 0) return true;
  int64_t k = position % dashPeriod_;
  for (size_t i = 0; i < dash_.size(); ++i) {
    if (k < dash_[i]) return i % 2 == 0;
    k -= dash_[i];
  }
  return true;
}

void QImageCanvas::DrawThinLine(QPoint from, QPoint to) {
  // Bresenham's pixels from `from` up to, not including, `to`: step i along the major axis puts
  // the minor coordinate at the rounded i * minor / major. Only the steps that land on the image
  // are visited; the dash pattern runs on from the previous joined line.
  const int64_t dx = static_cast<int64_t>(to.x()) - from.x();
  const int64_t dy = static_cast<int64_t>(to.y()) - from.y();
  const int64_t adx = dx < 0 ? -dx : dx;
  const int64_t ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const int64_t major = xMajor ? adx : ady;
  const int64_t minor = xMajor ? ady : adx;
  if (major == 0) return;
  const int64_t majorStart = xMajor ? from.x() : from.y();
  const int64_t minorStart = xMajor ? from.y() : from.x();
  const int64_t majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t majorLimit = xMajor ? image_.width() : image_.height();
  const int64_t minorLimit = xMajor ? image_.height() : image_.width();

  int64_t first = 0;
  int64_t last = major - 1;
  if (majorSign > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorLimit - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - (majorLimit - 1));
    last = std::min(last, majorStart);
  }
  uchar* bits = image_.bits();
  const qsizetype bytesPerLine = image_.bytesPerLine();
  for (int64_t i = first; i <= last; ++i) {
    const int64_t m = majorStart + majorSign * i;
    const int64_t n = minorStart + minorSign * ((2 * i * minor + major) / (2 * major));
    if (n < 0 || n >= minorLimit || !DashOn(dashPhase_ + i)) continue;
    const int64_t x = xMajor ? m : n;
    const int64_t y = xMajor ? n : m;
    reinterpret_cast<QRgb*>(bits + y * bytesPerLine)[x] = lineRgb_;
  }
  dashPhase_ += major;
}

void QImageCanvas::SelectPen(const Pen& pen) { SetLinePen(pen); }

void QImageCanvas::RestorePen() { SetLinePen(Pen{kPenSolid, 1, 0}); }

void QImageCanvas::MoveTo(int32_t x, int32_t y) {
  FlushLines();
  current_ = QPoint(x, y);
  dashPhase_ = 0;
}

void QImageCanvas::LineTo(int32_t x, int32_t y) {
  const QPoint target(x, y);
  if (target == current_) return;  // a line from a point to itself draws nothing
  if (!penDraws_) {
    current_ = target;
    return;
  }
  if (IsFar(current_) || IsFar(target)) {
    // Only the part near the surface can show; the rest is cut off first.
    FlushLines();
    QPointF a(current_);
    QPointF b(target);
    if (ClipToLimit(a, b)) {
      if (thin_) {
        DrawThinLine(a.toPoint(), b.toPoint());
      } else {
        Painter().setPen(linePen_);
        Painter().drawLine(a.toPoint(), b.toPoint());
      }
    }
    current_ = target;
    return;
  }
  if (thin_) {
    DrawThinLine(current_, target);
  } else {
    if (pending_.isEmpty()) pending_ << current_;
    pending_ << target;
  }
  current_ = target;
}

void QImageCanvas::FlushLines() {
  if (pending_.size() >= 2) {
    QPainter& painter = Painter();
    painter.setPen(linePen_);
    painter.drawPolyline(pending_);
  }
  pending_.clear();
}

QPainter* QImageCanvas::FlushedPainter() {
  FlushLines();
  return &Painter();
}

std::optional<QByteArray> EncodeImage(const QImage& image, const std::string& format) {
  constexpr int kJpegQuality = 95;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, QByteArray::fromStdString(format));
  if (format == "jpg" || format == "jpeg") writer.setQuality(kJpegQuality);
  if (!writer.write(image)) return std::nullopt;
  return bytes;
}

FileResult SaveImagePng(const QImage& image, const std::string& path) {
  // Encoded in memory first, so that the file is written by the writer that reports errno.
  const std::optional<QByteArray> png = EncodeImage(image, "png");
  if (!png) return FileResult::Failure(path, "the picture could not be encoded as png");
  return WriteFileBytes(path,
                        std::string_view(png->constData(), static_cast<size_t>(png->size())));
}

std::vector<std::string> RasterFormats() {
  std::vector<std::string> formats;
  for (const QByteArray& format : QImageWriter::supportedImageFormats()) {
    formats.push_back(format.toLower().toStdString());
  }
  std::sort(formats.begin(), formats.end());
  formats.erase(std::unique(formats.begin(), formats.end()), formats.end());
  return formats;
}

bool RegisterTahomaFont() {
  static const bool available = [] {
    const QString path = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) {
      return true;
    }
    if (!QFile::exists(path)) return false;
    return QFontDatabase::addApplicationFont(path) >= 0;
  }();
  return available;
}

}  // namespace quarvel
