#pragma once
// Shared set-up for the model tests.

#include <cmath>
#include <vector>

#include "model/integration.h"
#include "model/model_run.h"

namespace quarvel::test {

inline constexpr SolutionMethod kAllSchemes[] = {
    SolutionMethod::Euler, SolutionMethod::EulerStepDoubling, SolutionMethod::RungeKutta,
    SolutionMethod::RungeKuttaStepDoubling};
inline constexpr ModelPass kBothPasses[] = {ModelPass::Original, ModelPass::Modified};

// Default model parameters with the integration settings the solve driver would set.
inline ModelParameters DefaultParameters(SolutionMethod m) {
  const bool doubling =
      m == SolutionMethod::EulerStepDoubling || m == SolutionMethod::RungeKuttaStepDoubling;
  return {.solutionMethod = m, .eulerSteps = doubling ? 128 : 1, .eps = 1e-9};
}

// 1-based samples amplitude * sin(2 pi / period * dt * (i - 1)), i = 1..n.
inline std::vector<double> SineSamples(double amplitude, double period, double dt, int n) {
  std::vector<double> x(static_cast<std::size_t>(n) + 1, 0.0);
  for (int i = 1; i <= n; ++i)
    x[i] = amplitude * std::sin(2.0 * 3.14159265358979 / period * dt * (i - 1));
  return x;
}

// A run over a force record (1-based samples) from rest or the given initial state.
inline ModelRun ForceRun(const ModelParameters& p, double mass, const std::vector<double>& force,
                         double dt, double u0 = 0.0, double v0 = 0.0, double z0 = 0.0,
                         ModelPass pass = ModelPass::Original) {
  ModelRun run;
  run.parameters = p;
  run.mass = mass;
  run.excitation.Assign(force, static_cast<int32_t>(force.size()) - 1, dt);
  run.initialU = u0;
  run.initialUDot = v0;
  run.initialZ = z0;
  run.pass = pass;
  return run;
}

}  // namespace quarvel::test
