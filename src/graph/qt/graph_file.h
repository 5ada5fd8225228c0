#pragma once
// A figure for a report (graph/figure.h) drawn into a picture file whose format follows the file
// name: SVG and PDF as vector pictures, every format of Qt's image writer (PNG, JPEG, ...) as
// antialiased pixels. Needs a QGuiApplication (fonts, text measurement); no display.

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graph/curve_plot.h"
#include "io/file_result.h"

namespace quarvel {

// The picture formats written, as lower-case file extensions, sorted: "pdf", "svg" and those
// of Qt's image writer here ("bmp", "jpeg", "jpg", "png", "ppm", ...).
std::vector<std::string> PictureFormats();

// The extension of a file name, lower-cased, without the dot; empty when there is none.
std::string FileExtension(const std::string& path);

// The format FileExtension(path) names, or empty when it names none of PictureFormats().
std::string PictureFormatOfPath(const std::string& path);

// The pixels per inch of a raster picture unless asked otherwise.
inline constexpr int32_t kDefaultPictureDpi = 100;

// A picture's size: width x height pixels at 100 per inch, which a raster picture of `dpi`
// pixels per inch multiplies by dpi / 100 (the same figure in finer pixels). Vector pictures
// are width x height pixels at 96 per inch whatever the dpi.
struct PictureSize {
  int32_t width = 800;
  int32_t height = 600;
  int32_t dpi = kDefaultPictureDpi;
};

// The pixels of a raster picture of that size (at least 1 each).
int32_t RasterPixels(int32_t side, int32_t dpi);

// The plot drawn by RenderFigure and encoded in `format` (one of PictureFormats()): svg with a
// width and height of the size (its view box in the finer units the figure is laid out in),
// pdf as one page of width x height pixels at 96 per inch (0.75 pt a pixel), the others as
// pixels at the size's dpi, which a PNG records. Empty when there is nothing to draw (no finite
// point) or the format cannot be encoded.
std::optional<QByteArray> DrawFigurePicture(const CurvePlot& plot, const PictureSize& size,
                                            const std::string& format);

// DrawFigurePicture written to `path`: done, or the file with the reason (an empty `format`:
// the extension names no picture format; nothing to draw; or the system's reason it could not
// be written).
FileResult SaveFigurePicture(const CurvePlot& plot, const PictureSize& size,
                             const std::string& path, const std::string& format);

}  // namespace quarvel
