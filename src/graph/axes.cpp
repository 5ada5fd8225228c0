#include "graph/axes.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr int kLowestDecade = -32;
constexpr int kHighestDecade = 32;

// Correctly rounded a·10^k for the mantissas the decade search needs, read from decimal text
// so that 7.5E-31 is the double nearest to 7.5·10^-31 and not a product with its own error.
struct DecadeTable {
  static constexpr int kCount = kHighestDecade - kLowestDecade + 3;  // k from -33 to 33
  std::array<double, kCount> one{};
  std::array<double, kCount> five{};
  std::array<double, kCount> sevenHalf{};

  DecadeTable() {
    for (int i = 0; i < kCount; ++i) {
      const int k = i + kLowestDecade - 1;
      one[i] = Parse("1e", k);
      five[i] = Parse("5e", k);
      sevenHalf[i] = Parse("75e", k - 1);
    }
  }
  // mantissaE followed by the exponent, read as a correctly rounded double.
  static double Parse(const char* mantissaE, int exponent) {
    std::string text(mantissaE);
    text.append(std::to_string(exponent));
    return std::strtod(text.c_str(), nullptr);
  }
  static int Index(int k) { return k - kLowestDecade + 1; }
  double One(int k) const { return one[Index(k)]; }
  double Five(int k) const { return five[Index(k)]; }
  double SevenHalf(int k) const { return sevenHalf[Index(k)]; }
};

const DecadeTable& Decades() {
  static const DecadeTable table;
  return table;
}

double WithoutNegativeZero(double x) { return x == 0.0 ? 0.0 : x; }

// Upper limit: the multiple of step at or above max (see NiceAxis for the max <= 0 case).
void NiceUpper(double max, double step, double& niceMax) {
  if (max > 0) {
    const double quotient = max / step;
    if (!std::isfinite(quotient)) return;
    const double q = std::trunc(quotient);
    niceMax = quotient == q ? q * step : (q + 1) * step;
  } else {
    const double quotient = -max / step;
    if (!std::isfinite(quotient)) return;
    const double q = std::trunc(quotient);
    niceMax = WithoutNegativeZero(quotient == q ? -q * step : -(q - 1) * step);
  }
}

// Lower limit: the multiple of step at or below min (see NiceAxis for the min > 0 case).
void NiceLower(double min, double step, double& niceMin) {
  if (min > 0) {
    const double quotient = min / step;
    if (!std::isfinite(quotient)) return;
    const double q = std::trunc(quotient);
    niceMin = WithoutNegativeZero(quotient == q ? (q - 1) * step : q * step);
  } else {
    const double quotient = -min / step;
    if (!std::isfinite(quotient)) return;
    const double q = std::trunc(quotient);
    niceMin = WithoutNegativeZero(quotient == q ? -q * step : -(q + 1) * step);
  }
}

std::string ToChars(double value, std::chars_format format, int precision) {
  // Fixed notation of 1E+308 with many decimals needs room; grow until it fits.
  std::string buffer(64, '\0');
  for (;;) {
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
    if (result.ec == std::errc()) {
      buffer.resize(static_cast<size_t>(result.ptr - buffer.data()));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// "-0.00" and the like lose their sign: a shown zero is never negative.
void DropSignOfZero(std::string& text) {
  if (text.empty() || text[0] != '-') return;
  for (char c : text) {
    if (c == 'e' || c == 'E') break;
    if (c >= '1' && c <= '9') return;
  }
  text.erase(0, 1);
}

struct NumberPattern {
  enum class Kind { Scientific, Fixed, Other } kind = Kind::Other;
  int decimals = 0;
  bool signAlways = true;   // "E+": the exponent always carries its sign
  int exponentDigits = 2;
  char exponentLetter = 'E';
};

NumberPattern ParsePattern(std::string_view format) {
  NumberPattern pattern;
  size_t i = 0;
  auto isDigitPlace = [&](size_t at) {
    return at < format.size() && (format[at] == '0' || format[at] == '#');
  };
  while (isDigitPlace(i) || (i < format.size() && format[i] == ',')) ++i;
  if (i == 0 && (i >= format.size() || format[i] != '.')) return pattern;
  if (i < format.size() && format[i] == '.') {
    ++i;
    while (isDigitPlace(i)) {
      ++pattern.decimals;
      ++i;
    }
  }
  if (i == format.size()) {
    pattern.kind = NumberPattern::Kind::Fixed;
    return pattern;
  }
  if (i + 1 < format.size() && (format[i] == 'E' || format[i] == 'e') &&
      (format[i + 1] == '+' || format[i + 1] == '-')) {
    pattern.exponentLetter = format[i];
    pattern.signAlways = format[i + 1] == '+';
    size_t j = i + 2;
    int zeros = 0;
    while (j < format.size() && format[j] == '0') {
      ++zeros;
      ++j;
    }
    if (j == format.size() && zeros > 0) {
      pattern.kind = NumberPattern::Kind::Scientific;
      pattern.exponentDigits = zeros;
    }
  }
  return pattern;
}

std::string FormatScientific(double value, const NumberPattern& pattern) {
  const std::string text = ToChars(value, std::chars_format::scientific, pattern.decimals);
  const size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(digits.size()) < pattern.exponentDigits) {
    digits.insert(0, static_cast<size_t>(pattern.exponentDigits) - digits.size(), '0');
  }
  std::string sign;
  if (exponent < 0) {
    sign = "-";
  } else if (pattern.signAlways) {
    sign = "+";
  }
  return mantissa + pattern.exponentLetter + sign + digits;
}

}  // namespace

void NiceAxis(double max, double min, double& majorStep, double& minorStep, double& niceMax,
              double& niceMin) {
  if (max < min) return;
  const double d = std::fabs(max - min);
  if (d == 0) {
    niceMax = max + 1;
    niceMin = min - 1;
    majorStep = 1;
    minorStep = 0.2;
    return;
  }

  const DecadeTable& decades = Decades();
  if (d < decades.One(kLowestDecade)) {
    majorStep = decades.Five(kLowestDecade - 1);
    minorStep = decades.One(kLowestDecade - 1);
  } else {
    // The first decade 10^k whose candidates 5·10^k, 7.5·10^k or 10^(k+1) exceed d decides.
    for (int k = kLowestDecade; k <= kHighestDecade; ++k) {
      if (d < decades.Five(k)) {
        majorStep = decades.One(k);
        minorStep = 2 * decades.One(k - 1);
        break;
      }
      if (d < decades.SevenHalf(k)) {
        majorStep = 2 * decades.One(k);
        minorStep = 4 * decades.One(k - 1);
        break;
      }
      // The candidate after 7.5·10^32 would pass the last decade: the steps stay.
      if (k < kHighestDecade && d < decades.One(k + 1)) {
        majorStep = decades.Five(k);
        minorStep = decades.One(k);
        break;
      }
    }
  }

  NiceUpper(max, majorStep, niceMax);
  NiceLower(min, majorStep, niceMin);
}

std::vector<double> RunningTickOffsets(double step, double range) {
  std::vector<double> offsets;
  double v = 0.0;
  while (v <= range && offsets.size() < static_cast<size_t>(kMaxTickPositions)) {
    offsets.push_back(v);
    const double next = v + step;
    if (!(next > v)) break;
    v = next;
  }
  return offsets;
}

std::optional<int32_t> RoundToInt32(double x) {
  int32_t rounded = 0;
  if (!ToInt32(x, rounded)) return std::nullopt;
  return rounded;
}

std::optional<int32_t> TickTextLast(double range, double majorStep) {
  const std::optional<int32_t> n = RoundToInt32(range / majorStep);
  if (!n || *n < 0 || *n > kMaxTickPositions) return std::nullopt;
  return n;
}

std::string FormatAxisNumber(double value, std::string_view format,
                             std::string_view decimalSeparator) {
  std::string text;
  if (!std::isfinite(value)) {
    text = NonFiniteText(value);
  } else {
    value = WithoutNegativeZero(value);
    const NumberPattern pattern = ParsePattern(format);
    switch (pattern.kind) {
      case NumberPattern::Kind::Scientific:
        text = FormatScientific(value, pattern);
        break;
      case NumberPattern::Kind::Fixed:
        text = ToChars(value, std::chars_format::fixed, pattern.decimals);
        break;
      case NumberPattern::Kind::Other:
        text = ToChars(value, std::chars_format::general, 15);
        for (char& c : text) {
          if (c == 'e') c = 'E';
        }
        break;
    }
    DropSignOfZero(text);
  }

  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    if (c == '.') {
      shown.append(decimalSeparator);
    } else {
      shown.push_back(c);
    }
  }
  return shown;
}

}  // namespace quarvel
