// The graph fed from a workbench, drawn on a recording canvas.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

#include "display/quantities.h"
#include "display/response_graph.h"
#include "experiments/generated_experiments.h"
#include "graph/recording_canvas.h"
#include "solve/solve_experiments.h"

namespace quarvel {
namespace {

constexpr int32_t kT = 0, kU = 1, kF = 4;

// One experiment "Ramp" of n samples, U on X and F on Y: U = j in both responses, F = 2 j
// (original) and 3 j (modified), T = j / 100. Reversal histories all 0.
Workbench RampBench(int32_t n) {
  Experiment e;
  e.name = "Ramp";
  e.counter = n;
  Workbench bench;
  bench.experiments.Append(std::move(e));
  bench.SelectFirst(kU, kF);
  ExperimentResults& r = bench.results.At(1);
  r.original.Reset(n);
  r.modified.Reset(n);
  for (int32_t j = 1; j <= n; ++j) {
    r.original.T[j] = r.modified.T[j] = j / 100.0;
    r.original.U[j] = r.modified.U[j] = j;
    r.original.F[j] = 2.0 * j;
    r.modified.F[j] = 3.0 * j;
  }
  r.reversalIndices.Reset(n);
  return bench;
}

// RampBench(10) with a last positive reversal at sample 3 from sample 4 on, a last negative one
// at 6 from 7 on, a max positive one at 4 from 8 on, a max negative one at 6 from 9 on.
Workbench ReversalBench(ReversalRule rule) {
  Workbench bench = RampBench(10);
  ReversalIndexHistory& r = bench.results.At(1).reversalIndices;
  for (int32_t k = 4; k <= 10; ++k) r.lastPlus[k] = 3;
  for (int32_t k = 7; k <= 10; ++k) r.lastMinus[k] = 6;
  for (int32_t k = 8; k <= 10; ++k) r.maxPlus[k] = 4;
  for (int32_t k = 9; k <= 10; ++k) r.maxMinus[k] = 6;
  bench.parameters.reversalRule = rule;
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
  // The horizontal strokes of the "+" marks in a colour: (arm length, centre column, row).
  std::vector<std::array<int32_t, 3>> Marks(Colour colour) const {
    std::vector<std::array<int32_t, 3>> marks;
    for (const CanvasCall& l : canvas.VisibleLines()) {
      if (l.pen && l.pen->Colour == colour && l.fromY == l.y) {
        marks.push_back({(l.x - l.fromX) / 2, (l.x + l.fromX) / 2, l.y});
      }
    }
    return marks;
  }
  // Where the marks of the two arm lengths at (x1, y1) and (x2, y2) are drawn.
  std::vector<std::array<int32_t, 3>> MarksAt(double x1, double y1, double x2, double y2) const {
    // The layout the graph was drawn with, from a drawing of its own on a twin canvas.
    Graph twin = graph;
    RecordingCanvas twinCanvas(canvas.Width(), canvas.Height());
    twin.SetSurface(&twinCanvas);
    const GraphLayout layout = twin.DrawGraph().value();
    const auto at = [&](int32_t arm, double x, double y) {
      return std::array{arm, *layout.DataToPixelX(x - graph.XScale().Min),
                        *layout.DataToPixelY(y - graph.YScale().Min)};
    };
    return {at(kLastReversalMarkerSize, x1, y1), at(kMaxReversalMarkerSize, x2, y2)};
  }
};

TEST(UpdateGraphTest, EachQuantityReadsItsOwnArrayAndTitleName) {
  using R = ResponseHistory;
  const std::pair<const char*, std::vector<double> R::*> rows[] = {
      {"Time", &R::T},          {"Displacement", &R::U},           {"Velocity", &R::U_DOT},
      {"Acceleration", &R::U_DOT_DOT}, {"Force", &R::F},           {"Z parameter", &R::Z},
      {"External force", &R::Fext},    {"Hysteretic force", &R::Fh}, {"Total energy", &R::Et},
      {"Hysteretic energy", &R::Eh}};
  for (int32_t q = 0; q < kQuantityCount; ++q) {
    Workbench bench = RampBench(3);
    (bench.results.At(1).original.*rows[q].second)[3] = 100.0 + q;
    bench.graphXQuantity = bench.graphYQuantity = q;
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
    EXPECT_EQ(f.Series(kOriginalCurve).Points[2].X, 100.0 + q) << rows[q].first;
    EXPECT_EQ(f.Series(kOriginalCurve).Points[2].Y, 100.0 + q) << rows[q].first;
    EXPECT_EQ(f.graph.Settings().XTitle, rows[q].first);
  }
  EXPECT_EQ(QuantityIndexOfName("U_DOT_DOT"), 3);
  EXPECT_EQ(QuantityIndexOfName("F "), 4);
  EXPECT_EQ(QuantityIndexOfName("F"), 4);
  EXPECT_EQ(QuantityIndexOfName("f"), std::nullopt);
}

TEST(UpdateGraphTest, TitleIsYNameDashXNameGraphForTheExperiment) {
  Workbench bench = RampBench(4);
  bench.graphXQuantity = kT;
  bench.graphYQuantity = kU;
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, true));
  const GraphSettings& s = f.graph.Settings();
  EXPECT_EQ(s.Title, "Displacement - Time graph for Ramp");
  EXPECT_EQ(s.XTitle + "|" + s.YTitle, "Time|Displacement");
  EXPECT_FALSE(s.ShowLegend);
  const auto texts = f.canvas.Texts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](auto& t) { return t.text == s.Title; }));
  bench.graphYQuantity = kF;  // without the title update the old titles stay
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, false));
  EXPECT_EQ(f.graph.Settings().Title, "Displacement - Time graph for Ramp");
}

TEST(UpdateGraphTest, PointCountIsLimitedToTheCounter) {
  const std::pair<int32_t, int32_t> rows[] = {{50, 10}, {10, 10}, {4, 4}, {0, 0}, {-3, 0}};
  for (const auto& [pointCount, expected] : rows) {
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, RampBench(10), pointCount, true));
    EXPECT_EQ(f.Series(kModifiedCurve).PointCount, expected) << pointCount;
    // The red original is 3 pixels wide, the blue modified 2: one segment per neighbouring pair.
    const size_t segments = expected > 1 ? expected - 1 : 0;
    EXPECT_EQ(f.LineCount(kOriginalColour, 3), segments) << pointCount;
    EXPECT_EQ(f.LineCount(kModifiedColour, 2), segments) << pointCount;
  }
}

TEST(UpdateGraphTest, AxesReachZeroAndEmptyResponsesCentreOnTheOrigin) {
  // U in [2, 4] and F in [6, 8] alone would give axes from 1 and from 5.
  Workbench bench = RampBench(3);
  ExperimentResults& e = bench.results.At(1);
  for (ResponseHistory* r : {&e.original, &e.modified}) {
    r->U = {0, 2, 3, 4};
    r->F = {0, 6, 8, 7};
  }
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
  EXPECT_EQ(f.graph.XScale().Min, 0.0);
  EXPECT_EQ(f.graph.YScale().Min, 0.0);
  // An experiment whose solve stopped at a message has empty histories: drawn around the
  // origin, not around the previous data.
  e.original = e.modified = ResponseHistory{};
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
  EXPECT_EQ(f.Series(kOriginalCurve).PointCount, 0);
  EXPECT_EQ(f.graph.XScale().Min, -1.0);
  EXPECT_EQ(f.graph.XScale().Max, 1.0);
}

TEST(UpdateGraphTest, WithNothingToShowNothingChanges) {
  void (*changes[])(Workbench&) = {[](Workbench& b) { b.experiments.Clear(); },
                                   [](Workbench& b) { b.currentExperiment = 2; },
                                   [](Workbench& b) { b.graphYQuantity = -1; }};
  for (auto change : changes) {
    Workbench bench = RampBench(4);
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, true));
    f.canvas.Clear();
    change(bench);
    EXPECT_FALSE(UpdateGraph(f.graph, bench, 2, true));
    EXPECT_TRUE(f.canvas.Calls().empty());
    EXPECT_EQ(f.Series(kOriginalCurve).PointCount, 4);
  }
  Fixture f;  // a frame before any UpdateGraph
  EXPECT_FALSE(UpdatePlaybackFrame(f.graph, RampBench(4), 2));
  EXPECT_TRUE(f.canvas.Calls().empty());
}

TEST(UpdatePlaybackFrameTest, MarkSizesFollowTheRuleOfTheLastSolve) {
  const std::tuple<ReversalRule, int32_t, int32_t> rows[] = {
      {ReversalRule::AllReversals, 0, 0}, {ReversalRule::LastReversal, 8, 0},
      {ReversalRule::MaxReversal, 0, 16}, {ReversalRule::LastAndMaxReversal, 8, 16}};
  for (const auto& [rule, last, max] : rows) {
    Workbench bench = ReversalBench(rule);
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
    ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
    EXPECT_EQ(f.Series(kLastMinusMark).MarkerSize, last);
    EXPECT_EQ(f.Series(kMaxPlusMark).MarkerSize, max);
  }
}

// At modified sample i: U = i, F = 3 i. Before the first reversal all marks sit at (0, 0).
TEST(UpdatePlaybackFrameTest, LastAndMaxRuleShowsBothPairsTheMaxPairTwiceAsLarge) {
  Workbench bench = ReversalBench(ReversalRule::LastAndMaxReversal);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  f.canvas.Clear();
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 9));
  EXPECT_EQ(f.Series(kOriginalCurve).PointCount, 9);
  EXPECT_EQ(f.LineCount(kOriginalColour, 3), 8u);
  EXPECT_EQ(f.Marks(kPlusMarkColour), f.MarksAt(3, 9, 4, 12));
  EXPECT_EQ(f.Marks(kMinusMarkColour), f.MarksAt(6, 18, 6, 18));

  f.canvas.Clear();
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 2));  // scrolled back before any reversal
  EXPECT_EQ(f.Marks(kPlusMarkColour), f.MarksAt(0, 0, 0, 0));
  EXPECT_EQ(f.Marks(kMinusMarkColour), f.MarksAt(0, 0, 0, 0));

  // Indices outside the arrays leave the mark where it was.
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
  bench.results.At(1).reversalIndices.lastPlus[5] = 99;    // beyond the response
  bench.results.At(1).reversalIndices.maxMinus.resize(3);  // history shorter than the frame
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 5));
  EXPECT_EQ(f.Series(kLastPlusMark).Points[0].X, 3.0);
  EXPECT_EQ(f.Series(kMaxMinusMark).Points[0].X, 6.0);
  EXPECT_EQ(f.Series(kLastMinusMark).Points[0].X, 0.0);
}

// The marks follow the reversal rule of the solve that made the data, not the window's options.
TEST(UpdatePlaybackFrameTest, MarksFollowTheSolveThatMadeTheData) {
  Workbench bench;
  CreateSineForceExperiments(bench.experiments);
  bench.SelectFirst(kU, kF);
  bench.inputs.optALLREV = false;
  bench.inputs.optReversalLastAndMax = true;
  SilentUserInterface silent;
  ASSERT_TRUE(SolveExperiments(bench, silent, true).solved);
  bench.inputs.optALLREV = true;  // changed in the window after the solve
  const int32_t n = bench.experiments.At(1).counter;
  const ExperimentResults& r = bench.results.At(1);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, n, true));
  EXPECT_EQ(f.graph.Settings().Title, "Force - Displacement graph for T=1, Amp=5");
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, n));
  EXPECT_EQ(f.Series(kLastPlusMark).MarkerSize, 8);
  const int32_t i = r.reversalIndices.lastPlus[n];
  ASSERT_GE(i, 1);
  EXPECT_EQ(f.Series(kLastPlusMark).Points[0].X, r.modified.U[i]);
  EXPECT_EQ(f.Series(kLastPlusMark).Points[0].Y, r.modified.F[i]);
}

}  // namespace
}  // namespace quarvel
