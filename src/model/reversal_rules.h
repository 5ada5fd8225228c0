#pragma once
// The modified model's reversal bookkeeping and reload weight. All functions work on a
// prepared run (ModelRun::Prepare) and read the samples of run.history.

#include <cstdint>

#include "model/model_run.h"

namespace quarvel {

// Evaluates UnloadingFactor(z) = 2F1(1, 1/n; 1 + 1/n; (beta - gamma) * |z|^n) into `factor`.
// Like the special function, a failed evaluation leaves `factor` as it was (x >= 1 or NaN) or
// scales it (a failed inner evaluation of the x < -0.5 transformation). Returns true on a
// fault: a non-finite argument x or an arithmetic fault reported by HypergeometricF.
bool EvaluateUnloadingFactor(const ModelRun& run, double z, double& factor);

// UnloadingFactor(z) of a fresh evaluation: the value starts at 0, so a failed evaluation gives
// 0. It depends on z and the parameters only. `fault` (if given) receives the fault flag.
double UnloadingFactor(const ModelRun& run, double z, bool* fault = nullptr);

// Releases the dominance flags before the step from a sample with velocity v and hysteretic
// variable z (rules other than AllReversals).
void ReleaseDominanceFlags(ModelRun& run, double v, double z);

// Point detection at sample i >= 2 once sample i + 1 is stored (rules other than
// AllReversals): a strict local maximum of U with Z[i] > 0 records lastPlus (and maxPlus when
// it goes beyond it), a strict local minimum with Z[i] < 0 records lastMinus (and maxMinus),
// unless skipWithinDominanceZone and the side's dominance flag block it. Writes i into entry
// i + 1 of the matching index histories. A faulting factor sets run.specialFunctionFault.
void DetectReversalPoint(ModelRun& run, int32_t i);

// All-reversal lists after sample i + 1 is stored (AllReversals, Modified pass): appends a
// strict local maximum at i with Z[i] > 0 to maxList or a strict local minimum with Z[i] < 0
// to minList (for i = 1 the left neighbour is U[0] = 0), then prunes both lists against
// zn = Z[i + 1].
void UpdateReversalLists(ModelRun& run, int32_t i);

// The same with an explicit pruning level zn, and with the append step only when
// `appendAllowed`. The displacement-controlled pass uses it.
void UpdateReversalLists(ModelRun& run, int32_t i, double zn, bool appendAllowed);

// The frame's bookkeeping around the interval from sample i to i + 1:
// before it, unless the rule is AllReversals, the flag release with U_DOT[i] and Z[i];
void ReleaseDominanceFlagsBeforeInterval(ModelRun& run, int32_t i);
// after sample i + 1 is stored: the index histories carried from i to i + 1, then under
// AllReversals (Modified pass only) UpdateReversalLists(i), under the other rules the point
// detection at i from i = 2 on.
void UpdateReversalMemory(ModelRun& run, int32_t i);
// The same with the lists' pruning level and append step given (the displacement-controlled
// pass prunes against another pass's z).
void UpdateReversalMemory(ModelRun& run, int32_t i, double zn, bool appendAllowed);

// Point weight of the pair (positive, negative) at state (u, uDot, z): r^P with
// r = (R.u - u*) / (R.u - u) capped at 1, where R is the point being reloaded toward, or 0.
double PointWeight(ModelRun& run, const ReversalPoint& positive, const ReversalPoint& negative,
                   double u, double uDot, double z);

// Largest weight over the all-reversal list of the loading direction, capped at 1. An
// arithmetic fault at an entry (u equal to the entry's u, an overflow, a faulting unloading
// factor) ends the scan: the weight of the entries before it is returned without the cap, the
// run's weightFaults grows by one and onWeightFault is called.
double AllReversalWeight(ModelRun& run, double u, double uDot, double z);

// The reload weight w under run.parameters.reversalRule. `powerDomainFault` (if given) is set
// when a point weight raised a negative ratio to a non-integer P (a NaN result).
double ReloadWeight(ModelRun& run, double u, double uDot, double z,
                    bool* powerDomainFault = nullptr);
// The same with |z|^n = std::pow(|z|, n) supplied by the caller.
double ReloadWeight(ModelRun& run, double u, double uDot, double z, double powerOfZ,
                    bool* powerDomainFault = nullptr);

}  // namespace quarvel
