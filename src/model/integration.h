#pragma once
// The integration frame and the four ways of crossing one sample interval.

#include <cstdint>

#include "model/model_run.h"
#include "model/state_derivative.h"

namespace quarvel {

// One pass over the experiment with run.parameters.solutionMethod: prepares the run, sizes
// and zeroes the response arrays and index histories (N + 1 entries, Fext = X), empties the
// all-reversal lists, clears the dominance flags and, in the Modified pass, moves the four
// reversal points to (0, 0) keeping their factors. Then stores the initial sample, and for
// i = 1..N-1 sets T[i+1] = i * dt, releases the dominance flags (not AllReversals), crosses
// the interval from the working state, stores U, U_DOT, Z of sample i + 1, carries the index
// histories, updates the reversal memory (the lists in the Modified pass under AllReversals,
// otherwise the point detection from i = 2 on) and completes sample i + 1. Et and Eh are left
// at zero (ResponseHistory::ComputeEnergies).
//
// Faults: Euler, EulerStepDoubling and RungeKuttaStepDoubling keep non-finite values and
// deliver all N samples. RungeKutta ends the pass at its first fault and leaves the later
// samples at zero (T of the interval being crossed is already set) with run.stoppedByFault.
// A fault there is: a non-finite derivative component (a non-finite acceleration ends the
// evaluation before z' and its reload weight), intermediate or new state, or
// completed sample value (F, U_DOT_DOT, Fh in that order: the values after a non-finite one
// stay zero), or an unloading factor that faults outside
// AllReversalWeight (the current z of a point weight, a point being recorded). A fault inside
// AllReversalWeight is handled there (partial weight, onWeightFault) and does not end it.
// An unknown method leaves the arrays zeroed. With run.monitor set, the pass ends early when
// the monitor asks (run.cancelled; the later samples stay zero), and does not start once it has.
void IntegrateResponse(ModelRun& run);

// Both passes of a force-driven experiment: `original` gets exactly what
// IntegrateResponse(original) gives, and `modified` exactly what IntegrateResponse(modified)
// gives when it runs next on the same run (the reversal points' factors carried over), except
// that modified.derivativeEvaluations counts only the evaluations it makes itself. Sets each
// run's pass. Both runs need the same settings, excitation and initial state.
//
// Under AllReversals (where the original pass records no point) the passes advance side by
// side: while the modified pass is in the original's state at the start of an interval and its
// reload weight vanishes at every state the original's step evaluated, the modified model is
// the original one there, and the modified pass takes over the original's step.
void IntegrateBothPasses(ModelRun& original, ModelRun& modified);

// Interval steps: advance y from T[i] (the stored time) to T[i] + dt. The run must be
// prepared and T[i] stored.
// Euler: eulerSteps sub-steps of dt / eulerSteps.
void EulerStep(ModelRun& run, StateVector& y, int32_t i, double dt);
// Euler trials with 1, 2, 4, ... sub-steps while the count is <= eulerSteps, until two
// successive trials give displacements within eps; the last trial is accepted.
void EulerStepDoublingStep(ModelRun& run, StateVector& y, int32_t i, double dt);
// One RungeKutta4Step over the whole interval. Returns false at a fault (see above); y may
// then be partly advanced.
bool RungeKuttaStep(ModelRun& run, StateVector& y, int32_t i, double dt);
// As EulerStepDoublingStep with RungeKutta4Step sub-steps.
void RungeKuttaStepDoublingStep(ModelRun& run, StateVector& y, int32_t i, double dt);

// Classical fourth-order Runge-Kutta step from t to t + h, k1 = f(t, y) given:
// a = h / 2, b = h / 6, k2 = f(t + a, y + a k1), k3 = f(t + a, y + a k2),
// k4 = f(t + h, y + h k3), y = y + b (k1 + 2 (k2 + k3) + k4). Returns false when a derivative,
// an intermediate state or the new state is not finite, or an unloading factor faulted.
bool RungeKutta4Step(ModelRun& run, StateVector& y, const StateVector& k1, double t, double h);

}  // namespace quarvel
