// The bound on a line's length, which keeps a file without line ends from taking memory without
// bound. (The splitting itself: the record and experiment readers' tests and their fuzz replay.)

#include "text/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace quarvel {
namespace {

struct OneChunk : ChunkSource {
  std::string_view text;
  bool Next(std::string_view& chunk, std::string&) override {
    chunk = std::exchange(text, {});
    return !chunk.empty();
  }
};

// A line may be as long as the bound, in memory or in a chunk (whose last line is held, as it
// may go on in the next); a byte more is a fault that names its line.
TEST(TextLines, ALineMayBeAsLongAsTheBound) {
  for (const bool chunked : {false, true}) {
    for (const std::string_view text : {"abcd", "abcde"}) {
      SCOPED_TRACE(std::string(chunked ? "in a chunk: " : "in memory: ") + text.data());
      OneChunk chunk;
      chunk.text = text;
      TextLines lines = chunked ? TextLines(chunk, 4) : TextLines(text, 4);
      std::string_view line;
      try {
        EXPECT_TRUE(lines.Next(line));
        EXPECT_EQ(line, "abcd");
      } catch (const LineFault& fault) {
        EXPECT_EQ(text, "abcde");
        EXPECT_EQ(fault.lineNumber, 1);
      }
    }
  }
}

}  // namespace
}  // namespace quarvel
