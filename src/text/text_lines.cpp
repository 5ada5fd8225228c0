#include "text/text_lines.h"

namespace quarvel {

bool TextLines::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  std::size_t end = pos_;
  while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
  line = text_.substr(pos_, end - pos_);
  pos_ = end + 1;
  if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') {
    ++pos_;
  }
  ++lineNumber_;
  return true;
}

std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  TextLines split(text);
  for (std::string_view line; split.Next(line);) lines.emplace_back(line);
  return lines;
}

}  // namespace quarvel
