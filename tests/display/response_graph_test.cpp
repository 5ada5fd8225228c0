// The graph fed from a workbench, drawn on a recording canvas.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>
#include <vector>

#include "display/quantities.h"
#include "display/response_graph.h"
#include "graph/recording_canvas.h"

namespace quarvel {
namespace {

// One experiment "Ramp" of 10 samples, U on X and F on Y: U = j in both responses, F = 2 j
// (original) and 3 j (modified). The modified response has a last positive reversal at sample
// 3 from sample 4 on, a last negative one at 6 from 7 on, a max positive one at 4 from 8 on
// and a max negative one at 1 from 9 on. The last solve used `rule`; the window's options still
// say All Reversal Points.
Workbench RampBench(ReversalRule rule = ReversalRule::AllReversals) {
  Workbench bench;
  Experiment& e = bench.experiments.Append(Experiment{});
  e.name = "Ramp";
  e.counter = 10;
  bench.SelectFirst(1, 4);
  bench.parameters.reversalRule = rule;
  ExperimentResults& r = bench.results.At(1);
  r.original.Reset(10);
  r.modified.Reset(10);
  auto& i = r.reversalIndices;
  i.Reset(10);
  for (int32_t j = 1; j <= 10; ++j) {
    r.original.U[j] = r.modified.U[j] = j;
    r.original.F[j] = 2.0 * j;
    r.modified.F[j] = 3.0 * j;
    std::tie(i.lastPlus[j], i.lastMinus[j], i.maxPlus[j], i.maxMinus[j]) =
        std::tuple(j >= 4 ? 3 : 0, j >= 7 ? 6 : 0, j >= 8 ? 4 : 0, j >= 9 ? 1 : 0);
  }
  return bench;
}

struct Shown {
  RecordingCanvas canvas{400, 300};
  Graph graph;
  Shown() { graph.SetSurface(&canvas); }
  // The four marks as "(x,y)size", the modified curve's point count and the visible segments in
  // each curve's pen.
  std::string Text() const {
    std::ostringstream text;
    for (int32_t i = kLastPlusMark; i <= kMaxMinusMark; ++i) {
      const GraphSeries& s = graph.SeriesList()[i];
      text << "(" << s.Points[0].X << "," << s.Points[0].Y << ")" << s.MarkerSize << " ";
    }
    text << graph.SeriesList()[kModifiedCurve].PointCount;
    const std::vector<CanvasCall> lines = canvas.VisibleLines();
    for (const auto& [colour, width] : {std::pair{0x0000FFu, 3}, {0xFF0000u, 2}}) {
      text << " " << std::count_if(lines.begin(), lines.end(), [&](const CanvasCall& l) {
        return l.pen && l.pen->Colour == colour && l.pen->Width == width;
      });
    }
    return text.str();
  }
};

// Red and blue curves up to the counter, one segment per pair of neighbouring points, the four
// marks hidden at the origin; a playback frame shows samples 1..k with the marks at the
// modified response's reversals in force after sample k (U = i, F = 3 i), sized by the rule of
// the solve that made the data. Rows: rule, UpdateGraph's point count, frame (0: none).
TEST(UpdateGraphTest, CurvesUpToTheCounterAndMarksOfTheSolvesRule) {
  using enum ReversalRule;
  const std::tuple<ReversalRule, int32_t, int32_t, const char*> rows[] = {
      {AllReversals, 50, 0, "(0,0)0 (0,0)0 (0,0)0 (0,0)0 10 9 9"},
      {AllReversals, 4, 0, "(0,0)0 (0,0)0 (0,0)0 (0,0)0 4 3 3"},
      {AllReversals, -3, 0, "(0,0)0 (0,0)0 (0,0)0 (0,0)0 0 0 0"},
      {AllReversals, 10, 9, "(3,9)0 (6,18)0 (4,12)0 (1,3)0 9 8 8"},
      {LastReversal, 10, 9, "(3,9)8 (6,18)8 (4,12)0 (1,3)0 9 8 8"},
      {MaxReversal, 10, 9, "(3,9)0 (6,18)0 (4,12)16 (1,3)16 9 8 8"},
      {LastAndMaxReversal, 10, 9, "(3,9)8 (6,18)8 (4,12)16 (1,3)16 9 8 8"},
      {LastAndMaxReversal, 10, 2, "(0,0)8 (0,0)8 (0,0)16 (0,0)16 2 1 1"},  // none yet
  };
  for (const auto& [rule, pointCount, frame, want] : rows) {
    Shown f;
    ASSERT_TRUE(UpdateGraph(f.graph, RampBench(rule), pointCount, true));
    if (frame > 0) {
      f.canvas.Clear();
      ASSERT_TRUE(UpdatePlaybackFrame(f.graph, RampBench(rule), frame));
    }
    EXPECT_EQ(f.Text(), want) << pointCount << " " << frame;
  }
  // A reversal index beyond the response, or a history that ends before the frame, leaves the
  // mark where it was.
  Workbench bench = RampBench(LastAndMaxReversal);
  Shown f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
  bench.results.At(1).reversalIndices.lastPlus[5] = 11;
  bench.results.At(1).reversalIndices.maxMinus.resize(5);
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 5));
  EXPECT_EQ(f.Text().substr(0, 30), "(3,9)8 (0,0)8 (0,0)16 (1,3)16 ");
}

// X and Y read their own quantities' arrays (here Velocity and Hysteretic energy) and name the
// axis and graph titles, without a legend; without the title update the old titles stay.
// (Quantities by name: the command-line plot test.) The window asks for units on the axes: only
// a ground acceleration in units of g fixes them; the title keeps the bare names.
TEST(UpdateGraphTest, EachAxisItsQuantitysArrayTitlesAndUnits) {
  struct Row {
    const char* name;
    ExperimentDataType type;
    int32_t unitsOfG;
    bool axisUnits;
    const char* xTitle;
    const char* yTitle;
  };
  const Row rows[] = {
      {"acceleration_in_g", ExperimentDataType::Acceleration, 1, true, "Velocity (m/s)",
       "Hysteretic energy (J)"},
      {"not_asked", ExperimentDataType::Acceleration, 1, false, "Velocity", "Hysteretic energy"},
      {"acceleration_without_units", ExperimentDataType::Acceleration, 0, true, "Velocity",
       "Hysteretic energy"},
      {"force_marked_in_g", ExperimentDataType::Force, 1, true, "Velocity", "Hysteretic energy"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Workbench bench = RampBench();
    std::tie(bench.experiments.At(1).dataType, bench.experiments.At(1).unitsOfG) =
        std::pair(row.type, row.unitsOfG);
    std::tie(bench.graphXQuantity, bench.graphYQuantity) = std::pair(2, 9);
    bench.results.At(1).original.U_DOT[3] = 7.0;
    bench.results.At(1).original.Eh[3] = 9.0;
    Shown f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true, row.axisUnits));
    const GraphPoint& p = f.graph.SeriesList()[kOriginalCurve].Points[2];
    EXPECT_EQ(p.X, 7.0);
    EXPECT_EQ(p.Y, 9.0);
    EXPECT_EQ(f.graph.Settings().XTitle, row.xTitle);
    EXPECT_EQ(f.graph.Settings().YTitle, row.yTitle);
    EXPECT_EQ(f.graph.Settings().Title, "Hysteretic energy - Velocity graph for Ramp");
    EXPECT_FALSE(f.graph.Settings().ShowLegend);
    bench.graphYQuantity = 4;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, false, row.axisUnits));
    EXPECT_EQ(f.graph.Settings().YTitle, row.yTitle);
  }
}

// A response the solve left empty is drawn around the origin, not around the previous data; with
// nothing to show nothing is drawn or changed (a frame needs no quantity). (That the hidden
// marks at the origin bring both axes to 0: the whole drawings in graph_drawing_test.)
TEST(UpdateGraphTest, EmptyResponsesCentreOnTheOriginNothingToShowDrawsNothing) {
  Workbench bench = RampBench();
  ExperimentResults& e = bench.results.At(1);
  Shown f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));  // U up to 10
  e.original = e.modified = ResponseHistory{};
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
  EXPECT_EQ(f.graph.SeriesList()[kOriginalCurve].PointCount, 0);
  EXPECT_EQ(f.graph.XScale().Min, -1.0);
  EXPECT_EQ(f.graph.XScale().Max, 1.0);

  void (*changes[])(Workbench&) = {[](Workbench& b) { b.experiments.Clear(); },
                                   [](Workbench& b) { b.currentExperiment = 2; },
                                   [](Workbench& b) { b.graphYQuantity = kQuantityCount; }};
  for (auto change : changes) {
    Workbench changed = RampBench();
    Shown g;
    ASSERT_TRUE(UpdateGraph(g.graph, changed, 4, true));
    g.canvas.Clear();
    change(changed);
    EXPECT_FALSE(UpdateGraph(g.graph, changed, 2, true));
    EXPECT_TRUE(g.canvas.Calls().empty());
    EXPECT_EQ(g.graph.SeriesList()[kOriginalCurve].PointCount, 4);
    EXPECT_EQ(UpdatePlaybackFrame(g.graph, changed, 2), change == changes[2]);
  }
  Shown g;  // a frame before any UpdateGraph
  EXPECT_FALSE(UpdatePlaybackFrame(g.graph, RampBench(), 2));
  EXPECT_TRUE(g.canvas.Calls().empty());
}

}  // namespace
}  // namespace quarvel
