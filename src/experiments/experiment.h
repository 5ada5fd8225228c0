#pragma once
// The experiment record (the inputs of a solve) and the 1-based experiment set.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quarvel {

// Which sample array of an experiment holds its excitation.
enum class ExperimentDataType : int32_t {
  Acceleration = 0,  // ground acceleration, `acceleration`
  Force = 1,         // external force, `force`
  Displacement = 2,  // prescribed displacement, `displacement`
};

// One excitation record with its initial state. A default record is all zero: empty name,
// empty arrays, Acceleration, no units. The sample arrays are 1-based: a filled array has
// counter + 1 entries and entry 0 is unused (0). Sample i lies at time (i - 1) * timeStep.
// Only the array named by dataType is filled; the other two stay empty.
struct Experiment {
  std::string name;           // shown in the experiment list and the report
  double weight = 0.0;        // only checked for a non-zero sum over the set
  double mass = 0.0;          // used when the window's mass is negative
  double initialU = 0.0;      // initial displacement
  double initialUDot = 0.0;   // initial velocity
  double initialZ = 0.0;      // initial hysteretic variable
  double timeStep = 0.0;      // sampling interval, seconds
  int32_t counter = 0;        // number of samples n
  std::vector<double> force;         // Force samples, indices 1..n
  std::vector<double> displacement;  // Displacement samples, indices 1..n
  std::vector<double> acceleration;  // Acceleration samples, indices 1..n
  ExperimentDataType dataType = ExperimentDataType::Acceleration;
  int32_t unitsOfG = 0;  // 1: acceleration samples in units of g; 0: no unit system
};

// The data type as the details panel shows it and an experiment file names it: "Force",
// "Displacement", "Acceleration" (any value other than Force or Displacement).
const char* DataTypeKeyword(ExperimentDataType type);

// The sample array named by the experiment's data type (any value other than Force or
// Displacement names `acceleration`).
std::vector<double>& SamplesOf(Experiment& experiment);
const std::vector<double>& SamplesOf(const Experiment& experiment);

// Ordered experiments with 1-based indices and an explicit count. The count, not the
// storage, says how many records are valid: Clear keeps the storage, and records that come
// back into range through Resize or Append are fresh (all zero), never stale.
class ExperimentSet {
 public:
  int32_t Count() const { return count_; }

  // Record k, 1 <= k <= Count(); throws std::out_of_range otherwise.
  Experiment& At(int32_t k);
  const Experiment& At(int32_t k) const;

  // The valid records 1..Count(), for range-for.
  std::span<Experiment> Records() { return {records_.data(), static_cast<std::size_t>(count_)}; }
  std::span<const Experiment> Records() const {
    return {records_.data(), static_cast<std::size_t>(count_)};
  }

  // Count 0; the storage is left as it is.
  void Clear() { count_ = 0; }

  // Count n (n <= 0 gives 0): records 1..min(n, Count()) are kept, records beyond the old
  // count are fresh. Allocates storage for n records, so n must come from a trusted source.
  void Resize(int32_t n);

  // Adds `experiment` as record Count() + 1 and returns it.
  Experiment& Append(Experiment experiment);

  // Replaces the whole set by `records` (count = their number, at most INT32_MAX).
  void Assign(std::vector<Experiment> records);

 private:
  std::vector<Experiment> records_;  // storage; at least count_ records
  int32_t count_ = 0;
};

}  // namespace quarvel
