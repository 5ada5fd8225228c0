#pragma once
// Checks of numbers typed as option values, for every face that takes them as text (the
// command line, the Python module). Stricter than the window: the whole text must be one finite
// number (ParseWholeNumber), and a value without physical meaning is refused with the reason.

#include <string>
#include <string_view>

namespace quarvel {

// What a number must be beyond a whole, finite number.
enum class NumberRule {
  Any,
  AboveZero,
  NotNegative,
  NotZero,
  Count,           // a whole number from 1 to 2^31 - 1
  CountFromZero,   // a whole number from 0 to 2^31 - 1
};

// Empty when `text` is a number obeying `rule`, else why not: "\"1,5\" is not a number ...",
// or "\"-2\": " + reason (a default reason for the rule when `reason` is empty).
std::string CheckNumberText(std::string_view text, NumberRule rule, std::string_view reason);

// A number input: its option name, the rule its value obeys and why (empty: the rule's own
// reason).
struct NumberInputRule {
  std::string_view option;
  NumberRule rule;
  std::string_view reason;
};

// Empty when `text` is a number that `rule` takes, else "<rule.option>: <why not>".
std::string CheckNumberInput(const NumberInputRule& rule, std::string_view text);

}  // namespace quarvel
