#pragma once
// The graph: a list of curves drawn against two automatic axes onto a Canvas.
//
// A full redraw: fill SeriesList(), take GetGraphSettings(), change titles and switches in the
// copy, SetGraphSettings(), ComputeAxes(), DrawGraph(). A redraw that only changes point counts or
// single points calls DrawGraph() alone and keeps the axes of the last ComputeAxes().
//
// The graph holds no layout: DrawGraph returns the one it drew with, and whoever shows the
// picture keeps it for mapping pixels back to data (the same graph may be drawn on several
// surfaces of different sizes).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graph/axes.h"
#include "graph/canvas.h"
#include "graph/graph_model.h"

namespace quarvel {

// Extents of the data of all series, written by ComputeAxes.
struct DataExtents {
  double XMax = 0.0;
  double XMin = 0.0;
  double YMax = 0.0;
  double YMin = 0.0;
};

// What DrawGraph derives from the surface, the settings and the measured texts.
struct GraphLayout {
  PixelRect CanvasRect;  // the whole surface
  PixelRect PlotRect;    // inside the axes
  double XUnitsPerPixel = 0.0;
  double YUnitsPerPixel = 0.0;
  TextExtent XTickText;     // widest and tallest X tick text (and XLabel when shown)
  TextExtent YTickText;     // widest and tallest Y tick text (and YLabel when shown)
  TextExtent YTitle;        // Height is the extent across the rotated text
  TextExtent XTitle;
  TextExtent Title;
  int32_t LegendHeightSum = 0;  // sum of the legend entries' heights
  TextExtent LegendEntry;       // widest and tallest legend entry

  // Pixel column of an offset from the X axis minimum: round(v / XUnitsPerPixel + PlotLeft),
  // halves to even; empty when that is no 32-bit number.
  std::optional<int32_t> DataToPixelX(double offset) const;
  // Pixel row of an offset from the Y axis minimum: round(PlotBottom - v / YUnitsPerPixel).
  std::optional<int32_t> DataToPixelY(double offset) const;
};

class Graph {
 public:
  // Default settings, no series, no surface.
  Graph() = default;

  // The curves, drawn in order. Callers resize and write them directly.
  std::vector<GraphSeries>& SeriesList() { return series_; }
  const std::vector<GraphSeries>& SeriesList() const { return series_; }

  // Writes the default settings (those of a default-constructed GraphSettings).
  void SetGraphDefaults() { settings_ = GraphSettings{}; }
  GraphSettings GetGraphSettings() const { return settings_; }
  void SetGraphSettings(const GraphSettings& settings) { settings_ = settings; }
  const GraphSettings& Settings() const { return settings_; }

  // The surface DrawGraph and RenderGraph paint on; not owned. nullptr: nothing is drawn.
  void SetSurface(Canvas* surface) { surface_ = surface; }

  // Data extents over points 1..PointCount of every series (whatever their show switches),
  // starting from point 1 of series 1, then both AxisScale records by NiceAxis. Nothing changes
  // without series.
  void ComputeAxes();

  // Lays the graph out on the surface, renders it and returns the layout it used. `previous`
  // is the layout of the last drawing on the same surface: a plot edge or a scale factor that
  // cannot be computed (not finite or no 32-bit number; a plot area of no width or height)
  // keeps its value there. Nothing is drawn (empty) without series, without a surface, or
  // when either axis's major step is not above 0.
  std::optional<GraphLayout> DrawGraph(const GraphLayout& previous = GraphLayout{}) const;

  // Paints every element in a fixed order with the given layout (also used alone to repaint
  // the same picture).
  void RenderGraph(const GraphLayout& layout) const;

  // Data coordinates of a pixel of a picture drawn with `layout`; false (x, y untouched)
  // outside the plot area, whose border counts as inside.
  bool PixelToData(const GraphLayout& layout, int32_t px, int32_t py, double& x,
                   double& y) const;
  // Pointer read-out "(x,y)" with the tick number formats; empty outside the plot area.
  std::optional<std::string> FormatCoordinates(const GraphLayout& layout, int32_t px,
                                               int32_t py) const;

  const AxisScale& XScale() const { return xScale_; }
  const AxisScale& YScale() const { return yScale_; }
  const DataExtents& Extents() const { return extents_; }

 private:
  // The first half of DrawGraph; empty when nothing may be drawn.
  std::optional<GraphLayout> ComputeLayout(const GraphLayout& previous) const;
  std::string XTickText(int32_t i) const;
  std::string YTickText(int32_t i) const;

  std::vector<GraphSeries> series_;
  GraphSettings settings_;
  AxisScale xScale_;
  AxisScale yScale_;
  DataExtents extents_;
  Canvas* surface_ = nullptr;
};

}  // namespace quarvel
