#pragma once
// Small drawing helpers shared by the layout and the rendering of the graph.

#include <algorithm>
#include <cstddef>

#include "graph/canvas.h"
#include "graph/graph_model.h"

namespace quarvel::detail {

// Points 1..PointCount that exist in the array.
inline std::size_t UsedPointCount(const GraphSeries& series) {
  if (series.PointCount <= 0) return 0;
  return std::min(static_cast<std::size_t>(series.PointCount), series.Points.size());
}

// Selects the font of a text style; when it cannot be made the surface's own font stays.
inline void SelectStyleFont(Canvas& canvas, const TextStyle& style, int32_t escapement) {
  if (const auto font = MakeFont(style, escapement, canvas.TwipsPerPixel())) {
    canvas.SelectFont(*font);
  }
}

// Selects a pen; a style outside 0..5 makes no pen and the surface's own pen stays.
inline void SelectPen(Canvas& canvas, int32_t style, int32_t width, Colour colour) {
  if (style < kPenSolid || style > kPenNone) return;
  canvas.SelectPen(Pen{style, width, colour});
}

}  // namespace quarvel::detail
