#include "text/text_lines.h"

#include <algorithm>

namespace quarvel {

bool TextLines::Refill() {
  if (source_ == nullptr) return false;
  std::string fault;
  std::string_view chunk;
  while (source_->Next(chunk, fault)) {
    if (chunk.empty()) continue;
    data_ = chunk;
    pos_ = 0;
    return true;
  }
  if (!fault.empty()) throw LineFault{lineNumber_ + 1, std::move(fault)};
  return false;
}

void TextLines::Hold(std::string_view piece) {
  if (held_.size() + piece.size() > maxLineBytes_) {
    throw LineFault{lineNumber_ + 1,
                    "the line is longer than " + std::to_string(maxLineBytes_ >> 20) + " MiB"};
  }
  held_.append(piece);
}

bool TextLines::Next(std::string_view& line) {
  held_.clear();
  bool started = false;  // part of the line is held from an earlier chunk
  for (;;) {
    if (pos_ == data_.size() && !Refill()) {
      if (!started) return false;
      ++lineNumber_;
      line = held_;
      return true;
    }
    if (skipLineFeed_) {
      skipLineFeed_ = false;
      if (data_[pos_] == '\n' && ++pos_ == data_.size()) continue;
    }
    const auto begin = data_.begin() + static_cast<std::ptrdiff_t>(pos_);
    const auto stop =
        std::find_if(begin, data_.end(), [](char c) { return c == '\n' || c == '\r'; });
    const std::string_view piece(begin, stop);
    const bool ended = stop != data_.end();
    if (!ended && source_ != nullptr) {  // the line goes on in the next chunk
      Hold(piece);
      started = true;
      pos_ = data_.size();
      continue;
    }
    if (started || piece.size() > maxLineBytes_) Hold(piece);  // a line too long throws here
    line = started ? std::string_view(held_) : piece;
    skipLineFeed_ = ended && *stop == '\r';
    pos_ = static_cast<std::size_t>(stop - data_.begin()) + (ended ? 1 : 0);
    ++lineNumber_;
    return true;
  }
}

std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  TextLines split(text);
  for (std::string_view line; split.Next(line);) lines.emplace_back(line);
  return lines;
}

}  // namespace quarvel
