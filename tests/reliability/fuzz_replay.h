#pragma once
// Replays stored inputs through a fuzz target's entry point in the normal test build: the seed
// corpus and every input a fuzz run once failed on (fuzz/regressions/<target>/). A target that
// finds a fault aborts with its message, which fails the test program.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quarvel::reliability {

using FuzzEntry = int (*)(const uint8_t*, size_t);

// Runs every file of fuzz/corpus/<target> and fuzz/regressions/<target> through `entry`;
// returns how many there were.
inline int ReplayFuzzInputs(const std::string& target, FuzzEntry entry) {
  namespace fs = std::filesystem;
  const fs::path top = fs::path(QUARVEL_SOURCE_DIR) / "fuzz";
  std::vector<fs::path> files;
  for (const char* folder : {"corpus", "regressions"}) {
    std::error_code missing;
    for (const auto& item : fs::directory_iterator(top / folder / target, missing)) {
      if (item.is_regular_file()) files.push_back(item.path());
    }
  }
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  return static_cast<int>(files.size());
}

}  // namespace quarvel::reliability
