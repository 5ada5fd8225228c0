#pragma once
// What a solve makes of one experiment, kept apart from the record so that one record can be
// solved under many settings at once; and the results of a whole set, numbered as the set.

#include <cstdint>
#include <span>
#include <vector>

#include "model/response_history.h"

namespace quarvel {

// Both responses of one experiment with their peaks and errors; written by the solve driver,
// read by the studies, the report and the display.
struct ExperimentResults {
  ResponseHistory original;      // response of the original model
  double originalPeakU = 0.0;    // largest |U| of the original response
  double originalPeakEh = 0.0;   // largest |Eh| of the original response
  ResponseHistory modified;      // response of the modified model
  double modifiedPeakU = 0.0;    // largest |U| of the modified response
  double modifiedPeakEh = 0.0;   // largest |Eh| of the modified response
  ReversalIndexHistory reversalIndices;  // of the modified response, one entry per sample
  double absErrorU = 0.0;   // |originalPeakU - modifiedPeakU|
  double relErrorU = 0.0;   // (modifiedPeakU - originalPeakU) / |originalPeakU|, 0 if no peak
  double absErrorEh = 0.0;  // |originalPeakEh - modifiedPeakEh|
  double relErrorEh = 0.0;  // (modifiedPeakEh - originalPeakEh) / |originalPeakEh|, 0 if no peak
};

// The results of a set, 1-based like the set: At(k) belongs to experiment k. An experiment not
// solved since its set was made has empty results (no samples, zero peaks and errors).
class ResultSet {
 public:
  // Results of experiment k >= 1 (throws std::out_of_range below 1). The const form gives
  // empty results beyond the stored ones; the other form stores up to k.
  const ExperimentResults& At(int32_t k) const;
  ExperimentResults& At(int32_t k);

  // Stores results for experiments 1..n (n <= 0 gives none): those of 1..min(n, stored) are
  // kept, the others are empty.
  void Resize(int32_t n);

  // The stored results, 1..n after Resize(n), for range-for and for threads that each write
  // one of them.
  std::span<ExperimentResults> Records() { return results_; }

  // Forgets every result (a new set is in place).
  void Clear() { results_.clear(); }

 private:
  std::vector<ExperimentResults> results_;  // results_[k - 1] for experiment k
};

}  // namespace quarvel
