// The QImage canvas on real pixels: line ends, pen styles, text boxes, and a whole graph.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/qt/qimage_canvas.h"

namespace quarvel {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;

bool Inked(const QImage& image, int x, int y) {
  return image.pixel(x, y) != QColor(Qt::white).rgb();
}

int InkedCount(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += Inked(image, x, y);
  }
  return count;
}

// The bounding box of the inked pixels (empty QRect when none).
QRect InkedBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Inked(image, x, y)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

struct LineRow {
  const char* name;
  QPoint from, to;
  int32_t width;
  int wantPixels;
};

const LineRow kLineRows[] = {
    {"RightwardsTenPixels", {5, 5}, {15, 5}, 1, 10},
    {"LeftwardsTenPixels", {15, 5}, {5, 5}, 1, 10},
    {"UpwardsTenPixels", {5, 15}, {5, 5}, 1, 10},
    {"DiagonalTenPixels", {5, 5}, {15, 15}, 1, 10},
    {"ShallowTenPixels", {5, 5}, {15, 8}, 1, 10},
    {"PointToItself", {5, 5}, {5, 5}, 1, 0},
    {"WidePointToItself", {5, 5}, {5, 5}, 3, 0},
};

class EndPixelTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(EndPixelTest, EndPixelNotDrawn) {
  const LineRow& row = GetParam();
  QImageCanvas canvas(30, 30, kWhite);
  canvas.SelectPen(Pen{kPenSolid, row.width, kBlack});
  canvas.MoveTo(row.from.x(), row.from.y());
  canvas.LineTo(row.to.x(), row.to.y());
  const QImage& image = canvas.Image();
  EXPECT_EQ(InkedCount(image), row.wantPixels);
  if (row.wantPixels > 0) {
    EXPECT_TRUE(Inked(image, row.from.x(), row.from.y()));
    EXPECT_FALSE(Inked(image, row.to.x(), row.to.y()));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, EndPixelTest, ::testing::ValuesIn(kLineRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QImageCanvas, JoinedLinesShareTheirCorner) {
  QImageCanvas canvas(30, 30, kWhite);
  canvas.SelectPen(Pen{kPenSolid, 1, kBlack});
  canvas.MoveTo(5, 5);
  canvas.LineTo(15, 5);
  canvas.LineTo(15, 15);
  canvas.LineTo(15, 15);  // nothing, and the path goes on
  canvas.LineTo(5, 15);
  const QImage& image = canvas.Image();
  EXPECT_EQ(InkedCount(image), 30);
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
  EXPECT_EQ(InkedCount(image), 30);
}

struct StyleRow {
  const char* name;
  int32_t style;
  const char* period;  // one period of the pattern along a 1-pixel line, X inked
};

const StyleRow kStyleRows[] = {
    {"Solid", kPenSolid, "X"},
    {"Dash", kPenDash, "XXXXXXXXXXXXXXXXXX......"},
    {"Dot", kPenDot, "XXX..."},
    {"DashDot", kPenDashDot, "XXXXXXXXX......XXX......"},
    {"DashDotDot", kPenDashDotDot, "XXXXXXXXX...XXX...XXX..."},
    {"None", kPenNone, "."},
};

class PenStyleTest : public ::testing::TestWithParam<StyleRow> {};

TEST_P(PenStyleTest, PatternAlongTheLine) {
  const StyleRow& row = GetParam();
  constexpr int kLength = 48;
  QImageCanvas canvas(60, 10, kWhite);
  canvas.SelectPen(Pen{row.style, 1, kBlack});
  canvas.MoveTo(0, 5);
  canvas.LineTo(kLength, 5);
  const QImage& image = canvas.Image();
  std::string got;
  std::string want;
  const std::string period = row.period;
  for (int x = 0; x < kLength; ++x) {
    got += Inked(image, x, 5) ? 'X' : '.';
    want += period[static_cast<size_t>(x) % period.size()];
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(InkedCount(image), static_cast<int>(std::count(want.begin(), want.end(), 'X')));
}

INSTANTIATE_TEST_SUITE_P(Rows, PenStyleTest, ::testing::ValuesIn(kStyleRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QImageCanvas, WideDashedPenDrawsSolid) {
  for (int32_t style : {kPenDash, kPenDot, kPenDashDot, kPenDashDotDot}) {
    QImageCanvas canvas(60, 12, kWhite);
    canvas.SelectPen(Pen{style, 2, kBlack});
    canvas.MoveTo(5, 6);
    canvas.LineTo(50, 6);
    const QImage& image = canvas.Image();
    for (int x = 5; x < 50; ++x) {
      ASSERT_TRUE(Inked(image, x, 5) || Inked(image, x, 6)) << "style " << style << " x " << x;
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

struct AlignRow {
  const char* name;
  TextAlign align;
  // The inked box must lie inside the text box placed by the alignment at (100, 50).
  int boxLeftOfWidth;  // box left = 100 - width * this / 2
  bool bottom;
};

const AlignRow kAlignRows[] = {
    {"LeftTop", TextAlign::LeftTop, 0, false},
    {"CentreTop", TextAlign::CentreTop, 1, false},
    {"RightBottom", TextAlign::RightBottom, 2, true},
    {"CentreBottom", TextAlign::CentreBottom, 1, true},
};

class TextAlignTest : public ::testing::TestWithParam<AlignRow> {};

TEST_P(TextAlignTest, InkInsideTheAlignedBox) {
  const AlignRow& row = GetParam();
  RegisterTahomaFont();
  QImageCanvas canvas(200, 100, kWhite);
  ASSERT_TRUE(canvas.SelectFont(NinePointTahoma()));
  canvas.SetTextAlign(row.align);
  canvas.SetTextColour(kBlack);
  const TextExtent extent = canvas.MeasureText("H-4.00E+00");
  canvas.TextOut(100, 50, "H-4.00E+00");
  const int left = 100 - extent.Width * row.boxLeftOfWidth / 2;
  const int top = row.bottom ? 50 - extent.Height : 50;
  const QRect box(left - 1, top, extent.Width + 2, extent.Height);
  const QRect ink = InkedBox(canvas.Image());
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_TRUE(box.contains(ink)) << "ink " << ink.x() << "," << ink.y() << " " << ink.width()
                                 << "x" << ink.height() << " box " << box.x() << "," << box.y()
                                 << " " << box.width() << "x" << box.height();
  // The ink fills most of the box: the text is really there and not drawn elsewhere.
  EXPECT_GT(ink.width(), extent.Width * 3 / 4);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextAlignTest, ::testing::ValuesIn(kAlignRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QImageCanvas, EscapementNineHundredReadsUpwards) {
  RegisterTahomaFont();
  QImageCanvas canvas(100, 200, kWhite);
  ASSERT_TRUE(canvas.SelectFont(NinePointTahoma(900)));
  canvas.SetTextAlign(TextAlign::CentreTop);
  canvas.SetTextColour(kBlack);
  const TextExtent extent = canvas.MeasureText("FORCE 1.5");
  canvas.TextOut(20, 100, "FORCE 1.5");
  const QRect ink = InkedBox(canvas.Image());
  // The text's top faces left at x = 20; it runs along y, centred on 100.
  EXPECT_GE(ink.left(), 20);
  EXPECT_LE(ink.right(), 20 + extent.Height);
  EXPECT_NEAR(ink.center().y(), 100, 3);
  EXPECT_GT(ink.height(), extent.Width * 3 / 4);
  EXPECT_LT(ink.width(), extent.Height + 1);
}

TEST(QImageCanvas, FarAwayLinesAreClippedNotLost) {
  QImageCanvas canvas(40, 40, kWhite);
  canvas.SelectPen(Pen{kPenSolid, 3, kBlack});
  canvas.MoveTo(-2000000000, 20);
  canvas.LineTo(2000000000, 20);
  const QImage& image = canvas.Image();
  for (int x = 0; x < 40; ++x) ASSERT_TRUE(Inked(image, x, 20)) << x;
}

// A whole graph: a damped loop of 1501 points in width 3 with a "+" mark, titles, no legend.
TEST(QImageCanvas, WholeGraphHasAxesWhereTheLayoutPutsThem) {
  RegisterTahomaFont();
  QImageCanvas canvas(800, 600, kWhite);
  Graph graph;
  graph.SetSurface(&canvas);
  GraphSeries loop;
  loop.ShowLine = true;
  loop.LineColour = 0x0000FF;
  loop.LineWidth = 3;
  for (int i = 0; i < 1501; ++i) {
    const double t = i * 0.02;
    const double u = 4.0 * std::exp(-0.05 * t) * std::sin(t);
    loop.Points.push_back(GraphPoint{u, 120.0 * std::tanh(0.8 * u + 0.3 * std::cos(t)), "", ""});
  }
  loop.PointCount = 1501;
  GraphSeries mark;
  mark.Points = {GraphPoint{-3.2, -105, "", ""}};
  mark.PointCount = 1;
  mark.ShowMarkers = true;
  mark.MarkerColour = 0xFF00FF;
  mark.MarkerWidth = 2;
  mark.MarkerSize = 16;
  graph.SeriesList() = {loop, mark};
  GraphSettings settings = graph.GetGraphSettings();
  settings.ShowLegend = false;
  settings.XTitle = "Displacement";
  settings.YTitle = "Force";
  settings.Title = "Force - Displacement graph for T=1, Amp=5";
  graph.SetGraphSettings(settings);
  graph.ComputeAxes();
  graph.DrawGraph();
  const QImage& image = canvas.Image();
  ASSERT_EQ(canvas.SavePng(std::string(QUARVEL_BINARY_DIR) + "/graph_sample.png"), "");

  const PixelRect p = graph.GetPlotRect();
  const QRgb black = QColor(Qt::black).rgb();
  // Axes of width 3 on the bottom and left edges, nothing beyond the plot's top right corner.
  for (int d : {-1, 0, 1}) {
    EXPECT_EQ(image.pixel((p.Left + p.Right) / 2 + 7, p.Bottom + d), black);
    EXPECT_EQ(image.pixel(p.Left + d, (p.Top + p.Bottom) / 2 + 5), black);
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
