#pragma once
// Feeding the graph from the selected experiment: the two response curves and the four
// reversal-mark series, the titles, and the cheaper redraw of one playback frame.
//
// Both operations draw on the graph's own surface (Graph::SetSurface) at whatever size that
// surface has; sizing it to the window's graph box and showing the picture is the caller's job.

#include <cstdint>
#include <optional>

#include "graph/graph.h"
#include "graph/graph_model.h"
#include "solve/workbench.h"

namespace quarvel {

// The six series, in list order (0-based positions in Graph::SeriesList()).
enum ResponseSeries : int32_t {
  kOriginalCurve = 0,    // "Original Model": red line, width 3
  kModifiedCurve = 1,    // "Modified Model": blue line, width 2
  kLastPlusMark = 2,     // "R plus": green "+", last positive reversal point
  kLastMinusMark = 3,    // "R minus": magenta "+", last negative reversal point
  kMaxPlusMark = 4,      // "R plus": maximum-displacement positive reversal point
  kMaxMinusMark = 5,     // "R minus": maximum-displacement negative reversal point
  kResponseSeriesCount = 6,
};

// On a graph of U against F (either way round) two series follow the six: a "+" at the
// turning point of every closed loop whose work breaks the postulate (AuditedLoops), in the
// colour of its model. They mark the whole response and stay put during playback.
enum LoopMarks : int32_t {
  kOriginalLoopMarks = 6,
  kModifiedLoopMarks = 7,
};
inline constexpr int32_t kLoopMarkerSize = 10;  // arm length of a loop's "+"

inline constexpr Colour kOriginalColour = 0x0000FF;     // red
inline constexpr Colour kModifiedColour = 0xFF0000;     // blue
inline constexpr Colour kPlusMarkColour = 0x00FF00;     // green
inline constexpr Colour kMinusMarkColour = 0xFF00FF;    // magenta
inline constexpr int32_t kLastReversalMarkerSize = 8;   // arm length of the last-reversal "+"
inline constexpr int32_t kMaxReversalMarkerSize = 16;   // arm length of the max-reversal "+"

// Rebuilds the six series from samples 1..pointCount (at most the experiment's counter, and
// only the samples its responses hold) of the current experiment, the X and Y arrays being
// those of bench.graphXQuantity and bench.graphYQuantity. The reversal marks start hidden at
// (0, 0), so both axis ranges reach 0. With updateTitles, sets the axis titles and the title
// "<Y name> - <X name> graph for <experiment name>" and hides the graph's legend (the window
// keeps a legend of its own). On a graph of U against F, adds the loop marks of the loops
// that close within those samples. Then ComputeAxes and DrawGraph. With `axisUnits` too, the
// axis titles take their units where the record fixes them, an acceleration in units of g
// ("Displacement (m)", QuantityAxisTitle); every other response keeps the bare names (the
// title keeps them always).
// Returns false, changing nothing, when the set is empty, no experiment is selected or a
// quantity is not selected.
bool UpdateGraph(Graph& graph, const Workbench& bench, int32_t pointCount, bool updateTitles,
                 bool axisUnits = false);

// Redraws as of sample k (1..the point count of the last UpdateGraph) without new axes: the
// curves show samples 1..k and the reversal marks sit at the modified response's reversal
// points in force after sample k ((0, 0) before the first), in the sizes the reversal rule of
// the last solve asks for: last-reversal marks under Last and LastAndMax, max-reversal marks
// (twice as large) under Max and LastAndMax, none under AllReversals. A mark whose history or
// sample index lies outside its array keeps its place. Returns false, changing nothing, when the
// set is empty, no experiment is selected or the six series were never built.
bool UpdatePlaybackFrame(Graph& graph, const Workbench& bench, int32_t k);

// Draws the graph again as playback shows it (Playback::Frame()): as of sample `frame` when
// there is one (as UpdatePlaybackFrame), otherwise the series as the last UpdateGraph built
// them. What every redraw that brings no new response or quantities does (a surface resized,
// shown or copied). Returns the layout drawn with (`previous`: that of the last drawing on the
// same surface, as Graph::DrawGraph takes it), empty when nothing was drawn.
std::optional<GraphLayout> DrawResponseFrame(Graph& graph, const Workbench& bench,
                                             std::optional<int32_t> frame,
                                             const GraphLayout& previous = GraphLayout{});

}  // namespace quarvel
