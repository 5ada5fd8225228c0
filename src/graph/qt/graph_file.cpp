#include "graph/qt/graph_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <string_view>

#include "graph/qt/painter_canvas.h"
#include "graph/qt/qimage_canvas.h"
#include "graph/qt/qt_painting.h"
#include "io/file_writer.h"

namespace quarvel {
namespace {

// The dots per inch a pixel of the vector pictures stands for, and points per inch.
constexpr int kPictureDpi = 96;
constexpr double kPointsPerInch = 72.0;

// Draws the graph on `canvas` and puts the graph's own surface back.
bool DrawOn(Graph& graph, Canvas& canvas) {
  Canvas* const previous = graph.Surface();
  graph.SetSurface(&canvas);
  const bool drawn = graph.DrawGraph().has_value();
  graph.SetSurface(previous);
  return drawn;
}

std::optional<QByteArray> DrawRaster(Graph& graph, int32_t width, int32_t height,
                                     const std::string& format) {
  QImageCanvas canvas(width, height);
  if (!DrawOn(graph, canvas)) return std::nullopt;
  return EncodeImage(canvas.Image(), format);
}

std::optional<QByteArray> DrawSvg(Graph& graph, int32_t width, int32_t height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(width, height));
  generator.setViewBox(QRect(0, 0, width, height));
  generator.setResolution(kPictureDpi);
  generator.setTitle(detail::ToQString(graph.Settings().Title));
  PainterCanvas canvas(generator, width, height);
  const bool drawn = DrawOn(graph, canvas);
  if (!canvas.Finish() || !drawn) return std::nullopt;
  return bytes;
}

std::optional<QByteArray> DrawPdf(Graph& graph, int32_t width, int32_t height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(detail::ToQString(graph.Settings().Title));
  writer.setCreator(QStringLiteral("Quarvel"));
  writer.setResolution(kPictureDpi);
  const double pointsPerPixel = kPointsPerInch / kPictureDpi;
  writer.setPageLayout(QPageLayout(
      QPageSize(QSizeF(width * pointsPerPixel, height * pointsPerPixel), QPageSize::Point,
                QString(), QPageSize::ExactMatch),
      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  PainterCanvas canvas(writer, width, height);
  const bool drawn = DrawOn(graph, canvas);
  if (!canvas.Finish() || !drawn) return std::nullopt;
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

std::optional<QByteArray> DrawGraphPicture(Graph& graph, int32_t width, int32_t height,
                                           const std::string& format) {
  if (format == "svg") return DrawSvg(graph, width, height);
  if (format == "pdf") return DrawPdf(graph, width, height);
  return DrawRaster(graph, width, height, format);
}

FileResult SaveGraphPicture(Graph& graph, int32_t width, int32_t height, const std::string& path,
                            const std::string& format) {
  const std::optional<QByteArray> bytes = DrawGraphPicture(graph, width, height, format);
  if (!bytes) return FileResult::Failure(path, "the graph could not be drawn as " + format);
  return WriteFileBytes(path, std::string_view(bytes->constData(),
                                               static_cast<std::size_t>(bytes->size())));
}

}  // namespace quarvel
