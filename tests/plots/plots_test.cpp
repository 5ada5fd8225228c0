// Report pictures built on the graph: what their legends list, what their axis titles say.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "display/quantities.h"
#include "display/response_graph.h"
#include "experiments/generated_experiments.h"
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

// The figure of a dressed graph names both curves, dashes the modified one, and keys the
// reversal marks when they are drawn (last and max: four; all-reversal: none); hidden marks are
// no curves.
TEST(DressResponseGraph, FigureNamesTheCurvesAndKeysTheReversalMarksWhenDrawn) {
  const struct {
    bool lastAndMaxRule;
    int32_t frame;
    std::string text;
  } rows[] = {{true, 0, "Original Model a30:\nModified Model b21:\n"},
              {true, 300,
               "Original Model a30:\nModified Model b21:\n c05:\n d05:\n c05:\n d05:\n"
               "key Reversal point +\nkey Reversal point -\n"},
              {false, 300, "Original Model a30:\nModified Model b21:\n"}};
  for (const auto& row : rows) {
    Workbench bench = SolvedSineBench(row.lastAndMaxRule);
    Graph graph;
    ASSERT_TRUE(UpdateGraph(graph, bench, bench.CurrentExperiment()->counter, true));
    if (row.frame > 0) {
      ASSERT_TRUE(UpdatePlaybackFrame(graph, bench, row.frame));
    }
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(DressResponseGraph(graph, bench, true));
    const std::string text = Text(CurvePlotOfGraph(graph), false);  // dressed twice: no doubles
    EXPECT_EQ(text.substr(text.find('\n') + 1), row.text) << row.frame;
  }
}

TEST(ExperimentsOverlayPlot, OneColourPerExperimentNamedAndTheModelsKeys) {
  const Workbench bench = SolvedSineBench(false);
  const CurvePlot plot = ExperimentsOverlayPlot(bench, kT, kU);
  std::string want = "Displacement - Time graph for 6 experiments|Time (s)|Displacement\n";
  for (int32_t k = 1; k <= 6; ++k) {
    const Experiment& e = bench.experiments.At(k);
    const ExperimentResults& r = bench.results.At(k);
    want += e.name + " " + char('a' + k - 1) + "20:\n " + char('a' + k - 1) + "11:\n";
    const auto tail = [](const std::vector<double>& v) {
      return std::vector(v.begin() + 1, v.end());
    };
    EXPECT_EQ(plot.curves[2 * k - 2].y, tail(r.original.U));
    EXPECT_EQ(plot.curves[2 * k - 1].y, tail(r.modified.U));
    EXPECT_EQ(plot.curves[2 * k - 1].x, tail(r.modified.T));
  }
  EXPECT_EQ(Text(plot, false), want + "key Original Model (solid)\nkey Modified Model (dashed)\n");
}

// Two records over three periods, given out of order, the second without a strength at the last
// period: each record's curve runs over its solved periods in increasing order (the modified
// model's dashed), the means (drawn last, on top) over the records solved at each period; a
// ratio's mean is the mean of the records' ratios. A single record draws its two curves.
TEST(SpectrumPlot, RecordsThinMeansThickOverTheSolvedPoints) {
  std::vector<SpectrumPoint> points;
  for (const auto& [period, record, u, uModified] :
       {std::tuple{1.0, 1, 0.2, 0.3}, {0.5, 1, 0.1, 0.1}, {0.5, 2, 0.3, 0.5},
        {1.0, 2, 0.4, 0.5}, {1.5, 1, 0.6, 0.9}, {1.5, 2, 9.0, 9.0}}) {
    SpectrumPoint& p = points.emplace_back();
    p.period = period;
    p.record = record;
    p.name = record == 1 ? "A" : "";
    p.original.peakU = u;
    p.modified.peakU = uModified;
  }
  points.back().status = PointStatus::DuctilityNotReached;
  EXPECT_EQ(Text(SpectrumPlot(points, *SpectrumQuantityNamed("U"), true)),
            "2 records|Period T (s)|Peak displacement |U| (m)\n a10: 0.5,0.1 1,0.2 1.5,0.6\n"
            " a10: 0.5,0.3 1,0.4\n b11: 0.5,0.1 1,0.3 1.5,0.9\n b11: 0.5,0.5 1,0.5\n"
            "Original model, mean c30: 0.5,0.2 1,0.3 1.5,0.6\n"
            "Modified model, mean d21: 0.5,0.3 1,0.4 1.5,0.9\n"
            "key Original model, each record\nkey Modified model, each record\n");
  const CurvePlot ratio = SpectrumPlot(points, *SpectrumQuantityNamed("ratio-U"), true);
  EXPECT_EQ(ratio.curves.back().y,
            std::vector<double>({0.5 * (1.0 + 0.5 / 0.3), 0.5 * (1.5 + 1.25), 1.5}));
  EXPECT_EQ(ratio.curves[0].endLabel, "A");
  EXPECT_EQ(ratio.curves[1].endLabel, "Record 2");
  points.resize(2);  // record 1 alone
  // A peak of each model draws both models' curves; a ratio or a strength, one curve.
  struct Row { const char* quantity; std::size_t curves; };
  for (const Row& row : {Row{"U", 2}, Row{"mu", 2}, Row{"F", 2}, Row{"Eh", 2}, Row{"ratio-U", 1},
                         Row{"ratio-Eh", 1}, Row{"Cy", 1}, Row{"R", 1}, Row{"PSA", 1}}) {
    const CurvePlot plot = SpectrumPlot(points, *SpectrumQuantityNamed(row.quantity), false);
    EXPECT_EQ(plot.curves.size(), row.curves) << row.quantity;
  }
  EXPECT_EQ(Text(SpectrumPlot(points, *SpectrumQuantityNamed("U"), false)),
            "A|Period T (s)|Peak displacement |U| (m)\nOriginal model a30: 0.5,0.1 1,0.2\n"
            "Modified model b21: 0.5,0.1 1,0.3\n");
}

// Beyond the ten fixed colours the hue turns by the golden angle, at saturation 0.8 and value
// 0.75: by hand, colour 10 has the hue 295.08 degrees, R 0.70, G 0.15, B 0.75. The rows reach
// each sixth of the hue circle (hues 295, 73, 210, 348, 125 and 40 degrees).
TEST(DistinctColour, BeyondTheFixedOnesTurnsByTheGoldenAngle) {
  struct Row { int32_t index; Colour want; };
  const Row rows[] = {{10, 0xBF26B3u}, {11, 0x26BF9Fu}, {12, 0xBF7326u},
                      {13, 0x4626BFu}, {14, 0x33BF26u}, {16, 0x268DBFu}};
  for (const Row& row : rows) EXPECT_EQ(DistinctColour(row.index), row.want) << row.index;
}

}  // namespace
}  // namespace quarvel
