#pragma once
// Closed sub-loops of a response and the work over each: the energy audit of one model.
//
// A displacement cycle starts at a reversal of U, runs to the opposite reversal and ends at the
// first return to the first reversal's displacement, with no reversal in between once the
// loops closed inside it are taken out (a loop inside a loop counts, and so does the loop
// around it). The return lies between two samples and is placed there by linear
// interpolation. Over such a cycle the work of the restoring force, W = the integral of F dU,
// is never negative for a model that obeys Il'iushin's postulate. A force cycle is the same
// walk over F; over it the work of the displacement, W = -(the integral of U dF), which equals
// the integral of (F - F0) dU with F0 the force the cycle starts and ends at, is never negative
// for a model that obeys Drucker's postulate.

#include <cstdint>
#include <vector>

#include "model/response_history.h"

namespace quarvel {

enum class CycleKind {
  Displacement,  // a closed cycle of U, W = integral of F dU
  Force,         // a closed cycle of F, W = -(integral of U dF)
};

struct ClosedLoop {
  CycleKind kind = CycleKind::Displacement;
  int32_t startSample = 0;  // the reversal the loop starts at
  int32_t turnSample = 0;   // the opposite reversal
  // The return lies between samples closeSample - 1 and closeSample, at closeFraction (0, 1]
  // of the way.
  int32_t closeSample = 0;
  double closeFraction = 1.0;
  double startTime = 0.0;  // T at the three points
  double turnTime = 0.0;
  double closeTime = 0.0;
  double displacementRange = 0.0;  // largest minus smallest U over the loop
  double forceRange = 0.0;         // largest minus smallest F over the loop
  double work = 0.0;               // trapezoidal over the samples, closing point included
  // What round-off and the sampling step can make of the work (the scale below).
  double scale = 0.0;
  bool violation = false;  // work < -scale
};

// The error scale of the trapezoidal work over a path of m segments with differences dx, dy
// and mean values ybar of the integrand:
//   kRoundOffFactor * m * eps * sum |ybar dx|  +  sum |dx dy| / 2.
// The first term bounds the round-off of m products summed (eps the machine epsilon). The
// second is the part of each segment's work that depends on where along the segment the force
// is taken (the difference between the trapezoid and a one-sided rectangle): a model solved
// with a first-order step, or a reversal that falls between samples, errs by that much per
// segment, so the term halves with the step, as such errors do.
inline constexpr double kRoundOffFactor = 4.0;

// The closed loops of `kind` in samples 1..N of `response` (U and F, with T for the times),
// in the order they close (an inner loop before the loop around it). The walk ends at the
// first sample whose U, F or T is not finite.
std::vector<ClosedLoop> FindClosedLoops(const ResponseHistory& response, CycleKind kind);

}  // namespace quarvel
