#pragma once
// Named curves against two automatic axes, with a legend: the graph filled from plain arrays.
// What report pictures other than the window's response graph are made of (study results,
// envelopes, several experiments at once, curves over the period).

#include <cstdint>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "graph/graph_model.h"

namespace quarvel {

// One curve: a line through (x[i], y[i]).
struct PlotCurve {
  std::string name;        // legend text; empty: not listed
  std::vector<double> x;   // as many as y; a pair with a value that is not finite is left out
  std::vector<double> y;
  Colour colour = 0;
  int32_t width = 2;       // pixels
  int32_t style = kPenSolid;
};

// A legend entry that stands for a pen rather than for data (a line style shared by several
// curves): listed in the legend, drawn nowhere else.
struct LegendKey {
  std::string name;
  Colour colour = 0;
  int32_t width = 1;
  int32_t style = kPenSolid;
};

struct CurvePlot {
  std::string title;
  std::string xTitle;  // with the unit where there is one: "Period (s)"
  std::string yTitle;
  std::vector<PlotCurve> curves;  // drawn in order, the last on top
  std::vector<LegendKey> keys;    // listed after the curves
  bool legend = true;             // list the named curves and the keys right of the plot
};

// Replaces the graph's series by the curves (and the keys, as series without points), sets the
// titles and the legend switch on the graph's settings, and computes the axes. False, with the
// graph unchanged, when no curve has a finite point.
bool SetCurvePlot(Graph& graph, const CurvePlot& plot);

// Colour number i (from 0) of a sequence whose neighbours are easy to tell apart on white: ten
// fixed colours, then hues spread by the golden angle.
Colour DistinctColour(int32_t i);

}  // namespace quarvel
