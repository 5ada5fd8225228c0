#include "graph/qt/graph_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "graph/figure.h"
#include "graph/qt/painter_canvas.h"
#include "graph/qt/qimage_canvas.h"
#include "graph/qt/qt_painting.h"
#include "io/file_writer.h"

namespace quarvel {
namespace {

// The dots per inch a pixel of the vector pictures stands for, and points per inch.
constexpr int kVectorDpi = 96;
constexpr double kPointsPerInch = 72.0;
// A figure is laid out in units this much finer than its pixels, so that its curves, rounded to
// whole units, show no steps in a vector picture or in the pixels of a high dpi.
constexpr int32_t kUnitsPerPixel = 4;

// The figure on a surface of the size in layout units drawn on `device`, `scale` device units a
// layout unit; false when there was nothing to draw or the device failed.
bool DrawOn(const CurvePlot& plot, const PictureSize& size, QPaintDevice& device, double scale) {
  PainterCanvas canvas(device, size.width * kUnitsPerPixel, size.height * kUnitsPerPixel, scale);
  const bool drawn = RenderFigure(plot, canvas).has_value();
  return canvas.Finish() && drawn;
}

std::optional<QByteArray> DrawRaster(const CurvePlot& plot, const PictureSize& size,
                                     const std::string& format) {
  QImage image(RasterPixels(size.width, size.dpi), RasterPixels(size.height, size.dpi),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  constexpr double kInchesPerMetre = 1.0 / 0.0254;
  image.setDotsPerMeterX(static_cast<int>(std::lround(size.dpi * kInchesPerMetre)));
  image.setDotsPerMeterY(image.dotsPerMeterX());
  const double scale = size.dpi / static_cast<double>(kDefaultPictureDpi) / kUnitsPerPixel;
  if (!DrawOn(plot, size, image, scale)) return std::nullopt;
  return EncodeImage(image, format);
}

std::optional<QByteArray> DrawSvg(const CurvePlot& plot, const PictureSize& size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(size.width, size.height));
  generator.setViewBox(QRect(0, 0, size.width * kUnitsPerPixel, size.height * kUnitsPerPixel));
  generator.setResolution(kVectorDpi);
  generator.setTitle(detail::ToQString(plot.title));
  if (!DrawOn(plot, size, generator, 1.0)) return std::nullopt;
  return bytes;
}

std::optional<QByteArray> DrawPdf(const CurvePlot& plot, const PictureSize& size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(detail::ToQString(plot.title));
  writer.setCreator(QStringLiteral("Quarvel"));
  writer.setResolution(kVectorDpi * kUnitsPerPixel);
  const double pointsPerPixel = kPointsPerInch / kVectorDpi;
  writer.setPageLayout(
      QPageLayout(QPageSize(QSizeF(size.width * pointsPerPixel, size.height * pointsPerPixel),
                            QPageSize::Point, QString(), QPageSize::ExactMatch),
                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  if (!DrawOn(plot, size, writer, 1.0)) return std::nullopt;
  return bytes;
}

}  // namespace

std::vector<std::string> PictureFormats() {
  std::vector<std::string> formats = RasterFormats();
  formats.insert(formats.end(), {"pdf", "svg"});
  std::sort(formats.begin(), formats.end());
  formats.erase(std::unique(formats.begin(), formats.end()), formats.end());
  return formats;
}

std::string FileExtension(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

std::string PictureFormatOfPath(const std::string& path) {
  const std::string extension = FileExtension(path);
  if (extension.empty()) return {};
  const std::vector<std::string> formats = PictureFormats();
  return std::find(formats.begin(), formats.end(), extension) != formats.end() ? extension
                                                                               : std::string();
}

int32_t RasterPixels(int32_t side, int32_t dpi) {
  return std::max<int32_t>(
      1, static_cast<int32_t>(std::lround(static_cast<double>(side) * dpi / kDefaultPictureDpi)));
}

std::optional<QByteArray> DrawFigurePicture(const CurvePlot& plot, const PictureSize& size,
                                            const std::string& format) {
  if (format == "svg") return DrawSvg(plot, size);
  if (format == "pdf") return DrawPdf(plot, size);
  return DrawRaster(plot, size, format);
}

FileResult SaveFigurePicture(const CurvePlot& plot, const PictureSize& size,
                             const std::string& path, const std::string& format) {
  if (format.empty()) {
    return FileResult::Failure(path, "the extension names no picture format: use .png, .jpg, "
                                     ".svg or .pdf");
  }
  const std::optional<QByteArray> bytes = DrawFigurePicture(plot, size, format);
  if (!bytes) return FileResult::Failure(path, "the figure could not be drawn as " + format);
  return WriteFileBytes(
      path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
}

}  // namespace quarvel
