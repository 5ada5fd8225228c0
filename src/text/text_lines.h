#pragma once
// Lines of text in memory, ended by LF, CR or CR LF; a last line without an end counts, and an
// end at the very end of the text opens no further line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  // The next line without its end; false after the last.
  bool Next(std::string_view& line);
  // Number of the line returned last (1-based).
  int64_t LineNumber() const { return lineNumber_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int64_t lineNumber_ = 0;
};

// Every line of `text`, split as TextLines splits it.
std::vector<std::string> LinesOf(std::string_view text);

}  // namespace quarvel
