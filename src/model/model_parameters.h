#pragma once
// Parameters of the oscillator and of the integration, constant during a solve.

#include <cstdint>

namespace quarvel {

enum class SolutionMethod : int32_t {
  Euler = 0,
  EulerStepDoubling = 1,
  RungeKutta = 2,
  RungeKuttaStepDoubling = 3,
};

enum class ReversalRule : int32_t {
  AllReversals = 0,
  LastReversal = 1,
  MaxReversal = 2,
  LastAndMaxReversal = 3,
};

enum class ModelPass : int32_t { Original = 0, Modified = 1 };

struct ModelParameters {
  double A = 1.0;          // Bouc-Wen amplitude coefficient
  double beta = 0.1;       // sign-independent coefficient of the z-rate
  double gamma = 0.9;      // sign-dependent coefficient of the z-rate
  double n = 2.0;          // exponent of |z|
  double alpha = 0.10;     // post-yield to elastic stiffness ratio
  double c = 0.0;          // viscous damping
  double Fy = 2.86;        // yield force
  double Uy = 0.111;       // yield displacement
  double P = 2.0;          // exponent of the reload weight
  double thresholdZ = -1;  // dominance-zone threshold; negative selects the mirrored point z
  double mass = -1;        // negative: each experiment's own mass
  SolutionMethod solutionMethod = SolutionMethod::RungeKuttaStepDoubling;
  int32_t eulerSteps = 0;  // sub-steps per sample (1..128 Euler, 128 step doubling)
  double eps = 0.0;        // displacement tolerance of the step-doubling schemes
  ReversalRule reversalRule = ReversalRule::AllReversals;
  bool skipWithinDominanceZone = true;

  // alpha * Fy / Uy
  double PostYieldStiffness() const { return alpha * Fy / Uy; }
  // (1 - alpha) * Fy
  double HystereticScale() const { return (1.0 - alpha) * Fy; }
};

}  // namespace quarvel
