#include "plots/response_plot.h"

#include <algorithm>
#include <string>
#include <vector>

#include "display/quantities.h"
#include "display/response_graph.h"

namespace quarvel {
namespace {

// Arm length of the "+" in a legend row: the row of the 8-point legend font is 13 pixels high.
constexpr int32_t kLegendMarkerSize = 4;

// A legend entry for the reversal marks of one sign: a "+" in their colour, drawn nowhere else.
GraphSeries ReversalLegendEntry(const char* name, Colour colour) {
  GraphSeries series;
  series.Name = name;
  series.ShowInLegend = true;
  series.ShowMarkers = true;
  series.MarkerColour = colour;
  series.MarkerWidth = 2;
  series.MarkerSize = kLegendMarkerSize;
  return series;
}

// Samples 1..counter of one quantity of a response (as far as the array goes).
std::vector<double> Samples(const ResponseHistory& response, const Quantity& quantity,
                            int32_t counter) {
  const std::vector<double>& all = response.*quantity.samples;
  const size_t end = std::min(static_cast<size_t>(std::max(counter, 0)) + 1, all.size());
  return end > 1 ? std::vector<double>(all.begin() + 1, all.begin() + end)
                 : std::vector<double>{};
}

}  // namespace

bool DressResponseGraph(Graph& graph, const Workbench& bench, bool legend) {
  std::vector<GraphSeries>& series = graph.SeriesList();
  const Experiment* experiment = bench.CurrentExperiment();
  const Quantity* x = QuantityAt(bench.graphXQuantity);
  const Quantity* y = QuantityAt(bench.graphYQuantity);
  if (series.size() < kResponseSeriesCount || experiment == nullptr || x == nullptr ||
      y == nullptr) {
    return false;
  }

  GraphSettings settings = graph.GetGraphSettings();
  const bool si = ResponseInSiUnits(*experiment);
  settings.XTitle = QuantityAxisTitle(*x, si);
  settings.YTitle = QuantityAxisTitle(*y, si);
  settings.ShowLegend = legend;
  graph.SetGraphSettings(settings);

  series.resize(kResponseSeriesCount);  // legend entries of an earlier dressing go
  series[kOriginalCurve].ShowInLegend = true;
  series[kModifiedCurve].ShowInLegend = true;
  series[kModifiedCurve].LineStyle = kPenDash;
  const bool marksDrawn = std::any_of(
      series.begin() + kLastPlusMark, series.end(),
      [](const GraphSeries& mark) { return mark.ShowMarkers && mark.MarkerSize > 0; });
  if (marksDrawn) {
    series.push_back(ReversalLegendEntry(kReversalPlusLegend, kPlusMarkColour));
    series.push_back(ReversalLegendEntry(kReversalMinusLegend, kMinusMarkColour));
  }
  return true;
}

CurvePlot ExperimentsOverlayPlot(const Workbench& bench, int32_t xQuantity, int32_t yQuantity) {
  CurvePlot plot;
  const Quantity* x = QuantityAt(xQuantity);
  const Quantity* y = QuantityAt(yQuantity);
  if (x == nullptr || y == nullptr) return plot;

  bool si = true;
  const int32_t count = bench.experiments.Count();
  for (int32_t k = 1; k <= count; ++k) {
    const Experiment& e = bench.experiments.At(k);
    const ExperimentResults& results = bench.results.At(k);
    si = si && ResponseInSiUnits(e);
    const Colour colour = DistinctColour(k - 1);
    const std::string name = e.name.empty() ? "Experiment " + std::to_string(k) : e.name;
    plot.curves.push_back({name, Samples(results.original, *x, e.counter),
                           Samples(results.original, *y, e.counter), colour, 2, kPenSolid});
    plot.curves.push_back({"", Samples(results.modified, *x, e.counter),
                           Samples(results.modified, *y, e.counter), colour, 1, kPenDash});
  }
  plot.keys = {{"Original Model (solid)", 0, 2, kPenSolid},
               {"Modified Model (dashed)", 0, 1, kPenDash}};
  plot.xTitle = QuantityAxisTitle(*x, si);
  plot.yTitle = QuantityAxisTitle(*y, si);
  plot.title = std::string(y->titleName) + " - " + std::string(x->titleName) + " graph for " +
               std::to_string(count) + (count == 1 ? " experiment" : " experiments");
  return plot;
}

}  // namespace quarvel
