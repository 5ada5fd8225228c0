#include "experiments/experiment.h"

#include <cstddef>
#include <limits>
#include <stdexcept>
#include <utility>

namespace quarvel {

const char* DataTypeKeyword(ExperimentDataType type) {
  switch (type) {
    case ExperimentDataType::Force:
      return "Force";
    case ExperimentDataType::Displacement:
      return "Displacement";
    default:
      return "Acceleration";
  }
}

std::vector<double>& SamplesOf(Experiment& experiment) {
  switch (experiment.dataType) {
    case ExperimentDataType::Force:
      return experiment.force;
    case ExperimentDataType::Displacement:
      return experiment.displacement;
    default:
      return experiment.acceleration;
  }
}

const std::vector<double>& SamplesOf(const Experiment& experiment) {
  return SamplesOf(const_cast<Experiment&>(experiment));
}

Experiment& ExperimentSet::At(int32_t k) {
  if (k < 1 || k > count_) {
    throw std::out_of_range("experiment index " + std::to_string(k) + " outside 1.." +
                            std::to_string(count_));
  }
  return records_[static_cast<std::size_t>(k) - 1];
}

const Experiment& ExperimentSet::At(int32_t k) const {
  return const_cast<ExperimentSet*>(this)->At(k);
}

void ExperimentSet::Resize(int32_t n) {
  if (n <= 0) {
    count_ = 0;
    return;
  }
  const auto newCount = static_cast<std::size_t>(n);
  if (records_.size() < newCount) records_.resize(newCount);
  // Slots past the old count may hold records of an earlier set: make them fresh.
  for (auto k = static_cast<std::size_t>(count_); k < newCount; ++k) records_[k] = Experiment{};
  count_ = n;
}

Experiment& ExperimentSet::Append(Experiment experiment) {
  if (count_ == std::numeric_limits<int32_t>::max()) {
    throw std::length_error("experiment set is full");
  }
  const auto k = static_cast<std::size_t>(count_);
  if (records_.size() <= k) {
    records_.push_back(std::move(experiment));
  } else {
    records_[k] = std::move(experiment);
  }
  ++count_;
  return records_[k];
}

void ExperimentSet::Assign(std::vector<Experiment> records) {
  if (records.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("too many experiments");
  }
  records_ = std::move(records);
  count_ = static_cast<int32_t>(records_.size());
}

}  // namespace quarvel
