#pragma once
// The external force table of one experiment and its linear interpolation in time.

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace quarvel {

// The acceleration of gravity [m/s^2]: records in units of g are scaled by it, and a strength
// ratio is a yield force over m g.
inline constexpr double kGravity = 9.81;

// X[1..N]: X[i] is the force at time (i - 1) * timeStep. Index 0 is unused and holds 0.
struct ExcitationForce {
  std::vector<double> X = std::vector<double>(1, 0.0);
  int32_t sampleCount = 0;  // N
  double timeStep = 0.0;    // dt

  // Copies samples[1..n] (a 1-based array: index 0 is ignored, entries past the end of
  // `samples` read as 0) and sets N = n, dt = timeStep. Reuses the storage of X.
  void Assign(std::span<const double> samples, int32_t n, double dt);

  // The force of a ground-acceleration record on mass m: X[i] = -acceleration[i] * m * 9.81
  // for a record in units of g (unitsOfG 1), -acceleration[i] * m for unitsOfG 0, and 0 for
  // any other unitsOfG. `acceleration` is 1-based like `samples` above.
  void AssignGroundAcceleration(std::span<const double> acceleration, int32_t n, double dt,
                                double mass, int32_t unitsOfG);

  // Force at time t, linear between the samples: k = trunc(t / dt) + 1; from k >= N on the
  // result is X[N], otherwise X[k] + (t - (k - 1) * dt) / dt * (X[k + 1] - X[k]).
  // A time with k below 1 or not a number (a negative time, a zero dt at t = 0) lies before
  // the table and gives NaN.
  double ExcitationAt(double t) const {
    const double k = std::trunc(t / timeStep) + 1.0;
    if (k >= static_cast<double>(sampleCount)) return X[static_cast<std::size_t>(sampleCount)];
    if (!(k >= 1.0)) return std::numeric_limits<double>::quiet_NaN();
    const auto index = static_cast<std::size_t>(k);
    return X[index] + (t - (k - 1.0) * timeStep) / timeStep * (X[index + 1] - X[index]);
  }
};

}  // namespace quarvel
