#include "model/reversal_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "special/power.h"

namespace quarvel {

namespace {

// UnloadingFactor from |z|^n, evaluated into `factor` (which HypergeometricF leaves or scales
// when it fails). Returns true on a fault: x not finite or an arithmetic fault in the 2F1.
bool FactorFromPower(const ModelRun& run, double power, double& factor) {
  const double x = run.derived.betaMinusGamma * power;
  bool arithmeticFault = false;
  run.FactorEvaluator().Evaluate(x, factor, &arithmeticFault);
  return arithmeticFault || !std::isfinite(x);
}

// r^P = std::pow(r, P) for a ratio capped at 1, without the call where its value is fixed:
// pow(1, P) is 1 for every P, and pow(+0, P) is +0 for every P > 0. The many entries passed by
// (a ratio clamped to +0) and the capped ones then cost nothing.
double RatioPower(double r, double exponent) {
  if (r == 1.0) return 1.0;
  if (r == 0.0 && !std::signbit(r) && exponent > 0.0) return 0.0;
  return PowerOf(r, exponent);
}

// UnloadingFactor of the current z, evaluated at most once per weight evaluation and only
// when an entry needs it. UnloadingFactor is a function of z alone, so sharing one evaluation
// gives what evaluating it at every use would give. `power` is |z|^n when the caller has it
// already (the z-rate needs it too), else NaN.
struct CurrentFactor {
  double power = std::numeric_limits<double>::quiet_NaN();
  bool evaluated = false;
  bool fault = false;
  double value = 0.0;

  double Get(const ModelRun& run, double z) {
    if (!evaluated) {
      if (std::isnan(power)) power = PowerOf(std::fabs(z), run.parameters.n);
      value = 0.0;
      fault = FactorFromPower(run, power, value);
      evaluated = true;
    }
    return value;
  }
};

double PointWeightWith(ModelRun& run, const ReversalPoint& positive,
                       const ReversalPoint& negative, double u, double uDot, double z,
                       CurrentFactor& current, bool* powerDomainFault) {
  const ReversalPoint* point = nullptr;
  if (positive.z > 0.0 && z >= 0.0 && z < positive.z && uDot > 0.0 && u < positive.u) {
    point = &positive;
  } else if (negative.z < 0.0 && z <= 0.0 && z > negative.z && uDot < 0.0 && u > negative.u) {
    point = &negative;
  } else {
    return 0.0;
  }
  const ModelParameters& p = run.parameters;
  double uStar;
  if (run.derived.gammaIsHalf) {
    uStar = point->u + p.Uy * (z - point->z);
  } else {
    const double factor = current.Get(run, z);
    if (current.fault) run.specialFunctionFault = true;
    uStar = point->u + p.Uy * (z * factor - point->z * point->factor);
  }
  double r = (point->u - uStar) / (point->u - u);
  if (r > 1.0) r = 1.0;
  if (r < 0.0 && powerDomainFault != nullptr && std::isfinite(p.P) && std::trunc(p.P) != p.P) {
    *powerDomainFault = true;
  }
  return RatioPower(r, p.P);
}

double ReportWeightFault(ModelRun& run, double partialWeight) {
  ++run.weightFaults;
  if (run.onWeightFault) run.onWeightFault();
  return partialWeight;
}

// The ratio r of a counting entry, clamped to 0..1, or false at an arithmetic fault.
bool EntryRatio(ModelRun& run, const ReversalListEntry& entry, double u, double z,
                CurrentFactor& current, double& r) {
  const ModelParameters& p = run.parameters;
  double uStar;
  if (run.derived.gammaIsHalf) {
    uStar = entry.u + p.Uy * (z - entry.z);
  } else {
    const double factor = current.Get(run, z);
    if (current.fault || entry.factorFault) return false;
    uStar = entry.u + p.Uy * (z * factor - entry.z * entry.factor);
  }
  const double numerator = entry.u - uStar;
  const double denominator = entry.u - u;
  r = numerator / denominator;
  if (!std::isfinite(uStar) || !std::isfinite(numerator) || !std::isfinite(denominator) ||
      !std::isfinite(r)) {
    return false;
  }
  if (r > 1.0) r = 1.0;
  if (r < 0.0) r = 0.0;
  return true;
}

double AllReversalWeightWith(ModelRun& run, double u, double uDot, double z,
                             CurrentFactor& current) {
  const std::vector<ReversalListEntry>* list;
  bool positiveSide;
  if (z >= 0.0 && uDot > 0.0) {
    list = &run.memory.maxList;
    positiveSide = true;
  } else if (z <= 0.0 && uDot < 0.0) {
    list = &run.memory.minList;
    positiveSide = false;
  } else {
    return 0.0;
  }
  // w starts as the first entry's weight and takes a later one only when it is strictly
  // greater; an entry that does not count weighs 0.
  const double exponent = run.parameters.P;
  double w = 0.0;
  bool first = true;
  for (const ReversalListEntry& entry : *list) {
    double weight = 0.0;
    if (positiveSide ? z <= entry.z : z >= entry.z) {
      double r = 0.0;
      if (!EntryRatio(run, entry, u, z, current, r)) return ReportWeightFault(run, w);
      weight = RatioPower(r, exponent);
      if (!std::isfinite(weight)) return ReportWeightFault(run, w);
    }
    if (first) {
      w = weight;
      first = false;
    } else if (weight > w) {
      w = weight;
    }
  }
  if (w > 1.0) w = 1.0;
  return w;
}

void RecordPoint(ModelRun& run, ReversalPoint& point, double u, double z) {
  point.u = u;
  point.z = z;
  if (EvaluateUnloadingFactor(run, z, point.factor)) run.specialFunctionFault = true;
}

void FillEntryFactor(const ModelRun& run, std::vector<ReversalListEntry>& list, int32_t i) {
  if (list.empty() || list.back().index != i) return;  // pruned at once
  ReversalListEntry& entry = list.back();
  entry.factor = UnloadingFactor(run, entry.z, &entry.factorFault);
}

}  // namespace

bool EvaluateUnloadingFactor(const ModelRun& run, double z, double& factor) {
  return FactorFromPower(run, PowerOf(std::fabs(z), run.parameters.n), factor);
}

double UnloadingFactor(const ModelRun& run, double z, bool* fault) {
  double factor = 0.0;
  const bool faulted = EvaluateUnloadingFactor(run, z, factor);
  if (fault != nullptr) *fault = faulted;
  return factor;
}

void ReleaseDominanceFlags(ModelRun& run, double v, double z) {
  ReversalMemory& m = run.memory;
  const double thresholdZ = run.parameters.thresholdZ;
  if (m.dominanceFlagPlus) {
    if (v > 0.0) {
      if (z >= m.lastPlus.z - 0.01) m.dominanceFlagPlus = false;
    } else if (v < 0.0) {
      const double level = thresholdZ < 0.0 ? -m.lastPlus.z + 0.01 : -thresholdZ;
      if (z <= level) m.dominanceFlagPlus = false;
    }
  }
  if (m.dominanceFlagMinus) {
    if (v < 0.0) {
      if (z <= m.lastMinus.z + 0.01) m.dominanceFlagMinus = false;
    } else if (v > 0.0) {
      const double level = thresholdZ < 0.0 ? -m.lastMinus.z - 0.01 : thresholdZ;
      if (z >= level) m.dominanceFlagMinus = false;
    }
  }
}

void DetectReversalPoint(ModelRun& run, int32_t i) {
  const auto at = static_cast<std::size_t>(i);
  const std::vector<double>& U = run.history.U;
  const double zi = run.history.Z[at];
  const double ui = U[at];
  const double left = U[at - 1];
  const double right = U[at + 1];
  const bool skip = run.parameters.skipWithinDominanceZone;
  ReversalMemory& m = run.memory;
  ReversalIndexHistory& indices = run.reversalIndices;
  if (zi > 0.0 && !(m.dominanceFlagPlus && skip)) {
    if (left < ui && right < ui) {
      m.dominanceFlagPlus = true;
      RecordPoint(run, m.lastPlus, ui, zi);
      indices.lastPlus[at + 1] = i;
      if (ui > m.maxPlus.u || (ui == m.maxPlus.u && zi > m.maxPlus.z)) {
        RecordPoint(run, m.maxPlus, ui, zi);
        indices.maxPlus[at + 1] = i;
      }
    }
  } else if (zi < 0.0 && !(m.dominanceFlagMinus && skip) && left > ui && right > ui) {
    m.dominanceFlagMinus = true;
    RecordPoint(run, m.lastMinus, ui, zi);
    indices.lastMinus[at + 1] = i;
    if (ui < m.maxMinus.u || (ui == m.maxMinus.u && zi < m.maxMinus.z)) {
      RecordPoint(run, m.maxMinus, ui, zi);
      indices.maxMinus[at + 1] = i;
    }
  }
}

void UpdateReversalLists(ModelRun& run, int32_t i) {
  UpdateReversalLists(run, i, run.history.Z[static_cast<std::size_t>(i) + 1], true);
}

void UpdateReversalLists(ModelRun& run, int32_t i, double zn, bool appendAllowed) {
  ReversalMemory& m = run.memory;
  bool appendedMax = false;
  bool appendedMin = false;
  if (appendAllowed) {
    const auto at = static_cast<std::size_t>(i);
    const std::vector<double>& U = run.history.U;
    const double zi = run.history.Z[at];
    const double ui = U[at];
    const double left = U[at - 1];
    const double right = U[at + 1];
    if (left < ui && right < ui && zi > 0.0) {
      m.maxList.push_back({i, ui, zi, 0.0, false});
      appendedMax = true;
    } else if (left > ui && right > ui && zi < 0.0) {
      m.minList.push_back({i, ui, zi, 0.0, false});
      appendedMin = true;
    }
  }
  const double upper = zn - 0.001;
  std::erase_if(m.maxList, [upper](const ReversalListEntry& entry) {
    return !(-entry.z < upper && upper < entry.z);
  });
  const double lower = zn + 0.001;
  std::erase_if(m.minList, [lower](const ReversalListEntry& entry) {
    return !(entry.z < lower && lower < -entry.z);
  });
  if (!run.derived.gammaIsHalf) {
    if (appendedMax) FillEntryFactor(run, m.maxList, i);
    if (appendedMin) FillEntryFactor(run, m.minList, i);
  }
}

void ReleaseDominanceFlagsBeforeInterval(ModelRun& run, int32_t i) {
  if (run.parameters.reversalRule == ReversalRule::AllReversals) return;
  const auto at = static_cast<std::size_t>(i);
  ReleaseDominanceFlags(run, run.history.U_DOT[at], run.history.Z[at]);
}

void UpdateReversalMemory(ModelRun& run, int32_t i) {
  UpdateReversalMemory(run, i, run.history.Z[static_cast<std::size_t>(i) + 1], true);
}

void UpdateReversalMemory(ModelRun& run, int32_t i, double zn, bool appendAllowed) {
  const auto at = static_cast<std::size_t>(i);
  ReversalIndexHistory& indices = run.reversalIndices;
  indices.lastPlus[at + 1] = indices.lastPlus[at];
  indices.lastMinus[at + 1] = indices.lastMinus[at];
  indices.maxPlus[at + 1] = indices.maxPlus[at];
  indices.maxMinus[at + 1] = indices.maxMinus[at];
  if (run.parameters.reversalRule == ReversalRule::AllReversals) {
    if (run.pass == ModelPass::Modified) UpdateReversalLists(run, i, zn, appendAllowed);
  } else if (i >= 2) {
    DetectReversalPoint(run, i);
  }
}

double PointWeight(ModelRun& run, const ReversalPoint& positive, const ReversalPoint& negative,
                   double u, double uDot, double z) {
  CurrentFactor current;
  return PointWeightWith(run, positive, negative, u, uDot, z, current, nullptr);
}

double AllReversalWeight(ModelRun& run, double u, double uDot, double z) {
  CurrentFactor current;
  return AllReversalWeightWith(run, u, uDot, z, current);
}

double ReloadWeight(ModelRun& run, double u, double uDot, double z, bool* powerDomainFault) {
  return ReloadWeight(run, u, uDot, z, std::numeric_limits<double>::quiet_NaN(), powerDomainFault);
}

namespace {

double ReloadWeightWith(ModelRun& run, double u, double uDot, double z, CurrentFactor& current,
                        bool* powerDomainFault) {
  const ReversalMemory& m = run.memory;
  switch (run.parameters.reversalRule) {
    case ReversalRule::AllReversals:
      return AllReversalWeightWith(run, u, uDot, z, current);
    case ReversalRule::LastReversal:
      return PointWeightWith(run, m.lastPlus, m.lastMinus, u, uDot, z, current,
                             powerDomainFault);
    case ReversalRule::MaxReversal:
      return PointWeightWith(run, m.maxPlus, m.maxMinus, u, uDot, z, current, powerDomainFault);
    case ReversalRule::LastAndMaxReversal: {
      const double last = PointWeightWith(run, m.lastPlus, m.lastMinus, u, uDot, z, current,
                                          powerDomainFault);
      const double max = PointWeightWith(run, m.maxPlus, m.maxMinus, u, uDot, z, current,
                                         powerDomainFault);
      return max > last ? max : last;
    }
  }
  return 0.0;
}

}  // namespace

double ReloadWeight(ModelRun& run, double u, double uDot, double z, double powerOfZ,
                    bool* powerDomainFault) {
  CurrentFactor current;
  current.power = powerOfZ;
  return ReloadWeightWith(run, u, uDot, z, current, powerDomainFault);
}

}  // namespace quarvel
