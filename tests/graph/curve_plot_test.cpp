// Curves from plain arrays: what reaches the axes, the legend and the picture.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "graph/curve_plot.h"
#include "graph/recording_canvas.h"

namespace quarvel {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(CurvePlot, NonFinitePointsAreLeftOutAndKeysOnlyReachTheLegend) {
  CurvePlot plot;
  plot.title = "Study";
  plot.xTitle = "Period (s)";
  plot.yTitle = "Relative error";
  // The first curve has nothing to draw: the axes must still come from the data alone.
  plot.curves = {{"Nothing", {kNan}, {1.0}, 0x0000FF},
                 {"Errors", {0.5, 1.0, kInf, 2.0, 3.0}, {0.1, kNan, 9.0, -0.2, 0.3}, 0xFF0000},
                 {"", {1.0}, {0.0}, 0x00FF00}};
  plot.keys = {{"Dotted: modified", 0x123456, 1, kPenDot}};
  Graph graph;
  ASSERT_TRUE(SetCurvePlot(graph, plot));

  EXPECT_EQ(graph.Extents().XMin, 0.5);
  EXPECT_EQ(graph.Extents().XMax, 3.0);
  EXPECT_EQ(graph.Extents().YMin, -0.2);
  EXPECT_EQ(graph.Extents().YMax, 0.3);
  EXPECT_EQ(graph.Settings().XTitle, "Period (s)");
  EXPECT_TRUE(graph.Settings().ShowLegend);

  RecordingCanvas canvas(800, 600);
  graph.SetSurface(&canvas);
  ASSERT_TRUE(graph.DrawGraph());
  std::multiset<std::string> texts;
  for (const CanvasCall& call : canvas.Texts()) texts.insert(call.text);
  for (const char* name : {"Nothing", "Errors", "Dotted: modified"}) {
    EXPECT_EQ(texts.count(name), 1u) << name;
  }
  // The blue curve: 2 segments joining its 3 finite points, and the legend sample.
  int blue = 0;
  int dotted = 0;
  for (const CanvasCall& call : canvas.VisibleLines()) {
    blue += call.pen && call.pen->Colour == 0xFF0000;
    dotted += call.pen && call.pen->Colour == 0x123456;
  }
  EXPECT_EQ(blue, 3);
  EXPECT_EQ(dotted, 1);  // the key's sample only

  CurvePlot nothing;
  nothing.curves = {{"All NaN", {kNan, 1.0}, {1.0, kNan}, 0}};
  EXPECT_FALSE(SetCurvePlot(graph, nothing));
  EXPECT_EQ(graph.SeriesList().size(), 4u);  // unchanged
}

TEST(CurvePlot, DistinctColoursDifferAndShowOnWhite) {
  std::set<Colour> seen;
  for (int32_t i = 0; i < 40; ++i) {
    const Colour c = DistinctColour(i);
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    EXPECT_LT(0.299 * r + 0.587 * g + 0.114 * b, 200) << i;  // not too pale for white paper
    EXPECT_TRUE(seen.insert(c).second) << i;
  }
}

}  // namespace
}  // namespace quarvel
