#include "text/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarvel {
namespace {

// A text given in chunks of a fixed size, as a file read piece by piece gives it.
class Chunks : public ChunkSource {
 public:
  Chunks(std::string_view text, std::size_t size) : text_(text), size_(size) {}
  bool Next(std::string_view& chunk, std::string&) override {
    if (text_.empty()) return false;
    chunk = text_.substr(0, size_);
    text_.remove_prefix(chunk.size());
    return true;
  }

 private:
  std::string_view text_;
  std::size_t size_;
};

// Read in chunks of any size, the lines are those of the text in memory: a CR LF split between
// two chunks is one line end, and a line across chunks comes whole.
TEST(TextLines, ChunksGiveTheLinesOfTheTextInMemory) {
  const char* const texts[] = {"a\r\nbc\rd\n\ne", "a\r\n", "\r\r\n\n", "abc", "", "a\r"};
  for (const char* text : texts) {
    const std::vector<std::string> whole = LinesOf(text);
    for (const std::size_t size : {1, 2, 3}) {
      Chunks chunks(text, size);
      TextLines lines(chunks);
      std::vector<std::string> read;
      for (std::string_view line; lines.Next(line);) read.emplace_back(line);
      EXPECT_EQ(read, whole) << "chunks of " << size;
    }
  }
  EXPECT_EQ(LinesOf("a\r\nbc\rd\n\ne"), (std::vector<std::string>{"a", "bc", "d", "", "e"}));
}

}  // namespace
}  // namespace quarvel
