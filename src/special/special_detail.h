#pragma once
// Internals of the special functions shared by their sources and visible to their tests.

#include <cmath>

namespace quarvel::detail {

// How many times each digamma table has been filled in this process (0 or 1).
int DigammaIntegerTableFillCount();
int DigammaHalfIntegerTableFillCount();

// Nearest whole number, halves to the even neighbour; built on floor so that it does not
// depend on the floating-point rounding mode. NaN and infinities come back unchanged.
inline double RoundToNearestEven(double x) {
  if (!(std::fabs(x) < 4503599627370496.0)) return x;  // 2^52: whole already, or not finite
  const double below = std::floor(x);
  const double fraction = x - below;
  double rounded = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
  return rounded == 0.0 ? std::copysign(0.0, x) : rounded;
}

}  // namespace quarvel::detail
