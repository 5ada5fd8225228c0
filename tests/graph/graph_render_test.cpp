// RenderGraph against the recording canvas: element order, what is drawn when, and where.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "graph/graph.h"
#include "graph/recording_canvas.h"
#include "graph_test_support.h"

namespace quarvel {
namespace {

using Kind = CanvasCall::Kind;
using Ends = std::array<int32_t, 4>;  // a recorded line as {fromX, fromY, toX, toY}
using testing_support::LineSeries;
using testing_support::MarkerSeries;

Ends EndsOf(const CanvasCall& line) { return {line.fromX, line.fromY, line.x, line.y}; }

class RenderTest : public ::testing::Test {
 protected:
  // Draws the series with the settings and keeps only the calls of RenderGraph.
  void Draw(std::vector<GraphSeries> series, const GraphSettings& settings = GraphSettings{}) {
    graph.SetSurface(&canvas);
    graph.SeriesList() = std::move(series);
    graph.SetGraphSettings(settings);
    graph.ComputeAxes();
    layout = graph.DrawGraph().value();
    canvas.Clear();
    graph.RenderGraph(layout);
  }
  std::vector<CanvasCall> LinesInColour(Colour colour) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& line : canvas.VisibleLines()) {
      if (line.pen && line.pen->Colour == colour) out.push_back(line);
    }
    return out;
  }
  const CanvasCall* TextCall(const std::string& text) const {
    for (const CanvasCall& call : canvas.Calls()) {
      if (call.kind == Kind::TextOut && call.text == text) return &call;
    }
    return nullptr;
  }

  RecordingCanvas canvas{800, 600};
  Graph graph;
  GraphLayout layout;  // of the last Draw
};

using S = GraphSettings;
// Every pen of the graph in colour 1..10 by this order, the series' line 11 and marker 12, and
// every text style in its own face, so that the recorded calls tell which element selected them.
const std::pair<Colour S::*, const char*> kPens[] = {
    {&S::HRefColour, "href"},           {&S::VRefColour, "vref"},
    {&S::MinorTickColour, "minor ticks"}, {&S::MajorTickColour, "major ticks"},
    {&S::YMinorGridColour, "y minor grid"}, {&S::XMinorGridColour, "x minor grid"},
    {&S::YMajorGridColour, "y major grid"}, {&S::XMajorGridColour, "x major grid"},
    {&S::XAxisColour, "x axis"},        {&S::YAxisColour, "y axis"}};

GraphSettings DistinctSettings() {
  GraphSettings s;
  for (Colour i = 0; i < 10; ++i) s.*kPens[i].first = i + 1;
  s.XMajorTickWidth = 2;  // tells the major tick pens apart
  s.YMajorTickWidth = 4;
  for (const auto& [style, face] : {std::pair{&S::XNumberStyle, "XNUM"}, {&S::YNumberStyle, "YNUM"},
                                    {&S::YTitleStyle, "YTITLE"}, {&S::XTitleStyle, "XTITLE"},
                                    {&S::TitleStyle, "TITLE"}, {&S::LegendStyle, "LEGEND"}}) {
    (s.*style).FontName = face;
  }
  s.YTitle = "Force";
  s.XTitle = "Time";
  s.Title = "Graph";
  s.XPointLabels = s.YPointLabels = true;
  return s;
}

TEST_F(RenderTest, ElementsInFixedOrder) {
  GraphSeries series = LineSeries({{-2.5, -2.5}, {3.7, 3.7}}, 11, 1);
  series.ShowMarkers = series.ShowInLegend = true;
  series.MarkerColour = 12;
  series.MarkerSize = 3;
  series.Name = "Series";
  series.Points[0].XLabel = "start";
  series.Points[0].YLabel = "low";
  Draw({series}, DistinctSettings());

  std::vector<std::string> got;  // pens and fonts selected, background fill and invalidation
  for (const CanvasCall& call : canvas.Calls()) {
    if (call.kind == Kind::FillRect) got.push_back("background");
    if (call.kind == Kind::Invalidate) got.push_back("invalidate");
    if (call.kind == Kind::SelectFont) got.push_back("font " + call.font->FaceName);
    if (call.kind != Kind::SelectPen) continue;
    const Colour c = call.pen->Colour;
    std::string name = c == 11 ? "line" : c == 12 ? "marker" : "?";
    if (c >= 1 && c <= 10) name = kPens[c - 1].second;
    if (c == 4) name = (call.pen->Width == 2 ? "x " : "y ") + name;
    got.push_back("pen " + name);
  }
  const std::vector<std::string> want = {
      "background", "pen href", "pen vref", "pen minor ticks", "pen x major ticks",
      "pen y major ticks", "pen y minor grid", "pen x minor grid", "pen y major grid",
      "pen x major grid", "pen x axis", "pen y axis",
      "font XNUM",                           // X tick numbers
      "pen x major ticks", "font XNUM",      // X point labels: ticks and texts
      "font YNUM",                           // Y tick numbers
      "pen y major ticks", "font YNUM",      // Y point labels
      "font YTITLE", "font XTITLE", "font TITLE",
      "font LEGEND", "pen line", "pen marker",  // legend text, line and marker samples
      "pen line", "pen marker",                 // the series
      "invalidate"};
  EXPECT_EQ(got, want);
}

TEST_F(RenderTest, ReferenceLinesOnlyWhereZeroLiesOnTheAxis) {
  struct Row {
    const char* name;
    std::pair<double, double> from, to;
    bool wantH, wantV;
  };
  const Row rows[] = {
      {"ZeroInsideBoth", {-2.5, -2.5}, {3.7, 3.7}, true, true},
      {"ZeroOnAxisMinimum", {0, 0}, {10, 10}, true, true},
      {"ZeroOutsideBoth", {2, 2}, {4, 4}, false, false},  // axes from 1 to 4
      {"ZeroOnlyOnY", {2, -1}, {4, 1}, true, false},
      {"ZeroOnlyOnX", {-1, 2}, {1, 4}, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    GraphSeries series = LineSeries({row.from, row.to});
    series.ShowLine = false;
    Draw({series}, DistinctSettings());
    const PixelRect p = layout.PlotRect;
    const auto h = LinesInColour(1);
    const auto v = LinesInColour(2);
    ASSERT_EQ(h.size(), row.wantH ? 1u : 0u);
    ASSERT_EQ(v.size(), row.wantV ? 1u : 0u);
    const int32_t y = layout.DataToPixelY(0 - graph.YScale().Min).value_or(-1);
    const int32_t x = layout.DataToPixelX(0 - graph.XScale().Min).value_or(-1);
    for (const CanvasCall& line : h) EXPECT_EQ(EndsOf(line), (Ends{p.Left, y, p.Right, y}));
    for (const CanvasCall& line : v) EXPECT_EQ(EndsOf(line), (Ends{x, p.Top, x, p.Bottom}));
  }
}

TEST_F(RenderTest, AxesGridsAndTicks) {
  // 0..10 by 10 with minor steps of 2: six minor positions, two major ones on each axis.
  Draw({LineSeries({{0, 0}, {10, 10}})}, DistinctSettings());
  const PixelRect p = layout.PlotRect;
  const auto xAxis = LinesInColour(9);
  const auto yAxis = LinesInColour(10);
  ASSERT_EQ(xAxis.size() + yAxis.size(), 2u);
  EXPECT_EQ(xAxis[0].pen->Width, 3);
  EXPECT_EQ(EndsOf(xAxis[0]), (Ends{p.Right, p.Bottom, p.Left, p.Bottom}));
  EXPECT_EQ(EndsOf(yAxis[0]), (Ends{p.Left, p.Bottom, p.Left, p.Top}));
  EXPECT_EQ(LinesInColour(5).size(), 6u);
  EXPECT_EQ(LinesInColour(7).size(), 2u);
  const auto xMinorGrid = LinesInColour(6);
  ASSERT_EQ(xMinorGrid.size(), 6u);
  const int32_t x2 = *layout.DataToPixelX(2);
  EXPECT_EQ(EndsOf(xMinorGrid[1]), (Ends{x2, p.Bottom, x2, p.Top}));
  EXPECT_EQ(xMinorGrid[1].pen->Style, kPenDot);
  // Minor ticks point out of the plot: 5 down on X, 10 left on Y.
  const auto minor = LinesInColour(3);
  ASSERT_EQ(minor.size(), 12u);
  EXPECT_EQ(EndsOf(minor[1]), (Ends{x2, p.Bottom, x2, p.Bottom + 5}));
  EXPECT_EQ(EndsOf(minor[6]), (Ends{p.Left, p.Bottom, p.Left - 10, p.Bottom}));
}

TEST_F(RenderTest, TickNumbersCentredOnTheirTicks) {
  Draw({LineSeries({{-2.5, -2.5}, {3.7, 3.7}})});  // -4..4 by 2
  const PixelRect p = layout.PlotRect;
  std::vector<CanvasCall> x, y;
  for (const CanvasCall& call : canvas.Texts()) {
    (call.align == TextAlign::CentreTop ? x : y).push_back(call);
  }
  ASSERT_EQ(x.size() + y.size(), 10u);
  // X: centre/top, 15 below the plot. Y: right/bottom, half a text height (14 / 2) below the tick.
  EXPECT_EQ(x[1].text + y[1].text, "-2.00E+00-2.00E+00");
  EXPECT_EQ((std::array{x[1].x, x[1].y, y[1].x, y[1].y}),
            (std::array{*layout.DataToPixelX(2), p.Bottom + 15, p.Left - 15,
                        *layout.DataToPixelY(2) + 7}));
  EXPECT_EQ(y[1].align, TextAlign::RightBottom);
  EXPECT_EQ(y[1].font->Height, -12);
}

TEST_F(RenderTest, SeriesLinesAndMarkers) {
  GraphSeries gapped = LineSeries({{0, 0}, {2, 2}, {3, 3}, {4, 4}, {6, 6}}, 0x00FF00);
  gapped.Points[2].Y = std::nan("");
  GraphSeries prefix = LineSeries({{0, 0}, {5, 9}, {9, 1}}, 0x00FF00);
  prefix.PointCount = 2;
  const std::tuple<const char*, GraphSeries, size_t> rows[] = {  // want: visible lines
      {"MarkerSizeZeroDrawsNothingVisible", MarkerSeries(5, 5, 0, 0x00FF00), 0},
      {"OnePointLineDrawsNothingVisible", LineSeries({{5, 5}}, 0x00FF00), 0},
      {"PointCountLimitsTheLine", prefix, 1},
      // 0-2 and 4-6: no segment into or out of the point without a pixel.
      {"PointWithoutPixelBreaksTheLine", gapped, 2},
  };
  for (const auto& [name, series, want] : rows) {
    Draw({LineSeries({{0, 0}, {10, 10}}), series});
    EXPECT_EQ(LinesInColour(0x00FF00).size(), want) << name;
  }
  // A "+" is two arms that leave out their end pixel.
  Draw({LineSeries({{0, 0}, {10, 10}}), MarkerSeries(5, 5, 8, 0x00FF00)});
  const int32_t x = *layout.DataToPixelX(5);
  const int32_t y = *layout.DataToPixelY(5);
  const auto arms = LinesInColour(0x00FF00);
  ASSERT_EQ(arms.size(), 2u);
  EXPECT_EQ(EndsOf(arms[0]), (Ends{x - 8, y, x + 8, y}));
  EXPECT_EQ(EndsOf(arms[1]), (Ends{x, y - 8, x, y + 8}));
}

// A series is listed only with ShowInLegend and a name; without one the legend draws nothing
// but still keeps its gaps (the right margin stays 0.07 W).
TEST_F(RenderTest, LegendWithoutListedSeriesDrawsNothing) {
  GraphSettings settings;
  settings.LegendStyle.FontName = "LEGEND";
  GraphSeries unnamed = LineSeries({{0, 0}, {10, 10}});
  unnamed.ShowInLegend = true;
  GraphSeries unlisted = MarkerSeries(0, 0, 0);
  unlisted.Name = "Not listed";
  Draw({unnamed, unlisted}, settings);
  EXPECT_EQ(layout.PlotRect.Right, 744);
  for (const CanvasCall& call : canvas.Texts()) {
    EXPECT_FALSE(call.font && call.font->FaceName == "LEGEND") << call.text;
  }
}

TEST_F(RenderTest, LegendEntryTextSampleAndMarker) {
  GraphSeries series = LineSeries({{0, 0}, {10, 10}}, 0x00FF00);
  series.ShowInLegend = series.ShowMarkers = true;
  series.Name = "Original";
  series.MarkerColour = 0xFF00FF;
  series.MarkerSize = 4;
  Draw({series});
  // right = 800 - 56 - 2*0.2*14 - 48 - 2*14 - 8 - 14 = 640.4: the 56 x 14 entry takes room.
  // g = 640 + 0.2*14 + 0.03*800 = 666.8,
  // text at round(g + 2*14 + 0.01*800 + 14) = 717, sample 667..703, marker at 1370 div 2 = 685;
  // rows start at 583 div 2 - 14 div 2 = 284 and the sample sits half a row lower.
  ASSERT_EQ(layout.PlotRect, (PixelRect{103, 36, 640, 547}));
  const CanvasCall* text = TextCall("Original");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::make_pair(text->x, text->y), std::make_pair(717, 284));
  EXPECT_EQ(text->align, TextAlign::LeftTop);
  EXPECT_EQ(text->font->Height, -11);  // 8 pt
  const auto samples = LinesInColour(0x00FF00);
  ASSERT_EQ(samples.size(), 2u);  // the sample, then the curve
  EXPECT_EQ(EndsOf(samples[0]), (Ends{667, 291, 703, 291}));
  const auto marks = LinesInColour(0xFF00FF);
  ASSERT_EQ(marks.size(), 6u);  // the legend "+", then one "+" on each of the two points
  EXPECT_EQ(EndsOf(marks[0]), (Ends{681, 291, 689, 291}));
}

TEST_F(RenderTest, TitlesPlacedAndYTitleRotated) {
  GraphSettings settings;
  settings.YTitle = "Force";
  settings.XTitle = "Time";
  settings.Title = "Force - Time";
  Draw({LineSeries({{0, 0}, {10, 10}})}, settings);
  // left 103 + (2*0.5+1)*14, top (2*0.2+1)*14 + 36 = 55.6, bottom 547 - (2*0.5+1)*14.
  const PixelRect p = layout.PlotRect;
  EXPECT_EQ(p, (PixelRect{131, 56, 744, 519}));
  const CanvasCall* y = TextCall("Force");
  const CanvasCall* x = TextCall("Time");
  const CanvasCall* t = TextCall("Force - Time");
  ASSERT_TRUE(y && x && t);
  EXPECT_EQ(y->font->Escapement, 900);
  EXPECT_EQ(y->font->Height, -13);  // 10 pt
  EXPECT_EQ(y->align, TextAlign::CentreTop);
  EXPECT_EQ(std::make_pair(y->x, y->y), std::make_pair(23, (p.Top + p.Bottom) / 2));  // 7 + 16
  EXPECT_EQ(x->font->Escapement, 0);
  EXPECT_EQ(x->align, TextAlign::CentreBottom);
  EXPECT_EQ(std::make_pair(x->x, x->y), std::make_pair((p.Left + p.Right) / 2, 581));  // 600-7-12
  EXPECT_EQ(t->font->Height, -19);  // 14 pt
  EXPECT_EQ(t->align, TextAlign::CentreTop);
  EXPECT_EQ(t->y, 21);  // round(0.2*14 + 0.03*600) = round(20.8)
}

// Regression: titles drawn in whatever colour the tick numbers left behind.
TEST_F(RenderTest, TitlesUseTheirOwnColour) {
  GraphSettings settings;
  settings.YNumberStyle.Colour = 0x0000FF;
  settings.YTitle = "Y";
  settings.YTitleStyle.Colour = 0x00FF00;
  settings.Title = "T";
  settings.TitleStyle.Colour = 0x808080;
  Draw({LineSeries({{0, 0}, {10, 10}})}, settings);
  EXPECT_EQ(TextCall("Y")->colour, 0x00FF00u);
  EXPECT_EQ(TextCall("T")->colour, 0x808080u);
}

// Regression: data that spans more than the decade table keeps stale steps; the tick loops must
// end and stay bounded rather than run a running sum that no longer grows.
TEST_F(RenderTest, HugeRangeWithStaleStepsStaysBounded) {
  Draw({LineSeries({{0, 0}, {10, 10}})});
  graph.SeriesList() = {LineSeries({{0, 0}, {1e40, 1e40}})};
  graph.ComputeAxes();
  EXPECT_EQ(graph.XScale().MajorStep, 10);
  canvas.Clear();
  graph.DrawGraph();
  EXPECT_LT(canvas.Calls().size(), 20u * kMaxTickPositions);
  EXPECT_EQ(canvas.Calls().back().kind, Kind::Invalidate);
}

}  // namespace
}  // namespace quarvel
