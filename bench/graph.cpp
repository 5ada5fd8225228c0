// Time of one full graph drawing (layout and painting) of a graph like the application's: two
// curves of 1501 points and four one-point marker series, default settings with titles, 800 x 600.
// QUARVEL_GRAPH_PNG=<path> also saves the Qt picture there.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "graph/graph.h"
#include "graph/recording_canvas.h"

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
  if (const char* path = std::getenv("QUARVEL_GRAPH_PNG")) canvas.SavePng(path);
}
BENCHMARK(BM_DrawGraphQt)->Unit(benchmark::kMillisecond)->Repetitions(7)
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
