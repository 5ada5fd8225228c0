#include "spectra/spectrum_point.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "loops/energy_audit.h"
#include "model/excitation_force.h"
#include "solve/model_settings.h"
#include "solve/solve_experiments.h"
#include "spectra/engineering_inputs.h"

namespace quarvel {
namespace {

// The constant-ductility search scans strengths Fel, Fel r, Fel r^2, ... (or Fel / r, ... when
// the ductility at Fel is not below MU) until the ductility crosses MU, then narrows the last
// step down. The ratio trades the number of solves against the chance of stepping over a
// narrow excursion of the ductility above MU (several strengths giving MU: the largest is
// wanted, and it is found unless such an excursion lies between two scanned strengths).
constexpr double kScanRatio = 0.75;
// 0.75^80 = 1e-10: a record that needs less than that of its elastic force, or more than 10^10
// times it, has no ductility of MU worth the name.
constexpr int kMostScanSteps = 80;
constexpr int kMostRefinements = 60;
// A bracket narrower than this, relative to its strengths, holds a jump of the ductility across
// MU rather than a strength that gives it.
constexpr double kNarrowestBracket = 1e-9;

enum class Side { Below, Within, Above };

// Where ductility d lies against MU. Not a number (a response that blew up) counts as above.
Side SideOf(double d, double mu) {
  if (std::fabs(d - mu) <= kDuctilityTolerance * mu) return Side::Within;
  return d < mu ? Side::Below : Side::Above;
}

// A strength with its ductility, and log(ductility / MU) for the interpolation.
struct Trial {
  double fy = 0.0;
  double ductility = 0.0;
  double Misfit(double mu) const { return std::log(ductility / mu); }
};

ModelPeaks PeaksOf(double peakU, const ResponseHistory& response, double uy) {
  ModelPeaks peaks;
  peaks.peakU = peakU;
  peaks.ductility = peakU / uy;
  peaks.peakF = PeakOfAbsolute(response.F);
  peaks.endEh = response.Eh.empty() ? 0.0 : response.Eh.back();
  return peaks;
}

}  // namespace

ModelParameters SpectrumSolver::AtStrength(const SpectrumSettings& settings,
                                           const SpectrumPoint& point, double fy) const {
  ModelParameters p = settings.model;
  p.mass = point.mass;
  p.c = point.c;
  p.Fy = fy;
  p.Uy = fy / point.stiffness;
  return p;
}

double SpectrumSolver::Ductility(const Experiment& record, const SpectrumSettings& settings,
                                 const SpectrumPoint& point, double fy) {
  const ModelParameters p = AtStrength(settings, point, fy);
  SolveOriginalPass(record, p, run_);
  ++searchPasses_;
  // A run that met a fault has blown up, or stopped with zeros after the fault: beyond MU.
  if (FindRunFault(run_.history, run_.stoppedByFault, run_.sample).Any()) {
    return std::numeric_limits<double>::infinity();
  }
  return PeakOfAbsolute(run_.history.U) / p.Uy;
}

double SpectrumSolver::StrengthForDuctility(const Experiment& record,
                                            const SpectrumSettings& settings,
                                            const SpectrumPoint& point) {
  const double mu = settings.target;
  const auto trial = [&](double fy) { return Trial{fy, Ductility(record, settings, point, fy)}; };

  // The scan: `above` ends as the largest scanned strength whose ductility is beyond MU,
  // `below` the next larger one (below MU).
  Trial current = trial(point.elasticForce);
  Side side = SideOf(current.ductility, mu);
  Trial above, below;
  double largestWithin = 0.0;  // the largest scanned strength within 1 % of MU
  if (side == Side::Below) {
    for (int step = 0; side == Side::Below; ++step) {
      if (step == kMostScanSteps) return 0.0;
      below = current;
      current = trial(current.fy * kScanRatio);
      side = SideOf(current.ductility, mu);
    }
    if (side == Side::Within) return current.fy;
    above = current;
  } else {
    for (int step = 0; side != Side::Below; ++step) {
      if (step == kMostScanSteps) return largestWithin;
      if (side == Side::Within) largestWithin = current.fy;
      above = current;
      current = trial(current.fy / kScanRatio);
      side = SideOf(current.ductility, mu);
    }
    if (largestWithin == above.fy) return largestWithin;
    below = current;
  }

  // Illinois regula falsi on log(ductility / MU) over log(Fy) (where a power law makes it
  // nearly straight), bisecting where a misfit is not finite (a response at rest or blown up).
  double fAbove = above.Misfit(mu);
  double fBelow = below.Misfit(mu);
  int lastMoved = 0;  // +1: `above` moved last, -1: `below`
  for (int k = 0; k < kMostRefinements; ++k) {
    if (below.fy - above.fy <= kNarrowestBracket * below.fy) break;
    const double xAbove = std::log(above.fy);
    const double xBelow = std::log(below.fy);
    double x = 0.5 * (xAbove + xBelow);
    if (std::isfinite(fAbove) && std::isfinite(fBelow)) {
      const double interpolated = (xAbove * fBelow - xBelow * fAbove) / (fBelow - fAbove);
      if (interpolated > xAbove && interpolated < xBelow) x = interpolated;
    }
    current = trial(std::exp(x));
    side = SideOf(current.ductility, mu);
    if (side == Side::Within) return current.fy;
    if (!(current.fy > above.fy && current.fy < below.fy)) break;  // no room left between them
    if (side == Side::Above) {
      above = current;
      fAbove = current.Misfit(mu);
      if (lastMoved == 1) fBelow *= 0.5;
      lastMoved = 1;
    } else {
      below = current;
      fBelow = current.Misfit(mu);
      if (lastMoved == -1) fAbove *= 0.5;
      lastMoved = -1;
    }
  }
  return largestWithin;
}

SpectrumPoint SpectrumSolver::Solve(const Experiment& record, int32_t index, double period,
                                    const SpectrumSettings& settings) {
  SpectrumPoint point;
  point.period = period;
  point.record = index;
  point.name = record.name;
  point.mass = EffectiveMass(settings.model.mass, record.mass);
  point.stiffness = StiffnessOfPeriod(point.mass, period);
  point.c = DampingOfRatio(settings.dampingRatio, point.stiffness, point.mass);

  // The linear system: a = 1 makes the spring force k U whatever the strength (Fy = k, Uy = 1).
  ModelParameters linear = settings.model;
  linear.alpha = 1.0;
  linear.mass = point.mass;
  linear.c = point.c;
  linear.Fy = point.stiffness;
  linear.Uy = 1.0;
  SolveOriginalPass(record, linear, run_);
  if (const RunFault fault = FindRunFault(run_.history, run_.stoppedByFault, run_.sample);
      fault.Any()) {
    // The linear system's peaks, and every strength that follows from them, are unknown.
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    point.status = PointStatus::Fault;
    point.faultTime = fault.time;
    point.elasticForce = point.Sd = point.PSV = point.PSA = kUnknown;
    point.Fy = point.Uy = point.strengthRatio = point.reduction = kUnknown;
    return point;
  }
  point.elasticForce = PeakOfAbsolute(run_.history.F);
  const double omega = 2.0 * std::numbers::pi / period;
  point.Sd = PeakOfAbsolute(run_.history.U);
  point.PSV = omega * point.Sd;
  point.PSA = omega * omega * point.Sd / kGravity;

  double fy = 0.0;
  switch (settings.kind) {
    case SpectrumKind::Strength:
      fy = StrengthOfRatio(settings.target, point.mass);
      break;
    case SpectrumKind::Reduction:
      fy = point.elasticForce / settings.target;
      break;
    case SpectrumKind::Ductility:
      if (point.elasticForce > 0.0) {
        searchPasses_ = 0;
        fy = StrengthForDuctility(record, settings, point);
        point.searchPasses = searchPasses_;
      }
      if (!(fy > 0.0) && point.elasticForce > 0.0) point.status = PointStatus::DuctilityNotReached;
      break;
  }
  if (settings.kind != SpectrumKind::Strength && !(point.elasticForce > 0.0)) {
    point.status = PointStatus::NoElasticResponse;
  }
  if (point.status != PointStatus::Solved) return point;

  const ModelParameters p = AtStrength(settings, point, fy);
  point.weightFaults = SolveExperiment(record, p, results_);
  point.Fy = fy;
  point.Uy = p.Uy;
  point.strengthRatio = fy / (point.mass * kGravity);
  point.reduction = point.elasticForce / fy;
  point.original = PeaksOf(results_.originalPeakU, results_.original, p.Uy);
  point.modified = PeaksOf(results_.modifiedPeakU, results_.modified, p.Uy);
  point.relErrorU = results_.relErrorU;
  point.relErrorEh = results_.relErrorEh;
  const RunFault& fault = EarlierFault(results_.originalFault, results_.modifiedFault);
  if (fault.Any()) {
    point.status = PointStatus::Fault;
    point.faultTime = fault.time;
    return point;
  }
  const LoopAudit loops =
      AuditLoops(results_.original, results_.modified, AuditsForceCycles(record.dataType));
  point.original.loopViolations = loops.original.violations;
  point.modified.loopViolations = loops.modified.violations;
  return point;
}

}  // namespace quarvel
