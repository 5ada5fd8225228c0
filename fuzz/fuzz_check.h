#pragma once
// Shared by the fuzz targets: the abort that reports a broken promise, and line counting.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace quarvel::fuzz {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
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

}  // namespace quarvel::fuzz
