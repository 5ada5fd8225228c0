// The QImage canvas on real pixels: line ends, pen styles and text boxes (whole graphs are drawn
// in graph_file_test).

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/qt/qimage_canvas.h"

namespace quarvel {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;

bool Inked(const QImage& image, int x, int y) { return image.pixel(x, y) != qRgb(255, 255, 255); }

// The number of inked pixels and their bounding box (empty QRect when none).
std::pair<int, QRect> Ink(const QImage& image) {
  std::pair<int, QRect> ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Inked(image, x, y)) ink = {ink.first + 1, ink.second | QRect(x, y, 1, 1)};
    }
  }
  return ink;
}

// Lines through the given points in one black pen of `width`.
const QImage& Polyline(QImageCanvas& canvas, std::vector<QPoint> points, int32_t width = 1) {
  canvas.SelectPen(Pen{kPenSolid, width, kBlack});
  canvas.MoveTo(points[0].x(), points[0].y());
  for (size_t i = 1; i < points.size(); ++i) canvas.LineTo(points[i].x(), points[i].y());
  return canvas.Image();
}

TEST(QImageCanvas, EndPixelNotDrawnInAnyDirection) {
  const std::tuple<const char*, QPoint, QPoint, int32_t, int> rows[] = {
      {"Leftwards", {15, 5}, {5, 5}, 1, 10},   {"Upwards", {5, 15}, {5, 5}, 1, 10},
      {"Diagonal", {5, 5}, {15, 15}, 1, 10},   {"Shallow", {5, 5}, {15, 8}, 1, 10},
      {"PointToItself", {5, 5}, {5, 5}, 1, 0}, {"WidePointToItself", {5, 5}, {5, 5}, 3, 0}};
  for (const auto& [name, from, to, width, want] : rows) {
    QImageCanvas canvas(30, 30, kWhite);
    const QImage& image = Polyline(canvas, {from, to}, width);
    EXPECT_EQ(Ink(image).first, want) << name;
    EXPECT_EQ(Inked(image, from.x(), from.y()), want > 0) << name;
    EXPECT_FALSE(Inked(image, to.x(), to.y())) << name;
  }
  // Joined lines share their corner, the current position survives a change of pen, and a line
  // to the current point draws nothing while the path goes on.
  QImageCanvas canvas(30, 30, kWhite);
  Polyline(canvas, {{5, 5}, {15, 5}});
  canvas.RestorePen();
  canvas.SelectPen(Pen{kPenSolid, 1, 0x0000FF});
  for (const QPoint to : {QPoint(15, 15), QPoint(15, 15), QPoint(5, 15)}) {
    canvas.LineTo(to.x(), to.y());
  }
  const QImage& image = canvas.Image();  // 0x0000FF is red
  EXPECT_EQ(Ink(image).first, 30);
  EXPECT_EQ(image.pixel(15, 5), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(10, 5), qRgb(0, 0, 0));
  EXPECT_FALSE(Inked(image, 5, 15));
  // Far-away ends are clipped, not lost.
  QImageCanvas wide(40, 40, kWhite);
  Polyline(wide, {{-2000000000, 20}, {2000000000, 20}}, 3);
  for (int x = 0; x < 40; ++x) ASSERT_TRUE(Inked(wide.Image(), x, 20)) << x;
}

// A filled rectangle covers its pixels and no more, its left edge away from the image's.
TEST(QImageCanvas, FillCoversItsRectangle) {
  QImageCanvas canvas(30, 30, kWhite);
  canvas.FillRect(PixelRect{5, 10, 12, 14}, kBlack);
  EXPECT_EQ(Ink(canvas.Image()).second, QRect(5, 10, 7, 4));
}

// One period of each pattern along a 1-pixel line, X inked; wider dashed pens draw solid.
TEST(QImageCanvas, PenStylesAlongTheLine) {
  const std::pair<int32_t, std::string> rows[] = {
      {kPenSolid, "X"}, {kPenDash, "XXXXXXXXXXXXXXXXXX......"}, {kPenDot, "XXX..."},
      {kPenDashDot, "XXXXXXXXX......XXX......"}, {kPenDashDotDot, "XXXXXXXXX...XXX...XXX..."},
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
      if (width == 1) {
        EXPECT_EQ(Ink(canvas.Image()).first, std::ranges::count(want, 'X')) << style;
      }
    }
  }
}

// In nine-point Tahoma (the default style), the ink lies inside the text box that the alignment
// places at (100, 50) and fills most of it; at escapement 900 the text's top faces left and it
// runs upwards, centred on the point.
TEST(QImageCanvas, TextInkInsideTheAlignedBox) {
  const std::tuple<TextAlign, int, bool> rows[] = {  // box left = 100 - width * this / 2
      {TextAlign::LeftTop, 0, false}, {TextAlign::CentreTop, 1, false},
      {TextAlign::RightBottom, 2, true}, {TextAlign::CentreBottom, 1, true}};
  for (const auto& [align, leftOfWidth, bottom] : rows) {
    QImageCanvas canvas(200, 100, kWhite);
    ASSERT_TRUE(canvas.SelectFont(*MakeFont(TextStyle{}, 0, 15.0)));
    canvas.SetTextAlign(align);
    canvas.SetTextColour(kBlack);
    const TextExtent extent = canvas.MeasureText("H-4.00E+00");
    canvas.TextOut(100, 50, "H-4.00E+00");
    const QRect box(100 - extent.Width * leftOfWidth / 2 - 1, bottom ? 50 - extent.Height : 50,
                    extent.Width + 2, extent.Height);
    const QRect ink = Ink(canvas.Image()).second;
    EXPECT_TRUE(box.contains(ink)) << static_cast<int>(align) << ": ink " << ink.x() << ","
                                   << ink.y() << " " << ink.width() << "x" << ink.height();
    EXPECT_GT(ink.width(), extent.Width * 3 / 4) << static_cast<int>(align);
  }
  QImageCanvas canvas(100, 200, kWhite);
  ASSERT_TRUE(canvas.SelectFont(*MakeFont(TextStyle{}, 900, 15.0)));
  canvas.SetTextAlign(TextAlign::CentreTop);
  canvas.SetTextColour(kBlack);
  const TextExtent extent = canvas.MeasureText("FORCE 1.5");
  canvas.TextOut(20, 100, "FORCE 1.5");
  const QRect ink = Ink(canvas.Image()).second;
  EXPECT_GE(ink.left(), 20);
  EXPECT_LE(ink.right(), 20 + extent.Height);
  EXPECT_LE(std::abs(ink.center().y() - 100), 3);
  EXPECT_GT(ink.height(), extent.Width * 3 / 4);
}

}  // namespace
}  // namespace quarvel
