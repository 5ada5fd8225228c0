#pragma once
// A plot drawn as a figure for a report, on any Canvas (the window's graph keeps its own look,
// graph.h). Ticks at nice numbers labelled in plain decimals (figure_axis.h), a frame around the
// plot, a light grid, curves clipped to the plot, a legend on a white framed box inside the plot
// in a corner it leaves every curve clear of, or below the plot when no corner is free, and
// texts that do not fit shortened with an ellipsis. Antialiasing is the canvas's business.
//
// Every length is in proportion to the canvas: a canvas of 640 x 480 units writes 10-point text
// at 100 per inch (13.9 units) and draws a curve of width 2 two units wide; a larger canvas
// scales all of it by the smaller of its width / 640 and height / 480.

#include <optional>

#include "graph/canvas.h"
#include "graph/curve_plot.h"
#include "graph/figure_axis.h"

namespace quarvel {

// The face every text of a figure is written in.
inline constexpr const char* kFigureFontFace = "DejaVu Sans";

// Where RenderFigure put things, in canvas units.
struct FigureLayout {
  PixelRect plot;            // the plot area; its frame runs along its edges
  PixelRect legend;          // the legend box; all 0 without a legend
  bool legendBelow = false;  // below the plot, as each corner of it would cover a curve
  FigureAxis x;
  FigureAxis y;
};

// Paints the plot over the whole canvas and returns the layout. Empty, drawing nothing, when no
// curve has a point with both values finite.
std::optional<FigureLayout> RenderFigure(const CurvePlot& plot, Canvas& canvas);

}  // namespace quarvel
