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

constexpr int32_t kU = 1, kF = 4;

// One experiment "Ramp" of 10 samples, U on X and F on Y: U = j in both responses, F = 2 j
// (original) and 3 j (modified). The modified response has a last positive
// reversal at sample 3 from sample 4 on, a last negative one at 6 from 7 on, a max positive one
// at 4 from 8 on and a max negative one at 1 from 9 on. The last solve used `rule`; the window's
// options still say All Reversal Points.
Workbench RampBench(ReversalRule rule = ReversalRule::AllReversals) {
  Experiment e;
  e.name = "Ramp";
  e.counter = 10;
  Workbench bench;
  bench.experiments.Append(std::move(e));
  bench.SelectFirst(kU, kF);
  bench.parameters.reversalRule = rule;
  ExperimentResults& r = bench.results.At(1);
  r.original.Reset(10);
  r.modified.Reset(10);
  r.reversalIndices.Reset(10);
  for (int32_t j = 1; j <= 10; ++j) {
    r.original.U[j] = r.modified.U[j] = j;
    r.original.F[j] = 2.0 * j;
    r.modified.F[j] = 3.0 * j;
    r.reversalIndices.lastPlus[j] = j >= 4 ? 3 : 0;
    r.reversalIndices.lastMinus[j] = j >= 7 ? 6 : 0;
    r.reversalIndices.maxPlus[j] = j >= 8 ? 4 : 0;
    r.reversalIndices.maxMinus[j] = j >= 9 ? 1 : 0;
  }
  return bench;
}

struct Fixture {
  RecordingCanvas canvas{400, 300};
  Graph graph;
  Fixture() { graph.SetSurface(&canvas); }
  const GraphSeries& Series(int32_t i) const { return graph.SeriesList()[i]; }
  size_t LineCount(Colour colour, int32_t width) const {
    const std::vector<CanvasCall> lines = canvas.VisibleLines();
    return std::count_if(lines.begin(), lines.end(), [&](const CanvasCall& l) {
      return l.pen && l.pen->Colour == colour && l.pen->Width == width;
    });
  }
  // The four reversal marks as "(x,y)size", in series order.
  std::string Marks() const {
    std::ostringstream text;
    for (int32_t i = kLastPlusMark; i <= kMaxMinusMark; ++i) {
      text << (i > kLastPlusMark ? " (" : "(") << Series(i).Points[0].X << ","
           << Series(i).Points[0].Y << ")" << Series(i).MarkerSize;
    }
    return text.str();
  }
};

// Each quantity reads its own array and gives its name to the axis and graph titles (Y, X and
// the experiment); red and blue curves up to the counter, one segment per pair of neighbouring
// points; the four marks hidden at the origin.
TEST(UpdateGraphTest, QuantitiesTitlesCurvesUpToTheCounterAndHiddenMarks) {
  using R = ResponseHistory;
  const std::pair<std::string, std::vector<double> R::*> quantities[] = {
      {"Time", &R::T},          {"Displacement", &R::U},           {"Velocity", &R::U_DOT},
      {"Acceleration", &R::U_DOT_DOT}, {"Force", &R::F},           {"Z parameter", &R::Z},
      {"External force", &R::Fext},    {"Hysteretic force", &R::Fh}, {"Total energy", &R::Et},
      {"Hysteretic energy", &R::Eh}};
  for (int32_t x = 0; x < kQuantityCount; ++x) {
    const int32_t y = (x + 1) % kQuantityCount;
    Workbench bench = RampBench();
    for (int32_t q : {x, y}) (bench.results.At(1).original.*quantities[q].second)[3] = 100.0 + q;
    bench.graphXQuantity = x;
    bench.graphYQuantity = y;
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
    const GraphPoint& p = f.Series(kOriginalCurve).Points[2];
    const GraphSettings& s = f.graph.Settings();
    EXPECT_EQ(std::tuple(p.X, p.Y, s.XTitle, s.YTitle, s.Title, s.ShowLegend),
              std::tuple(100.0 + x, 100.0 + y, quantities[x].first, quantities[y].first,
                         quantities[y].first + " - " + quantities[x].first + " graph for Ramp",
                         false));
    bench.graphYQuantity = x;  // without the title update the old titles stay
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, false));
    EXPECT_EQ(f.graph.Settings().YTitle, quantities[y].first);
  }
  EXPECT_EQ(QuantityIndexOfName("U_DOT_DOT"), 3);
  EXPECT_EQ(QuantityIndexOfName("F "), 4);
  EXPECT_EQ(QuantityIndexOfName("F"), 4);
  EXPECT_EQ(QuantityIndexOfName("f"), std::nullopt);

  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, RampBench(), 4, true));
  const std::tuple<std::string, Colour, int32_t> look[] = {
      {"Original Model", 0x0000FF, 3}, {"Modified Model", 0xFF0000, 2}, {"R plus", 0x00FF00, 2},
      {"R minus", 0xFF00FF, 2},        {"R plus", 0x00FF00, 2},         {"R minus", 0xFF00FF, 2}};
  for (int32_t i = 0; i < kResponseSeriesCount; ++i) {
    const GraphSeries& g = f.Series(i);
    const bool line = i < 2;
    EXPECT_EQ(std::tuple(g.Name, line ? g.LineColour : g.MarkerColour,
                         line ? g.LineWidth : g.MarkerWidth, line ? g.ShowLine : g.ShowMarkers),
              std::tuple_cat(look[i], std::tuple(true)));
  }
  EXPECT_EQ(f.Marks(), "(0,0)0 (0,0)0 (0,0)0 (0,0)0");
  for (const auto& [pointCount, shown] : {std::pair{50, 10}, {10, 10}, {4, 4}, {0, 0}, {-3, 0}}) {
    Fixture g;
    ASSERT_TRUE(UpdateGraph(g.graph, RampBench(), pointCount, true));
    EXPECT_EQ(g.Series(kModifiedCurve).PointCount, shown) << pointCount;
    const size_t segments = shown > 1 ? shown - 1 : 0;
    EXPECT_EQ(g.LineCount(0x0000FF, 3), segments) << pointCount;
    EXPECT_EQ(g.LineCount(0xFF0000, 2), segments) << pointCount;
  }
}

// Axes reach 0; a response the solve left empty is drawn around the origin, not around the
// previous data; with nothing to show nothing is drawn or changed.
TEST(UpdateGraphTest, AxesReachZeroEmptyResponsesCentreOnTheOriginNothingToShowDrawsNothing) {
  Workbench bench = RampBench();
  ExperimentResults& e = bench.results.At(1);
  for (ResponseHistory* r : {&e.original, &e.modified}) {
    r->U = {0, 2, 3, 4};  // with F in [6, 8] alone the axes would start at 1 and 5
    r->F = {0, 6, 8, 7};
  }
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
  EXPECT_EQ(f.graph.XScale().Min, 0.0);
  EXPECT_EQ(f.graph.YScale().Min, 0.0);
  e.original = e.modified = ResponseHistory{};
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
  EXPECT_EQ(f.Series(kOriginalCurve).PointCount, 0);
  EXPECT_EQ(f.graph.XScale().Min, -1.0);
  EXPECT_EQ(f.graph.XScale().Max, 1.0);

  void (*changes[])(Workbench&) = {[](Workbench& b) { b.experiments.Clear(); },
                                   [](Workbench& b) { b.currentExperiment = 2; },
                                   [](Workbench& b) { b.graphYQuantity = -1; }};
  for (auto change : changes) {
    Workbench changed = RampBench();
    Fixture g;
    ASSERT_TRUE(UpdateGraph(g.graph, changed, 4, true));
    g.canvas.Clear();
    change(changed);
    EXPECT_FALSE(UpdateGraph(g.graph, changed, 2, true));
    EXPECT_TRUE(g.canvas.Calls().empty());
    EXPECT_EQ(g.Series(kOriginalCurve).PointCount, 4);
    EXPECT_EQ(UpdatePlaybackFrame(g.graph, changed, 2), change == changes[2]);  // no quantity needed
  }
  Fixture g;  // a frame before any UpdateGraph
  EXPECT_FALSE(UpdatePlaybackFrame(g.graph, RampBench(), 2));
  EXPECT_TRUE(g.canvas.Calls().empty());
}

// The frame shows samples 1..k; the marks sit at the modified response's reversals in force
// after sample k (U = i, F = 3 i), sized by the rule of the solve that made the data.
TEST(UpdatePlaybackFrameTest, MarksFollowTheSolvesRuleAndTheReversalsInForce) {
  const std::tuple<ReversalRule, int32_t, const char*> rows[] = {
      {ReversalRule::AllReversals, 9, "(3,9)0 (6,18)0 (4,12)0 (1,3)0"},
      {ReversalRule::LastReversal, 9, "(3,9)8 (6,18)8 (4,12)0 (1,3)0"},
      {ReversalRule::MaxReversal, 9, "(3,9)0 (6,18)0 (4,12)16 (1,3)16"},
      {ReversalRule::LastAndMaxReversal, 9, "(3,9)8 (6,18)8 (4,12)16 (1,3)16"},
      {ReversalRule::LastAndMaxReversal, 2, "(0,0)8 (0,0)8 (0,0)16 (0,0)16"},  // none yet
  };
  for (const auto& [rule, k, marks] : rows) {
    Workbench bench = RampBench(rule);
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
    f.canvas.Clear();
    ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, k));
    EXPECT_EQ(f.Marks(), marks);
    EXPECT_EQ(f.Series(kModifiedCurve).PointCount, k);
    EXPECT_EQ(f.LineCount(0x0000FF, 3), k - 1u);
  }
  // A reversal index beyond the response, or a history that ends before the frame, leaves the
  // mark where it was.
  Workbench bench = RampBench(ReversalRule::LastAndMaxReversal);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
  bench.results.At(1).reversalIndices.lastPlus[5] = 11;
  bench.results.At(1).reversalIndices.maxMinus.resize(5);
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 5));
  EXPECT_EQ(f.Marks(), "(3,9)8 (0,0)8 (0,0)16 (1,3)16");
}

}  // namespace
}  // namespace quarvel
