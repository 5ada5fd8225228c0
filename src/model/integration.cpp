#include "model/integration.h"

#include <cmath>

#include "model/reversal_rules.h"

namespace quarvel {

namespace {

// Trials of the step-doubling schemes stop doubling here even if eulerSteps is larger, so
// the sub-step count never overflows.
constexpr int32_t kMaxTrialSubsteps = int32_t{1} << 30;

bool IsFinite(const StateVector& v) {
  return std::isfinite(v.u) && std::isfinite(v.uDot) && std::isfinite(v.z);
}

// A derivative evaluation faulted: a non-finite component or a faulting unloading factor
// (the flag is cleared at the start of a pass and ends a checked pass as soon as it is set).
bool Faulted(const ModelRun& run, const StateVector& dy) {
  return !IsFinite(dy) || run.specialFunctionFault;
}

StateVector Advance(const StateVector& y, double a, const StateVector& k) {
  return {y.u + a * k.u, y.uDot + a * k.uDot, y.z + a * k.z};
}

// Runge-Kutta step; with kCheck it returns false at the first fault.
template <bool kCheck>
bool RungeKutta4(ModelRun& run, StateVector& y, const StateVector& k1, double t, double h) {
  const double a = h / 2.0;
  const double b = h / 6.0;
  const double forceAtMidpoint = run.excitation.ExcitationAt(t + a);
  StateVector trial = Advance(y, a, k1);
  if (kCheck && !IsFinite(trial)) return false;
  const StateVector k2 = StateDerivativeWithForce(run, forceAtMidpoint, trial);
  if (kCheck && Faulted(run, k2)) return false;
  trial = Advance(y, a, k2);
  if (kCheck && !IsFinite(trial)) return false;
  const StateVector k3 = StateDerivativeWithForce(run, forceAtMidpoint, trial);
  if (kCheck && Faulted(run, k3)) return false;
  trial = Advance(y, h, k3);
  if (kCheck && !IsFinite(trial)) return false;
  const StateVector k4 = StateDerivative(run, t + h, trial);
  if (kCheck && Faulted(run, k4)) return false;
  y.u = y.u + b * (k1.u + 2.0 * (k2.u + k3.u) + k4.u);
  y.uDot = y.uDot + b * (k1.uDot + 2.0 * (k2.uDot + k3.uDot) + k4.uDot);
  y.z = y.z + b * (k1.z + 2.0 * (k2.z + k3.z) + k4.z);
  return !kCheck || IsFinite(y);
}

// `count` Euler sub-steps of size h from t0.
void EulerSubsteps(ModelRun& run, StateVector& y, double t0, int32_t count, double h) {
  for (int32_t j = 0; j < count; ++j) {
    const StateVector dy = StateDerivative(run, t0 + static_cast<double>(j) * h, y);
    y.u = y.u + h * dy.u;
    y.uDot = y.uDot + h * dy.uDot;
    y.z = y.z + h * dy.z;
  }
}

// `count` Runge-Kutta sub-steps of size h from t0, never stopping at a fault.
void RungeKuttaSubsteps(ModelRun& run, StateVector& y, double t0, int32_t count, double h) {
  for (int32_t j = 0; j < count; ++j) {
    const double t = t0 + static_cast<double>(j) * h;
    const StateVector k1 = StateDerivative(run, t, y);
    RungeKutta4<false>(run, y, k1, t, h);
  }
}

// Trials with 1, 2, 4, ... sub-steps from y, each restarting from y, until the displacement of
// two successive trials agrees within eps or the count passes eulerSteps; y = the last trial.
template <class Substeps>
void StepDoubling(ModelRun& run, StateVector& y, int32_t i, double dt, Substeps substeps) {
  const double t0 = run.history.T[static_cast<std::size_t>(i)];
  const int32_t limit = run.parameters.eulerSteps;
  const double eps = run.parameters.eps;
  int32_t m = 1;
  double h = dt;
  StateVector trial = y;
  substeps(run, trial, t0, m, h);
  double previousU = trial.u;
  while (m <= limit && m < kMaxTrialSubsteps) {
    m = 2 * m;
    h = dt / static_cast<double>(m);
    trial = y;
    substeps(run, trial, t0, m, h);
    if (std::fabs(trial.u - previousU) <= eps) break;
    previousU = trial.u;
  }
  y = trial;
}

bool SampleFinite(const ResponseHistory& h, std::size_t at) {
  return std::isfinite(h.F[at]) && std::isfinite(h.U_DOT_DOT[at]) && std::isfinite(h.Fh[at]);
}

template <SolutionMethod kMethod>
void Frame(ModelRun& run) {
  constexpr bool kStopAtFault = kMethod == SolutionMethod::RungeKutta;
  ResponseHistory& h = run.history;
  const int32_t n = run.excitation.sampleCount;
  const double dt = run.excitation.timeStep;
  if (n < 1) return;

  h.U[1] = run.initialU;
  h.U_DOT[1] = run.initialUDot;
  h.Z[1] = run.initialZ;
  StateVector y{h.U[1], h.U_DOT[1], h.Z[1]};
  CompleteSample(run, 1);
  if (kStopAtFault && !SampleFinite(h, 1)) {
    run.stoppedByFault = true;
    return;
  }

  for (int32_t i = 1; i < n; ++i) {
    const auto next = static_cast<std::size_t>(i) + 1;
    h.T[next] = static_cast<double>(i) * dt;
    ReleaseDominanceFlagsBeforeInterval(run, i);

    bool stepOk = true;
    if constexpr (kMethod == SolutionMethod::Euler) {
      EulerStep(run, y, i, dt);
    } else if constexpr (kMethod == SolutionMethod::EulerStepDoubling) {
      EulerStepDoublingStep(run, y, i, dt);
    } else if constexpr (kMethod == SolutionMethod::RungeKutta) {
      stepOk = RungeKuttaStep(run, y, i, dt);
    } else {
      RungeKuttaStepDoublingStep(run, y, i, dt);
    }
    if (kStopAtFault && !stepOk) {
      run.stoppedByFault = true;
      return;
    }

    h.U[next] = y.u;
    h.U_DOT[next] = y.uDot;
    h.Z[next] = y.z;
    UpdateReversalMemory(run, i);
    if (kStopAtFault && run.specialFunctionFault) {
      run.stoppedByFault = true;
      return;
    }
    CompleteSample(run, i + 1);
    if (kStopAtFault && !SampleFinite(h, next)) {
      run.stoppedByFault = true;
      return;
    }
  }
}

}  // namespace

void EulerStep(ModelRun& run, StateVector& y, int32_t i, double dt) {
  const int32_t steps = run.parameters.eulerSteps;
  const double h = dt / static_cast<double>(steps);
  EulerSubsteps(run, y, run.history.T[static_cast<std::size_t>(i)], steps, h);
}

void EulerStepDoublingStep(ModelRun& run, StateVector& y, int32_t i, double dt) {
  StepDoubling(run, y, i, dt,
               [](ModelRun& r, StateVector& v, double t0, int32_t count, double h) {
                 EulerSubsteps(r, v, t0, count, h);
               });
}

bool RungeKuttaStep(ModelRun& run, StateVector& y, int32_t i, double dt) {
  const double t = run.history.T[static_cast<std::size_t>(i)];
  const StateVector k1 = StateDerivative(run, t, y);
  if (Faulted(run, k1)) return false;
  return RungeKutta4<true>(run, y, k1, t, dt);
}

void RungeKuttaStepDoublingStep(ModelRun& run, StateVector& y, int32_t i, double dt) {
  StepDoubling(run, y, i, dt,
               [](ModelRun& r, StateVector& v, double t0, int32_t count, double h) {
                 RungeKuttaSubsteps(r, v, t0, count, h);
               });
}

bool RungeKutta4Step(ModelRun& run, StateVector& y, const StateVector& k1, double t, double h) {
  return RungeKutta4<true>(run, y, k1, t, h);
}

void IntegrateResponse(ModelRun& run) {
  run.Prepare();
  const int32_t n = run.excitation.sampleCount;
  run.history.Reset(n);
  run.history.Fext = run.excitation.X;
  run.reversalIndices.Reset(n);
  run.memory.ResetReversalLists();
  run.memory.ClearDominanceFlags();
  if (run.pass == ModelPass::Modified) run.memory.ResetPoints(0.0, 0.0);
  run.stoppedByFault = false;
  run.specialFunctionFault = false;
  switch (run.parameters.solutionMethod) {
    case SolutionMethod::Euler:
      Frame<SolutionMethod::Euler>(run);
      break;
    case SolutionMethod::EulerStepDoubling:
      Frame<SolutionMethod::EulerStepDoubling>(run);
      break;
    case SolutionMethod::RungeKutta:
      Frame<SolutionMethod::RungeKutta>(run);
      break;
    case SolutionMethod::RungeKuttaStepDoubling:
      Frame<SolutionMethod::RungeKuttaStepDoubling>(run);
      break;
  }
}

}  // namespace quarvel
