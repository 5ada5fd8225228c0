#pragma once
// The graph's Canvas on a QImage, painted with QPainter (QtGui only, so PNGs can be drawn without
// a display). A QGuiApplication must exist before fonts are made or texts measured.
//
// Raster-device rules kept here: 1-pixel lines are set pixel by pixel (Bresenham) and leave out
// their end pixel, so a line from a point to itself draws nothing; their dash patterns are
// 18-6 (dash), 3-3 (dot), 9-6-3-6 and 9-3-3-3-3-3 pixels. Wider pens are painted by QPainter
// without antialiasing, solid whatever their style, with round ends and joins. Text is placed by
// its cell box (top, or bottom below the descenders); a font with escapement 900 reads upwards.

#include <QByteArray>
#include <QImage>
#include <QPen>
#include <QPolygon>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graph/canvas.h"
#include "graph/qt/qt_painting.h"
#include "io/file_result.h"

class QPainter;

namespace quarvel {

class QImageCanvas : public QtCanvas {
 public:
  // A width x height surface (at least 1 x 1) filled with the background colour.
  // twipsPerPixel: 1440 / the screen's vertical dots per inch (15 at 96 dpi).
  explicit QImageCanvas(int32_t width, int32_t height, Colour background = 0xFFFFFF,
                        double twipsPerPixel = 15.0);
  ~QImageCanvas() override;
  QImageCanvas(const QImageCanvas&) = delete;
  QImageCanvas& operator=(const QImageCanvas&) = delete;

  // A new surface of that size, filled with the background colour.
  void Resize(int32_t width, int32_t height);
  void SetTwipsPerPixel(double twips) { twips_ = twips; }

  // The picture so far (pending lines are drawn first).
  const QImage& Image();
  // Saves the picture as PNG.
  FileResult SavePng(const std::string& path);

  int32_t Width() const override;
  int32_t Height() const override;
  Colour BackgroundColour() const override { return background_; }
  double TwipsPerPixel() const override { return twips_; }
  void SelectPen(const Pen& pen) override;
  void RestorePen() override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;

 protected:
  QPaintDevice& TextDevice() override { return image_; }
  QPainter* FlushedPainter() override;

 private:
  QPainter& Painter();
  void EndPainting();
  void SetLinePen(const Pen& pen);
  bool DashOn(int64_t position) const;
  // A 1-pixel line without its end pixel, straight into the image.
  void DrawThinLine(QPoint from, QPoint to);
  // Paints the wide polyline collected from consecutive LineTo calls.
  void FlushLines();

  QImage image_;
  std::unique_ptr<QPainter> painter_;
  Colour background_;
  double twips_;
  QPen linePen_;          // wide pens
  bool penDraws_ = true;  // style other than "none"
  bool thin_ = true;      // 1 pixel wide
  QRgb lineRgb_ = 0;
  std::vector<int> dash_;  // on, off, ... pixels; empty: solid
  int dashPeriod_ = 0;
  int64_t dashPhase_ = 0;
  QPoint current_;
  QPolygon pending_;
};

// An image encoded in `format` (one of RasterFormats()) by Qt's image writer, JPEG at quality
// 95 so that thin lines and small text stay clean; empty when it cannot be encoded.
std::optional<QByteArray> EncodeImage(const QImage& image, const std::string& format);

// Saves an image as PNG: done, or the file with the system's reason (no such folder, not a
// directory, disk full...).
FileResult SaveImagePng(const QImage& image, const std::string& path);

// The picture formats Qt's image writer supports here, lower case and sorted ("bmp", "jpeg",
// "jpg", "png", ...). Needs a QGuiApplication.
std::vector<std::string> RasterFormats();

// Makes the Tahoma-compatible face of the fonts-wine package (/usr/share/wine/fonts/tahoma.ttf)
// available as "Tahoma" when that file exists, so that the graph's "TAHOMA" texts use it rather
// than a substitute. Needs a QGuiApplication; true when the face is available. Calling it again
// does nothing more.
bool RegisterTahomaFont();

}  // namespace quarvel
