// Report pictures built on the graph: what their legends list, what their axis titles say.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
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

constexpr int32_t kT = 0, kU = 1, kF = 4;

// The six built-in sine experiments solved under a reversal rule, U on X and F on Y.
Workbench SolvedSineBench(bool lastAndMaxRule) {
  Workbench bench;
  CreateSineForceExperiments(bench.experiments);
  bench.inputs.optALLREV = !lastAndMaxRule;
  bench.inputs.optReversalLastAndMax = lastAndMaxRule;
  bench.SelectFirst(kU, kF);
  SilentUserInterface silent;
  EXPECT_TRUE(SolveExperiments(bench, silent, true).solved);
  return bench;
}

// The titles, then per curve "name colour width style: x,y ..." (colours lettered in order of
// first use), then the keys.
std::string Text(const CurvePlot& plot, bool points = true) {
  std::ostringstream t;
  std::map<Colour, char> colours;
  t << plot.title << "|" << plot.xTitle << "|" << plot.yTitle << "\n";
  for (const PlotCurve& c : plot.curves) {
    t << c.name << " " << colours.try_emplace(c.colour, char('a' + colours.size())).first->second
      << c.width << c.style << ":";
    for (size_t i = 0; points && i < c.x.size(); ++i) t << " " << c.x[i] << "," << c.y[i];
    t << "\n";
  }
  for (const LegendKey& k : plot.keys) t << "key " << k.name << "\n";
  return t.str();
}

TEST(DressResponseGraph, LegendListsTheCurvesAndTheReversalMarksWhenDrawn) {
  const std::vector<std::string> curves = {"Original Model", "Modified Model"};
  const std::vector<std::string> marks = {"Original Model", "Modified Model",
                                          kReversalPlusLegend, kReversalMinusLegend};
  // (Without the legend, and the axis titles: tests/cli.)
  const struct { bool lastAndMaxRule; int32_t frame; std::vector<std::string> listed; } rows[] = {
      {true, 0, curves}, {true, 300, marks}, {false, 300, curves}};  // all-reversal: no mark
  for (const auto& row : rows) {
    Workbench bench = SolvedSineBench(row.lastAndMaxRule);
    Graph graph;
    ASSERT_TRUE(UpdateGraph(graph, bench, bench.CurrentExperiment()->counter, true));
    if (row.frame > 0) ASSERT_TRUE(UpdatePlaybackFrame(graph, bench, row.frame));
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(DressResponseGraph(graph, bench, true));
    RecordingCanvas canvas(800, 600);
    graph.SetSurface(&canvas);
    ASSERT_TRUE(graph.DrawGraph());
    // The texts in the legend font (8 pt: height -11 at 15 twips).
    std::vector<std::string> legend;
    for (const CanvasCall& call : canvas.Texts()) {
      if (call.font && call.font->Height == -11) legend.push_back(call.text);
    }
    EXPECT_EQ(legend, row.listed) << row.frame;  // dressed twice: nothing doubles
  }
}

// (The legend listing the named curves and the keys: the curve plot drawing in tests/graph.)
TEST(ExperimentsOverlayPlot, OneColourPerExperimentNamedAndTheModelsKeys) {
  const Workbench bench = SolvedSineBench(false);
  const CurvePlot plot = ExperimentsOverlayPlot(bench, kT, kU);
  std::string want = "Displacement - Time graph for 6 experiments|Time (s)|Displacement\n";
  for (int32_t k = 1; k <= 6; ++k) {
    const Experiment& e = bench.experiments.At(k);
    const ExperimentResults& r = bench.results.At(k);
    want += e.name + " " + char('a' + k - 1) + "20:\n " + char('a' + k - 1) + "11:\n";
    const auto tail = [](const std::vector<double>& v) { return std::vector(v.begin() + 1, v.end()); };
    EXPECT_EQ(plot.curves[2 * k - 2].y, tail(r.original.U));
    EXPECT_EQ(plot.curves[2 * k - 1].y, tail(r.modified.U));
    EXPECT_EQ(plot.curves[2 * k - 1].x, tail(r.modified.T));
  }
  EXPECT_EQ(Text(plot, false), want + "key Original Model (solid)\nkey Modified Model (dashed)\n");
}

// Two records over three periods, given out of order, the second without a strength at the last
// period: each record's curve runs over its solved periods in increasing order, the means (drawn
// last, on top) over the records solved at each period. A single record draws its two curves.
TEST(SpectrumPlot, RecordsThinMeansThickOverTheSolvedPoints) {
  std::vector<SpectrumPoint> points;
  for (const auto& [period, record, u, uModified] :
       {std::tuple{1.0, 1, 0.2, 0.3}, {0.5, 1, 0.1, 0.1}, {0.5, 2, 0.3, 0.5}, {1.0, 2, 0.4, 0.5},
        {1.5, 1, 0.6, 0.7}, {1.5, 2, 9.0, 9.0}}) {
    SpectrumPoint& p = points.emplace_back();
    p.period = period;
    p.record = record;
    p.original.peakU = u;
    p.modified.peakU = uModified;
  }
  points.back().status = PointStatus::DuctilityNotReached;
  const SpectrumQuantity& u = *SpectrumQuantityNamed("U");
  EXPECT_EQ(Text(SpectrumPlot(points, u, "two", true)),
            "two|Period T (s)|Peak displacement |U| (m)\n a10: 0.5,0.1 1,0.2 1.5,0.6\n"
            " a10: 0.5,0.3 1,0.4\n b10: 0.5,0.1 1,0.3 1.5,0.7\n b10: 0.5,0.5 1,0.5\n"
            "Original model, mean c30: 0.5,0.2 1,0.3 1.5,0.6\n"
            "Modified model, mean d30: 0.5,0.3 1,0.4 1.5,0.7\n"
            "key Original model, each record\nkey Modified model, each record\n");
  points.resize(2);  // record 1 alone
  EXPECT_EQ(Text(SpectrumPlot(points, u, "one", false)),
            "one|Period T (s)|Peak displacement |U|\nOriginal model a30: 0.5,0.1 1,0.2\n"
            "Modified model b30: 0.5,0.1 1,0.3\n");
}

}  // namespace
}  // namespace quarvel
