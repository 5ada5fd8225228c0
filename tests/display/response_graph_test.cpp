// The graph fed from a workbench: the six series, the titles, the axes and the playback frames,
// drawn on a recording canvas.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/quantities.h"
#include "display/response_graph.h"
#include "experiments/generated_experiments.h"
#include "graph/recording_canvas.h"
#include "solve/solve_experiments.h"

namespace quarvel {
namespace {

constexpr int32_t kT = 0, kU = 1, kF = 4, kZ = 5, kEt = 8, kEh = 9;

// One experiment of n samples whose responses the test writes directly; every history array
// holds 0..n, all zero.
Workbench BenchWithOneExperiment(const std::string& name, int32_t n) {
  Experiment e;
  e.name = name;
  e.counter = n;
  e.timeStep = 0.01;
  e.original.Reset(n);
  e.modified.Reset(n);
  for (auto* history : {&e.reversalLastPlus, &e.reversalLastMinus, &e.reversalMaxPlus,
                        &e.reversalMaxMinus}) {
    history->assign(static_cast<size_t>(n) + 1, 0);
  }
  Workbench bench;
  bench.experiments.Append(std::move(e));
  bench.SelectFirst(kU, kF);
  return bench;
}

// Original: U = j, F = 2 j; modified: U = j, F = 3 j, T = j / 100 in both.
Workbench LinearBench(int32_t n) {
  Workbench bench = BenchWithOneExperiment("Ramp", n);
  Experiment& e = bench.experiments.At(1);
  for (int32_t j = 1; j <= n; ++j) {
    e.original.T[j] = e.modified.T[j] = j / 100.0;
    e.original.U[j] = e.modified.U[j] = j;
    e.original.F[j] = 2.0 * j;
    e.modified.F[j] = 3.0 * j;
  }
  return bench;
}

struct Fixture {
  RecordingCanvas canvas{400, 300};
  Graph graph;
  Fixture() { graph.SetSurface(&canvas); }
};

// Visible lines drawn with a pen of this colour and width.
std::vector<CanvasCall> LinesOf(const RecordingCanvas& canvas, Colour colour, int32_t width) {
  std::vector<CanvasCall> lines;
  for (const CanvasCall& line : canvas.VisibleLines()) {
    if (line.pen && line.pen->Colour == colour && line.pen->Width == width) lines.push_back(line);
  }
  return lines;
}

bool HasText(const RecordingCanvas& canvas, const std::string& text) {
  for (const CanvasCall& call : canvas.Texts()) {
    if (call.text == text) return true;
  }
  return false;
}

// The "+" of a mark: arm length of its horizontal stroke and the pixel at its centre.
struct Mark {
  int32_t arm = -1;
  int32_t x = 0;
  int32_t y = 0;
};

std::vector<Mark> MarksOf(const RecordingCanvas& canvas, Colour colour) {
  std::vector<Mark> marks;
  for (const CanvasCall& line : LinesOf(canvas, colour, 2)) {
    if (line.fromY != line.y) continue;  // the vertical strokes
    marks.push_back({(line.x - line.fromX) / 2, (line.x + line.fromX) / 2, line.y});
  }
  return marks;
}

// Pixel of a data point in the last layout.
std::pair<int32_t, int32_t> PixelOf(const Graph& graph, double x, double y) {
  return {*graph.DataToPixelX(x - graph.XScale().Min), *graph.DataToPixelY(y - graph.YScale().Min)};
}

// ---------------------------------------------------------------------------------------------
// Quantities

TEST(QuantitiesTest, EachListIndexReadsItsOwnArray) {
  // Array q of the original response holds 100 q + j at sample j; plotting quantity q against
  // time must read exactly that array.
  struct Row {
    int32_t index;
    const char* entry;
    const char* title;
    std::vector<double> ResponseHistory::*array;
  };
  const Row rows[] = {
      {0, "T ", "Time", &ResponseHistory::T},
      {1, "U ", "Displacement", &ResponseHistory::U},
      {2, "U_DOT", "Velocity", &ResponseHistory::U_DOT},
      {3, "U_DOT_DOT", "Acceleration", &ResponseHistory::U_DOT_DOT},
      {4, "F ", "Force", &ResponseHistory::F},
      {5, "Z ", "Z parameter", &ResponseHistory::Z},
      {6, "Fext", "External force", &ResponseHistory::Fext},
      {7, "Fh", "Hysteretic force", &ResponseHistory::Fh},
      {8, "Et", "Total energy", &ResponseHistory::Et},
      {9, "Eh", "Hysteretic energy", &ResponseHistory::Eh},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    Workbench bench = BenchWithOneExperiment("Tags", 3);
    ResponseHistory& original = bench.experiments.At(1).original;
    for (int32_t j = 1; j <= 3; ++j) (original.*row.array)[j] = 100.0 * row.index + j;
    bench.graphXQuantity = row.index;
    bench.graphYQuantity = row.index;
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
    const GraphSeries& curve = f.graph.SeriesList()[kOriginalCurve];
    ASSERT_EQ(curve.PointCount, 3);
    EXPECT_EQ(curve.Points[2].X, 100.0 * row.index + 3);
    EXPECT_EQ(curve.Points[2].Y, 100.0 * row.index + 3);
    EXPECT_EQ(f.graph.Settings().XTitle, row.title);
    EXPECT_EQ(kQuantities[row.index].listEntry, row.entry);
  }
}

TEST(QuantitiesTest, NamesWithoutTheTrailingBlankAreFound) {
  EXPECT_EQ(QuantityIndexOfName("T"), 0);
  EXPECT_EQ(QuantityIndexOfName("T "), 0);
  EXPECT_EQ(QuantityIndexOfName("U_DOT_DOT"), 3);
  EXPECT_EQ(QuantityIndexOfName("Fh"), 7);
  EXPECT_EQ(QuantityIndexOfName("Eh"), 9);
  EXPECT_EQ(QuantityIndexOfName(""), std::nullopt);
  EXPECT_EQ(QuantityIndexOfName("u"), std::nullopt);
  EXPECT_EQ(QuantityIndexOfName("U_DOT "), 2);
  EXPECT_EQ(QuantityIndexOfName("X"), std::nullopt);
  EXPECT_EQ(QuantityAt(-1), nullptr);
  EXPECT_EQ(QuantityAt(10), nullptr);
}

// ---------------------------------------------------------------------------------------------
// UpdateGraph

TEST(UpdateGraphTest, BuildsTheTwoCurvesAndFourHiddenMarks) {
  Workbench bench = LinearBench(5);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 5, true));
  const std::vector<GraphSeries>& s = f.graph.SeriesList();
  ASSERT_EQ(s.size(), 6u);

  struct Row {
    const char* name;
    bool line;
    Colour colour;
    int32_t width;
  };
  const Row rows[] = {
      {"Original Model", true, 0x0000FF, 3}, {"Modified Model", true, 0xFF0000, 2},
      {"R plus", false, 0x00FF00, 2},        {"R minus", false, 0xFF00FF, 2},
      {"R plus", false, 0x00FF00, 2},        {"R minus", false, 0xFF00FF, 2},
  };
  for (size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i + 1);
    const Row& row = rows[i];
    EXPECT_EQ(s[i].Name, row.name);
    EXPECT_EQ(s[i].ShowLine, row.line);
    EXPECT_EQ(s[i].ShowMarkers, !row.line);
    EXPECT_FALSE(s[i].ShowInLegend);
    EXPECT_EQ(s[i].LineStyle, kPenSolid);
    EXPECT_EQ(row.line ? s[i].LineColour : s[i].MarkerColour, row.colour);
    EXPECT_EQ(row.line ? s[i].LineWidth : s[i].MarkerWidth, row.width);
    EXPECT_EQ(row.line ? s[i].MarkerColour : s[i].LineColour, 0u);
    if (!row.line) {
      EXPECT_EQ(s[i].MarkerSize, 0);
      ASSERT_EQ(s[i].PointCount, 1);
      ASSERT_EQ(s[i].Points.size(), 1u);
      EXPECT_EQ(s[i].Points[0].X, 0.0);
      EXPECT_EQ(s[i].Points[0].Y, 0.0);
    }
  }
  // Samples 1..n: the first point is sample 1, not the index-0 origin.
  ASSERT_EQ(s[kModifiedCurve].PointCount, 5);
  EXPECT_EQ(s[kOriginalCurve].Points[0].X, 1.0);
  EXPECT_EQ(s[kOriginalCurve].Points[4].Y, 10.0);
  EXPECT_EQ(s[kModifiedCurve].Points[4].Y, 15.0);
}

TEST(UpdateGraphTest, TitlesNameYThenXThenTheExperiment) {
  struct Row {
    int32_t x, y;
    const char* name;
    const char* title;
  };
  const Row rows[] = {
      {kT, kU, "Pulse", "Displacement - Time graph for Pulse"},
      {kU, kF, "T=1, Amp=5", "Force - Displacement graph for T=1, Amp=5"},
      {kEt, kEh, "E", "Hysteretic energy - Total energy graph for E"},
      {kZ, kZ, "", "Z parameter - Z parameter graph for "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    Workbench bench = LinearBench(4);
    bench.experiments.At(1).name = row.name;
    bench.graphXQuantity = row.x;
    bench.graphYQuantity = row.y;
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, true));
    const GraphSettings& settings = f.graph.Settings();
    EXPECT_EQ(settings.Title, row.title);
    EXPECT_EQ(settings.XTitle, kQuantities[row.x].titleName);
    EXPECT_EQ(settings.YTitle, kQuantities[row.y].titleName);
    EXPECT_FALSE(settings.ShowLegend);
    EXPECT_TRUE(HasText(f.canvas, row.title));
  }
}

TEST(UpdateGraphTest, WithoutTitleUpdateTheTitlesStayAndOtherSettingsSurvive) {
  Workbench bench = LinearBench(4);
  Fixture f;
  GraphSettings settings = f.graph.GetGraphSettings();
  settings.XNumberFormat = "0.0";
  f.graph.SetGraphSettings(settings);
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, true));
  bench.graphYQuantity = kEh;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, false));
  EXPECT_EQ(f.graph.Settings().Title, "Force - Displacement graph for Ramp");
  EXPECT_EQ(f.graph.Settings().XNumberFormat, "0.0");
  EXPECT_EQ(f.graph.SeriesList()[kOriginalCurve].Points[3].Y, 0.0);  // Eh, all zero here
}

TEST(UpdateGraphTest, PointCountIsLimitedToTheCounter) {
  struct Row {
    int32_t pointCount;
    int32_t expected;
  };
  const Row rows[] = {{50, 10}, {10, 10}, {4, 4}, {1, 1}, {0, 0}, {-3, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pointCount);
    Workbench bench = LinearBench(10);
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, row.pointCount, true));
    EXPECT_EQ(f.graph.SeriesList()[kOriginalCurve].PointCount, row.expected);
    EXPECT_EQ(f.graph.SeriesList()[kModifiedCurve].PointCount, row.expected);
    // Each pair of neighbouring samples is one visible segment of each curve.
    const size_t segments = row.expected > 1 ? static_cast<size_t>(row.expected - 1) : 0;
    EXPECT_EQ(LinesOf(f.canvas, kOriginalColour, 3).size(), segments);
    EXPECT_EQ(LinesOf(f.canvas, kModifiedColour, 2).size(), segments);
  }
}

TEST(UpdateGraphTest, AllPositiveResponseStillHasAxesFromZero) {
  // U in [2, 4] and F in [6, 8] alone would give axes from 1 and from 5.
  Workbench bench = BenchWithOneExperiment("Positive", 3);
  Experiment& e = bench.experiments.At(1);
  for (ResponseHistory* r : {&e.original, &e.modified}) {
    r->U = {0, 2, 3, 4};
    r->F = {0, 6, 8, 7};
  }
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 3, true));
  EXPECT_EQ(f.graph.XScale().Min, 0.0);
  EXPECT_EQ(f.graph.XScale().Max, 4.0);
  EXPECT_EQ(f.graph.YScale().Min, 0.0);
  EXPECT_EQ(f.graph.YScale().Max, 10.0);
}

TEST(UpdateGraphTest, SameQuantityOnBothAxesPutsBothCurvesOnTheDiagonal) {
  Workbench bench = LinearBench(6);
  bench.graphXQuantity = kF;
  bench.graphYQuantity = kF;
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 6, true));
  for (const int32_t curve : {kOriginalCurve, kModifiedCurve}) {
    for (const GraphPoint& p : f.graph.SeriesList()[curve].Points) EXPECT_EQ(p.X, p.Y);
  }
  EXPECT_EQ(f.graph.XScale().Min, f.graph.YScale().Min);
  EXPECT_EQ(f.graph.XScale().Max, f.graph.YScale().Max);
  // Every drawn segment joins two pixels of points with X = Y.
  for (const CanvasCall& line : LinesOf(f.canvas, kModifiedColour, 2)) {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_TRUE(f.graph.PixelToData(line.fromX, line.fromY, x0, y0));
    ASSERT_TRUE(f.graph.PixelToData(line.x, line.y, x1, y1));
    EXPECT_NEAR(x0, y0, 0.2);
    EXPECT_NEAR(x1, y1, 0.2);
  }
}

TEST(UpdateGraphTest, WithNothingToShowTheGraphIsLeftAsItWas) {
  // A frame without a selected quantity still draws: only its marks cannot move.
  struct Row {
    const char* name;
    void (*change)(Workbench&);
    bool frameDraws;
  };
  const Row rows[] = {
      {"empty set", [](Workbench& b) { b.experiments.Clear(); }, false},
      {"no experiment selected", [](Workbench& b) { b.currentExperiment = 0; }, false},
      {"selection beyond the set", [](Workbench& b) { b.currentExperiment = 2; }, false},
      {"no X quantity", [](Workbench& b) { b.graphXQuantity = -1; }, true},
      {"no Y quantity", [](Workbench& b) { b.graphYQuantity = 10; }, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Workbench bench = LinearBench(4);
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 4, true));
    f.canvas.Clear();
    row.change(bench);
    EXPECT_FALSE(UpdateGraph(f.graph, bench, 3, true));
    EXPECT_TRUE(f.canvas.Calls().empty());
    EXPECT_EQ(f.graph.SeriesList()[kOriginalCurve].PointCount, 4);
    EXPECT_EQ(f.graph.Settings().Title, "Force - Displacement graph for Ramp");
    EXPECT_EQ(UpdatePlaybackFrame(f.graph, bench, 2), row.frameDraws);
    EXPECT_EQ(f.canvas.Calls().empty(), !row.frameDraws);
  }
}

TEST(UpdateGraphTest, ResponseWithoutSamplesIsDrawnAroundTheOriginNotThePreviousData) {
  // An experiment that was never solved (the solve stopped at a message) has empty histories.
  Workbench bench = LinearBench(40);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 40, true));
  ASSERT_EQ(f.graph.XScale().Max, 40.0);
  bench.experiments.At(1).original = ResponseHistory{};
  bench.experiments.At(1).modified = ResponseHistory{};
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 40, true));
  EXPECT_EQ(f.graph.SeriesList()[kOriginalCurve].PointCount, 0);
  EXPECT_EQ(f.graph.XScale().Min, -1.0);
  EXPECT_EQ(f.graph.XScale().Max, 1.0);
  EXPECT_EQ(f.graph.YScale().Max, 1.0);
}

// ---------------------------------------------------------------------------------------------
// UpdatePlaybackFrame

// LinearBench(10) with reversal histories: a last positive reversal at sample 3 from sample 4
// on, a last negative one at sample 6 from sample 7 on; the max-reversal pair follows 4 / 6
// later.
Workbench ReversalBench(ReversalRule rule) {
  Workbench bench = LinearBench(10);
  Experiment& e = bench.experiments.At(1);
  for (int32_t k = 4; k <= 10; ++k) e.reversalLastPlus[k] = 3;
  for (int32_t k = 7; k <= 10; ++k) e.reversalLastMinus[k] = 6;
  for (int32_t k = 8; k <= 10; ++k) e.reversalMaxPlus[k] = 4;
  for (int32_t k = 9; k <= 10; ++k) e.reversalMaxMinus[k] = 6;
  bench.parameters.reversalRule = rule;
  return bench;
}

TEST(UpdatePlaybackFrameTest, MarkSizesFollowTheRuleOfTheLastSolve) {
  struct Row {
    ReversalRule rule;
    int32_t last;
    int32_t max;
  };
  const Row rows[] = {
      {ReversalRule::AllReversals, 0, 0},
      {ReversalRule::LastReversal, 8, 0},
      {ReversalRule::MaxReversal, 0, 16},
      {ReversalRule::LastAndMaxReversal, 8, 16},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.rule));
    Workbench bench = ReversalBench(row.rule);
    Fixture f;
    ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
    ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
    const std::vector<GraphSeries>& s = f.graph.SeriesList();
    EXPECT_EQ(s[kLastPlusMark].MarkerSize, row.last);
    EXPECT_EQ(s[kLastMinusMark].MarkerSize, row.last);
    EXPECT_EQ(s[kMaxPlusMark].MarkerSize, row.max);
    EXPECT_EQ(s[kMaxMinusMark].MarkerSize, row.max);
  }
}

TEST(UpdatePlaybackFrameTest, LastAndMaxRuleShowsBothPairsTheMaxPairTwiceAsLarge) {
  Workbench bench = ReversalBench(ReversalRule::LastAndMaxReversal);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  f.canvas.Clear();
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 9));

  // From the modified response: U = i, F = 3 i at sample i.
  const auto last = PixelOf(f.graph, 3, 9);
  const auto max = PixelOf(f.graph, 4, 12);
  const std::vector<Mark> plus = MarksOf(f.canvas, kPlusMarkColour);
  ASSERT_EQ(plus.size(), 2u);
  EXPECT_EQ(plus[0].arm, 8);
  EXPECT_EQ(std::make_pair(plus[0].x, plus[0].y), last);
  EXPECT_EQ(plus[1].arm, 16);
  EXPECT_EQ(std::make_pair(plus[1].x, plus[1].y), max);

  const auto lastMinus = PixelOf(f.graph, 6, 18);
  const std::vector<Mark> minus = MarksOf(f.canvas, kMinusMarkColour);
  ASSERT_EQ(minus.size(), 2u);
  EXPECT_EQ(minus[0].arm, 8);
  EXPECT_EQ(minus[1].arm, 16);
  EXPECT_EQ(std::make_pair(minus[0].x, minus[0].y), lastMinus);
  EXPECT_EQ(std::make_pair(minus[1].x, minus[1].y), lastMinus);
}

TEST(UpdatePlaybackFrameTest, MarksSitAtTheOriginBeforeTheFirstReversal) {
  Workbench bench = ReversalBench(ReversalRule::LastAndMaxReversal);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
  ASSERT_EQ(f.graph.SeriesList()[kLastPlusMark].Points[0].X, 3.0);
  // Back to sample 2, as the scroll bar may take it: no reversal yet.
  f.canvas.Clear();
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 2));
  for (int32_t mark = kLastPlusMark; mark <= kMaxMinusMark; ++mark) {
    EXPECT_EQ(f.graph.SeriesList()[mark].Points[0].X, 0.0);
    EXPECT_EQ(f.graph.SeriesList()[mark].Points[0].Y, 0.0);
  }
  const auto origin = PixelOf(f.graph, 0, 0);
  for (const Colour colour : {kPlusMarkColour, kMinusMarkColour}) {
    for (const Mark& mark : MarksOf(f.canvas, colour)) {
      EXPECT_EQ(std::make_pair(mark.x, mark.y), origin);
    }
  }
}

TEST(UpdatePlaybackFrameTest, CurvesGrowWithoutNewAxes) {
  Workbench bench = ReversalBench(ReversalRule::LastReversal);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  const AxisScale x = f.graph.XScale();
  const AxisScale y = f.graph.YScale();
  for (const int32_t k : {1, 4, 10}) {
    SCOPED_TRACE(k);
    f.canvas.Clear();
    ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, k));
    EXPECT_EQ(f.graph.SeriesList()[kOriginalCurve].PointCount, k);
    EXPECT_EQ(LinesOf(f.canvas, kOriginalColour, 3).size(), static_cast<size_t>(k - 1));
    EXPECT_EQ(LinesOf(f.canvas, kModifiedColour, 2).size(), static_cast<size_t>(k - 1));
    EXPECT_EQ(f.graph.XScale().Max, x.Max);
    EXPECT_EQ(f.graph.YScale().Max, y.Max);
  }
  // The titles are drawn with every frame.
  EXPECT_TRUE(HasText(f.canvas, "Force - Displacement graph for Ramp"));
}

TEST(UpdatePlaybackFrameTest, IndicesOutsideTheArraysLeaveTheMarkWhereItWas) {
  Workbench bench = ReversalBench(ReversalRule::LastAndMaxReversal);
  Fixture f;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, 10, true));
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
  Experiment& e = bench.experiments.At(1);
  e.reversalLastPlus[5] = 99;        // beyond the response
  e.reversalMaxMinus.resize(3);      // history shorter than the frame
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 5));
  const std::vector<GraphSeries>& s = f.graph.SeriesList();
  EXPECT_EQ(s[kLastPlusMark].Points[0].X, 3.0);   // kept from frame 10
  EXPECT_EQ(s[kMaxMinusMark].Points[0].X, 6.0);   // kept from frame 10
  EXPECT_EQ(s[kLastMinusMark].Points[0].X, 0.0);  // no negative reversal by sample 5
  EXPECT_EQ(s[kOriginalCurve].PointCount, 5);
  // A frame beyond every history leaves all four marks.
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 10));
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, 50));
  EXPECT_EQ(s[kLastMinusMark].Points[0].X, 6.0);
}

TEST(UpdatePlaybackFrameTest, DoesNothingBeforeTheSeriesExist) {
  Workbench bench = ReversalBench(ReversalRule::LastReversal);
  Fixture f;
  EXPECT_FALSE(UpdatePlaybackFrame(f.graph, bench, 3));
  EXPECT_TRUE(f.graph.SeriesList().empty());
  EXPECT_TRUE(f.canvas.Calls().empty());
}

// ---------------------------------------------------------------------------------------------
// With the solver

// Draws the graph when the solve asks for it, as the window does.
class GraphUserInterface : public SilentUserInterface {
 public:
  GraphUserInterface(Graph& graph, const Workbench& bench) : graph_(graph), bench_(bench) {}
  void UpdateGraph(int32_t pointCount, bool updateTitles) override {
    ++updates;
    quarvel::UpdateGraph(graph_, bench_, pointCount, updateTitles);
  }
  int updates = 0;

 private:
  Graph& graph_;
  const Workbench& bench_;
};

TEST(ResponseGraphWithSolverTest, SolvedSineForceExperimentShowsItsReversalPoints) {
  Workbench bench;
  CreateSineForceExperiments(bench.experiments);
  bench.SelectFirst(kT, kU);
  bench.inputs.optALLREV = false;
  bench.inputs.optReversalLastAndMax = true;
  Fixture f;
  GraphUserInterface ui(f.graph, bench);
  ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
  ASSERT_EQ(ui.updates, 1);
  const Experiment& e = bench.experiments.At(1);
  EXPECT_EQ(f.graph.Settings().Title, "Displacement - Time graph for " + e.name);
  EXPECT_EQ(f.graph.SeriesList()[kModifiedCurve].PointCount, e.counter);

  // The window's option changes after the solve; the marks follow the solve that made the data.
  bench.inputs.optALLREV = true;
  bench.inputs.optReversalLastAndMax = false;
  bench.graphXQuantity = kU;
  bench.graphYQuantity = kF;
  ASSERT_TRUE(UpdateGraph(f.graph, bench, e.counter, true));
  ASSERT_TRUE(UpdatePlaybackFrame(f.graph, bench, e.counter));
  const std::vector<GraphSeries>& s = f.graph.SeriesList();
  EXPECT_EQ(s[kLastPlusMark].MarkerSize, 8);
  EXPECT_EQ(s[kMaxPlusMark].MarkerSize, 16);
  const int32_t i = e.reversalLastPlus[static_cast<size_t>(e.counter)];
  ASSERT_GE(i, 1) << "a sine force of several cycles reverses";
  EXPECT_EQ(s[kLastPlusMark].Points[0].X, e.modified.U[static_cast<size_t>(i)]);
  EXPECT_EQ(s[kLastPlusMark].Points[0].Y, e.modified.F[static_cast<size_t>(i)]);
}

}  // namespace
}  // namespace quarvel
