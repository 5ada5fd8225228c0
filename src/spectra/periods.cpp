#include "spectra/periods.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "text/number_text.h"

namespace quarvel {
namespace {

// Most decimals a range value is rounded to: beyond them a double has no more to give.
constexpr int kMostDecimals = 15;

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

// The decimals a number's text shows: digits after the point less the exponent ("0.05" 2,
// "5E-2" 2, "1.5E1" 0), at least 0. The text is a whole number already.
int DecimalsShown(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && !std::isdigit(static_cast<unsigned char>(text[at])) &&
         text[at] != '.') {
    ++at;
  }
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  int decimals = 0;
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
      ++decimals;
    }
  }
  if (at < text.size()) {  // the exponent: E or D, an optional sign, digits
    ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    int exponent = 0;
    for (; at < text.size() && exponent <= 1000; ++at) exponent = exponent * 10 + (text[at] - '0');
    decimals += negative ? exponent : -exponent;
  }
  return std::max(decimals, 0);
}

std::optional<double> Number(std::string_view text, const char* what, std::string& error) {
  const std::optional<double> value = ParseWholeNumber(text);
  if (!value) {
    error = std::string(what) + " " + Quoted(text) +
            " is not a number (a point as the decimal mark, such as 0.05 or 5E-2)";
  } else if (!(*value > 0.0)) {
    error = std::string(what) + " " + Quoted(text) + " must be above 0";
    return std::nullopt;
  }
  return value;
}

// Appends the periods of FROM:TO:STEP; false with `error` when it is not one.
bool AppendRange(const std::vector<std::string_view>& parts, std::vector<double>& periods,
                 std::string& error) {
  const std::optional<double> from = Number(parts[0], "the range's first period", error);
  if (!from) return false;
  const std::optional<double> to = Number(parts[1], "the range's last period", error);
  if (!to) return false;
  const std::optional<double> step = Number(parts[2], "the range's step", error);
  if (!step) return false;
  if (*to < *from) {
    error =
        "the range " +
        Quoted(std::string(parts[0]) + ":" + std::string(parts[1]) + ":" + std::string(parts[2])) +
        " ends below its first period";
    return false;
  }
  const double last = RoundHalfEven((*to - *from) / *step);
  if (!(last < kMaxPeriods) || static_cast<double>(periods.size()) + last + 1 > kMaxPeriods) {
    error = "more than " + std::to_string(kMaxPeriods) + " periods";
    return false;
  }
  const int decimals = std::max(DecimalsShown(parts[0]), DecimalsShown(parts[2]));
  for (int32_t i = 0; i <= static_cast<int32_t>(last); ++i) {
    const double value = static_cast<double>(i) * *step + *from;
    periods.push_back(decimals <= kMostDecimals ? RoundToDecimals(value, decimals) : value);
  }
  return true;
}

}  // namespace

std::optional<std::vector<double>> ParsePeriods(std::string_view text, std::string& error) {
  std::vector<double> periods;
  for (const std::string_view item : Split(text, ',')) {
    const std::vector<std::string_view> parts = Split(item, ':');
    if (parts.size() == 3) {
      if (!AppendRange(parts, periods, error)) return std::nullopt;
    } else if (parts.size() == 1) {
      const std::optional<double> period = Number(item, "the period", error);
      if (!period) return std::nullopt;
      if (periods.size() >= static_cast<std::size_t>(kMaxPeriods)) {
        error = "more than " + std::to_string(kMaxPeriods) + " periods";
        return std::nullopt;
      }
      periods.push_back(*period);
    } else {
      error = Quoted(item) + " is neither a period nor a range FROM:TO:STEP";
      return std::nullopt;
    }
  }
  for (std::size_t k = 1; k < periods.size(); ++k) {
    if (!(periods[k] > periods[k - 1])) {
      error = "the periods must increase: " + FormatShortest(periods[k]) + " follows " +
              FormatShortest(periods[k - 1]);
      return std::nullopt;
    }
  }
  return periods;
}

}  // namespace quarvel
