// Half-even rounding and the number-to-text forms, independent of the process locale.
//
// All text comes from std::to_chars, which writes "." whatever LC_NUMERIC says. With a
// chars_format and a precision it produces exactly the text of printf's %g / %e in the "C"
// locale (lower-case exponent letter), so the upper-case forms only swap 'e' for 'E'.

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "text/number_text.h"

namespace quarvel {
namespace {

// Doubles from 2^52 on are whole numbers already.
constexpr double kTwoPow52 = 4503599627370496.0;

// to_chars in the given format and precision, with the exponent letter upper-cased.
std::string ToCharsUpper(double x, std::chars_format format, int precision) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, format,
                                    precision);
  std::string text(buffer.data(), result.ptr);
  for (char& ch : text) {
    if (ch == 'e') ch = 'E';
  }
  return text;
}

// 10^exponent for exponent >= 0: exact up to 10^22 (repeated products of exact values),
// correctly rounded beyond.
double PowerOfTen(int exponent) {
  if (exponent <= 22) {
    double power = 1.0;
    for (int i = 0; i < exponent; ++i) power *= 10.0;
    return power;
  }
  const std::string text = "1e" + std::to_string(exponent);
  double power = std::numeric_limits<double>::infinity();
  std::from_chars(text.data(), text.data() + text.size(), power);
  return power;
}

}  // namespace

std::string NonFiniteText(double x) {
  if (std::isnan(x)) return "nan";
  return x < 0 ? "-inf" : "inf";
}

std::string FormatShortest(double x) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
  return std::string(buffer.data(), result.ptr);
}

double RoundHalfEven(double x) {
  // Built on floor, which is exact and does not depend on the rounding mode, so the result is
  // the same as nearbyint in round-to-nearest whatever mode the caller has set.
  if (!(std::fabs(x) < kTwoPow52)) return x;  // whole already, infinite or NaN
  const double below = std::floor(x);
  const double fraction = x - below;  // exact: the fractional part of a double is a double
  double rounded = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
  return rounded == 0.0 ? std::copysign(0.0, x) : rounded;
}

double RoundToDecimals(double x, int decimals) {
  if (decimals < 0) {
    const double scale = PowerOfTen(-decimals);
    return RoundHalfEven(x / scale) * scale;
  }
  const double scale = PowerOfTen(decimals);
  const double scaled = x * scale;
  // A finite value whose scaled form overflows has no digits beyond the requested decimals.
  if (std::isfinite(x) && !std::isfinite(scaled)) return x;
  return RoundHalfEven(scaled) / scale;
}

bool ToInt32(double x, int32_t& out) {
  const double rounded = RoundHalfEven(x);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return false;  // also NaN
  out = static_cast<int32_t>(rounded);
  return true;
}

std::string FormatDefault(double x) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  if (x == 0.0) return "0";  // also negative zero
  return ToCharsUpper(x, std::chars_format::general, 15);
}

std::string FormatLabel(double x) {
  if (!std::isfinite(x)) return NonFiniteText(x);
  const double rounded = RoundToDecimals(x, 3);
  std::string text = FormatDefault(rounded);
  // Below 1 in magnitude the fixed form starts "0." or "-0."; the label drops that zero.
  // (Rounded to 3 decimals, a non-zero value below 1 is at least .001 and is never written
  // with an exponent.)
  if (text.starts_with("0.")) {
    text.erase(0, 1);
  } else if (text.starts_with("-0.")) {
    text.erase(1, 1);
  }
  return text;
}

std::string FormatReportPlain(double x) {
  const std::string text = FormatDefault(x);
  return x >= 0.0 ? " " + text : text;
}

std::string FormatReportScientific(double x) {
  std::string text;
  if (!std::isfinite(x)) {
    text = NonFiniteText(x);
  } else {
    text = ToCharsUpper(x == 0.0 ? 0.0 : x, std::chars_format::scientific, 12);
  }
  return x >= 0.0 ? " " + text : text;
}

std::string FormatHex(double x) {
  std::array<char, 64> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::hex);
  std::string text(buffer.data(), result.ptr);
  const std::size_t sign = text.front() == '-' ? 1 : 0;
  if (std::isdigit(static_cast<unsigned char>(text[sign]))) text.insert(sign, "0x");
  return text;
}

}  // namespace quarvel
