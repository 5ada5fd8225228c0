// Data extents, axes, layout margins and the pixel mapping of the Graph object. Texts measure
// 7 pixels per character and 14 high (RecordingCanvas), so every margin can be worked by hand.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/recording_canvas.h"
#include "graph_test_support.h"

namespace quarvel {
namespace {

using testing_support::LineSeries;
using testing_support::MarkerSeries;

std::array<double, 5> Scale(const AxisScale& s) {
  return {s.MajorStep, s.MinorStep, s.Max, s.Min, s.Range()};
}

TEST(ComputeAxes, ExtentsAndScales) {
  struct Row {
    const char* name;
    std::vector<GraphSeries> series;
    std::array<double, 4> wantExtents;  // XMax, XMin, YMax, YMin
    std::array<double, 5> wantX, wantY;  // major, minor, max, min, range
  };
  GraphSeries noPoints = LineSeries({{5, -3}});
  noPoints.PointCount = 0;
  GraphSeries beyond = LineSeries({{0, 0}, {10, 10}});
  beyond.PointCount = 5;
  GraphSeries hidden = LineSeries({{-2.5, -2.5}, {3.7, 3.7}});
  hidden.ShowLine = false;
  const Row rows[] = {
      {"OnePointWidensByOne", {LineSeries({{3, 7}})}, {3, 3, 7, 7}, {1, 0.2, 4, 2, 2},
       {1, 0.2, 8, 6, 2}},
      // Point 1 of series 1 seeds the extents even though PointCount 0 hides it.
      {"PointCountZeroStillSeedsExtents", {noPoints, LineSeries({{1, 1}, {2, 2}})}, {5, 1, 2, -3},
       {1, 0.2, 5, 0, 5}, {2, 0.4, 2, -4, 6}},
      {"PointCountBeyondArrayUsesWhatExists", {beyond}, {10, 0, 10, 0}, {10, 2, 10, 0, 10},
       {10, 2, 10, 0, 10}},
      {"HiddenSeriesStillCount", {LineSeries({{2, 2}, {4, 3}}), hidden}, {4, -2.5, 3.7, -2.5},
       {2, 0.4, 4, -4, 8}, {2, 0.4, 4, -4, 8}},
      // The one-point marker series at (0, 0) pull both axes to 0.
      {"MarkerAtOriginReachesZero", {LineSeries({{2, 2}, {4, 3}}), MarkerSeries(0, 0, 0)},
       {4, 0, 3, 0}, {1, 0.2, 4, 0, 4}, {1, 0.2, 3, 0, 3}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Graph graph;
    graph.SeriesList() = row.series;
    graph.ComputeAxes();
    const DataExtents& e = graph.Extents();
    EXPECT_EQ((std::array{e.XMax, e.XMin, e.YMax, e.YMin}), row.wantExtents);
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_DOUBLE_EQ(Scale(graph.XScale())[i], row.wantX[i]) << "x " << i;
      EXPECT_DOUBLE_EQ(Scale(graph.YScale())[i], row.wantY[i]) << "y " << i;
    }
  }
  Graph graph;  // an empty list keeps the axes
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  graph.ComputeAxes();
  graph.SeriesList().clear();
  graph.ComputeAxes();
  EXPECT_EQ(graph.XScale().Max, 10);
  EXPECT_EQ(graph.Extents().XMax, 10);
}

// With data from (0, 0) to (10, 10) both axes run 0..10 by 10: tick texts "0.00E+00" and
// "1.00E+01", 56 x 14. At 800 x 600 and no titles:
//   left   = 15 + 56 + 2*0.02*800 = 103
//   right  = 800 - 2*0.03*800 - 0.01*800 = 744 (0.07 W, with or without a legend)
// Titles and a legend entry are worked out where RenderGraph places them.
//   top    = 2*0.03*600 = 36
//   bottom = 600 - 15 - 14 - 2*0.02*600 = 547
TEST(DrawGraph, PlotRectMargins) {
  struct Row {
    const char* name;
    int32_t height;
    std::function<void(Graph&, GraphSettings&)> setUp;
    PixelRect want;
  };
  const Row rows[] = {
      {"DefaultsWithoutTitles", 600, [](Graph&, GraphSettings&) {}, {103, 36, 744, 547}},
      {"HiddenLegendKeepsSevenHundredths", 600,
       [](Graph& g, GraphSettings& s) {
         g.SeriesList()[0].ShowInLegend = true;
         g.SeriesList()[0].Name = "Original";
         s.ShowLegend = false;
       },
       {103, 36, 744, 547}},
      // top = 2*0.03*575 = 34.5 rounds to the even 34; bottom = 575 - 29 - 23.
      {"HalfPixelRoundsToEven", 575, [](Graph&, GraphSettings&) {}, {103, 34, 744, 523}},
      // -4..4 by 2: "-4.00E+00" is 63 wide.
      {"NegativeTickTextsAreWider", 600,
       [](Graph& g, GraphSettings&) {
         g.SeriesList() = {LineSeries({{-2.5, -2.5}, {3.7, 3.7}})};
         g.ComputeAxes();
       },
       {110, 36, 744, 547}},
      {"HiddenTicksTakeNoRoom", 600,
       [](Graph&, GraphSettings& s) { s.ShowXMajorTicks = s.ShowYMajorTicks = false; },
       {47, 36, 744, 561}},
      // A 10-character Y label (70 wide) is wider than the tick texts.
      {"PointLabelsWidenTickTexts", 600,
       [](Graph& g, GraphSettings& s) {
         s.XPointLabels = s.YPointLabels = true;
         g.SeriesList()[0].Points[1].YLabel = "ten chars!";
       },
       {117, 36, 744, 547}},
  };
  for (const Row& row : rows) {
    RecordingCanvas canvas(800, row.height);
    Graph graph;
    graph.SetSurface(&canvas);
    graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
    graph.ComputeAxes();
    GraphSettings settings = graph.GetGraphSettings();
    row.setUp(graph, settings);
    graph.SetGraphSettings(settings);
    const GraphLayout layout = graph.DrawGraph().value();
    EXPECT_EQ(layout.PlotRect, row.want) << row.name;
    EXPECT_EQ(layout.CanvasRect, (PixelRect{0, 0, 800, row.height})) << row.name;
  }
}

// The plot rectangle 103..744 x 36..547 of 0..10 on both axes; the border belongs to the plot.
TEST(DrawGraph, PixelMappingAndReadOut) {
  RecordingCanvas canvas{800, 600};
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  graph.ComputeAxes();
  const GraphLayout layout = graph.DrawGraph().value();
  EXPECT_DOUBLE_EQ(layout.XUnitsPerPixel, 10.0 / 641);
  EXPECT_DOUBLE_EQ(layout.YUnitsPerPixel, 10.0 / 511);
  EXPECT_EQ((std::array{*layout.DataToPixelX(0), *layout.DataToPixelX(10), *layout.DataToPixelY(0),
                        *layout.DataToPixelY(10)}),
            (std::array{103, 744, 547, 36}));
  struct Row {
    int32_t px, py;
    bool inside;
    double wantX, wantY;
  };
  const Row rows[] = {
      {103, 36, true, 0, 10},   {744, 547, true, 10, 0},
      {423, 291, true, 320 * 10.0 / 641, 10 - 255 * 10.0 / 511},
      {102, 100, false, -1, -1}, {745, 100, false, -1, -1},
      {200, 35, false, -1, -1},  {200, 548, false, -1, -1},
  };
  for (const Row& row : rows) {
    double x = -1, y = -1;
    EXPECT_EQ(graph.PixelToData(layout, row.px, row.py, x, y), row.inside) << row.px << "," << row.py;
    EXPECT_NEAR(x, row.wantX, 1e-12) << row.px << "," << row.py;
    EXPECT_NEAR(y, row.wantY, 1e-12) << row.px << "," << row.py;
  }
  EXPECT_EQ(graph.FormatCoordinates(layout, 103, 36), "(0.00E+00,1.00E+01)");
  EXPECT_EQ(graph.FormatCoordinates(layout, 102, 36), std::nullopt);
  GraphSettings settings = graph.GetGraphSettings();
  settings.DecimalSeparator = ",";
  graph.SetGraphSettings(settings);
  EXPECT_EQ(graph.FormatCoordinates(layout, 744, 547), "(1,00E+01,0,00E+00)");

  // Without a surface nothing is drawn.
  graph.SetSurface(nullptr);
  EXPECT_EQ(graph.DrawGraph(), std::nullopt);
}

// An edge or a scale factor that cannot be computed keeps its value in the layout of the
// surface's last drawing (here an infinite title gap leaves the top edge without a value).
TEST(DrawGraph, WhatCannotBeComputedKeepsThePreviousLayout) {
  RecordingCanvas canvas{800, 600};
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  graph.ComputeAxes();
  const GraphLayout previous = graph.DrawGraph().value();
  GraphSettings settings = graph.GetGraphSettings();
  settings.TitleGapOfSize = std::numeric_limits<double>::infinity();
  graph.SetGraphSettings(settings);
  const GraphLayout next = graph.DrawGraph(previous).value();
  EXPECT_EQ(next.PlotRect.Top, previous.PlotRect.Top);
  EXPECT_EQ(graph.DrawGraph().value().PlotRect.Top, 0);  // no previous layout: 0
}

TEST(DrawGraph, AxesNeverComputedDrawNothing) {
  RecordingCanvas canvas(800, 600);
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  EXPECT_EQ(graph.DrawGraph(), std::nullopt);
  EXPECT_TRUE(canvas.Calls().empty());
}

}  // namespace
}  // namespace quarvel
