#include "solve/experiment_results.h"

#include <stdexcept>
#include <string>

namespace quarvel {
namespace {

void CheckIndex(int32_t k) {
  if (k < 1) throw std::out_of_range("result index " + std::to_string(k) + " below 1");
}

}  // namespace

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
