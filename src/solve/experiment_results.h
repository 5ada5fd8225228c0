#pragma once
// What a solve makes of one experiment, kept apart from the record so that one record can be
// solved under many settings at once; and the results of a whole set, numbered as the set.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/response_history.h"

namespace quarvel {

// How one model's run met a fault, for every output that carries its results: the pass ended
// at it (the Runge-Kutta method stops at its first fault and leaves the later samples at 0),
// or samples hold values that are not finite (which the peaks pass over). The response itself
// is kept as computed.
struct RunFault {
  bool stopped = false;          // the pass ended at firstSample, the later samples are 0
  int32_t firstSample = 0;       // 1-based: where it stopped, or the first non-finite sample;
                                 // 0: no fault
  double time = 0.0;             // T of firstSample [s]
  int64_t nonFiniteSamples = 0;  // samples with a non-finite U, U_DOT, U_DOT_DOT, F, Z, Fh,
                                 // Et or Eh

  bool Any() const { return firstSample > 0; }
};

// The fault of a response: `stopped` with the sample the pass stopped at, and the count and
// first of its samples (1..N) that hold a value that is not finite.
RunFault FindRunFault(const ResponseHistory& response, bool stopped, int32_t stoppedAt);

// The earlier of two faults (the first when they are at the same sample); none when neither is.
const RunFault& EarlierFault(const RunFault& a, const RunFault& b);

// "fault at t = 12.34 s": how the outputs that carry a result mark one from a run that met a
// fault at `time`.
std::string FaultAtText(double time);

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
  RunFault originalFault;   // of the original response
  RunFault modifiedFault;   // of the modified response
};

// What a window says of results that met a fault, beginning "The solve ": that they hold no
// finite value (both models faulting at their first step: an input such as Uy = 0 or
// Fy = 1e308 makes the stiffness infinite), or the time of the first fault and the models that
// met it; empty when neither did.
std::string SolveFaultNotice(const ExperimentResults& results);

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
