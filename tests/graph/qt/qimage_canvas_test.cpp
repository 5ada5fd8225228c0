// The QImage canvas on real pixels: line ends, pen styles, text boxes, and a whole graph.

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/graph_test_support.h"
#include "graph/qt/qimage_canvas.h"

namespace quarvel {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;

bool Inked(const QImage& image, int x, int y) { return image.pixel(x, y) != qRgb(255, 255, 255); }

// The number of inked pixels and their bounding box (empty QRect when none).
std::pair<int, QRect> Ink(const QImage& image) {
  int count = 0;
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Inked(image, x, y)) {
        box |= QRect(x, y, 1, 1);
        ++count;
      }
    }
  }
  return {count, box};
}

// Lines through the given points, one pen, on a white 30 x 30 canvas.
const QImage& Polyline(QImageCanvas& canvas, std::vector<QPoint> points, int32_t width = 1) {
  canvas.SelectPen(Pen{kPenSolid, width, kBlack});
  canvas.MoveTo(points[0].x(), points[0].y());
  for (size_t i = 1; i < points.size(); ++i) canvas.LineTo(points[i].x(), points[i].y());
  return canvas.Image();
}

TEST(QImageCanvas, EndPixelNotDrawnInAnyDirection) {
  const std::tuple<const char*, QPoint, QPoint, int32_t, int> rows[] = {
      {"Rightwards", {5, 5}, {15, 5}, 1, 10},  {"Leftwards", {15, 5}, {5, 5}, 1, 10},
      {"Upwards", {5, 15}, {5, 5}, 1, 10},     {"Diagonal", {5, 5}, {15, 15}, 1, 10},
      {"Shallow", {5, 5}, {15, 8}, 1, 10},     {"PointToItself", {5, 5}, {5, 5}, 1, 0},
      {"WidePointToItself", {5, 5}, {5, 5}, 3, 0}};
  for (const auto& [name, from, to, width, want] : rows) {
    QImageCanvas canvas(30, 30, kWhite);
    const QImage& image = Polyline(canvas, {from, to}, width);
    EXPECT_EQ(Ink(image).first, want) << name;
    EXPECT_EQ(Inked(image, from.x(), from.y()), want > 0) << name;
    EXPECT_FALSE(Inked(image, to.x(), to.y())) << name;
  }
  // Joined lines share their corner; a line to the current point draws nothing, the path goes on.
  QImageCanvas canvas(30, 30, kWhite);
  const QImage& image = Polyline(canvas, {{5, 5}, {15, 5}, {15, 15}, {15, 15}, {5, 15}});
  EXPECT_EQ(Ink(image).first, 30);
  EXPECT_TRUE(Inked(image, 15, 5));
  EXPECT_FALSE(Inked(image, 5, 15));
}

TEST(QImageCanvas, CurrentPositionSurvivesPenChange) {
  QImageCanvas canvas(30, 30, kWhite);
  canvas.SelectPen(Pen{kPenSolid, 1, 0x0000FF});
  canvas.MoveTo(20, 20);
  canvas.LineTo(5, 20);
  canvas.RestorePen();
  canvas.SelectPen(Pen{kPenSolid, 1, 0xFF0000});
  canvas.LineTo(5, 5);
  const QImage& image = canvas.Image();
  EXPECT_EQ(image.pixelColor(10, 20), QColor(255, 0, 0));  // 0x0000FF is red
  EXPECT_EQ(image.pixelColor(5, 10), QColor(0, 0, 255));
  EXPECT_EQ(Ink(image).first, 30);
}

// One period of each pattern along a 1-pixel line, X inked; wider dashed pens draw solid.
TEST(QImageCanvas, PenStylesAlongTheLine) {
  const std::pair<int32_t, std::string> rows[] = {
      {kPenSolid, "X"},
      {kPenDash, "XXXXXXXXXXXXXXXXXX......"},
      {kPenDot, "XXX..."},
      {kPenDashDot, "XXXXXXXXX......XXX......"},
      {kPenDashDotDot, "XXXXXXXXX...XXX...XXX..."},
      {kPenNone, "."}};
  for (const auto& [style, period] : rows) {
    for (const int32_t width : {1, 2}) {
      QImageCanvas canvas(60, 10, kWhite);
      canvas.SelectPen(Pen{style, width, kBlack});
      canvas.MoveTo(0, 5);
      canvas.LineTo(48, 5);
      std::string got, want;
      for (int x = 0; x < 48; ++x) {
        got += Inked(canvas.Image(), x, 5) || Inked(canvas.Image(), x, 4) ? 'X' : '.';
        want += width == 1 || style == kPenNone ? period[x % period.size()] : 'X';
      }
      EXPECT_EQ(got, want) << "style " << style << " width " << width;
      const auto inked = std::count(want.begin(), want.end(), 'X');
      EXPECT_TRUE(width > 1 || Ink(canvas.Image()).first == inked) << "style " << style;
    }
  }
}

LogicalFont NinePointTahoma(int32_t escapement = 0) {
  return *MakeFont(TextStyle{}, escapement, 15.0);
}

TEST(QImageCanvas, TahomaFaceIsRegistered) {
  if (!RegisterTahomaFont()) GTEST_SKIP() << "no Tahoma-compatible face installed";
  QImageCanvas canvas(10, 10);
  ASSERT_TRUE(canvas.SelectFont(NinePointTahoma()));
  // The substitute face would measure 60 wide and 14 high.
  EXPECT_EQ(canvas.MeasureText("1.23E+03"), (TextExtent{52, 12}));
}

// The ink lies inside the text box that the alignment places at (100, 50) and fills most of it;
// at escapement 900 the text's top faces left and it runs upwards, centred on the point.
TEST(QImageCanvas, TextInkInsideTheAlignedBox) {
  RegisterTahomaFont();
  const std::tuple<TextAlign, int, bool> rows[] = {  // box left = 100 - width * this / 2
      {TextAlign::LeftTop, 0, false}, {TextAlign::CentreTop, 1, false},
      {TextAlign::RightBottom, 2, true}, {TextAlign::CentreBottom, 1, true}};
  for (const auto& [align, leftOfWidth, bottom] : rows) {
    QImageCanvas canvas(200, 100, kWhite);
    ASSERT_TRUE(canvas.SelectFont(NinePointTahoma()));
    canvas.SetTextAlign(align);
    canvas.SetTextColour(kBlack);
    const TextExtent extent = canvas.MeasureText("H-4.00E+00");
    canvas.TextOut(100, 50, "H-4.00E+00");
    const QRect box(100 - extent.Width * leftOfWidth / 2 - 1, bottom ? 50 - extent.Height : 50,
                    extent.Width + 2, extent.Height);
    const QRect ink = Ink(canvas.Image()).second;
    EXPECT_TRUE(box.contains(ink) && ink.width() > extent.Width * 3 / 4)
        << static_cast<int>(align) << ": ink " << ink.x() << "," << ink.y() << " " << ink.width()
        << "x" << ink.height();
  }
  QImageCanvas canvas(100, 200, kWhite);
  ASSERT_TRUE(canvas.SelectFont(NinePointTahoma(900)));
  canvas.SetTextAlign(TextAlign::CentreTop);
  canvas.SetTextColour(kBlack);
  const TextExtent extent = canvas.MeasureText("FORCE 1.5");
  canvas.TextOut(20, 100, "FORCE 1.5");
  const QRect ink = Ink(canvas.Image()).second;
  EXPECT_GE(ink.left(), 20);
  EXPECT_LE(ink.right(), 20 + extent.Height);
  EXPECT_NEAR(ink.center().y(), 100, 3);
  EXPECT_GT(ink.height(), extent.Width * 3 / 4);
}

TEST(QImageCanvas, FarAwayLinesAreClippedNotLost) {
  QImageCanvas canvas(40, 40, kWhite);
  canvas.SelectPen(Pen{kPenSolid, 3, kBlack});
  canvas.MoveTo(-2000000000, 20);
  canvas.LineTo(2000000000, 20);
  for (int x = 0; x < 40; ++x) ASSERT_TRUE(Inked(canvas.Image(), x, 20)) << x;
}

// A whole graph: a damped loop of 1501 points in width 3 with a "+" mark, titles, no legend.
TEST(QImageCanvas, WholeGraphHasAxesWhereTheLayoutPutsThem) {
  RegisterTahomaFont();
  QImageCanvas canvas(800, 600, kWhite);
  Graph graph;
  graph.SetSurface(&canvas);
  GraphSeries loop = testing_support::LineSeries({}, 0x0000FF, 3);
  for (int i = 0; i < 1501; ++i) {
    const double t = i * 0.02;
    const double u = 4.0 * std::exp(-0.05 * t) * std::sin(t);
    loop.Points.push_back(GraphPoint{u, 120.0 * std::tanh(0.8 * u + 0.3 * std::cos(t)), "", ""});
  }
  loop.PointCount = 1501;
  graph.SeriesList() = {loop, testing_support::MarkerSeries(-3.2, -105, 16, 0xFF00FF)};
  GraphSettings settings = graph.GetGraphSettings();
  settings.ShowLegend = false;
  settings.XTitle = "Displacement";
  settings.YTitle = "Force";
  settings.Title = "Force - Displacement graph for T=1, Amp=5";
  graph.SetGraphSettings(settings);
  graph.ComputeAxes();
  const GraphLayout layout = graph.DrawGraph().value();
  const QImage& image = canvas.Image();
  ASSERT_EQ(canvas.SavePng(std::string(QUARVEL_BINARY_DIR) + "/graph_sample.png").Describe(), "");

  const PixelRect p = layout.PlotRect;
  // Axes of width 3 on the bottom and left edges, nothing beyond the plot's top right corner.
  for (int d : {-1, 0, 1}) {
    EXPECT_EQ(image.pixel((p.Left + p.Right) / 2 + 7, p.Bottom + d), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(p.Left + d, (p.Top + p.Bottom) / 2 + 5), qRgb(0, 0, 0));
  }
  EXPECT_FALSE(Inked(image, p.Right + 3, p.Top - 3));
  // No text runs off the left or right edge; the curve and the mark are there.
  int red = 0;
  int magenta = 0;
  for (int y = 0; y < 600; ++y) {
    ASSERT_FALSE(Inked(image, 0, y) || Inked(image, 799, y)) << y;
    for (int x = 0; x < 800; ++x) {
      red += image.pixelColor(x, y) == QColor(255, 0, 0);
      magenta += image.pixelColor(x, y) == QColor(255, 0, 255);
    }
  }
  EXPECT_GT(red, 1000);
  EXPECT_GT(magenta, 4 * 16);
}

}  // namespace
}  // namespace quarvel
