#pragma once
// The response of one model to one experiment, and the reversal-point index histories.

#include <cstdint>
#include <vector>

namespace quarvel {

// Ten arrays of one model's response. Every array holds N + 1 values, indices 0..N; sample i
// (1..N) is at index i and index 0 holds 0. Fext is the excitation table X (index 0 unused, 0).
struct ResponseHistory {
  std::vector<double> T, U, U_DOT, U_DOT_DOT, F, Fext, Z, Fh, Et, Eh;

  // Sizes every array to 0..sampleCount, all zeros.
  void Reset(int32_t sampleCount);
  int32_t SampleCount() const { return U.empty() ? 0 : static_cast<int32_t>(U.size()) - 1; }

  // Fills Et and Eh (indices 0..N, index 0 = 0) by the trapezoidal rule over the displacement:
  // Et[j + 1] = Et[j] + 0.5 * (U[j + 1] - U[j]) * (F[j + 1] + F[j]), and the same with Fh for
  // Eh. With fromOrigin the first segment runs from index 0 (U = F = Fh = 0) to sample 1, as
  // for a force-driven response; without it (a prescribed displacement, which has no sample
  // before the first) Et[1] = Eh[1] = 0 and the sums start at sample 1.
  void ComputeEnergies(bool fromOrigin);
};

// Sample indices of the reversal points in force after each sample (0 while none), indices
// 0..N: "PLast+", "Plast-", "PMax+", "PMax-".
struct ReversalIndexHistory {
  std::vector<int32_t> lastPlus, lastMinus, maxPlus, maxMinus;

  void Reset(int32_t sampleCount);
};

}  // namespace quarvel
