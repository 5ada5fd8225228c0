#include "graph/curve_plot.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "graph/graph_internal.h"

namespace quarvel {
namespace {

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

bool HasFinitePoint(const CurvePlot& plot) {
  for (const PlotCurve& curve : plot.curves) {
    for (std::size_t i = 0; i < std::min(curve.x.size(), curve.y.size()); ++i) {
      if (std::isfinite(curve.x[i]) && std::isfinite(curve.y[i])) return true;
    }
  }
  return false;
}

CurvePlot CurvePlotOfGraph(const Graph& graph) {
  const GraphSettings& settings = graph.Settings();
  CurvePlot plot;
  plot.title = settings.Title;
  plot.xTitle = settings.XTitle;
  plot.yTitle = settings.YTitle;
  plot.legend = settings.ShowLegend;
  for (const GraphSeries& series : graph.SeriesList()) {
    const std::size_t count = detail::UsedPointCount(series);
    const int32_t marker = series.ShowMarkers ? series.MarkerSize : 0;
    const Colour colour = series.ShowLine ? series.LineColour : series.MarkerColour;
    const int32_t style = series.ShowLine ? series.LineStyle : kPenNone;
    const bool listed = series.ShowInLegend && !series.Name.empty();
    if (count == 0) {
      if (listed) plot.keys.push_back({series.Name, colour, series.LineWidth, style, marker});
      continue;
    }
    if (!series.ShowLine && marker <= 0) continue;
    PlotCurve& curve = plot.curves.emplace_back();
    curve.name = listed ? series.Name : std::string();
    for (std::size_t i = 0; i < count; ++i) {
      curve.x.push_back(series.Points[i].X);
      curve.y.push_back(series.Points[i].Y);
    }
    curve.colour = colour;
    curve.width = series.LineWidth;
    curve.style = style;
    curve.marker = marker;
  }
  return plot;
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
