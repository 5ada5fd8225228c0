// Graph pictures in files, each format opened by a real reader: Qt's image reader for pixels,
// Qt's SVG renderer for SVG, poppler's pdfinfo for PDF.

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QSvgRenderer>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "graph/curve_plot.h"
#include "graph/qt/graph_file.h"
#include "graph/qt/qimage_canvas.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;


// Two loops (red and blue) with a legend and titles with units.
Graph LoopGraph() {
  CurvePlot plot;
  plot.title = "Force - Displacement graph for T=1, Amp=5";
  plot.xTitle = "Displacement (m)";
  plot.yTitle = "Force (N)";
  plot.curves = {{"Original Model", {-0.04, 0.04, 0.02, -0.04}, {-900, 900, -300, -900}, 0x0000FF, 3},
                 {"Modified Model", {-0.04, 0.04, 0.01, -0.04}, {-850, 850, -400, -850}, 0xFF0000, 2}};
  Graph graph;
  EXPECT_TRUE(SetCurvePlot(graph, plot));
  return graph;
}

// Pixels: the reader's format and size; a PNG holds exactly what the canvas draws (a JPEG is
// written from the same picture: only its format is Qt's).
void CheckRaster(const std::string& path, const char* readerFormat) {
  QImageReader reader(QString::fromStdString(path));
  EXPECT_EQ(reader.format(), QByteArray(readerFormat));
  const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.size(), QSize(800, 600)) << reader.errorString().toStdString();
  if (std::string(readerFormat) == "jpeg") return;
  Graph graph = LoopGraph();
  QImageCanvas canvas(800, 600);
  graph.SetSurface(&canvas);
  const PixelRect plot = graph.DrawGraph().value().PlotRect;
  const QImage drawn = canvas.Image().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(image, drawn);
  // Axes 3 wide on the plot's bottom and left edges, and no text running off the picture's left
  // or right edge.
  const int midX = (plot.Left + plot.Right) / 2 + 7, midY = (plot.Top + plot.Bottom) / 2 + 5;
  for (const int d : {-1, 0, 1}) {
    EXPECT_EQ(image.pixel(midX, plot.Bottom + d) | image.pixel(plot.Left + d, midY), qRgb(0, 0, 0)) << d;
  }
  for (int y = 0; y < image.height(); ++y) {
    ASSERT_EQ(image.pixel(0, y) & image.pixel(799, y), qRgb(255, 255, 255)) << y;
  }
}

// SVG: a document Qt's renderer reads, of the right view box. PDF: one page of 800 x 600 pixels
// at 96 per inch (600 x 450 pt). (What both hold, as a reader finds it: the command-line plot
// test; the same painting on pixels: the PNG.)
void CheckSvg(const std::string& path) {
  QSvgRenderer renderer(QString::fromStdString(path));
  EXPECT_TRUE(renderer.isValid() && renderer.viewBox() == QRect(0, 0, 800, 600));
}

void CheckPdf(const std::string& path) {
  std::string info;
  if (FILE* pipe = popen(("pdfinfo '" + path + "' 2>&1").c_str(), "r")) {
    for (int c; (c = fgetc(pipe)) != EOF;) info += static_cast<char>(c);
    pclose(pipe);
  }
  info.erase(std::unique(info.begin(), info.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
             info.end());
  ASSERT_NE(info.find("Pages:"), std::string::npos)
      << "pdfinfo (Debian poppler-utils, see scripts/setup) did not read the file: " << info;
  for (const char* line : {"Pages: 1\n", "Page size: 600 x 450 pts\n", "Creator: Quarvel\n"}) {
    EXPECT_NE(info.find(line), std::string::npos) << info;
  }
}

TEST(GraphFile, EachFormatHoldsTheGraphForARealReader) {
  const fs::path folder = fs::path(QUARVEL_BINARY_DIR) / ("graph_file_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const struct { const char* extension; std::function<void(const std::string&)> check; } rows[] = {
      {"png", [](const std::string& path) { CheckRaster(path, "png"); }},
      {"jpg", [](const std::string& path) { CheckRaster(path, "jpeg"); }},
      {"svg", CheckSvg}, {"pdf", CheckPdf}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.extension);
    const std::string path = (folder / "loop.").string() + row.extension;
    const std::string format = PictureFormatOfPath(path);
    ASSERT_EQ(format, row.extension);
    Graph graph = LoopGraph();
    ASSERT_TRUE(SaveGraphPicture(graph, 800, 600, path, format)) << path;
    EXPECT_EQ(graph.Surface(), nullptr);
    row.check(path);
  }
}

TEST(GraphFile, FormatFollowsTheExtensionAndUnknownOnesAreRefused) {
  const std::pair<const char*, const char*> rows[] = {
      {"graph.PNG", "png"}, {"a.b/graph.jpeg", "jpeg"}, {"graph.Svg", "svg"}, {"graph.pdf", "pdf"},
      {"graph.gif", ""}, {"graph.txt", ""}, {"graph", ""}, {"a.png/graph", ""}, {"graph.", ""}};
  for (const auto& [path, format] : rows) EXPECT_EQ(PictureFormatOfPath(path), format) << path;
}

// (A folder that is not there: the command-line plot test.)
TEST(GraphFile, NothingToDrawIsSaidWithTheFile) {
  Graph empty;
  EXPECT_EQ(SaveGraphPicture(empty, 800, 600, "never.svg", "svg").Describe(),
            "never.svg: the graph could not be drawn as svg");
}

}  // namespace
}  // namespace quarvel
