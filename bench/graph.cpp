// Time of one full graph drawing (layout and painting) of a graph like the application's: two
// curves of 1501 points and four one-point marker series, default settings with titles, 800 x 600;
// and of the window's graph update (series, titles, axes, drawing) for the largest built-in
// experiment as solved.
// QUARVEL_GRAPH_PNG=<path> also saves the Qt picture there.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/response_graph.h"
#include "experiments/generated_experiments.h"
#include "graph/graph.h"
#include "graph/recording_canvas.h"
#include "solve/solve_experiments.h"

#ifdef QUARVEL_HAVE_QT_CANVAS
#include <QGuiApplication>

#include "graph/qt/qimage_canvas.h"
#endif

namespace {

using namespace quarvel;

constexpr int kSamples = 1501;

// A damped force-displacement loop: displacement a decaying sine, force a smoothed hysteretic
// response to it.
std::vector<GraphSeries> AppLikeSeries() {
  GraphSeries original;
  original.Name = "Original Model";
  original.ShowLine = true;
  original.LineColour = 0x0000FF;
  original.LineWidth = 3;
  GraphSeries modified = original;
  modified.Name = "Modified Model";
  modified.LineColour = 0xFF0000;
  modified.LineWidth = 2;
  for (int i = 0; i < kSamples; ++i) {
    const double t = i * 0.02;
    const double u = 4.0 * std::exp(-0.05 * t) * std::sin(t);
    original.Points.push_back(GraphPoint{u, 120.0 * std::tanh(0.8 * u + 0.3 * std::cos(t)), "", ""});
    modified.Points.push_back(GraphPoint{u, 110.0 * std::tanh(0.7 * u + 0.35 * std::cos(t)), "", ""});
  }
  original.PointCount = modified.PointCount = kSamples;
  std::vector<GraphSeries> series = {original, modified};
  const Colour colours[] = {0x00FF00, 0xFF00FF, 0x00FF00, 0xFF00FF};
  const int sizes[] = {8, 8, 16, 16};
  const double at[][2] = {{2.5, 90}, {-2.1, -80}, {3.6, 110}, {-3.2, -105}};
  for (int k = 0; k < 4; ++k) {
    GraphSeries mark;
    mark.Name = k % 2 == 0 ? "R plus" : "R minus";
    mark.Points.push_back(GraphPoint{at[k][0], at[k][1], "", ""});
    mark.PointCount = 1;
    mark.ShowMarkers = true;
    mark.MarkerColour = colours[k];
    mark.MarkerWidth = 2;
    mark.MarkerSize = sizes[k];
    series.push_back(mark);
  }
  return series;
}

void SetUpGraph(Graph& graph, Canvas& canvas) {
  graph.SetSurface(&canvas);
  graph.SeriesList() = AppLikeSeries();
  GraphSettings settings = graph.GetGraphSettings();
  settings.ShowLegend = false;
  settings.XTitle = "Displacement";
  settings.YTitle = "Force";
  settings.Title = "Force - Displacement graph for T=1, Amp=5";
  graph.SetGraphSettings(settings);
  graph.ComputeAxes();
}

// The largest built-in experiment ("T=3, Amp=5", 1501 samples), solved with the defaults, fed
// to the graph as the window feeds it: force against displacement of both models with the
// four reversal marks, titles on.
Workbench SolvedLargestBuiltIn() {
  Workbench bench;
  CreateSineForceExperiments(bench.experiments);
  int32_t largest = 1;
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    if (bench.experiments.At(k).counter > bench.experiments.At(largest).counter) largest = k;
  }
  bench.SelectFirst(1, 4);
  bench.currentExperiment = largest;
  SilentUserInterface ui;
  SolveExperiments(bench, ui, false);
  return bench;
}

void ReportPoints(benchmark::State& state, const Workbench& bench) {
  const auto points = static_cast<double>(2 * bench.CurrentExperiment()->counter);
  state.counters["points"] = points;
  state.counters["points/s"] = benchmark::Counter(points * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

void BM_UpdateGraphLargestBuiltInRecording(benchmark::State& state) {
  const Workbench bench = SolvedLargestBuiltIn();
  RecordingCanvas canvas(800, 600);
  Graph graph;
  graph.SetSurface(&canvas);
  for (auto _ : state) {
    canvas.Clear();
    const bool drawn = UpdateGraph(graph, bench, bench.CurrentExperiment()->counter, true);
    benchmark::DoNotOptimize(drawn);
  }
  ReportPoints(state, bench);
}
BENCHMARK(BM_UpdateGraphLargestBuiltInRecording)->Unit(benchmark::kMillisecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_DrawGraphRecording(benchmark::State& state) {
  RecordingCanvas canvas(800, 600);
  Graph graph;
  SetUpGraph(graph, canvas);
  for (auto _ : state) {
    canvas.Clear();
    graph.DrawGraph();
    benchmark::DoNotOptimize(canvas.Calls().data());
  }
}
BENCHMARK(BM_DrawGraphRecording)->Unit(benchmark::kMillisecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);

#ifdef QUARVEL_HAVE_QT_CANVAS
void EnsureGuiApplication() {
  static QGuiApplication* app = [] {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_graph";
    static char* argv[] = {name, nullptr};
    // Left alive until the process ends: fonts are used up to the last benchmark.
    auto* created = new QGuiApplication(argc, argv);
    RegisterTahomaFont();
    return created;
  }();
  (void)app;
}

void BM_DrawGraphQt(benchmark::State& state) {
  EnsureGuiApplication();
  QImageCanvas canvas(800, 600);
  Graph graph;
  SetUpGraph(graph, canvas);
  for (auto _ : state) {
    graph.DrawGraph();
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
  if (const char* path = std::getenv("QUARVEL_GRAPH_PNG")) {
    const FileResult saved = canvas.SavePng(path);
    if (!saved) state.SkipWithError(saved.Describe().c_str());
  }
}
BENCHMARK(BM_DrawGraphQt)->Unit(benchmark::kMillisecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_UpdateGraphLargestBuiltInQt(benchmark::State& state) {
  EnsureGuiApplication();
  const Workbench bench = SolvedLargestBuiltIn();
  QImageCanvas canvas(800, 600);
  Graph graph;
  graph.SetSurface(&canvas);
  for (auto _ : state) {
    const bool drawn = UpdateGraph(graph, bench, bench.CurrentExperiment()->counter, true);
    benchmark::DoNotOptimize(drawn);
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
  ReportPoints(state, bench);
}
BENCHMARK(BM_UpdateGraphLargestBuiltInQt)->Unit(benchmark::kMillisecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);

// A full redraw as after a solve: new axes, then the drawing.
void BM_ComputeAxesAndDrawGraphQt(benchmark::State& state) {
  EnsureGuiApplication();
  QImageCanvas canvas(800, 600);
  Graph graph;
  SetUpGraph(graph, canvas);
  for (auto _ : state) {
    graph.ComputeAxes();
    graph.DrawGraph();
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
}
BENCHMARK(BM_ComputeAxesAndDrawGraphQt)->Unit(benchmark::kMillisecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);
#endif

}  // namespace
