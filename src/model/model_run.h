#pragma once
// Everything one integration run reads and writes. A run owns all of its state, so two runs
// may proceed on two threads at once.

#include <cstdint>
#include <functional>
#include <vector>

#include "model/excitation_force.h"
#include "model/model_parameters.h"
#include "model/response_history.h"
#include "model/reversal_memory.h"

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

  // Written by a pass.
  ResponseHistory history;              // T, U, U_DOT, U_DOT_DOT, F, Fext, Z, Fh (not Et, Eh)
  ReversalIndexHistory reversalIndices;  // "PLast+", "Plast-", "PMax+", "PMax-"
  ReversalMemory memory;
  std::vector<double> zDot;  // rate of z, indices 0..N (displacement-controlled passes only)
  bool stoppedByFault = false;  // a RungeKutta pass ended at a fault; later samples are zero

  // Counters, never reset by a pass (the caller zeroes them when it wants a fresh count).
  int64_t derivativeEvaluations = 0;  // StateDerivative calls
  int64_t weightFaults = 0;           // faulting AllReversalWeight evaluations

  // Set by Prepare(), which every pass calls first.
  DerivedConstants derived;
  // Set when an unloading factor evaluated outside AllReversalWeight (for the current z of a
  // point weight, or for a point being recorded) faults; a RungeKutta pass stops on it.
  bool specialFunctionFault = false;

  // Computes `derived` from `parameters` and `mass`.
  void Prepare();
};

}  // namespace quarvel
