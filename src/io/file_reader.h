#pragma once
// Reading files whole into memory, for the readers that parse text: one size limit, one
// failure path (the file and the system's reason).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/file_result.h"

namespace quarvel {

// The bytes of `path` in `text`: done, or a failure of the file when it is a folder, cannot be
// opened or read, or holds more than `limit` bytes ("larger than N MiB, too large for `what`").
// Pipes and devices are read up to the limit.
FileResult ReadWholeFile(const std::string& path, std::string& text, std::uintmax_t limit,
                         std::string_view what);

// The first `bytes` bytes of `path` (all of a shorter file), for recognising its format.
FileResult ReadFileHead(const std::string& path, std::string& head,
                        std::size_t bytes = std::size_t{1} << 16);

}  // namespace quarvel
