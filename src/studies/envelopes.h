#pragma once
// Envelopes of an advanced study: for every swept value the largest and the smallest relative
// errors of the peak displacement and of the peak hysteretic energy over the files of the
// series, and the four files they are written to.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file_result.h"

namespace quarvel {

// Running extremes, one entry per swept value. The Pos arrays keep maxima and the Neg arrays
// minima, all starting at 0, so a Pos entry never drops below 0 and a Neg entry never rises
// above it.
struct Envelopes {
  std::vector<double> uPos, uNeg, ehPos, ehNeg;

  // Sizes the four arrays to 0..lastIndex, all zero.
  void Reset(int32_t lastIndex);
  // Widens entry i to take in a larger uPos / ehPos and a smaller uNeg / ehNeg (strict
  // comparisons, so the order in which values arrive never matters). An i beyond the arrays is
  // ignored.
  void Widen(std::size_t i, double uHigh, double uLow, double ehHigh, double ehLow);
};

// Envelope files in the order they are written, with the array each one holds.
inline constexpr std::array<const char*, 4> kEnvelopeFileNames = {
    "EnvRelErrorUPos.out",   // envelopes.uPos
    "EnvRelErrorUNeg.out",   // envelopes.uNeg
    "EnvRelErrorEhPos.out",  // envelopes.ehPos
    "EnvRelErrorEhNeg.out",  // envelopes.ehNeg
};

// Writes the four envelope files into `folder`, each closed before the next is opened: for
// every non-zero entry i one line "x_i TAB entry", both rounded to 6 decimals, x_i = i * step +
// from. Returns the faults; a faulty file keeps what was written and the others are still
// written. `written` receives the paths written completely.
std::vector<FileResult> WriteEnvelopeFiles(const Envelopes& envelopes, const std::string& folder,
                                           double from, double step,
                                           std::vector<std::string>* written = nullptr);

}  // namespace quarvel
