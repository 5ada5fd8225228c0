#pragma once
// Everything one integration run reads and writes. A run owns all of its state, so two runs
// may proceed on two threads at once.

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "model/excitation_force.h"
#include "model/model_parameters.h"
#include "model/response_history.h"
#include "model/reversal_memory.h"
#include "model/run_monitor.h"
#include "special/hypergeometric.h"
#include "special/power.h"

namespace quarvel {

// Values derived from the parameters and the mass, computed by ModelRun::Prepare with the
// same operations as the defining formulas.
struct DerivedConstants {
  double postYieldStiffness = 0.0;  // alpha * Fy / Uy
  double hystereticScale = 0.0;     // (1 - alpha) * Fy
  double inverseMass = 0.0;         // 1 / m
  double factorB = 0.0;             // 1 / n, the b of the unloading factor's 2F1
  double factorC = 0.0;             // 1 + 1 / n, its c
  double betaMinusGamma = 0.0;      // beta - gamma, the scale of the 2F1 argument
  bool gammaIsHalf = false;         // gamma == 0.5: the unloading factors are not used
};

// A derivative evaluation's state and its |z|^n, as logged for the side-by-side passes.
struct LoggedEvaluation {
  double u;
  double uDot;
  double z;
  double powerOfZ;
};

// The evaluations of one interval step, in order, up to a fixed number (the largest step of
// the built-in schemes, 4 x 511 Runge-Kutta slopes, fits); beyond it the log only remembers
// that it overflowed. Its storage grows to the longest step logged and is then reused.
class EvaluationLog {
 public:
  static constexpr std::size_t kCapacity = 4096;

  EvaluationLog() { entries_.reserve(64); }
  void Clear() {
    entries_.clear();
    overflowed_ = false;
  }
  void Record(double u, double uDot, double z, double powerOfZ) {
    if (entries_.size() < kCapacity) {
      entries_.push_back({u, uDot, z, powerOfZ});
    } else {
      overflowed_ = true;
    }
  }
  const std::vector<LoggedEvaluation>& Entries() const { return entries_; }
  bool Overflowed() const { return overflowed_; }

 private:
  std::vector<LoggedEvaluation> entries_;
  bool overflowed_ = false;
};

// One experiment, force-driven:
//   run.parameters = ...; run.mass = m; run.onWeightFault = ...;
//   run.excitation.Assign(force, N, dt) (or AssignGroundAcceleration);
//   run.initialU = ...; run.initialUDot = ...; run.initialZ = ...;
//   run.pass = ModelPass::Original; IntegrateResponse(run);   -> copy run.history
//   run.pass = ModelPass::Modified; IntegrateResponse(run);   -> copy run.history and
//                                                                run.reversalIndices
//   then ResponseHistory::ComputeEnergies(true) on each copy.
// Displacement-controlled: DisplacementControlledResponse(run, d, N, dt), then
// DisplacementControlledModifiedResponse(run, d, N, dt, initialU, initialZ, original Z); energies with
// ComputeEnergies(false).
struct ModelRun {
  // Inputs, set by the caller before a pass.
  ModelParameters parameters;
  double mass = 0.0;           // effective mass m of the experiment
  ExcitationForce excitation;  // X, N and dt; a displacement-controlled pass takes its own
  double initialU = 0.0;
  double initialUDot = 0.0;
  double initialZ = 0.0;
  ModelPass pass = ModelPass::Original;
  // Called once for every AllReversalWeight evaluation that meets an arithmetic fault (the
  // evaluation then returns its partial weight and the integration goes on). May be empty.
  std::function<void()> onWeightFault;
  // When set, the passes count their samples to it and end early when it asks them to.
  RunMonitor* monitor = nullptr;

  // Written by a pass.
  ResponseHistory history;              // T, U, U_DOT, U_DOT_DOT, F, Fext, Z, Fh (not Et, Eh)
  ReversalIndexHistory reversalIndices;  // "PLast+", "Plast-", "PMax+", "PMax-"
  ReversalMemory memory;
  std::vector<double> zDot;  // rate of z, indices 0..N (displacement-controlled passes only)
  bool stoppedByFault = false;  // a RungeKutta pass ended at a fault; later samples are zero
  int32_t sample = 0;  // the sample a pass is computing, so that a fault report can name it
  bool cancelled = false;  // the monitor ended a pass early: its later samples are zero

  // Counters, never reset by a pass (the caller zeroes them when it wants a fresh count).
  int64_t derivativeEvaluations = 0;  // StateDerivative calls
  int64_t weightFaults = 0;           // faulting AllReversalWeight evaluations
  int64_t samplesReported = 0;        // counted to the monitor

  // Set by Prepare(), which every pass calls first.
  DerivedConstants derived;
  // When set, every derivative evaluation records its state and |z|^n here.
  EvaluationLog* evaluationLog = nullptr;

  // Set when an unloading factor evaluated outside AllReversalWeight (for the current z of a
  // point weight, or for a point being recorded) faults; a RungeKutta pass stops on it.
  bool specialFunctionFault = false;

  // Computes `derived` from `parameters` and `mass`, and sets up the unloading-factor
  // evaluator for them.
  void Prepare();

  // What every pass does first: Prepare(), response arrays and index histories sized to
  // 0..sampleCount (0 when negative) and zeroed, the all-reversal lists emptied, the dominance
  // flags and the fault flags cleared.
  void StartPass(int32_t sampleCount);

  // True, with `cancelled` set, when the monitor has asked the passes to end: a pass then does
  // not start (its arrays are not even sized).
  bool StopRequested() {
    if (monitor == nullptr || !monitor->Cancelled()) return false;
    cancelled = true;
    return true;
  }

  // A pass has computed its sample `i`: every RunMonitor::kStride samples the monitor (if any)
  // counts them. False when the monitor asks the pass to end (`cancelled` is then set).
  bool SampleDone(int32_t i) {
    if (monitor == nullptr || i % RunMonitor::kStride != 0) return true;
    samplesReported += RunMonitor::kStride;
    if (monitor->Report(RunMonitor::kStride)) return true;
    cancelled = true;
    return false;
  }

  // |z|^n = std::pow(|z|, n) (through PowerOf), remembering the last argument: a saturated z
  // repeats its value from stage to stage.
  double PowerOfZ(double absoluteZ) {
    if (absoluteZ != lastAbsoluteZ_ || parameters.n != lastExponent_) {
      lastAbsoluteZ_ = absoluteZ;
      lastExponent_ = parameters.n;
      lastPowerOfZ_ = PowerOf(absoluteZ, parameters.n);
    }
    return lastPowerOfZ_;
  }

  // excitation.ExcitationAt(t), remembering the last time asked for (compared bit for bit):
  // the end of one sub-step is often exactly the start of the next. Prepare forgets it.
  double ForceAt(double t) {
    const uint64_t bits = std::bit_cast<uint64_t>(t);
    if (!lastForceValid_ || bits != lastForceTime_) {
      lastForceTime_ = bits;
      lastForce_ = excitation.ExcitationAt(t);
      lastForceValid_ = true;
    }
    return lastForce_;
  }

  // 2F1(1, 1/n; 1 + 1/n; x) of the unloading factor, with what depends on n alone kept
  // between evaluations (set up by Prepare).
  // A cache: logically const.
  HypergeometricEvaluator& FactorEvaluator() const { return factorEvaluator_; }

 private:
  uint64_t lastForceTime_ = 0;
  double lastForce_ = 0.0;
  bool lastForceValid_ = false;
  double lastAbsoluteZ_ = std::numeric_limits<double>::quiet_NaN();
  double lastExponent_ = std::numeric_limits<double>::quiet_NaN();
  double lastPowerOfZ_ = 0.0;
  mutable HypergeometricEvaluator factorEvaluator_{1.0, 1.0, 2.0};
  double factorEvaluatorB_ = 0.0;
  double factorEvaluatorC_ = 0.0;
  bool factorEvaluatorSet_ = false;  // factorEvaluator_ is (1, factorEvaluatorB_, factorEvaluatorC_)
};

}  // namespace quarvel
