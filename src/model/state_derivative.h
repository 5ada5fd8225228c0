#pragma once
// The oscillator's state, its time derivative and the quantities completed at each sample.

#include <cmath>
#include <cstdint>
#include <limits>

#include "model/model_run.h"
#include "model/reversal_rules.h"

namespace quarvel {

// y = (u, u', z).
struct StateVector {
  double u = 0.0;
  double uDot = 0.0;
  double z = 0.0;
};

// +1 when a and b are both >= 0 or both < 0 (zero counts as positive), -1 otherwise.
inline double SameSign(double a, double b) {
  return ((a >= 0.0 && b >= 0.0) || (a < 0.0 && b < 0.0)) ? 1.0 : -1.0;
}

// 1 for x > 0, else 0.
inline double UnitStep(double x) { return x > 0.0 ? 1.0 : 0.0; }

// -1, 0 or +1 (0 for 0 and NaN).
inline double Sgn(double x) { return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0); }

// dy/dt at time t for the run's pass (run prepared):
//   u'  = u'
//   u'' = -(1 / m) * (hystereticScale * z + c * u' + postYieldStiffness * u - ExcitationAt(t))
//   z'  = (A - (gamma * s + beta) * |z|^n) * u' / Uy, s = SameSign(u', z)   (Original)
//   z'  = (A - ((s - 2 * UnitStep(z * u') * w) * gamma + beta) * |z|^n) * u' / Uy  (Modified)
// with w = ReloadWeight(u, u', z) from the memory as it stood after the last stored sample.
// Counts itself in run.derivativeEvaluations. With kStopAtFault (a pass that ends at its first
// fault) an acceleration that is not finite ends the evaluation: z' and its reload weight are
// not evaluated, and z' is NaN.
template <bool kStopAtFault = false>
inline StateVector StateDerivativeWithForce(ModelRun& run, double force, const StateVector& y);

inline StateVector StateDerivative(ModelRun& run, double t, const StateVector& y) {
  return StateDerivativeWithForce(run, run.excitation.ExcitationAt(t), y);
}

// The same with ExcitationAt(t) given (the Runge-Kutta step evaluates two slopes at one time).
template <bool kStopAtFault>
inline StateVector StateDerivativeWithForce(ModelRun& run, double force, const StateVector& y) {
  ++run.derivativeEvaluations;
  const ModelParameters& p = run.parameters;
  const DerivedConstants& d = run.derived;
  StateVector dy;
  dy.u = y.uDot;
  dy.uDot =
      -d.inverseMass * (d.hystereticScale * y.z + p.c * y.uDot + d.postYieldStiffness * y.u - force);
  if (kStopAtFault && !std::isfinite(dy.uDot)) {
    dy.z = std::numeric_limits<double>::quiet_NaN();
    return dy;
  }
  const double s = SameSign(y.uDot, y.z);
  const double power = run.PowerOfZ(std::fabs(y.z));
  if (run.evaluationLog != nullptr) run.evaluationLog->Record(y.u, y.uDot, y.z, power);
  if (run.pass == ModelPass::Original) {
    dy.z = (p.A - (p.gamma * s + p.beta) * power) * y.uDot / p.Uy;
  } else {
    const double w = ReloadWeight(run, y.u, y.uDot, y.z, power);
    dy.z = (p.A - ((s - 2.0 * UnitStep(y.z * y.uDot) * w) * p.gamma + p.beta) * power) * y.uDot /
           p.Uy;
  }
  return dy;
}

// From U[i], U_DOT[i] and Z[i], in this order: F[i] = postYieldStiffness * U[i] +
// hystereticScale * Z[i], U_DOT_DOT[i] = (ExcitationAt(T[i]) - F[i] - c * U_DOT[i]) / m and
// Fh[i] = hystereticScale * Z[i]. With stopAtFault it returns false at the first value that is
// not finite (stored as it came) and leaves the values after it untouched; otherwise it
// computes all three and returns true.
bool CompleteSample(ModelRun& run, int32_t i, bool stopAtFault);

}  // namespace quarvel
