#pragma once
// Pictures of the response for a report: the window's graph of the selected experiment given a
// legend and axis titles with units, and every experiment of a set overlaid.

#include <cstdint>

#include "graph/curve_plot.h"
#include "graph/graph.h"
#include "solve/workbench.h"

namespace quarvel {

// Legend texts of the reversal marks (the window's own legend captions).
inline constexpr const char* kReversalPlusLegend = "Reversal point +";
inline constexpr const char* kReversalMinusLegend = "Reversal point -";

// Dresses the graph that UpdateGraph built (and UpdatePlaybackFrame moved to a frame) for a
// picture of its own, before it is drawn: the axis titles take their units (QuantityAxisTitle,
// in SI units when the selected experiment's response is), the modified model's curve is dashed
// so that the original shows where the two coincide, and with `legend` the graph's legend lists
// "Original Model" and "Modified Model" and, when reversal marks are drawn, one entry for each
// sign of mark. False, changing nothing, when the graph does not hold the response series or no
// experiment or quantity is selected. CurvePlotOfGraph then gives the figure.
bool DressResponseGraph(Graph& graph, const Workbench& bench, bool legend);

// Every experiment of the solved set, each in its own colour (DistinctColour): the original
// model as a solid line 2 pixels wide, the modified model dashed, 1 pixel wide, in the same
// colour. The legend lists the experiments' names (an unnamed one as "Experiment k"), then what
// the two line styles stand for. Axis titles take units when every response is in SI units.
// The quantities are list indices 0..9; samples 1..counter of each response are drawn.
CurvePlot ExperimentsOverlayPlot(const Workbench& bench, int32_t xQuantity, int32_t yQuantity);

}  // namespace quarvel
