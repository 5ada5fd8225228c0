#pragma once
// Axis arithmetic without any drawing: nice steps and limits, tick positions, tick texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

// Most tick or grid positions placed on one axis. Only an axis that kept stale steps (data
// spanning 7.5E+32 or more) can ask for more; its ticks are then cut off at this count.
inline constexpr int32_t kMaxTickPositions = 10000;

// Steps and limits of one axis for data from min to max (in/out arguments keep their values
// where nothing is computed). With d = |max - min|: nothing when max < min; d = 0 gives
// max + 1, min - 1 and steps 1 and 0.2. Otherwise the decade m = 10^k holding d gives major/minor
// steps (m, 0.2m) for d in [m, 5m), (2m, 0.4m) in [5m, 7.5m), (5m, m) in [7.5m, 10m); d below
// 1E-32 gives (0.5E-32, 0.1E-32); from 7.5E+32 on both steps keep their values. niceMax is the
// first multiple of the major step at or above max, except that a non-multiple max <= 0 goes one
// step further up; niceMin the multiple at or below min, except that a multiple min > 0 goes one
// step further down. A limit whose quotient by the step is not finite is left as it was.
void NiceAxis(double max, double min, double& majorStep, double& minorStep, double& niceMax,
              double& niceMin);

// Offsets 0, step, 2 step, ... from the axis minimum, made by a running sum while it does not
// exceed range (rounding may drop the last one). Stops when the sum no longer grows and after
// kMaxTickPositions offsets.
std::vector<double> RunningTickOffsets(double step, double range);

// Number of the last tick text: range / majorStep rounded half-even, or empty when that is not
// a count from 0 to kMaxTickPositions.
std::optional<int32_t> TickTextLast(double range, double majorStep);

// Rounds half-even to a 32-bit integer, whatever the floating-point rounding mode; empty when
// not finite or out of range.
std::optional<int32_t> RoundToInt32(double x);

// The text of a number in a format pattern, with "." as the decimal point then every "." replaced
// by decimalSeparator. Scientific patterns "0.00E+00" (digits after the point, "E+" always signs
// the exponent, "E-" only when negative, at least as many exponent digits as zeros) and fixed
// patterns "0.000" are understood; any other pattern gives the shortest 15-digit form.
// 1234.5 in "0.00E+00" gives "1.23E+03"; zero never carries a minus sign.
std::string FormatAxisNumber(double value, std::string_view format,
                             std::string_view decimalSeparator);

}  // namespace quarvel
