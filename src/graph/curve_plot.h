#pragma once
// Named curves against two automatic axes, with a legend: what every picture for a report is
// made of (the response of an experiment, several experiments at once, study results,
// envelopes, spectra), drawn by RenderFigure (figure.h).

#include <cstdint>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/graph_model.h"

namespace quarvel {

// One curve: a line through (x[i], y[i]). Widths and marker sizes are pixels of a figure 640
// pixels wide (and 480 high); larger figures draw them larger in proportion.
struct PlotCurve {
  std::string name;       // legend text; empty: not listed
  std::vector<double> x;  // as many as y; a pair with a value that is not finite breaks the line
  std::vector<double> y;
  Colour colour = 0;
  int32_t width = 2;
  int32_t style = kPenSolid;  // kPenNone: markers only
  int32_t marker = 0;         // arm length of a "+" on every point; 0: none
  std::string endLabel{};     // written right of the plot beside the curve's last point
};

// A legend entry that stands for a pen rather than for data (a line style shared by several
// curves): listed in the legend, drawn nowhere else.
struct LegendKey {
  std::string name;
  Colour colour = 0;
  int32_t width = 1;
  int32_t style = kPenSolid;
  int32_t marker = 0;
};

struct CurvePlot {
  std::string title;
  std::string xTitle;  // with the unit where there is one: "Period (s)"
  std::string yTitle;
  std::vector<PlotCurve> curves;  // drawn in order, the last on top
  std::vector<LegendKey> keys;    // listed after the curves
  bool legend = true;             // list the named curves, then the keys
};

// True when some curve has a point with both values finite.
bool HasFinitePoint(const CurvePlot& plot);

// The graph as a plot: its titles and legend switch, every series with a line or visible
// markers as a curve (points 1..PointCount; named when listed in the legend), and every series
// listed in the legend without points as a key.
CurvePlot CurvePlotOfGraph(const Graph& graph);

// Colour number i (from 0) of a sequence whose neighbours are easy to tell apart on white: ten
// fixed colours, then hues spread by the golden angle.
Colour DistinctColour(int32_t i);

}  // namespace quarvel
