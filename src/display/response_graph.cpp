#include "display/response_graph.h"

#include <algorithm>
#include <string>
#include <vector>

#include "display/quantities.h"
#include "loops/energy_audit.h"

namespace quarvel {
namespace {

GraphPoint Point(double x, double y) {
  GraphPoint point;
  point.X = x;
  point.Y = y;
  return point;
}

// Samples 1..n of one response as a solid line; stops early when an array ends.
GraphSeries CurveSeries(const char* name, Colour colour, int32_t width,
                        const ResponseHistory& response, const Quantity& x, const Quantity& y,
                        int32_t n) {
  GraphSeries series;
  series.Name = name;
  series.ShowLine = true;
  series.LineStyle = kPenSolid;
  series.LineColour = colour;
  series.LineWidth = width;
  const std::vector<double>& xs = response.*x.samples;
  const std::vector<double>& ys = response.*y.samples;
  const size_t last = std::min({static_cast<size_t>(n) + 1, xs.size(), ys.size()});
  series.Points.reserve(last);
  for (size_t j = 1; j < last; ++j) series.Points.push_back(Point(xs[j], ys[j]));
  series.PointCount = static_cast<int32_t>(series.Points.size());
  // The axis extents start from the first point of the first series, used or not: a curve
  // without samples keeps an unused point at the origin so that they never start from the
  // previous graph's data.
  if (series.Points.empty()) series.Points.push_back(Point(0.0, 0.0));
  return series;
}

// A hidden "+" mark at (0, 0).
GraphSeries MarkSeries(const char* name, Colour colour) {
  GraphSeries series;
  series.Name = name;
  series.ShowMarkers = true;
  series.MarkerColour = colour;
  series.MarkerWidth = 2;
  series.MarkerSize = 0;
  series.Points.push_back(Point(0.0, 0.0));
  series.PointCount = 1;
  return series;
}

// Moves a mark to the modified response's sample that the history names after sample k.
void PlaceReversalMark(GraphSeries& mark, const std::vector<int32_t>& history, int32_t k,
                       const ResponseHistory& modified, const Quantity* x, const Quantity* y) {
  if (mark.Points.empty() || k < 0 || static_cast<size_t>(k) >= history.size()) return;
  const int32_t i = history[static_cast<size_t>(k)];
  GraphPoint& point = mark.Points.front();
  if (i < 1) {
    point.X = 0.0;
    point.Y = 0.0;
    return;
  }
  if (x == nullptr || y == nullptr) return;
  const std::vector<double>& xs = modified.*x->samples;
  const std::vector<double>& ys = modified.*y->samples;
  const size_t index = static_cast<size_t>(i);
  if (index >= xs.size() || index >= ys.size()) return;
  point.X = xs[index];
  point.Y = ys[index];
}

// The loop marks of one model: its violating loops that close by sample n, at their turning
// points.
GraphSeries LoopMarkSeries(Colour colour, const ResponseHistory& response, bool forceCycles,
                           const Quantity& x, const Quantity& y, int32_t n) {
  GraphSeries series;
  series.ShowMarkers = true;
  series.MarkerColour = colour;
  series.MarkerWidth = 2;
  series.MarkerSize = kLoopMarkerSize;
  for (const ClosedLoop& loop : AuditedLoops(response, forceCycles)) {
    if (!loop.violation || loop.closeSample > n) continue;
    const auto turn = static_cast<size_t>(loop.turnSample);
    series.Points.push_back(Point((response.*x.samples)[turn], (response.*y.samples)[turn]));
  }
  series.PointCount = static_cast<int32_t>(series.Points.size());
  return series;
}

bool IsDisplacementAndForce(const Quantity& a, const Quantity& b) {
  return a.samples == &ResponseHistory::U && b.samples == &ResponseHistory::F;
}

}  // namespace

bool UpdateGraph(Graph& graph, const Workbench& bench, int32_t pointCount, bool updateTitles,
                 bool axisUnits) {
  if (bench.experiments.Count() < 1) return false;
  const Experiment* experiment = bench.CurrentExperiment();
  const Quantity* x = QuantityAt(bench.graphXQuantity);
  const Quantity* y = QuantityAt(bench.graphYQuantity);
  if (experiment == nullptr || x == nullptr || y == nullptr) return false;
  const ExperimentResults& results = *bench.CurrentResults();

  const int32_t n = std::clamp(pointCount, 0, std::max(experiment->counter, 0));
  std::vector<GraphSeries>& series = graph.SeriesList();
  series.assign(kResponseSeriesCount, GraphSeries{});
  series[kOriginalCurve] =
      CurveSeries("Original Model", kOriginalColour, 3, results.original, *x, *y, n);
  series[kModifiedCurve] =
      CurveSeries("Modified Model", kModifiedColour, 2, results.modified, *x, *y, n);
  series[kLastPlusMark] = MarkSeries("R plus", kPlusMarkColour);
  series[kLastMinusMark] = MarkSeries("R minus", kMinusMarkColour);
  series[kMaxPlusMark] = MarkSeries("R plus", kPlusMarkColour);
  series[kMaxMinusMark] = MarkSeries("R minus", kMinusMarkColour);
  if (IsDisplacementAndForce(*x, *y) || IsDisplacementAndForce(*y, *x)) {
    const bool forceCycles = AuditsForceCycles(experiment->dataType);
    series.push_back(
        LoopMarkSeries(kOriginalColour, results.original, forceCycles, *x, *y, n));
    series.push_back(
        LoopMarkSeries(kModifiedColour, results.modified, forceCycles, *x, *y, n));
  }

  if (updateTitles) {
    GraphSettings settings = graph.GetGraphSettings();
    settings.ShowLegend = false;
    settings.XTitle = std::string(x->titleName);
    settings.YTitle = std::string(y->titleName);
    settings.Title = settings.YTitle + " - " + settings.XTitle + " graph for " + experiment->name;
    if (axisUnits && ResponseInSiUnits(*experiment)) {
      settings.XTitle = QuantityAxisTitle(*x, true);
      settings.YTitle = QuantityAxisTitle(*y, true);
    }
    graph.SetGraphSettings(settings);
  }

  graph.ComputeAxes();
  graph.DrawGraph();
  return true;
}

namespace {

// UpdatePlaybackFrame without the drawing.
bool SetPlaybackFrame(Graph& graph, const Workbench& bench, int32_t k) {
  if (bench.experiments.Count() < 1) return false;
  const ExperimentResults* results = bench.CurrentResults();
  std::vector<GraphSeries>& series = graph.SeriesList();
  if (results == nullptr || series.size() < kResponseSeriesCount) return false;

  series[kOriginalCurve].PointCount = std::max(k, 0);
  series[kModifiedCurve].PointCount = std::max(k, 0);

  const ReversalRule rule = bench.parameters.reversalRule;
  const bool showLast =
      rule == ReversalRule::LastReversal || rule == ReversalRule::LastAndMaxReversal;
  const bool showMax =
      rule == ReversalRule::MaxReversal || rule == ReversalRule::LastAndMaxReversal;
  const int32_t lastSize = showLast ? kLastReversalMarkerSize : 0;
  const int32_t maxSize = showMax ? kMaxReversalMarkerSize : 0;
  series[kLastPlusMark].MarkerSize = lastSize;
  series[kLastMinusMark].MarkerSize = lastSize;
  series[kMaxPlusMark].MarkerSize = maxSize;
  series[kMaxMinusMark].MarkerSize = maxSize;

  const Quantity* x = QuantityAt(bench.graphXQuantity);
  const Quantity* y = QuantityAt(bench.graphYQuantity);
  const ResponseHistory& modified = results->modified;
  const ReversalIndexHistory& reversals = results->reversalIndices;
  PlaceReversalMark(series[kLastPlusMark], reversals.lastPlus, k, modified, x, y);
  PlaceReversalMark(series[kLastMinusMark], reversals.lastMinus, k, modified, x, y);
  PlaceReversalMark(series[kMaxPlusMark], reversals.maxPlus, k, modified, x, y);
  PlaceReversalMark(series[kMaxMinusMark], reversals.maxMinus, k, modified, x, y);
  return true;
}

}  // namespace

bool UpdatePlaybackFrame(Graph& graph, const Workbench& bench, int32_t k) {
  if (!SetPlaybackFrame(graph, bench, k)) return false;
  graph.DrawGraph();
  return true;
}

std::optional<GraphLayout> DrawResponseFrame(Graph& graph, const Workbench& bench,
                                             std::optional<int32_t> frame,
                                             const GraphLayout& previous) {
  if (frame && !SetPlaybackFrame(graph, bench, *frame)) return std::nullopt;
  return graph.DrawGraph(previous);
}

}  // namespace quarvel
