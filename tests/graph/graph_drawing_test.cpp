// Whole drawings on the recording canvas (texts 7 pixels per character, 14 high): per scenario
// the plot rectangle, worked out by hand, and a digest of everything else the drawing leaves
// (data extents, both axis scales, the whole layout, every canvas call in order with its pen,
// font, alignment, colour and text, and the read-out at pixels on and around the plot's edges).
// A changed element, order, position, pen, font or text changes the digest.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/recording_canvas.h"
#include "support/digest.h"

namespace quarvel {
namespace {

using S = GraphSettings;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
  return out << r.Left << " " << r.Top << " " << r.Right << " " << r.Bottom;
}

// "left top right bottom 0x<digest>", or "none 0x<digest>" when nothing was drawn.
std::string Drawn(const Graph& graph, const RecordingCanvas& canvas,
                  const std::optional<GraphLayout>& layout) {
  std::ostringstream t;
  t.precision(17);
  for (const AxisScale* s : {&graph.XScale(), &graph.YScale()}) {
    t << s->MajorStep << " " << s->MinorStep << " " << s->Max << " " << s->Min << "\n";
  }
  const DataExtents& e = graph.Extents();
  t << e.XMax << " " << e.XMin << " " << e.YMax << " " << e.YMin << "\n";
  for (const CanvasCall& c : canvas.Calls()) {
    t << int(c.kind) << " " << c.x << " " << c.y << " " << c.fromX << " " << c.fromY << " "
      << c.rect << " " << c.colour << " " << int(c.align) << " " << c.text;
    if (c.pen) t << " pen " << c.pen->Style << " " << c.pen->Width << " " << c.pen->Colour;
    if (const auto& f = c.font) {
      t << " font " << f->Height << " " << f->Escapement << " " << f->Weight << " " << f->Italic
        << f->Underline << f->Strikeout << " " << f->CharSet << " " << f->FaceName;
    }
    t << "\n";
  }
  if (layout) {
    const GraphLayout& l = *layout;
    const PixelRect& p = l.PlotRect;
    t << l.CanvasRect << " " << l.XUnitsPerPixel << " " << l.YUnitsPerPixel << " "
      << l.LegendHeightSum << "\n";
    for (const TextExtent& x :
         {l.XTickText, l.YTickText, l.YTitle, l.XTitle, l.Title, l.LegendEntry}) {
      t << x.Width << " " << x.Height << "\n";
    }
    for (const int32_t px : {p.Left - 1, p.Left, (p.Left + p.Right) / 2, p.Right, p.Right + 1}) {
      for (const int32_t py : {p.Top - 1, p.Top, (p.Top + p.Bottom) / 2, p.Bottom, p.Bottom + 1}) {
        double x = -1, y = -1;
        t << graph.PixelToData(l, px, py, x, y) << " " << x << " " << y << " "
          << graph.FormatCoordinates(l, px, py).value_or("-") << "\n";
      }
    }
    for (const double v : {0.0, 2.0, 5.0, 10.0}) {
      t << l.DataToPixelX(v).value_or(-1) << " " << l.DataToPixelY(v).value_or(-1) << "\n";
    }
  }
  test::Digest digest;
  digest.Text(t.str());
  std::ostringstream out;
  (layout ? out << layout->PlotRect : out << "none") << " 0x" << std::hex << digest.value;
  return out.str();
}

// A line through the points; `marker` > 0 adds a "+" of that arm in magenta on each point,
// `name` lists it in the legend.
GraphSeries Line(std::vector<std::pair<double, double>> xy, Colour colour = 0x0000FF,
                 int32_t marker = 0, const char* name = nullptr) {
  std::vector<GraphPoint> points;
  for (const auto& [x, y] : xy) points.push_back(GraphPoint{x, y, "", ""});
  const auto count = static_cast<int32_t>(points.size());
  return GraphSeries{count, std::move(points), true, colour, 1, kPenSolid, marker > 0, 0xFF00FF,
                     2, marker, name != nullptr, name ? name : ""};
}
GraphSeries Labelled(GraphSeries s, int i, const char* xLabel, const char* yLabel) {
  std::tie(s.Points[i].XLabel, s.Points[i].YLabel) = std::pair(xLabel, yLabel);
  return s;
}
GraphSeries Named(GraphSeries s, const char* name) {
  s.Name = name;
  return s;
}
GraphSeries Only(GraphSeries s, int32_t pointCount, bool line = true) {
  std::tie(s.PointCount, s.ShowLine) = std::pair(pointCount, line);
  return s;
}
const GraphSeries kDiagonal = Line({{0, 0}, {10, 10}});
const GraphSeries kFourPoints = Line({{0, 0}, {5, 9}, {9, 1}, {2, 2}}, 0x00FF00);

// Every pen of the graph in its own colour 1..10, the major ticks told apart by width, every
// text style in its own face, all titles and point labels.
void Distinct(S& s) {
  Colour S::*const pens[] = {&S::HRefColour,       &S::VRefColour,       &S::MinorTickColour,
                             &S::MajorTickColour,  &S::YMinorGridColour, &S::XMinorGridColour,
                             &S::YMajorGridColour, &S::XMajorGridColour, &S::XAxisColour,
                             &S::YAxisColour};
  for (Colour i = 0; i < 10; ++i) s.*pens[i] = i + 1;
  s.YMajorTickWidth = 4;
  for (auto [style, face] : {std::pair{&S::XNumberStyle, "XNUM"}, {&S::YNumberStyle, "YNUM"},
                             {&S::YTitleStyle, "YTITLE"}, {&S::XTitleStyle, "XTITLE"},
                             {&S::TitleStyle, "TITLE"}, {&S::LegendStyle, "LEGEND"}}) {
    (s.*style).FontName = face;
  }
  std::tie(s.YTitle, s.XTitle, s.Title) = std::tuple("Force", "Time", "Graph");
  s.XPointLabels = s.YPointLabels = true;
}

struct Drawing {
  const char* name;
  int32_t height;
  void (*settings)(S&);
  std::vector<GraphSeries> series;  // empty: the diagonal (0, 0)-(10, 10) the axes came from
  const char* want;
};

// Margins with data 0..10 on both axes (tick texts "0.00E+00" and "1.00E+01", 56 x 14) at
// 800 x 600: left 15 + 56 + 2*0.02*800 = 103, right 800 - 0.07*800 = 744 (with or without a
// legend), top 2*0.03*600 = 36, bottom 600 - 15 - 14 - 2*0.02*600 = 547.
const Drawing kDrawings[] = {
    {"Defaults", 600, nullptr, {}, "103 36 744 547 0xc0be8635ee04f9e"},
    // Every element in its fixed order, in its own pen and font; point labels, a legend entry
    // with markers; tick texts from -4 to 4 by 2 ("-4.00E+00" is 63 wide).
    {"DistinctElements", 600, Distinct,
     {Labelled(Line({{-2.5, -2.5}, {3.7, 3.7}}, 11, 3, "Series"), 0, "start", "low")},
      "138 56 654 519 0x87607907be9ba53"},
    // The reference lines only where zero lies on the axis: zero on one axis alone tells the two
    // lines apart (zero on neither: OnePointWidensByOne).
    {"ZeroOnlyOnY", 600, Distinct, {Only(Line({{2, -1}, {4, 1}}), 2, false)},
     "138 56 744 519 0xc5e9411ad2b689d5"},
    // top = 2*0.03*575 = 34.5 rounds to the even 34; bottom = 575 - 29 - 23.
    {"HalfPixelRoundsToEven", 575, nullptr, {}, "103 34 744 523 0xa97318113ddce0fc"},
    {"HiddenTicksTakeNoRoom", 600, [](S& s) { s.ShowXMajorTicks = s.ShowYMajorTicks = false; },
     {}, "47 36 744 561 0x3b69cb95e66f6ad0"},
    // A 10-character Y label (70 wide) is wider than the tick texts.
    {"PointLabelsWidenTickTexts", 600, [](S& s) { s.XPointLabels = s.YPointLabels = true; },
     {Labelled(kDiagonal, 1, "", "ten chars!")}, "117 36 744 547 0xe84778e169bf5530"},
    {"HiddenLegendKeepsItsMargin", 600, [](S& s) { s.ShowLegend = false; }, {Line({{0, 0}, {10,
     10}}, 0xFF, 0, "Original")}, "103 36 744 547 0x4a70c3974ad59afb"},
    // Listed only with ShowInLegend and a name: without one the legend keeps its gaps.
    {"LegendWithoutListedSeries", 600, nullptr, {Line({{0, 0}, {10, 10}}, 0xFF, 0, ""),
     Named(Line({{0, 0}}), "Not listed")}, "103 36 744 547 0x3836c1b2207d8366"},
    // right = 800 - 56 - 2*0.2*14 - 48 - 2*14 - 8 - 14 = 640.4: the 56 x 14 entry takes room.
    {"LegendEntryWithMarker", 600, nullptr, {Line({{0, 0}, {10, 10}}, 0x00FF00, 4, "Original")},
     "103 36 640 547 0x702a034e49552a7c"},
    // The second entry one line under the first (recorded; the right edge as for one entry).
    {"TwoLegendEntries", 600, nullptr, {Line({{0, 0}, {10, 10}}, 0xFF, 0, "Original"),
     Line({{0, 10}, {10, 0}}, 0xFF00, 0, "Modified")}, "103 36 640 547 0xadb47ea55416efc3"},
    // left 103 + (2*0.5+1)*14, top (2*0.2+1)*14 + 36 = 55.6, bottom 547 - (2*0.5+1)*14. Each
    // title in its own colour, not the one the tick numbers left behind (a mend).
    {"TitlesWithTheirColours", 600,
     [](S& s) {
       std::tie(s.YTitle, s.XTitle, s.Title) = std::tuple("Force", "Time", "Force - Time");
       std::tie(s.YNumberStyle.Colour, s.YTitleStyle.Colour,
        s.TitleStyle.Colour) = std::tuple(0xFF, 0xFF00, 0x808080);
     },
     {}, "131 56 744 519 0x23bd038540590d56"},
    // An edge that cannot be computed keeps the previous drawing's (the defaults').
    {"InfiniteTitleGapKeepsTheTopEdge", 600, [](S& s) { s.TitleGapOfSize = INFINITY; }, {},
     "103 36 744 547 0xc0be8635ee04f9e"},
    // Nothing visible: a "+" of arm 0, a line of one point.
    {"NothingVisible", 600, nullptr, {kDiagonal, Line({{5, 5}}, 0xFF00, 0), Line({{5, 5}},
     0xFF00)}, "103 36 744 547 0xd815b71e117a6167"},
    // A prefix of the points; no segment into or out of a point without a pixel; a "+".
    {"PrefixGapAndPlus", 600, nullptr,
     {kDiagonal, Only(kFourPoints, 2), Line({{0, 0}, {2, 2}, {3, kNan}, {4, 4}, {6, 6}}, 0xFF00),
      Only(Line({{5, 5}}, 0xFF0000, 8), 1, false)},
     "103 36 744 547 0x6cee8917f81166d6"},
    // Extents from point 1 of series 1 even when its PointCount hides it; a PointCount beyond
    // the points uses what exists; hidden series count.
    {"PointCountZeroSeedsExtents", 600, nullptr, {Only(kFourPoints, 0), Line({{1, 1}, {2, 2}})},
     "103 36 744 547 0x13428191badb4d6a"},
    {"PointCountBeyondThePoints", 600, nullptr, {Only(kFourPoints, 9), Only(Line({{-2.5, -2.5}}),
     1, false)}, "110 36 744 547 0x41bbfdcdebeacc0f"},
    {"OnePointWidensByOne", 600, nullptr, {Line({{3, 7}})}, "103 36 744 547 0x7fdf7d7a2386ef5f"},
    {"MarkerAtOriginReachesZero", 600, nullptr, {Line({{2, 2}, {4, 3}}), Only(Line({{0, 0}}, 0,
     1), 1, false)}, "103 36 744 547 0x2d9414b641a4c8a4"},
    // Steps beyond the decade table stay stale: the tick loops must still end (a mend).
    {"HugeRangeStaysBounded", 600, nullptr, {Line({{0, 0}, {1e40, 1e40}})},
     "47 36 744 561 0xa01f80f7acadc437"},
};

class GraphDrawing : public ::testing::TestWithParam<Drawing> {};

// The graph is first drawn with the diagonal; the row's settings and series then replace it.
TEST_P(GraphDrawing, LeavesTheRecordedDrawing) {
  const Drawing& row = GetParam();
  RecordingCanvas canvas(800, row.height);
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {kDiagonal};
  graph.ComputeAxes();
  const GraphLayout previous = graph.DrawGraph().value();
  canvas.Clear();
  S settings;
  if (row.settings) row.settings(settings);
  graph.SetGraphSettings(settings);
  if (!row.series.empty()) graph.SeriesList() = row.series;
  graph.ComputeAxes();
  EXPECT_EQ(Drawn(graph, canvas, graph.DrawGraph(previous)), row.want);
}

INSTANTIATE_TEST_SUITE_P(Rows, GraphDrawing, ::testing::ValuesIn(kDrawings),
                         [](const auto& row) { return std::string(row.param.name); });

// Nothing is drawn before the axes were ever computed. (Without series: the paused playback
// test; without a surface: the dressed response graph.)
TEST(GraphDrawing, NothingToDrawBeforeTheAxes) {
  RecordingCanvas canvas(800, 600);
  Graph graph;
  graph.SetSurface(&canvas);
  graph.SeriesList() = {kDiagonal};
  EXPECT_EQ(Drawn(graph, canvas, graph.DrawGraph()), "none 0xddb0f1cf17261bdf");
}

}  // namespace
}  // namespace quarvel
