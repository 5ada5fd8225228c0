#include "model/excitation_force.h"

namespace quarvel {

void ExcitationForce::Assign(std::span<const double> samples, int32_t n, double dt) {
  sampleCount = n < 0 ? 0 : n;
  timeStep = dt;
  X.assign(static_cast<std::size_t>(sampleCount) + 1, 0.0);
  for (std::size_t i = 1; i < X.size() && i < samples.size(); ++i) X[i] = samples[i];
}

void ExcitationForce::AssignGroundAcceleration(std::span<const double> acceleration, int32_t n,
                                               double dt, double mass, int32_t unitsOfG) {
  Assign({}, n, dt);
  if (unitsOfG != 0 && unitsOfG != 1) return;
  for (std::size_t i = 1; i < X.size() && i < acceleration.size(); ++i) {
    X[i] = unitsOfG == 1 ? -acceleration[i] * mass * kGravity : -acceleration[i] * mass;
  }
}

}  // namespace quarvel
