#pragma once
// One point of an inelastic response spectrum: one record at one elastic period, both models
// at one strength. The oscillator of a point has the record's mass m (or the mass setting when
// it is 0 or more), the elastic stiffness k = m / (T / 2 / pi)^2 of its period, the damping
// c = 2 zeta sqrt(k m) and a yield displacement Uy = Fy / k, so that every strength keeps the
// period and the damping ratio; the other model settings are those given.

#include <cstdint>
#include <string>

#include "experiments/experiment.h"
#include "model/model_parameters.h"
#include "model/model_run.h"
#include "solve/experiment_results.h"

namespace quarvel {

// How the strength of each point is chosen.
enum class SpectrumKind {
  Strength,   // constant strength: Fy = Cy m g
  Reduction,  // constant strength: Fy = Fel / R, Fel the peak force of the linear system
  Ductility,  // constant ductility: the largest Fy whose original peak |U| / Uy is MU (1 %)
};

struct SpectrumSettings {
  SpectrumKind kind = SpectrumKind::Strength;
  double target = 0.0;         // Cy, R or MU, after the kind
  double dampingRatio = 0.05;  // zeta
  // A, beta, gamma, n, alpha, P, Threshold Z, the method, its sub-steps and tolerance, the
  // reversal rule; mass: 0 or more for every record, negative for each record's own. c, Fy and
  // Uy are set per point.
  ModelParameters model;
};

// The relative tolerance of the constant-ductility search: a ductility within 1 % of MU.
inline constexpr double kDuctilityTolerance = 0.01;

enum class PointStatus {
  Solved,               // both models solved at the point's strength
  DuctilityNotReached,  // no strength found whose ductility is within 1 % of MU
  NoElasticResponse,    // the linear system stays at rest: no strength follows from R or MU
  Fault,                // a model's run at the strength met a fault (faultTime): its peaks
                        // would come from a part of the run; a fault of the linear system
                        // leaves Fel, Sd, PSV, PSA and the strength not a number
};

// Original model, modified model.
struct ModelPeaks {
  double peakU = 0.0;      // largest |U| [m]
  double ductility = 0.0;  // peakU / Uy
  double peakF = 0.0;      // largest |F| of the spring [N]
  double endEh = 0.0;      // hysteretic energy at the last sample [J]
  // Closed loops whose work breaks the postulate (AuditLoops), a count held as the table's
  // other numbers are.
  double loopViolations = 0.0;
};

struct SpectrumPoint {
  double period = 0.0;  // T [s]
  int32_t record = 0;   // 1-based among the spectrum's records
  std::string name;     // the record's name
  PointStatus status = PointStatus::Solved;
  double mass = 0.0;          // m [kg]
  double stiffness = 0.0;     // k [N/m]
  double c = 0.0;             // [N s/m]
  double elasticForce = 0.0;  // Fel: peak |F| of the linear system (a = 1) [N]
  // The linear elastic spectrum: Sd the linear system's peak |U|, PSV = w Sd and
  // PSA = w^2 Sd / g with w = 2 pi / T and g = 9.81 m/s^2.
  double Sd = 0.0;   // [m]
  double PSV = 0.0;  // [m/s]
  double PSA = 0.0;  // [g]
  // From here on meaningful only when Solved (Fy, Uy, Cy and R also at a Fault).
  double Fy = 0.0;             // [N]
  double Uy = 0.0;             // Fy / k [m]
  double strengthRatio = 0.0;  // Cy = Fy / (m g)
  double reduction = 0.0;      // R = Fel / Fy
  ModelPeaks original;
  ModelPeaks modified;
  double relErrorU = 0.0;    // as the solve defines it: (modified - original) / original peak
  double relErrorEh = 0.0;   // of the peaks of |Eh|
  int64_t weightFaults = 0;  // faulting all-reversal weight evaluations of the modified model
  int32_t searchPasses = 0;  // original-model passes the strength search took
  double faultTime = 0.0;    // at a Fault: the time of the earlier model's first faulty sample
};

// Solves points one after the other, keeping the storage of its runs between them; one per
// thread.
class SpectrumSolver {
 public:
  // The point of `record` (number `index`, 1-based) at `period`. The record is force-driven
  // (Acceleration or Force).
  SpectrumPoint Solve(const Experiment& record, int32_t index, double period,
                      const SpectrumSettings& settings);

 private:
  ModelParameters AtStrength(const SpectrumSettings& settings, const SpectrumPoint& point,
                             double fy) const;
  // The original model's ductility at strength fy.
  double Ductility(const Experiment& record, const SpectrumSettings& settings,
                   const SpectrumPoint& point, double fy);
  // The strength of the constant-ductility point, or a value <= 0 when none was found.
  double StrengthForDuctility(const Experiment& record, const SpectrumSettings& settings,
                              const SpectrumPoint& point);

  ModelRun run_;               // the linear system and the searched strengths (original model)
  ExperimentResults results_;  // both models at the point's strength
  int32_t searchPasses_ = 0;
};

}  // namespace quarvel
