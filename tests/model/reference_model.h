#pragma once
// Test-only reference: a direct transcription of the model's equations with no caching, for
// checking that the optimised integration gives bit-identical arrays. Runge-Kutta step
// doubling, all-reversal lists, either pass.

#include <cstdint>
#include <vector>

#include "model/model_parameters.h"

namespace quarvel::reference {

struct Response {
  std::vector<double> T, U, U_DOT, U_DOT_DOT, F, Z, Fh;  // indices 0..N
  int64_t positiveWeights = 0;  // derivative evaluations whose reload weight was above 0
};

// force: 1-based samples 1..n.
Response RungeKuttaStepDoublingAllReversals(const ModelParameters& p, bool modified,
                                            double mass, const std::vector<double>& force,
                                            int n, double dt, double u0, double v0, double z0);

}  // namespace quarvel::reference
