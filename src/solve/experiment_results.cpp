#include "solve/experiment_results.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "text/number_text.h"

namespace quarvel {
namespace {

void CheckIndex(int32_t k) {
  if (k < 1) throw std::out_of_range("result index " + std::to_string(k) + " below 1");
}

}  // namespace

RunFault FindRunFault(const ResponseHistory& response, bool stopped, int32_t stoppedAt) {
  RunFault fault;
  const std::vector<double>* arrays[] = {&response.U, &response.U_DOT, &response.U_DOT_DOT,
                                         &response.F, &response.Z,     &response.Fh,
                                         &response.Et, &response.Eh};
  const int32_t n = response.SampleCount();
  for (int32_t j = 1; j <= n; ++j) {
    const auto at = static_cast<std::size_t>(j);
    bool finite = true;
    for (const std::vector<double>* array : arrays) {
      if (at < array->size() && !std::isfinite((*array)[at])) finite = false;
    }
    if (finite) continue;
    ++fault.nonFiniteSamples;
    if (fault.firstSample == 0) fault.firstSample = j;
  }
  if (stopped && stoppedAt >= 1 && stoppedAt <= n &&
      (fault.firstSample == 0 || stoppedAt < fault.firstSample)) {
    fault.firstSample = stoppedAt;
  }
  fault.stopped = stopped;
  if (stopped && fault.firstSample == 0) fault.firstSample = std::max(n, 1);
  if (fault.firstSample > 0 && static_cast<std::size_t>(fault.firstSample) < response.T.size()) {
    fault.time = response.T[static_cast<std::size_t>(fault.firstSample)];
  }
  return fault;
}

std::string FaultAtText(double time) {
  return "fault at t = " + FormatShortest(time) + " s";
}

const RunFault& EarlierFault(const RunFault& a, const RunFault& b) {
  if (!b.Any()) return a;
  if (!a.Any()) return b;
  return b.firstSample < a.firstSample ? b : a;
}

std::string SolveFaultNotice(const ExperimentResults& r) {
  const RunFault& first = EarlierFault(r.originalFault, r.modifiedFault);
  if (!first.Any()) return {};
  // Sample 1 is the initial state, which a fault of the model's stiffness may leave finite.
  const auto fromTheStart = [](const RunFault& f) { return f.Any() && f.firstSample <= 2; };
  if (fromTheStart(r.originalFault) && fromTheStart(r.modifiedFault)) {
    return "The solve gave no finite value: both models fail from their first step on. Check "
           "Fy, Uy, the mass and the other inputs.";
  }
  const bool both = r.originalFault.Any() && r.modifiedFault.Any();
  return "The solve met a fault at t = " + FormatShortest(first.time) + " s in " +
         (both ? "both models" : r.originalFault.Any() ? "the original model"
                                                        : "the modified model") +
         ": later values are not finite, or 0 where the pass stopped, and the peaks pass over "
         "them.";
}

const ExperimentResults& ResultSet::At(int32_t k) const {
  CheckIndex(k);
  static const ExperimentResults kNone;
  const auto at = static_cast<std::size_t>(k) - 1;
  return at < results_.size() ? results_[at] : kNone;
}

ExperimentResults& ResultSet::At(int32_t k) {
  CheckIndex(k);
  const auto at = static_cast<std::size_t>(k) - 1;
  if (at >= results_.size()) results_.resize(at + 1);
  return results_[at];
}

void ResultSet::Resize(int32_t n) { results_.resize(static_cast<std::size_t>(n < 0 ? 0 : n)); }

}  // namespace quarvel
