// Leading-number parse, independent of the process locale.
//
// The text is scanned by hand (blanks and tabs, sign, digits with one ".", an E or D exponent),
// the digits are rewritten as one canonical ASCII string "0.<significant digits>e<exponent>"
// and converted by std::from_chars, which never looks at the locale and rounds correctly.
// Rewriting the number with its decimal exponent taken out by hand keeps from_chars away from
// leading zeros and huge exponents, and lets an out-of-range result be classified as overflow
// or underflow without a second conversion.

#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "text/number_text.h"

namespace quarvel {
namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Exponent digits beyond this magnitude cannot change the outcome (overflow or zero), so the
// accumulated value stops growing there and cannot wrap around.
constexpr int64_t kExponentClamp = 1'000'000'000'000'000;

// A value 0.d1d2... x 10^e with d1 != 0 overflows for e > 309 and is below half the smallest
// subnormal (4.9E-324) for e < -323. Outside this window from_chars is not asked at all.
constexpr int64_t kMaxDecimalExponent = 400;

}  // namespace

ParsedNumber ParseLeadingNumber(std::string_view text) {
  ParsedNumber parsed;
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;

  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  const std::size_t intBegin = i;
  while (i < size && IsDigit(text[i])) ++i;
  const std::size_t intEnd = i;
  std::size_t fracBegin = i;
  std::size_t fracEnd = i;
  if (i < size && text[i] == '.') {
    fracBegin = i + 1;
    fracEnd = fracBegin;
    while (fracEnd < size && IsDigit(text[fracEnd])) ++fracEnd;
  }
  if (intEnd == intBegin && fracEnd == fracBegin) return parsed;  // no digit: not a number
  i = fracEnd;
  parsed.length = i;

  // Exponent: the letter belongs to the number only when at least one digit follows it
  // (after an optional sign).
  int64_t exponent = 0;
  if (i < size && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    bool exponentNegative = false;
    if (j < size && (text[j] == '+' || text[j] == '-')) {
      exponentNegative = text[j] == '-';
      ++j;
    }
    if (j < size && IsDigit(text[j])) {
      for (; j < size && IsDigit(text[j]); ++j) {
        if (exponent < kExponentClamp) exponent = exponent * 10 + (text[j] - '0');
      }
      if (exponentNegative) exponent = -exponent;
      parsed.length = j;
    }
  }
  parsed.found = true;

  // Significant digits: from the first non-zero digit of integer part + fraction, trailing
  // zeros dropped. decimalExponent makes the value 0.<digits> x 10^decimalExponent.
  const std::string_view intDigits = text.substr(intBegin, intEnd - intBegin);
  const std::string_view fracDigits = text.substr(fracBegin, fracEnd - fracBegin);
  std::string digits;
  int64_t decimalExponent = exponent;
  const std::size_t intFirst = intDigits.find_first_not_of('0');
  if (intFirst != std::string_view::npos) {
    decimalExponent += static_cast<int64_t>(intDigits.size() - intFirst);
    digits.reserve(intDigits.size() - intFirst + fracDigits.size());
    digits.append(intDigits.substr(intFirst));
    digits.append(fracDigits);
  } else {
    const std::size_t fracFirst = fracDigits.find_first_not_of('0');
    if (fracFirst != std::string_view::npos) {
      decimalExponent -= static_cast<int64_t>(fracFirst);
      digits.append(fracDigits.substr(fracFirst));
    }
  }
  const std::size_t lastNonZero = digits.find_last_not_of('0');
  if (lastNonZero == std::string::npos) {
    parsed.value = negative ? -0.0 : 0.0;  // every digit is 0
    return parsed;
  }
  digits.resize(lastNonZero + 1);

  double magnitude = 0.0;
  bool overflow = false;
  if (decimalExponent > kMaxDecimalExponent) {
    overflow = true;
  } else if (decimalExponent >= -kMaxDecimalExponent) {
    std::string canonical;
    canonical.reserve(digits.size() + 32);
    canonical.append("0.");
    canonical.append(digits);
    canonical.push_back('e');
    canonical.append(std::to_string(decimalExponent));
    const auto [end, error] =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), magnitude,
                        std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
      // from_chars leaves the value alone and reports both directions the same way.
      magnitude = 0.0;
      overflow = decimalExponent > 0;
    }
  }
  if (overflow) {
    magnitude = std::numeric_limits<double>::infinity();
    parsed.overflow = true;
  }
  parsed.value = negative ? -magnitude : magnitude;
  return parsed;
}

double Val(std::string_view text) { return ParseLeadingNumber(text).value; }

std::optional<double> ParseWholeNumber(std::string_view text) {
  const ParsedNumber parsed = ParseLeadingNumber(text);
  if (!parsed.found || parsed.overflow || parsed.length != text.size()) return std::nullopt;
  return parsed.value;
}

std::optional<double> ParseHex(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  double magnitude = 0.0;
  if (text == "inf") {
    magnitude = std::numeric_limits<double>::infinity();
  } else if (text == "nan") {
    magnitude = std::numeric_limits<double>::quiet_NaN();
  } else {
    if (!text.starts_with("0x") || text.size() < 3 ||
        !std::isxdigit(static_cast<unsigned char>(text[2]))) {
      return std::nullopt;
    }
    text.remove_prefix(2);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, magnitude, std::chars_format::hex);
    if (result.ec != std::errc{} || result.ptr != end) return std::nullopt;
  }
  return negative ? -magnitude : magnitude;
}

}  // namespace quarvel
