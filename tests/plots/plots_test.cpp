// Report pictures built on the graph: what their legends list, what their axis titles say.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "display/quantities.h"
#include "display/response_graph.h"
#include "experiments/generated_experiments.h"
#include "graph/recording_canvas.h"
#include "plots/response_plot.h"
#include "plots/spectrum_plot.h"
#include "solve/solve_experiments.h"

namespace quarvel {
namespace {

constexpr int32_t kT = 0, kU = 1, kUDot = 2, kUDotDot = 3, kF = 4, kZ = 5, kEh = 9;

// The six built-in sine experiments solved under a reversal rule, U on X and F on Y.
Workbench SolvedSineBench(bool lastAndMaxRule) {
  Workbench bench;
  CreateSineForceExperiments(bench.experiments);
  bench.SelectFirst(kU, kF);
  bench.inputs.optALLREV = !lastAndMaxRule;
  bench.inputs.optReversalLastAndMax = lastAndMaxRule;
  SilentUserInterface silent;
  EXPECT_TRUE(SolveExperiments(bench, silent, true).solved);
  return bench;
}

// The texts a drawing of the graph writes in the legend font (8 pt: height -11 at 15 twips).
std::vector<std::string> LegendTexts(Graph& graph) {
  RecordingCanvas canvas(800, 600);
  graph.SetSurface(&canvas);
  EXPECT_TRUE(graph.DrawGraph());
  graph.SetSurface(nullptr);
  std::vector<std::string> texts;
  for (const CanvasCall& call : canvas.Texts()) {
    if (call.font && call.font->Height == -11) texts.push_back(call.text);
  }
  return texts;
}

TEST(DressResponseGraph, LegendListsTheCurvesAndTheReversalMarksWhenDrawn) {
  const std::vector<std::string> curves = {"Original Model", "Modified Model"};
  const std::vector<std::string> withMarks = {"Original Model", "Modified Model",
                                              kReversalPlusLegend, kReversalMinusLegend};
  const struct {
    const char* name;
    bool lastAndMaxRule;
    int32_t frame;  // 0: the whole response
    bool legend;
    std::vector<std::string> listed;
  } rows[] = {
      {"whole response", true, 0, true, curves},
      {"frame, marks drawn", true, 300, true, withMarks},
      {"frame, all-reversal rule draws no mark", false, 300, true, curves},
      {"no legend", true, 300, false, {}},
  };
  for (const auto& row : rows) {
    Workbench bench = SolvedSineBench(row.lastAndMaxRule);
    Graph graph;
    ASSERT_TRUE(UpdateGraph(graph, bench, bench.CurrentExperiment()->counter, true));
    if (row.frame > 0) {
      ASSERT_TRUE(UpdatePlaybackFrame(graph, bench, row.frame));
    }
    ASSERT_TRUE(DressResponseGraph(graph, bench, row.legend));
    ASSERT_TRUE(DressResponseGraph(graph, bench, row.legend));  // again: nothing doubles
    EXPECT_EQ(LegendTexts(graph), row.listed) << row.name;
    // A force record has no unit system: only time keeps its unit.
    EXPECT_EQ(graph.Settings().XTitle, "Displacement") << row.name;
  }
}

TEST(DressResponseGraph, UnitsOnlyWhereTheRecordFixesThem) {
  using enum ExperimentDataType;
  // "units of g" means nothing for a force record.
  const struct { ExperimentDataType type; int32_t unitsOfG, quantity; const char* title; } rows[] = {
      {Acceleration, 1, kU, "Displacement (m)"},     {Acceleration, 1, kUDot, "Velocity (m/s)"},
      {Acceleration, 1, kUDotDot, "Acceleration (m/s2)"}, {Acceleration, 1, kF, "Force (N)"},
      {Acceleration, 1, kEh, "Hysteretic energy (J)"}, {Acceleration, 1, kZ, "Z parameter"},
      {Acceleration, 0, kU, "Displacement"},         {Force, 1, kF, "Force"},
      {Displacement, 0, kEh, "Hysteretic energy"},   {Displacement, 0, kT, "Time (s)"}};
  for (const auto& row : rows) {
    Workbench bench;
    Experiment e;
    e.name = "Pulse";
    e.weight = e.mass = 1;
    e.timeStep = 0.01;
    e.counter = 3;
    e.dataType = row.type;
    e.unitsOfG = row.unitsOfG;
    SamplesOf(e) = {0.0, 0.1, -0.2, 0.1};
    bench.experiments.Append(e);
    bench.SelectFirst(kT, row.quantity);
    SilentUserInterface silent;
    ASSERT_TRUE(SolveExperiments(bench, silent, true).solved);
    Graph graph;
    ASSERT_TRUE(UpdateGraph(graph, bench, 3, true));
    ASSERT_TRUE(DressResponseGraph(graph, bench, true));
    EXPECT_EQ(graph.Settings().YTitle, row.title);
    EXPECT_EQ(graph.Settings().XTitle, "Time (s)");
  }
}

TEST(ExperimentsOverlayPlot, OneColourPerExperimentNamedInTheLegend) {
  const Workbench bench = SolvedSineBench(false);
  const CurvePlot plot = ExperimentsOverlayPlot(bench, kT, kU);
  ASSERT_EQ(plot.curves.size(), 12u);
  std::set<Colour> colours;
  std::vector<std::string> names;
  for (size_t k = 0; k < 6; ++k) {
    const PlotCurve& original = plot.curves[2 * k];
    const PlotCurve& modified = plot.curves[2 * k + 1];
    EXPECT_EQ(original.colour, modified.colour);
    EXPECT_NE(original.style, modified.style);
    const Experiment& e = bench.experiments.At(static_cast<int32_t>(k) + 1);
    const ExperimentResults& r = bench.results.At(static_cast<int32_t>(k) + 1);
    EXPECT_EQ(original.y, std::vector<double>(r.original.U.begin() + 1, r.original.U.end()));
    EXPECT_EQ(modified.y, std::vector<double>(r.modified.U.begin() + 1, r.modified.U.end()));
    EXPECT_EQ(modified.x.size(), static_cast<size_t>(e.counter));
    colours.insert(original.colour);
    names.push_back(e.name);
  }
  EXPECT_EQ(colours.size(), 6u);
  EXPECT_EQ(plot.title, "Displacement - Time graph for 6 experiments");
  EXPECT_EQ(plot.xTitle, "Time (s)");

  Graph graph;
  ASSERT_TRUE(SetCurvePlot(graph, plot));
  names.insert(names.end(), {"Original Model (solid)", "Modified Model (dashed)"});
  EXPECT_EQ(LegendTexts(graph), names);
}

// Two records over three periods, given out of order, the second without a strength at the last
// period: each record's curve runs over its solved periods in increasing order, the means (drawn
// last, on top) over the records solved at each period. A single record draws its two curves.
TEST(SpectrumPlot, RecordsThinMeansThickOverTheSolvedPoints) {
  const auto point = [](double period, int32_t record, double u, double uModified) {
    SpectrumPoint p;
    p.period = period;
    p.record = record;
    p.original.peakU = u;
    p.modified.peakU = uModified;
    return p;
  };
  std::vector<SpectrumPoint> points = {point(1.0, 1, 0.2, 0.3), point(0.5, 1, 0.1, 0.1),
                                       point(0.5, 2, 0.3, 0.5), point(1.0, 2, 0.4, 0.5),
                                       point(1.5, 1, 0.6, 0.7), point(1.5, 2, 9.0, 9.0)};
  points.back().status = PointStatus::DuctilityNotReached;
  const SpectrumQuantity& u = *SpectrumQuantityNamed("U");

  const CurvePlot plot = SpectrumPlot(points, u, "two", true);
  ASSERT_EQ(plot.curves.size(), 6u);
  const std::vector<double> periods = {0.5, 1.0, 1.5};
  const struct {
    std::size_t curve;
    std::vector<double> x, y;
    int32_t width;
    const char* name;
  } rows[] = {
      {0, periods, {0.1, 0.2, 0.6}, 1, ""},            // record 1, original
      {1, {0.5, 1.0}, {0.3, 0.4}, 1, ""},              // record 2, original
      {3, {0.5, 1.0}, {0.5, 0.5}, 1, ""},              // record 2, modified
      {4, periods, {0.2, 0.3, 0.6}, 3, "Original model, mean"},
      {5, periods, {0.3, 0.4, 0.7}, 3, "Modified model, mean"},
  };
  for (const auto& row : rows) {
    const PlotCurve& curve = plot.curves[row.curve];
    EXPECT_EQ(curve.x, row.x) << row.curve;
    ASSERT_EQ(curve.y.size(), row.y.size()) << row.curve;
    for (std::size_t k = 0; k < row.y.size(); ++k) EXPECT_DOUBLE_EQ(curve.y[k], row.y[k]);
    EXPECT_EQ(curve.width, row.width) << row.curve;
    EXPECT_EQ(curve.name, row.name) << row.curve;
  }
  EXPECT_EQ(plot.curves[0].colour, plot.curves[1].colour);
  EXPECT_NE(plot.curves[0].colour, plot.curves[2].colour);
  EXPECT_EQ(plot.keys.size(), 2u);
  EXPECT_EQ(plot.yTitle, "Peak displacement |U| (m)");
  EXPECT_EQ(plot.xTitle, "Period T (s)");

  points.resize(2);  // record 1 alone
  const CurvePlot single = SpectrumPlot(points, u, "one", false);
  ASSERT_EQ(single.curves.size(), 2u);
  EXPECT_EQ(single.curves[0].name, "Original model");
  EXPECT_EQ(single.curves[1].y, (std::vector<double>{0.1, 0.3}));
  EXPECT_TRUE(single.keys.empty());
  EXPECT_EQ(single.yTitle, "Peak displacement |U|");
}

}  // namespace
}  // namespace quarvel
