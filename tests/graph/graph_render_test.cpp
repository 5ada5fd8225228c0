// RenderGraph against the recording canvas: element order, what is drawn when, and where.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/recording_canvas.h"
#include "graph_test_support.h"

namespace quarvel {
namespace {

using Kind = CanvasCall::Kind;
using testing_support::LineSeries;
using testing_support::MarkerSeries;

// Every pen of the graph in its own colour and every text style in its own face, so that the
// recorded calls tell which element selected them.
GraphSettings DistinctSettings() {
  GraphSettings s;
  s.HRefColour = 1;
  s.VRefColour = 2;
  s.MinorTickColour = 3;
  s.MajorTickColour = 4;
  s.XMajorTickWidth = 2;
  s.YMajorTickWidth = 4;
  s.YMinorGridColour = 5;
  s.XMinorGridColour = 6;
  s.YMajorGridColour = 7;
  s.XMajorGridColour = 8;
  s.XAxisColour = 9;
  s.YAxisColour = 10;
  s.XNumberStyle.FontName = "XNUM";
  s.YNumberStyle.FontName = "YNUM";
  s.YTitleStyle.FontName = "YTITLE";
  s.XTitleStyle.FontName = "XTITLE";
  s.TitleStyle.FontName = "TITLE";
  s.LegendStyle.FontName = "LEGEND";
  s.YTitle = "Force";
  s.XTitle = "Time";
  s.Title = "Graph";
  s.XPointLabels = true;
  s.YPointLabels = true;
  return s;
}

std::string PenName(const Pen& pen) {
  static const std::map<Colour, std::string> names = {
      {1, "href"},       {2, "vref"},       {3, "minor ticks"}, {5, "y minor grid"},
      {6, "x minor grid"}, {7, "y major grid"}, {8, "x major grid"}, {9, "x axis"},
      {10, "y axis"},    {11, "line"},      {12, "marker"}};
  if (pen.Colour == 4) return pen.Width == 2 ? "x major ticks" : "y major ticks";
  const auto it = names.find(pen.Colour);
  return it == names.end() ? "?" : it->second;
}

// The pens and fonts selected, the background fill and the invalidation, in call order.
std::vector<std::string> Selections(const RecordingCanvas& canvas) {
  std::vector<std::string> out;
  for (const CanvasCall& call : canvas.Calls()) {
    switch (call.kind) {
      case Kind::FillRect:
        out.push_back("background");
        break;
      case Kind::SelectPen:
        out.push_back("pen " + PenName(*call.pen));
        break;
      case Kind::SelectFont:
        out.push_back("font " + call.font->FaceName);
        break;
      case Kind::Invalidate:
        out.push_back("invalidate");
        break;
      default:
        break;
    }
  }
  return out;
}

class RenderTest : public ::testing::Test {
 protected:
  // Draws the series with the settings and keeps only the calls of RenderGraph.
  void Draw(std::vector<GraphSeries> series, const GraphSettings& settings = GraphSettings{}) {
    graph.SetSurface(&canvas);
    graph.SeriesList() = std::move(series);
    graph.SetGraphSettings(settings);
    graph.ComputeAxes();
    graph.DrawGraph();
    canvas.Clear();
    graph.RenderGraph();
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
};

TEST_F(RenderTest, ElementsInFixedOrder) {
  GraphSeries series = LineSeries({{-2.5, -2.5}, {3.7, 3.7}}, 11, 1);
  series.ShowMarkers = true;
  series.MarkerColour = 12;
  series.MarkerSize = 3;
  series.ShowInLegend = true;
  series.Name = "Series";
  series.Points[0].XLabel = "start";
  series.Points[0].YLabel = "low";
  Draw({series}, DistinctSettings());

  const std::vector<std::string> want = {
      "background",
      "pen href",
      "pen vref",
      "pen minor ticks",
      "pen x major ticks",
      "pen y major ticks",
      "pen y minor grid",
      "pen x minor grid",
      "pen y major grid",
      "pen x major grid",
      "pen x axis",
      "pen y axis",
      "font XNUM",           // X tick numbers
      "pen x major ticks",   // X point labels: their ticks...
      "font XNUM",           // ...and texts
      "font YNUM",           // Y tick numbers
      "pen y major ticks",   // Y point labels
      "font YNUM",
      "font YTITLE",
      "font XTITLE",
      "font TITLE",
      "font LEGEND",
      "pen line",    // legend line sample
      "pen marker",  // legend marker sample
      "pen line",    // the series
      "pen marker",
      "invalidate",
  };
  EXPECT_EQ(Selections(canvas), want);
}

TEST_F(RenderTest, BackgroundAndInvalidationCoverTheSurface) {
  canvas.Background = 0x123456;
  Draw({LineSeries({{0, 0}, {10, 10}})});
  const CanvasCall& first = canvas.Calls().front();
  EXPECT_EQ(first.kind, Kind::FillRect);
  EXPECT_EQ(first.rect, (PixelRect{0, 0, 800, 600}));
  EXPECT_EQ(first.colour, 0x123456u);
  EXPECT_EQ(canvas.Calls().back().kind, Kind::Invalidate);
  EXPECT_EQ(canvas.Calls().back().rect, (PixelRect{0, 0, 800, 600}));
}

struct ReferenceRow {
  const char* name;
  std::vector<std::pair<double, double>> points;
  bool wantH, wantV;
};

const ReferenceRow kReferenceRows[] = {
    {"ZeroInsideBoth", {{-2.5, -2.5}, {3.7, 3.7}}, true, true},
    {"ZeroOnAxisMinimum", {{0, 0}, {10, 10}}, true, true},
    {"ZeroOutsideBoth", {{2, 2}, {4, 4}}, false, false},  // axes from 1 to 4
    {"ZeroOnlyOnY", {{2, -1}, {4, 1}}, true, false},
    {"ZeroOnlyOnX", {{-1, 2}, {1, 4}}, false, true},
};

class ReferenceLineTest : public RenderTest,
                          public ::testing::WithParamInterface<ReferenceRow> {};

TEST_P(ReferenceLineTest, OnlyWhereZeroLiesOnTheAxis) {
  const ReferenceRow& row = GetParam();
  GraphSeries series;
  for (const auto& [x, y] : row.points) series.Points.push_back(GraphPoint{x, y, "", ""});
  series.PointCount = static_cast<int32_t>(series.Points.size());
  Draw({series}, DistinctSettings());
  const PixelRect plot = graph.GetPlotRect();
  const auto h = LinesInColour(1);
  const auto v = LinesInColour(2);
  ASSERT_EQ(h.size(), row.wantH ? 1u : 0u);
  ASSERT_EQ(v.size(), row.wantV ? 1u : 0u);
  if (row.wantH) {
    const int32_t y = *graph.DataToPixelY(0 - graph.YScale().Min);
    EXPECT_EQ(h[0].fromX, plot.Left);
    EXPECT_EQ(h[0].x, plot.Right);
    EXPECT_EQ(h[0].fromY, y);
    EXPECT_EQ(h[0].y, y);
    EXPECT_EQ(h[0].pen->Style, kPenSolid);
  }
  if (row.wantV) {
    const int32_t x = *graph.DataToPixelX(0 - graph.XScale().Min);
    EXPECT_EQ(v[0].fromY, plot.Top);
    EXPECT_EQ(v[0].y, plot.Bottom);
    EXPECT_EQ(v[0].x, x);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ReferenceLineTest, ::testing::ValuesIn(kReferenceRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderTest, AxesOnBottomAndLeftEdgesOverTheGrid) {
  Draw({LineSeries({{0, 0}, {10, 10}})}, DistinctSettings());
  const PixelRect p = graph.GetPlotRect();
  const auto x = LinesInColour(9);
  const auto y = LinesInColour(10);
  ASSERT_EQ(x.size(), 1u);
  ASSERT_EQ(y.size(), 1u);
  EXPECT_EQ(x[0].pen->Width, 3);
  EXPECT_EQ(std::vector<int32_t>({x[0].fromX, x[0].fromY, x[0].x, x[0].y}),
            std::vector<int32_t>({p.Right, p.Bottom, p.Left, p.Bottom}));
  EXPECT_EQ(std::vector<int32_t>({y[0].fromX, y[0].fromY, y[0].x, y[0].y}),
            std::vector<int32_t>({p.Left, p.Bottom, p.Left, p.Top}));
}

TEST_F(RenderTest, GridsAndTicksAtRunningSumPositions) {
  // 0..10 by 10 with minor steps of 2: six minor positions, two major ones on each axis.
  Draw({LineSeries({{0, 0}, {10, 10}})}, DistinctSettings());
  const PixelRect p = graph.GetPlotRect();
  EXPECT_EQ(LinesInColour(5).size(), 6u);
  EXPECT_EQ(LinesInColour(6).size(), 6u);
  EXPECT_EQ(LinesInColour(7).size(), 2u);
  EXPECT_EQ(LinesInColour(8).size(), 2u);
  const auto minor = LinesInColour(3);
  ASSERT_EQ(minor.size(), 12u);
  // X minor ticks hang 5 below the plot, Y minor ticks reach 10 to its left.
  EXPECT_EQ(minor[0].fromY, p.Bottom);
  EXPECT_EQ(minor[0].y, p.Bottom + 5);
  EXPECT_EQ(minor[6].fromX, p.Left);
  EXPECT_EQ(minor[6].x, p.Left - 10);
  const auto grid = LinesInColour(6);
  EXPECT_EQ(grid[1].x, *graph.DataToPixelX(2));
  EXPECT_EQ(grid[1].pen->Style, kPenDot);
}

TEST_F(RenderTest, TickNumbersCentredOnTheirTicks) {
  Draw({LineSeries({{-2.5, -2.5}, {3.7, 3.7}})});
  const PixelRect p = graph.GetPlotRect();
  // -4..4 by 2: five texts per axis.
  const CanvasCall* x = TextCall("-2.00E+00");
  ASSERT_NE(x, nullptr);
  int32_t count = 0;
  for (const CanvasCall& call : canvas.Texts()) count += call.align == TextAlign::CentreTop;
  EXPECT_EQ(count, 5);
  // The Y texts are right/bottom aligned half their height (14 / 2) below the tick.
  std::vector<CanvasCall> yTexts;
  for (const CanvasCall& call : canvas.Texts()) {
    if (call.align == TextAlign::RightBottom) yTexts.push_back(call);
  }
  ASSERT_EQ(yTexts.size(), 5u);
  EXPECT_EQ(yTexts[1].text, "-2.00E+00");
  EXPECT_EQ(yTexts[1].x, p.Left - 15);
  EXPECT_EQ(yTexts[1].y, *graph.DataToPixelY(2) + 7);
  EXPECT_EQ(yTexts[1].font->Height, -12);
  // The X texts start 15 below the plot, centred under their tick.
  std::vector<CanvasCall> xTexts;
  for (const CanvasCall& call : canvas.Texts()) {
    if (call.align == TextAlign::CentreTop && call.text.size() == 9) xTexts.push_back(call);
  }
  ASSERT_FALSE(xTexts.empty());
  EXPECT_EQ(xTexts[0].text, "-4.00E+00");
  EXPECT_EQ(xTexts[0].x, p.Left);
  EXPECT_EQ(xTexts[0].y, p.Bottom + 15);
}

TEST_F(RenderTest, MarkerSizeZeroDrawsNothingVisible) {
  Draw({LineSeries({{0, 0}, {10, 10}}), MarkerSeries(5, 5, 0, 0x00FF00)});
  EXPECT_TRUE(LinesInColour(0x00FF00).empty());
}

TEST_F(RenderTest, MarkerIsAPlusWithArmsOfMarkerSize) {
  Draw({LineSeries({{0, 0}, {10, 10}}), MarkerSeries(5, 5, 8, 0x00FF00)});
  const auto lines = LinesInColour(0x00FF00);
  ASSERT_EQ(lines.size(), 2u);
  const int32_t x = *graph.DataToPixelX(5);
  const int32_t y = *graph.DataToPixelY(5);
  EXPECT_EQ(std::vector<int32_t>({lines[0].fromX, lines[0].fromY, lines[0].x, lines[0].y}),
            std::vector<int32_t>({x - 8, y, x + 8, y}));
  EXPECT_EQ(std::vector<int32_t>({lines[1].fromX, lines[1].fromY, lines[1].x, lines[1].y}),
            std::vector<int32_t>({x, y - 8, x, y + 8}));
  EXPECT_EQ(lines[0].pen->Width, 2);
}

TEST_F(RenderTest, OnePointLineDrawsNothingVisible) {
  Draw({LineSeries({{0, 0}, {10, 10}}), LineSeries({{5, 5}}, 0x00FF00)});
  EXPECT_TRUE(LinesInColour(0x00FF00).empty());
}

TEST_F(RenderTest, PointCountLimitsTheCurve) {
  GraphSeries series = LineSeries({{0, 0}, {5, 10}, {10, 0}, {10, 10}}, 0x00FF00);
  Draw({series});
  EXPECT_EQ(LinesInColour(0x00FF00).size(), 3u);
  graph.SeriesList()[0].PointCount = 2;
  canvas.Clear();
  graph.DrawGraph();
  EXPECT_EQ(LinesInColour(0x00FF00).size(), 1u);
  // The axes stay those of the last ComputeAxes.
  EXPECT_EQ(graph.XScale().Max, 10);
}

TEST_F(RenderTest, PointWithoutPixelBreaksTheLine) {
  GraphSeries series = LineSeries({{0, 0}, {2, 2}, {3, 3}, {4, 4}, {10, 10}}, 0x00FF00);
  series.Points[2].Y = std::nan("");
  Draw({series});
  const auto lines = LinesInColour(0x00FF00);
  ASSERT_EQ(lines.size(), 2u);  // 0-2 and 4-10; no segment through or from the gap
  EXPECT_EQ(lines[1].fromX, *graph.DataToPixelX(4));
}

TEST_F(RenderTest, LegendWithoutListedSeriesDrawsNothing) {
  GraphSettings settings;
  settings.LegendStyle.FontName = "LEGEND";
  GraphSeries series = LineSeries({{0, 0}, {10, 10}});
  series.Name = "Not listed";
  Draw({series}, settings);
  EXPECT_EQ(graph.GetPlotRect().Right, 744);
  for (const CanvasCall& call : canvas.Texts()) {
    EXPECT_FALSE(call.font && call.font->FaceName == "LEGEND") << call.text;
  }
}

TEST_F(RenderTest, LegendEntryTextSampleAndMarker) {
  GraphSeries series = LineSeries({{0, 0}, {10, 10}}, 0x00FF00);
  series.ShowInLegend = true;
  series.Name = "Original";
  series.ShowMarkers = true;
  series.MarkerColour = 0xFF00FF;
  series.MarkerSize = 4;
  Draw({series});
  // Plot 103..640 x 36..547 (the 56 x 14 entry takes room). g = 640 + 0.2*14 + 0.03*800 = 666.8,
  // text at round(g + 2*14 + 0.01*800 + 14) = 717, sample 667..703, marker at 1370 div 2 = 685;
  // rows start at 583 div 2 - 14 div 2 = 284 and the sample sits half a row lower.
  ASSERT_EQ(graph.GetPlotRect(), (PixelRect{103, 36, 640, 547}));
  const CanvasCall* text = TextCall("Original");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->x, 717);
  EXPECT_EQ(text->y, 284);
  EXPECT_EQ(text->align, TextAlign::LeftTop);
  EXPECT_EQ(text->font->Height, -11);  // 8 pt
  const auto samples = LinesInColour(0x00FF00);
  ASSERT_EQ(samples.size(), 2u);  // the sample, then the curve
  EXPECT_EQ(std::vector<int32_t>({samples[0].fromX, samples[0].fromY, samples[0].x, samples[0].y}),
            std::vector<int32_t>({667, 291, 703, 291}));
  const auto marks = LinesInColour(0xFF00FF);
  ASSERT_EQ(marks.size(), 6u);  // the legend "+", then one "+" on each of the two points
  EXPECT_EQ(std::vector<int32_t>({marks[0].fromX, marks[0].fromY, marks[0].x, marks[0].y}),
            std::vector<int32_t>({681, 291, 689, 291}));
}

TEST_F(RenderTest, TitlesPlacedAndYTitleRotated) {
  GraphSettings settings;
  settings.YTitle = "Force";
  settings.XTitle = "Time";
  settings.Title = "Force - Time";
  Draw({LineSeries({{0, 0}, {10, 10}})}, settings);
  const PixelRect p = graph.GetPlotRect();  // 131, 56, 744, 519
  const CanvasCall* y = TextCall("Force");
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->font->Escapement, 900);
  EXPECT_EQ(y->font->Height, -13);  // 10 pt
  EXPECT_EQ(y->align, TextAlign::CentreTop);
  EXPECT_EQ(y->x, 23);  // 0.5*14 + 0.02*800
  EXPECT_EQ(y->y, (p.Top + p.Bottom) / 2);
  const CanvasCall* x = TextCall("Time");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->font->Escapement, 0);
  EXPECT_EQ(x->align, TextAlign::CentreBottom);
  EXPECT_EQ(x->x, (p.Left + p.Right) / 2);
  EXPECT_EQ(x->y, 581);  // 600 - 0.5*14 - 0.02*600
  const CanvasCall* t = TextCall("Force - Time");
  ASSERT_NE(t, nullptr);
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
  settings.XTitle = "X";
  settings.XTitleStyle.Colour = 0xFF0000;
  settings.Title = "T";
  settings.TitleStyle.Colour = 0x808080;
  Draw({LineSeries({{0, 0}, {10, 10}})}, settings);
  EXPECT_EQ(TextCall("Y")->colour, 0x00FF00u);
  EXPECT_EQ(TextCall("X")->colour, 0xFF0000u);
  EXPECT_EQ(TextCall("T")->colour, 0x808080u);
}

TEST_F(RenderTest, FaceNameTooLongDrawsInSurfaceFont) {
  GraphSettings settings;
  settings.Title = "Title";
  settings.TitleStyle.FontName = std::string(40, 'F');
  Draw({LineSeries({{0, 0}, {10, 10}})}, settings);
  const CanvasCall* t = TextCall("Title");
  ASSERT_NE(t, nullptr);
  EXPECT_FALSE(t->font.has_value());
}

TEST_F(RenderTest, PointLabelsWithTheirTicks) {
  GraphSettings settings;
  settings.XPointLabels = true;
  settings.YPointLabels = true;
  settings.MajorTickColour = 0x0000FF;
  GraphSeries series = LineSeries({{0, 0}, {4, 6}, {10, 10}});
  series.Points[1].XLabel = "four";
  series.Points[1].YLabel = "six";
  Draw({series}, settings);
  const PixelRect p = graph.GetPlotRect();
  const int32_t x = *graph.DataToPixelX(4);
  const int32_t y = *graph.DataToPixelY(6);
  const CanvasCall* xl = TextCall("four");
  ASSERT_NE(xl, nullptr);
  EXPECT_EQ(xl->x, x);
  EXPECT_EQ(xl->y, p.Bottom + 15);
  const CanvasCall* yl = TextCall("six");
  ASSERT_NE(yl, nullptr);
  EXPECT_EQ(yl->x, p.Left - 15);
  EXPECT_EQ(yl->y, y + 7);
  int32_t labelTicks = 0;
  for (const CanvasCall& line : LinesInColour(0x0000FF)) {
    labelTicks += (line.fromX == x && line.y == p.Bottom + 10) ||
                  (line.fromY == y && line.x == p.Left - 10);
  }
  EXPECT_EQ(labelTicks, 2);
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
