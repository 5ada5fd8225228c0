#pragma once
// Shared by the fuzz targets and the tests that replay or reuse their checks: the abort that
// reports a broken promise, the checks of a refusal, line counting, and the shape every loaded
// record must have.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "experiments/experiment.h"
#include "io/file_result.h"

namespace quarvel::fuzz {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// A refusal says why and names a line no further than `lastLine` (0: the file as a whole).
inline void CheckRefusal(const FileResult& result, int64_t lastLine) {
  if (result.reason.empty() || result.Describe().empty()) Fail("a refusal without a reason");
  if (result.lineNumber < 0 || result.lineNumber > lastLine) Fail("refusal line out of range");
}

// Lines of the input: LF ends a line, and so do CR and CR LF when `crEnds` (as the experiment
// loader counts them); a last line without terminator counts.
inline int64_t CountLines(std::string_view text, bool crEnds = true) {
  int64_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (crEnds && text[i] == '\r')) {
      ++lines;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  const char last = text.empty() ? '\n' : text.back();
  if (last != '\n' && !(crEnds && last == '\r')) ++lines;
  return lines;
}

// What a loaded record must hold, or nullptr: a counter of at least 1, and its sample array (and
// only that one) counter + 1 finite values with entry 0 unused.
inline const char* RecordShapeBroken(const Experiment& e) {
  if (e.counter < 1) return "counter below 1";
  const std::vector<double>& samples = SamplesOf(e);
  if (samples.size() != static_cast<std::size_t>(e.counter) + 1) return "sample array size";
  if (samples[0] != 0.0) return "entry 0 of the samples is not 0";
  for (const double v : samples) {
    if (!std::isfinite(v)) return "a non-finite sample";
  }
  if (e.force.empty() + e.displacement.empty() + e.acceleration.empty() != 2) {
    return "not exactly one sample array filled";
  }
  return nullptr;
}

// The same record to the last bit.
inline bool SameRecord(const Experiment& a, const Experiment& b) {
  const double x[] = {a.weight, a.mass, a.initialU, a.initialUDot, a.initialZ, a.timeStep};
  const double y[] = {b.weight, b.mass, b.initialU, b.initialUDot, b.initialZ, b.timeStep};
  const std::vector<double>&sa = SamplesOf(a), &sb = SamplesOf(b);
  return a.name == b.name && a.dataType == b.dataType && a.unitsOfG == b.unitsOfG &&
         a.counter == b.counter && std::memcmp(x, y, sizeof x) == 0 && sa.size() == sb.size() &&
         std::memcmp(sa.data(), sb.data(), sa.size() * sizeof(double)) == 0;
}

}  // namespace quarvel::fuzz
