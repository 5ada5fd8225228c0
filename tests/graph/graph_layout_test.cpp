// Data extents, axes, layout margins and the pixel mapping of the Graph object. Texts measure
// 7 pixels per character and 14 high (RecordingCanvas), so every margin can be worked by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/recording_canvas.h"
#include "graph_test_support.h"

namespace quarvel {
namespace {

using testing_support::LineSeries;
using testing_support::MarkerSeries;

struct AxesRow {
  const char* name;
  std::vector<GraphSeries> series;
  DataExtents wantExtents;
  AxisScale wantX;
  AxisScale wantY;
};

GraphSeries WithPointCount(GraphSeries series, int32_t count) {
  series.PointCount = count;
  return series;
}

GraphSeries Hidden(GraphSeries series) {
  series.ShowLine = false;
  series.ShowMarkers = false;
  return series;
}

std::vector<AxesRow> AxesRows() {
  return {
      {"OnePointWidensByOne", {LineSeries({{3, 7}})}, {3, 3, 7, 7}, {1, 0.2, 4, 2, 2},
       {1, 0.2, 8, 6, 2}},
      // Point 1 of series 1 seeds the extents even though PointCount 0 hides it.
      {"PointCountZeroStillSeedsExtents",
       {WithPointCount(LineSeries({{5, -3}}), 0), LineSeries({{1, 1}, {2, 2}})},
       {5, 1, 2, -3},
       {1, 0.2, 5, 0, 5},
       {2, 0.4, 2, -4, 6}},
      {"PointCountBeyondArrayUsesWhatExists",
       {WithPointCount(LineSeries({{0, 0}, {10, 10}}), 5)},
       {10, 0, 10, 0},
       {10, 2, 10, 0, 10},
       {10, 2, 10, 0, 10}},
      {"HiddenSeriesStillCount",
       {LineSeries({{2, 2}, {4, 3}}), Hidden(LineSeries({{-2.5, -2.5}, {3.7, 3.7}}))},
       {4, -2.5, 3.7, -2.5},
       {2, 0.4, 4, -4, 8},
       {2, 0.4, 4, -4, 8}},
      // The one-point marker series at (0, 0) pull both axes to 0.
      {"MarkerAtOriginReachesZero",
       {LineSeries({{2, 2}, {4, 3}}), MarkerSeries(0, 0, 0)},
       {4, 0, 3, 0},
       {1, 0.2, 4, 0, 4},
       {1, 0.2, 3, 0, 3}},
  };
}

class ComputeAxesTest : public ::testing::TestWithParam<AxesRow> {};

void ExpectScale(const AxisScale& got, const AxisScale& want) {
  EXPECT_DOUBLE_EQ(got.MajorStep, want.MajorStep);
  EXPECT_DOUBLE_EQ(got.MinorStep, want.MinorStep);
  EXPECT_DOUBLE_EQ(got.Max, want.Max);
  EXPECT_DOUBLE_EQ(got.Min, want.Min);
  EXPECT_DOUBLE_EQ(got.Range, want.Range);
}

TEST_P(ComputeAxesTest, ExtentsAndScales) {
  const AxesRow& row = GetParam();
  Graph graph;
  graph.SeriesList() = row.series;
  graph.ComputeAxes();
  EXPECT_EQ(graph.Extents().XMax, row.wantExtents.XMax);
  EXPECT_EQ(graph.Extents().XMin, row.wantExtents.XMin);
  EXPECT_EQ(graph.Extents().YMax, row.wantExtents.YMax);
  EXPECT_EQ(graph.Extents().YMin, row.wantExtents.YMin);
  ExpectScale(graph.XScale(), row.wantX);
  ExpectScale(graph.YScale(), row.wantY);
}

INSTANTIATE_TEST_SUITE_P(Rows, ComputeAxesTest, ::testing::ValuesIn(AxesRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComputeAxes, EmptyListChangesNothing) {
  Graph graph;
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  graph.ComputeAxes();
  graph.SeriesList().clear();
  graph.ComputeAxes();
  EXPECT_EQ(graph.XScale().Max, 10);
  EXPECT_EQ(graph.Extents().XMax, 10);
}

// ---- Layout ----------------------------------------------------------------------------------

struct LayoutRow {
  const char* name;
  int32_t width, height;
  std::function<void(Graph&, GraphSettings&)> setUp;
  PixelRect want;
};

// With data from (0, 0) to (10, 10) both axes run 0..10 by 10: tick texts "0.00E+00" and
// "1.00E+01", 56 x 14. At 800 x 600 and no titles:
//   left   = 15 + 56 + 2*0.02*800 = 103
//   right  = 800 - 2*0.03*800 - 0.01*800 = 744 (0.07 W, with or without a legend)
//   top    = 2*0.03*600 = 36
//   bottom = 600 - 15 - 14 - 2*0.02*600 = 547
std::vector<LayoutRow> LayoutRows() {
  const auto none = [](Graph&, GraphSettings&) {};
  const auto titles = [](Graph&, GraphSettings& s) {
    s.YTitle = "Force";
    s.XTitle = "Time";
    s.Title = "T";
  };
  return {
      {"DefaultsWithoutTitles", 800, 600, none, {103, 36, 744, 547}},
      // left + (2*0.5+1)*14, top (2*0.2+1)*14 + 36 = 55.6, bottom - (2*0.5+1)*14.
      {"AllTitles", 800, 600, titles, {131, 56, 744, 519}},
      {"HiddenLegendKeepsSevenHundredths", 800, 600,
       [](Graph& g, GraphSettings& s) {
         s.ShowLegend = false;
         g.SeriesList()[0].ShowInLegend = true;
         g.SeriesList()[0].Name = "Original";
       },
       {103, 36, 744, 547}},
      {"LegendWithoutListedSeriesKeepsItsGaps", 800, 600,
       [](Graph& g, GraphSettings&) {
         g.SeriesList()[0].ShowInLegend = true;  // no name: not listed
         g.SeriesList().push_back(MarkerSeries(0, 0, 0));
         g.SeriesList()[1].Name = "Unlisted";
       },
       {103, 36, 744, 547}},
      // right = 800 - 56 - 2*0.2*14 - 48 - 2*14 - 8 - 14 = 640.4
      {"LegendWithOneEntry", 800, 600,
       [](Graph& g, GraphSettings&) {
         g.SeriesList()[0].ShowInLegend = true;
         g.SeriesList()[0].Name = "Original";
       },
       {103, 36, 640, 547}},
      // top = 2*0.03*575 = 34.5 rounds to the even 34; bottom = 575 - 29 - 23.
      {"HalfPixelRoundsToEven", 800, 575, none, {103, 34, 744, 523}},
      // -4..4 by 2: "-4.00E+00" is 63 wide.
      {"NegativeTickTextsAreWider", 800, 600,
       [](Graph& g, GraphSettings&) {
         g.SeriesList() = {LineSeries({{-2.5, -2.5}, {3.7, 3.7}})};
         g.ComputeAxes();
       },
       {110, 36, 744, 547}},
      {"HiddenTicksTakeNoRoom", 800, 600,
       [](Graph&, GraphSettings& s) { s.ShowXMajorTicks = s.ShowYMajorTicks = false; },
       {47, 36, 744, 561}},
      // A 10-character Y label (70 wide) is wider than the tick texts.
      {"PointLabelsWidenTickTexts", 800, 600,
       [](Graph& g, GraphSettings& s) {
         s.XPointLabels = s.YPointLabels = true;
         g.SeriesList()[0].Points[1].YLabel = "ten chars!";
       },
       {117, 36, 744, 547}},
  };
}

class LayoutTest : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(LayoutTest, PlotRect) {
  const LayoutRow& row = GetParam();
  RecordingCanvas canvas(row.width, row.height);
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  graph.ComputeAxes();
  GraphSettings settings = graph.GetGraphSettings();
  row.setUp(graph, settings);
  graph.SetGraphSettings(settings);
  graph.DrawGraph();
  EXPECT_EQ(graph.GetPlotRect(), row.want);
  EXPECT_EQ(graph.Layout().CanvasRect, (PixelRect{0, 0, row.width, row.height}));
}

INSTANTIATE_TEST_SUITE_P(Rows, LayoutTest, ::testing::ValuesIn(LayoutRows()),
                         [](const auto& info) { return std::string(info.param.name); });

class DrawnGraph : public ::testing::Test {
 protected:
  void SetUp() override {
    graph.SetSurface(&canvas);
    graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
    graph.ComputeAxes();
    graph.DrawGraph();
  }
  RecordingCanvas canvas{800, 600};
  Graph graph;
};

TEST_F(DrawnGraph, UnitsPerPixelSpanThePlotArea) {
  EXPECT_DOUBLE_EQ(graph.Layout().XUnitsPerPixel, 10.0 / 641);
  EXPECT_DOUBLE_EQ(graph.Layout().YUnitsPerPixel, 10.0 / 511);
  EXPECT_EQ(graph.DataToPixelX(0), 103);
  EXPECT_EQ(graph.DataToPixelX(10), 744);
  EXPECT_EQ(graph.DataToPixelY(0), 547);
  EXPECT_EQ(graph.DataToPixelY(10), 36);
}

struct PixelRow {
  const char* name;
  int32_t px, py;
  bool inside;
  double wantX, wantY;
};

const PixelRow kPixelRows[] = {
    {"TopLeftCorner", 103, 36, true, 0, 10},
    {"BottomRightCorner", 744, 547, true, 10, 0},
    {"Middle", 423, 291, true, 320 * 10.0 / 641, 10 - 255 * 10.0 / 511},
    {"LeftOfBorder", 102, 100, false, -1, -1},
    {"RightOfBorder", 745, 100, false, -1, -1},
    {"AboveBorder", 200, 35, false, -1, -1},
    {"BelowBorder", 200, 548, false, -1, -1},
};

class PixelToDataTest : public DrawnGraph, public ::testing::WithParamInterface<PixelRow> {};

TEST_P(PixelToDataTest, Coordinates) {
  const PixelRow& row = GetParam();
  double x = -1;
  double y = -1;
  EXPECT_EQ(graph.PixelToData(row.px, row.py, x, y), row.inside);
  EXPECT_NEAR(x, row.wantX, 1e-12);
  EXPECT_NEAR(y, row.wantY, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Rows, PixelToDataTest, ::testing::ValuesIn(kPixelRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawnGraph, CoordinateReadOut) {
  EXPECT_EQ(graph.FormatCoordinates(103, 36), "(0.00E+00,1.00E+01)");
  EXPECT_EQ(graph.FormatCoordinates(102, 36), std::nullopt);
  GraphSettings settings = graph.GetGraphSettings();
  settings.DecimalSeparator = ",";
  graph.SetGraphSettings(settings);
  EXPECT_EQ(graph.FormatCoordinates(744, 547), "(1,00E+01,0,00E+00)");
}

// ---- Guards: nothing drawn, nothing changed ---------------------------------------------------

TEST_F(DrawnGraph, WithoutSurfaceNothingChanges) {
  graph.SeriesList() = {LineSeries({{0, 0}, {100, 100}})};
  graph.ComputeAxes();
  graph.SetSurface(nullptr);
  graph.DrawGraph();
  EXPECT_EQ(graph.GetPlotRect(), (PixelRect{103, 36, 744, 547}));
  EXPECT_DOUBLE_EQ(graph.Layout().XUnitsPerPixel, 10.0 / 641);
}

TEST(DrawGraph, AxesNeverComputedDrawNothing) {
  RecordingCanvas canvas(800, 600);
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {LineSeries({{0, 0}, {10, 10}})};
  graph.DrawGraph();
  EXPECT_TRUE(canvas.Calls().empty());
  EXPECT_EQ(graph.GetPlotRect(), PixelRect{});
}

}  // namespace
}  // namespace quarvel
