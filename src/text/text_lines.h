#pragma once
// Lines of text, ended by LF, CR or CR LF; a last line without an end counts, and an end at the
// very end of the text opens no further line. The text is in memory or comes in chunks (a file
// read piece by piece): both go through the same splitting.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

// Where lines come from when the text is not in memory.
class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  // The next bytes, valid until the next call; false at the end. A failure to read sets
  // `fault` (the reason) and returns false.
  virtual bool Next(std::string_view& chunk, std::string& fault) = 0;
};

// Why no further line could be given: a line too long, or the chunk source's fault. Thrown by
// TextLines::Next; `lineNumber` is the line that was being read.
struct LineFault {
  int64_t lineNumber = 0;
  std::string reason;
};

inline constexpr std::size_t kNoLineLimit = std::numeric_limits<std::size_t>::max();

class TextLines {
 public:
  // `maxLineBytes` bounds a line (a longer one is a LineFault): a line that runs across chunks
  // is held whole, so a source without line ends would otherwise take memory without bound.
  explicit TextLines(std::string_view text, std::size_t maxLineBytes = kNoLineLimit)
      : data_(text), maxLineBytes_(maxLineBytes) {}
  explicit TextLines(ChunkSource& source, std::size_t maxLineBytes = kNoLineLimit)
      : source_(&source), maxLineBytes_(maxLineBytes) {}

  // The next line without its end; false after the last. A line of text in memory is a view
  // of that text; one from chunks is valid until the next call.
  bool Next(std::string_view& line);
  // Number of the line returned last (1-based).
  int64_t LineNumber() const { return lineNumber_; }

 private:
  bool Refill();
  void Hold(std::string_view piece);

  ChunkSource* source_ = nullptr;
  std::string_view data_;  // the text in memory, or the current chunk
  std::size_t pos_ = 0;
  std::string held_;       // the start of a line that runs across chunks
  std::size_t maxLineBytes_;
  bool skipLineFeed_ = false;  // the last line ended with CR: a following LF belongs to it
  int64_t lineNumber_ = 0;
};

// Every line of `text`, split as TextLines splits it.
std::vector<std::string> LinesOf(std::string_view text);

}  // namespace quarvel
