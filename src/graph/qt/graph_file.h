#pragma once
// A graph drawn into a picture file whose format follows the file name: SVG and PDF as vector
// pictures, every format of Qt's image writer (PNG, JPEG, ...) as pixels. Needs a
// QGuiApplication (fonts, text measurement); no display.

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "io/file_result.h"

namespace quarvel {

// The picture formats written, as lower-case file extensions, sorted: "pdf", "svg" and those
// of Qt's image writer here ("bmp", "jpeg", "jpg", "png", "ppm", ...).
std::vector<std::string> PictureFormats();

// The extension of a file name, lower-cased, without the dot; empty when there is none.
std::string FileExtension(const std::string& path);

// The format FileExtension(path) names, or empty when it names none of PictureFormats().
std::string PictureFormatOfPath(const std::string& path);

// The graph as it stands (series, settings, axes) drawn on a width x height surface and
// encoded in `format` (one of PictureFormats()): svg with a view box of width x height, pdf as
// one page of width x height pixels at 96 per inch (0.75 pt a pixel), the others as pixels.
// Empty when there is nothing to draw (no series, no positive axis steps) or the format cannot
// be encoded. The graph's surface is left as it was.
std::optional<QByteArray> DrawGraphPicture(Graph& graph, int32_t width, int32_t height,
                                           const std::string& format);

// DrawGraphPicture written to `path`: done, or the file with the reason (nothing to draw, or
// the system's reason it could not be written).
FileResult SaveGraphPicture(Graph& graph, int32_t width, int32_t height, const std::string& path,
                            const std::string& format);

}  // namespace quarvel
