// The pieces every record reader shares: fields, whole numbers, the time axis.

#include <cmath>
#include <optional>
#include <string>

#include "records/record_readers.h"
#include "text/number_text.h"

namespace quarvel::detail {

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Plain loops: find_first_of with a set compares every character with a library call.
void SplitAtBlanks(std::string_view line, std::vector<std::string_view>& pieces) {
  pieces.clear();
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) return;
    const std::size_t begin = i;
    while (i < line.size() && !blank(line[i])) ++i;
    pieces.push_back(line.substr(begin, i - begin));
  }
}

std::string Quoted(std::string_view text, std::size_t shownBytes) {
  std::string shown(text.substr(0, shownBytes));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return "\"" + shown + (text.size() > shownBytes ? "...\"" : "\"");
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

double WholeNumber(std::string_view token, int64_t lineNumber, std::string_view what) {
  const std::optional<double> value = ParseWholeNumber(token);
  if (!value) {
    throw RecordFailure{lineNumber, "text where a number belongs (" + std::string(what) +
                                        "): " + Quoted(token)};
  }
  return *value;
}

void TakeTimeAxis(const std::vector<double>& times, const std::vector<int64_t>& lines,
                  RecordValues& out) {
  if (times.size() < 2) {
    throw RecordFailure{lines.empty() ? 0 : lines[0],
                        "a single time gives no time step: at least two rows are needed"};
  }
  const double step = times[1] - times[0];
  if (!(step > 0.0) || !std::isfinite(step)) {
    throw RecordFailure{lines[1], "the times must increase"};
  }
  for (std::size_t i = 2; i < times.size(); ++i) {
    const double delta = times[i] - times[i - 1];
    if (!(std::fabs(delta - step) <= 1e-6 * step)) {
      throw RecordFailure{lines[i], "the time step is not uniform: " + FormatDefault(delta) +
                                        " here, " + FormatDefault(step) +
                                        " between the first two times (they must agree to "
                                        "1e-6 relative)"};
    }
  }
  out.timeStep = step;
  out.startTime = times[0];
}

}  // namespace quarvel::detail
