#include "graph/curve_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace quarvel {
namespace {

GraphSeries LineSeries(const std::string& name, Colour colour, int32_t width, int32_t style) {
  GraphSeries series;
  series.Name = name;
  series.ShowInLegend = !name.empty();
  series.ShowLine = true;
  series.LineColour = colour;
  series.LineWidth = width;
  series.LineStyle = style;
  return series;
}

GraphSeries CurveSeries(const PlotCurve& curve) {
  GraphSeries series = LineSeries(curve.name, curve.colour, curve.width, curve.style);
  const size_t count = std::min(curve.x.size(), curve.y.size());
  series.Points.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (!std::isfinite(curve.x[i]) || !std::isfinite(curve.y[i])) continue;
    GraphPoint point;
    point.X = curve.x[i];
    point.Y = curve.y[i];
    series.Points.push_back(point);
  }
  series.PointCount = static_cast<int32_t>(series.Points.size());
  return series;
}

// 0x00BBGGRR of a hue (degrees), saturation and value in 0..1.
Colour FromHsv(double hue, double saturation, double value) {
  const double c = value * saturation;
  const double h = hue / 60.0;
  const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
  std::array<double, 3> rgb{};
  switch (static_cast<int>(h) % 6) {
    case 0: rgb = {c, x, 0}; break;
    case 1: rgb = {x, c, 0}; break;
    case 2: rgb = {0, c, x}; break;
    case 3: rgb = {0, x, c}; break;
    case 4: rgb = {x, 0, c}; break;
    default: rgb = {c, 0, x}; break;
  }
  const double m = value - c;
  const auto byte = [m](double v) { return static_cast<Colour>(std::lround((v + m) * 255.0)); };
  return byte(rgb[0]) | byte(rgb[1]) << 8 | byte(rgb[2]) << 16;
}

}  // namespace

bool SetCurvePlot(Graph& graph, const CurvePlot& plot) {
  std::vector<GraphSeries> series;
  series.reserve(plot.curves.size() + plot.keys.size());
  std::optional<GraphPoint> firstPoint;
  for (const PlotCurve& curve : plot.curves) {
    series.push_back(CurveSeries(curve));
    if (!firstPoint && !series.back().Points.empty()) firstPoint = series.back().Points.front();
  }
  if (!firstPoint) return false;
  // The axis extents start from the first point of the first series, used or not.
  if (series.front().Points.empty()) series.front().Points.push_back(*firstPoint);
  for (const LegendKey& key : plot.keys) {
    series.push_back(LineSeries(key.name, key.colour, key.width, key.style));
  }

  graph.SeriesList() = std::move(series);
  GraphSettings settings = graph.GetGraphSettings();
  settings.Title = plot.title;
  settings.XTitle = plot.xTitle;
  settings.YTitle = plot.yTitle;
  settings.ShowLegend = plot.legend;
  graph.SetGraphSettings(settings);
  graph.ComputeAxes();
  return true;
}

Colour DistinctColour(int32_t i) {
  // Blue, orange, green, red, purple, brown, pink, grey, olive, cyan.
  static constexpr std::array<Colour, 10> kFixed = {0xB4771F, 0x0E7FFF, 0x2CA02C, 0x2827D6,
                                                    0xBD6794, 0x4B568C, 0xC277E3, 0x7F7F7F,
                                                    0x22BDBC, 0xCFBE17};
  if (i < 0) i = 0;
  if (i < static_cast<int32_t>(kFixed.size())) return kFixed[static_cast<size_t>(i)];
  constexpr double kGoldenAngle = 137.50776405003785;
  const double hue = std::fmod(static_cast<double>(i) * kGoldenAngle, 360.0);
  return FromHsv(hue, 0.8, 0.75);
}

}  // namespace quarvel
