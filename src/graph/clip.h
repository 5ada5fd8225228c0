#pragma once
// Cutting a line segment to a rectangle, for drawings that must not reach beyond an area.

namespace quarvel {

struct ClipRect {
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
};

// Cuts the segment (x0, y0)-(x1, y1) to the part inside the rectangle, edges included
// (Liang-Barsky); false, leaving the ends as they are, when no part of it is inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, const ClipRect& rect);

}  // namespace quarvel
