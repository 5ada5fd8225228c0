#pragma once
// Shared by the fuzz targets that read experiment files.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quarvel::fuzz {

// Lines of the input as the loader counts them: LF, CR or CR LF end a line; a last line
// without terminator counts.
inline int64_t CountLines(std::string_view text) {
  int64_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      ++lines;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  const char last = text.empty() ? '\n' : text.back();
  if (last != '\n' && last != '\r') ++lines;
  return lines;
}

}  // namespace quarvel::fuzz
