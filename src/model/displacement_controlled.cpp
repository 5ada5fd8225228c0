#include "model/displacement_controlled.h"

#include <cmath>

#include "model/reversal_rules.h"
#include "model/state_derivative.h"
#include "special/power.h"

namespace quarvel {

namespace {

// Sizes and zeroes the pass's arrays and fills T, U, U_DOT and U_DOT_DOT. Requires n >= 1.
void PrescribeMotion(ModelRun& run, std::span<const double> displacement, int32_t n, double dt) {
  ResponseHistory& h = run.history;
  const auto count = static_cast<std::size_t>(n);
  for (std::size_t j = 1; j <= count; ++j) {
    h.T[j] = static_cast<double>(j - 1) * dt;
    h.U[j] = j < displacement.size() ? displacement[j] : 0.0;
  }
  for (std::size_t j = 1; j < count; ++j) h.U_DOT[j] = (h.U[j + 1] - h.U[j]) / dt;
  h.U_DOT[count] = h.U_DOT[count - 1];
  for (std::size_t j = 1; j < count; ++j) {
    h.U_DOT_DOT[j] = (h.U_DOT[j + 1] - h.U_DOT[j]) / dt;
  }
  h.U_DOT_DOT[count] = h.U_DOT_DOT[count - 1];
}

void CompleteForces(ModelRun& run, int32_t n) {
  ResponseHistory& h = run.history;
  const DerivedConstants& d = run.derived;
  const double c = run.parameters.c;
  for (std::size_t j = 1; j <= static_cast<std::size_t>(n); ++j) {
    h.Fh[j] = d.hystereticScale * h.Z[j];
    h.F[j] = d.postYieldStiffness * h.U[j] + h.Fh[j];
    h.Fext[j] = run.mass * h.U_DOT_DOT[j] + h.F[j] + c * h.U_DOT[j];
  }
}

// The common start of a pass (ModelRun::StartPass) with Z_DOT sized to 0..n too. Returns
// false when there is no sample.
bool StartPass(ModelRun& run, ModelPass pass, int32_t n) {
  run.pass = pass;
  run.StartPass(n);
  run.zDot.assign(run.history.U.size(), 0.0);
  return n >= 1;
}

}  // namespace

void DisplacementControlledResponse(ModelRun& run, std::span<const double> displacement,
                                    int32_t n, double dt) {
  if (run.StopRequested() || !StartPass(run, ModelPass::Original, n)) return;
  PrescribeMotion(run, displacement, n, dt);
  const ModelParameters& p = run.parameters;
  ResponseHistory& h = run.history;
  const auto count = static_cast<std::size_t>(n);
  h.Z[1] = 0.0;
  for (std::size_t j = 1; j <= count; ++j) {
    const double x = h.U_DOT[j] * h.Z[j];
    const double power = PowerOf(std::fabs(h.Z[j]), p.n);
    run.zDot[j] = (h.U_DOT[j] / p.Uy) * (p.A - (p.beta + p.gamma * Sgn(x)) * power);
    if (j < count) h.Z[j + 1] = h.Z[j] + run.zDot[j] * dt;
    if (!run.SampleDone(static_cast<int32_t>(j))) return;
  }
  CompleteForces(run, n);
}

void DisplacementControlledModifiedResponse(ModelRun& run, std::span<const double> displacement,
                                            int32_t n, double dt, double initialU,
                                            double initialZ, std::span<const double> originalZ) {
  if (run.StopRequested() || !StartPass(run, ModelPass::Modified, n)) return;
  PrescribeMotion(run, displacement, n, dt);
  const ModelParameters& p = run.parameters;
  ResponseHistory& h = run.history;
  ReversalIndexHistory& indices = run.reversalIndices;
  ReversalMemory& m = run.memory;

  h.Z[1] = 0.0;
  indices.lastPlus[1] = 1;
  indices.lastMinus[1] = 1;
  indices.maxPlus[1] = 1;
  indices.maxMinus[1] = 1;
  m.ResetPoints(initialU, initialZ);
  for (ReversalPoint* point : {&m.lastPlus, &m.lastMinus, &m.maxPlus, &m.maxMinus}) {
    EvaluateUnloadingFactor(run, initialZ, point->factor);
  }

  double w = 0.0;
  for (int32_t j = 1; j < n; ++j) {
    const auto at = static_cast<std::size_t>(j);
    run.sample = j + 1;
    ReleaseDominanceFlagsBeforeInterval(run, j);
    const double zNext = at + 1 < originalZ.size() ? originalZ[at + 1] : 0.0;
    UpdateReversalMemory(run, j, zNext, j >= 2);
    const double power = PowerOf(std::fabs(h.Z[at]), p.n);
    bool powerDomainFault = false;
    const double weight =
        ReloadWeight(run, h.U[at], h.U_DOT[at], h.Z[at], power, &powerDomainFault);
    if (!powerDomainFault) w = weight;
    const double x = h.U_DOT[at] * h.Z[at];
    run.zDot[at] = (h.U_DOT[at] / p.Uy) *
                   (p.A - (p.beta + p.gamma * (Sgn(x) - 2.0 * UnitStep(x) * w)) * power);
    h.Z[at + 1] = h.Z[at] + run.zDot[at] * dt;
    if (!run.SampleDone(j)) return;
  }
  CompleteForces(run, n);
}

}  // namespace quarvel
