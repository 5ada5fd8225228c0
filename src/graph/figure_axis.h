#pragma once
// The axes of a figure for a report: limits with a margin around the data, ticks at nice numbers
// and their texts as plain decimals. Arithmetic only, no drawing (the window's graph keeps its
// own axes, axes.h).

#include <string>
#include <vector>

namespace quarvel {

// Ticks on an axis: at least kFewestTicks and at most kMostTicks.
inline constexpr int kFewestTicks = 4;
inline constexpr int kMostTicks = 8;
// Labels with more digits than this are divided by a common power of ten.
inline constexpr int kMostLabelDigits = 4;

struct FigureAxis {
  double min = 0.0;  // the axis limits
  double max = 1.0;
  std::vector<double> ticks;        // ascending, within [min, max]
  std::vector<std::string> labels;  // per tick: the tick / 10^power, all with as many decimals
  int power = 0;                    // a multiple of 3; 0 when the labels are the ticks
};

// The axis for data from dataMin to dataMax (finite, dataMin <= dataMax). The limits lie 5 % of
// the data's span beyond it on each side (5 % of |value|, or 0.05, when the span is 0). The
// ticks are the multiples of the smallest step 1, 2, 2.5 or 5 times a power of ten that puts at
// most kMostTicks of them within the limits, which leaves at least kFewestTicks (2.5 gives way
// to 5 where that leaves kFewestTicks too, sparing a decimal). A label that
// would need more than kMostLabelDigits digits as a plain decimal ("0.0025", "12500") makes
// all labels divided by 10^power, power the multiple of 3 that brings the largest |tick| into
// 1 to 999. No label is written in E-notation, and none is "-0"; negative ones begin with the
// minus sign U+2212.
FigureAxis FigureAxisOf(double dataMin, double dataMax);

// The axis title with the common power of ten of its labels: inside the brackets of a trailing
// unit, "Peak displacement (m)" -> "Peak displacement (10⁻³ m)", else appended in brackets,
// "Ductility (10³)". The title as it is for power 0.
std::string AxisTitleWithPower(const std::string& title, int power);

}  // namespace quarvel
