#include "text/number_check.h"

#include <cmath>
#include <optional>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr double kLargestCount = 2147483647.0;

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text);
  quoted += '"';
  return quoted;
}

bool Obeys(double value, NumberRule rule) {
  switch (rule) {
    case NumberRule::Any: return true;
    case NumberRule::AboveZero: return value > 0;
    case NumberRule::NotNegative: return value >= 0;
    case NumberRule::NotZero: return value != 0;
    case NumberRule::Count:
      return value == std::floor(value) && value >= 1 && value <= kLargestCount;
    case NumberRule::CountFromZero:
      return value == std::floor(value) && value >= 0 && value <= kLargestCount;
  }
  return false;
}

std::string DefaultReason(NumberRule rule) {
  switch (rule) {
    case NumberRule::AboveZero: return "must be above 0";
    case NumberRule::NotNegative: return "must not be negative";
    case NumberRule::NotZero: return "must not be 0";
    case NumberRule::Count: return "must be a whole number from 1 to 2147483647";
    case NumberRule::CountFromZero: return "must be a whole number from 0 to 2147483647";
    default: return {};
  }
}

}  // namespace

std::string CheckNumberText(std::string_view text, NumberRule rule, std::string_view reason) {
  const std::optional<double> value = ParseWholeNumber(text);
  if (!value) {
    const ParsedNumber parsed = ParseLeadingNumber(text);
    if (parsed.found && parsed.overflow && parsed.length == text.size()) {
      return Quoted(text) + " is beyond the range of numbers (about 1.8E+308)";
    }
    return Quoted(text) +
           " is not a number: the whole text must be one number, with a point as the decimal "
           "mark, such as 2.86 or 1E-09";
  }
  if (Obeys(*value, rule)) return {};
  return Quoted(text) + ": " + (reason.empty() ? DefaultReason(rule) : std::string(reason));
}

std::string CheckNumberInput(const NumberInputRule& rule, std::string_view text) {
  const std::string fault = CheckNumberText(text, rule.rule, rule.reason);
  return fault.empty() ? fault : std::string(rule.option) + ": " + fault;
}

}  // namespace quarvel
