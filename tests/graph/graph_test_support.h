#pragma once
// Builders shared by the graph tests.

#include <initializer_list>
#include <utility>

#include "graph/graph.h"

namespace quarvel::testing_support {

// A line series through the given points.
inline GraphSeries LineSeries(std::initializer_list<std::pair<double, double>> points,
                              Colour colour = 0x0000FF, int32_t width = 1) {
  GraphSeries series;
  for (const auto& [x, y] : points) series.Points.push_back(GraphPoint{x, y, "", ""});
  series.PointCount = static_cast<int32_t>(series.Points.size());
  series.ShowLine = true;
  series.LineColour = colour;
  series.LineWidth = width;
  return series;
}

// A marker series of one point.
inline GraphSeries MarkerSeries(double x, double y, int32_t size, Colour colour = 0x00FF00) {
  GraphSeries series = LineSeries({{x, y}});
  series.ShowLine = false;
  series.ShowMarkers = true;
  series.MarkerColour = colour;
  series.MarkerWidth = 2;
  series.MarkerSize = size;
  return series;
}

}  // namespace quarvel::testing_support
