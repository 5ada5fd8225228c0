#include "model/excitation_force.h"

namespace quarvel {

void ExcitationForce::Assign(std::span<const double> samples, int32_t n, double dt) {
  sampleCount = n < 0 ? 0 : n;
  timeStep = dt;
  X.assign(static_cast<std::size_t>(sampleCount) + 1, 0.0);
  for (std::size_t i = 1; i < X.size() && i < samples.size(); ++i) X[i] = samples[i];
}

}  // namespace quarvel
