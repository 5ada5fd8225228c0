// Figures in files, each format opened by a real reader: the SVG read back element by element,
// Qt's image reader for pixels, poppler's pdfinfo for PDF.

#include "graph/qt/graph_file.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QRectF>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "graph/curve_plot.h"
#include "support/scratch_folder.h"

namespace quarvel {
namespace {

constexpr Colour kRed = 0x0000FF;
constexpr Colour kBlue = 0xFF0000;

// Two curves whose boxes leave only the upper left quarter free: a long low one (solid) and a
// tall one at the right (dashed), with titles and units.
CurvePlot LShapedPlot() {
  CurvePlot plot;
  plot.title = "Two responses";
  plot.xTitle = "Displacement (m)";
  plot.yTitle = "Force (N)";
  plot.curves = {{"Original Model", {0, 0.01, 0.02, 0.03, 0.04}, {0, 300, 200, 400, 350}, kRed, 3},
                 {"Modified Model", {0.03, 0.035, 0.04}, {0, 500, 900}, kBlue, 2, kPenDash}};
  return plot;
}

// What an SVG holds, element by element: polylines (with the stroke of their group), rectangles
// and texts.
struct SvgLine {
  std::string stroke;
  bool dashed = false;
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;  // of its points
};
struct SvgText {
  double x = 0.0, y = 0.0;
  std::string text;
};
struct Svg {
  std::vector<SvgLine> lines;
  std::vector<QRectF> rects;
  std::vector<SvgText> texts;
};

std::string Attribute(const std::string& attributes, const std::string& name) {
  const std::size_t at = attributes.find(" " + name + "=\"");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 3;
  return attributes.substr(from, attributes.find('"', from) - from);
}

Svg ReadSvg(const std::string& text) {
  Svg svg;
  SvgLine group;
  double matrix[6] = {1, 0, 0, 1, 0, 0};  // the group's transform
  for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
    const std::size_t end = text.find('>', at);
    const std::string tag = text.substr(at + 1, text.find_first_of(" \n>", at) - at - 1);
    const std::string attributes = " " + text.substr(at, end - at);
    const auto number = [&](const char* name) { return std::stod(Attribute(attributes, name)); };
    if (tag == "g") {
      group = {Attribute(attributes, "stroke"), !Attribute(attributes, "stroke-dasharray").empty()};
      const std::string transform = Attribute(attributes, "transform") + "matrix(1,0,0,1,0,0)";
      std::istringstream values(transform.substr(7));  // after "matrix("
      for (double& m : matrix) values >> m && values.ignore(1);
    } else if (tag == "polyline") {
      SvgLine& line = svg.lines.emplace_back(group);
      std::istringstream points(Attribute(attributes, "points"));
      for (double x, y; points >> x && points.ignore(1) >> y;) {
        line.left = std::min(line.left, x);
        line.top = std::min(line.top, y);
        line.right = std::max(line.right, x);
        line.bottom = std::max(line.bottom, y);
      }
    } else if (tag == "rect") {
      const double x = number("x"), y = number("y");
      svg.rects.emplace_back(x, y, number("width"), number("height"));
    } else if (tag == "text") {
      const double x = number("x"), y = number("y");
      svg.texts.push_back({matrix[0] * x + matrix[2] * y + matrix[4],
                           matrix[1] * x + matrix[3] * y + matrix[5],
                           text.substr(end + 1, text.find('<', end) - end - 1)});
    }
  }
  return svg;
}

// The SVG: the frame (the widest black line), numbers under it and left of it at nice steps,
// the legend's white box inside the frame and clear of both curves' boxes, the modified
// model's line dashed and the original's not.
TEST(FigureFile, SvgHasNiceTicksTheLegendInAFreeCornerAndTheDashedModel) {
  const test::ScratchFolder folder;
  const std::string path = (folder / "figure.svg").string();
  ASSERT_TRUE(SaveFigurePicture(LShapedPlot(), PictureSize{800, 600}, path, "svg"));
  const Svg svg = ReadSvg(test::ReadWholeFile(path));
  SvgLine frame;
  for (const SvgLine& line : svg.lines) {
    if (line.stroke == "#000000" && line.right - line.left > frame.right - frame.left) frame = line;
  }
  std::vector<std::string> xLabels, yLabels;
  for (const SvgText& t : svg.texts) {
    const bool number = t.text.find_first_of("0123456789") == 0 || t.text.rfind("−", 0) == 0;
    if (number && t.y > frame.bottom) xLabels.push_back(t.text);
    if (number && t.x < frame.left && t.y < frame.bottom) yLabels.push_back(t.text);
  }
  // By hand: the data run from 0 to 0.04 and from 0 to 900, the axes 5 % further; steps of
  // 0.005 and 100 would leave nine and ten ticks within them, 0.01 and 200 leave five.
  EXPECT_EQ(xLabels, (std::vector<std::string>{"0.00", "0.01", "0.02", "0.03", "0.04"}));
  EXPECT_EQ(yLabels, (std::vector<std::string>{"0", "200", "400", "600", "800"}));

  ASSERT_EQ(svg.rects.size(), 2u);  // the background, then the legend
  const QRectF legend = svg.rects[1];
  EXPECT_GT(legend.left(), frame.left);
  EXPECT_LT(legend.right(), frame.right);
  EXPECT_GT(legend.top(), frame.top);
  EXPECT_LT(legend.bottom(), frame.bottom);
  std::vector<const SvgLine*> curves;
  for (const SvgLine& line : svg.lines) {
    if (line.stroke == "#ff0000" || line.stroke == "#0000ff") curves.push_back(&line);
  }
  ASSERT_EQ(curves.size(), 4u);  // each curve, then its sample in the legend
  for (const SvgLine* curve : {curves[0], curves[1]}) {
    const bool apart = legend.right() < curve->left || legend.bottom() < curve->top;
    EXPECT_TRUE(apart) << curve->stroke;
  }
  EXPECT_FALSE(curves[0]->dashed);
  EXPECT_TRUE(curves[1]->dashed);
  EXPECT_GE(curves[3]->top - curves[2]->top, 60);  // the legend's rows, a text height apart
}

// A PNG at 200 per inch has twice the pixels a side, says so, and its red curve's edge pixels
// hold shades between red and white.
TEST(FigureFile, PngIsAntialiasedAtItsDpi) {
  const test::ScratchFolder folder;
  const std::string path = (folder / "figure.png").string();
  ASSERT_TRUE(SaveFigurePicture(LShapedPlot(), PictureSize{800, 600, 200}, path, "png"));
  const QImage image = QImageReader(QString::fromStdString(path)).read();
  EXPECT_EQ(image.size(), QSize(1600, 1200));
  EXPECT_EQ(image.dotsPerMeterX(), 7874);  // 200 per inch
  int shades = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      shades += c.red() == 255 && c.green() == c.blue() && c.green() > 0 && c.green() < 255;
    }
  }
  EXPECT_GT(shades, 100);
}

// PDF: one page of 800 x 600 pixels at 96 per inch (600 x 450 pt).
TEST(FigureFile, PdfIsOnePageOfTheSize) {
  const test::ScratchFolder folder;
  const std::string path = (folder / "figure.pdf").string();
  ASSERT_TRUE(SaveFigurePicture(LShapedPlot(), PictureSize{800, 600}, path, "pdf"));
  std::string info;
  if (FILE* pipe = popen(("pdfinfo '" + path + "' 2>&1").c_str(), "r")) {
    for (int c; (c = fgetc(pipe)) != EOF;) info += static_cast<char>(c);
    pclose(pipe);
  }
  for (const char* line : {"Pages:           1\n", "Page size:       600 x 450 pts\n"}) {
    EXPECT_NE(info.find(line), std::string::npos)
        << "pdfinfo (Debian poppler-utils, see scripts/setup) said: " << info;
  }
}

TEST(FigureFile, FormatFollowsTheExtensionAndUnknownOnesAreRefused) {
  const std::pair<const char*, const char*> rows[] = {
      {"graph.PNG", "png"}, {"a.b/graph.jpeg", "jpeg"}, {"graph.Svg", "svg"}, {"graph.pdf", "pdf"},
      {"graph.gif", ""},    {"a.png/graph", ""},        {"graph.", ""}};
  for (const auto& [path, format] : rows) EXPECT_EQ(PictureFormatOfPath(path), format) << path;
}

// (A folder that is not there: the command-line plot test.)
TEST(FigureFile, NothingToDrawIsSaidWithTheFile) {
  CurvePlot empty;
  empty.curves = {{"Not a number", {NAN}, {1.0}, kRed}};
  EXPECT_EQ(SaveFigurePicture(empty, PictureSize{}, "never.svg", "svg").Describe(),
            "never.svg: the figure could not be drawn as svg");
}

}  // namespace
}  // namespace quarvel
