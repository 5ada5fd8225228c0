#pragma once
// Replays stored inputs through a fuzz target's entry point in the normal test build: the seed
// corpus and every input a fuzz run once failed on (fuzz/regressions/<target>/). A target that
// finds a fault aborts with its message, which fails the test program. Each fuzz_replay_*.cpp
// compiles one target under another name and replays it:
//   QUARVEL_FUZZ_REPLAY(TestName, "target", EntryFunction, fewest files expected)

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quarvel::reliability {

inline int ReplayFuzzInputs(const std::string& target, int (*entry)(const uint8_t*, size_t)) {
  namespace fs = std::filesystem;
  int count = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    std::error_code missing;
    const fs::path path = fs::path(QUARVEL_SOURCE_DIR) / "fuzz" / folder / target;
    for (const auto& item : fs::directory_iterator(path, missing)) {
      SCOPED_TRACE(item.path().string());
      std::ifstream in(item.path(), std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
      entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++count;
    }
  }
  return count;
}

}  // namespace quarvel::reliability

#define QUARVEL_FUZZ_REPLAY(name, target, entry, fewest)                    \
  TEST(FuzzReplay, name) {                                                  \
    EXPECT_GE(quarvel::reliability::ReplayFuzzInputs(target, entry), fewest); \
  }
