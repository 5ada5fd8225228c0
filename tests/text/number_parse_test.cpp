// Leading-number parse: what is a number, where it stops, overflow and underflow.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ParseRow {
  const char* name;
  std::string_view text;
  double value;
  bool found;
  bool overflow;
};

// Expected values are the decimal numbers written in the text (exact or correctly rounded by
// the compiler), read by hand up to the first character that cannot continue the number.
const ParseRow kParseRows[] = {
    {"plain integer", "42", 42.0, true, false},
    {"blanks and tabs skipped", " \t  2.86", 2.86, true, false},
    {"plus sign", "+5", 5.0, true, false},
    {"minus sign", "-0.25", -0.25, true, false},
    {"comma ends the number", "1,5", 1.0, true, false},
    {"leading point", ".5", 0.5, true, false},
    {"trailing point", "5.", 5.0, true, false},
    {"negative leading point", "-.25", -0.25, true, false},
    {"second point stops", "1.2.3", 1.2, true, false},
    {"text after the number", "12abc", 12.0, true, false},
    {"blank after the number", "0.02 s", 0.02, true, false},
    {"upper-case E exponent", "1E-09", 1e-9, true, false},
    {"lower-case e exponent", "2.5e3", 2500.0, true, false},
    {"D exponent", "1.5D2", 150.0, true, false},
    {"lower-case d exponent", "25d-1", 2.5, true, false},
    {"explicit plus exponent", "3E+2", 300.0, true, false},
    {"exponent letter without digits", "1E", 1.0, true, false},
    {"exponent sign without digits", "1e+", 1.0, true, false},
    {"exponent letter then text", "7ex", 7.0, true, false},
    {"exponent after lone point", ".5e1", 5.0, true, false},
    {"leading zeros", "000123.4500", 123.45, true, false},
    {"zeros after the point", "0.000001e6", 1.0, true, false},
    {"exponent with many leading zeros", "1e0000000000000000000000000002", 100.0, true, false},
    {"negative zero keeps its sign", "-0", -0.0, true, false},
    {"zero with huge exponent", "0e999999999", 0.0, true, false},
    {"largest double", "1.7976931348623157e308", std::numeric_limits<double>::max(), true,
     false},
    {"smallest subnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min(),
     true, false},
    {"overflow", "1e400", kInf, true, true},
    {"negative overflow", "-1e400", -kInf, true, true},
    // Above DBL_MAX by more than half an ulp: rounds to infinity.
    {"just beyond the largest double", "1.7976931348623159e308", kInf, true, true},
    {"exponent beyond any range", "1e99999999999999999999999999", kInf, true, true},
    {"underflow is zero, not overflow", "1e-400", 0.0, true, false},
    {"negative underflow", "-2e-400", -0.0, true, false},
    {"exponent far below any range", "5e-99999999999999999999999", 0.0, true, false},
    {"point alone", ".", 0.0, false, false},
    {"sign alone", "-", 0.0, false, false},
    {"sign and point", "+.", 0.0, false, false},
    {"blank between sign and digits", "- 5", 0.0, false, false},
    {"exponent without mantissa", "E5", 0.0, false, false},
    {"empty text", "", 0.0, false, false},
    {"blanks only", " \t ", 0.0, false, false},
    {"words", "abc", 0.0, false, false},
    {"nan text", "nan", 0.0, false, false},
    {"inf text", "inf", 0.0, false, false},
    {"negative infinity text", "-infinity", 0.0, false, false},
    {"hex is not read", "0x1A", 0.0, true, false},
    {"newline is not a blank", "\n5", 0.0, false, false},
};

TEST(ParseLeadingNumber, Table) {
  for (const ParseRow& row : kParseRows) {
    SCOPED_TRACE(row.name);
    const ParsedNumber parsed = ParseLeadingNumber(row.text);
    EXPECT_EQ(parsed.value, row.value);
    EXPECT_EQ(std::signbit(parsed.value), std::signbit(row.value));
    EXPECT_EQ(parsed.found, row.found);
    EXPECT_EQ(parsed.overflow, row.overflow);
    EXPECT_EQ(Val(row.text), row.value);
  }
}

// The view may end inside a longer buffer (and need not be NUL-terminated): characters past
// its end must not continue the number.
TEST(ParseLeadingNumber, StopsAtTheEndOfTheView) {
  struct Row {
    const char* name;
    std::size_t length;
    double value;
    bool found;
  };
  const std::string buffer = "2.5e+7x";
  const Row rows[] = {
      {"view ends after the exponent letter", 4, 2.5, true},   // "2.5e"
      {"view ends after the exponent sign", 5, 2.5, true},     // "2.5e+"
      {"view ends after the point", 2, 2.0, true},             // "2."
      {"view ends before the point", 1, 2.0, true},            // "2"
      {"empty view", 0, 0.0, false},
      {"whole number", 6, 2.5e7, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ParsedNumber parsed = ParseLeadingNumber(std::string_view(buffer).substr(0, row.length));
    EXPECT_EQ(parsed.value, row.value);
    EXPECT_EQ(parsed.found, row.found);
  }
}

// A line of a million digits must be read in linear time and correctly rounded.
TEST(ParseLeadingNumber, MegabyteLines) {
  const auto start = std::chrono::steady_clock::now();

  // 0.000...0005 (999,999 zeros after the point, so 5E-1000000) times 10^1000000 = 5.
  std::string small = "0." + std::string(999'999, '0') + "5e1000000";
  EXPECT_EQ(Val(small), 5.0);

  // A million ones times 10^-999999: 1.111... (correct rounding of 1.1111111111111111...).
  std::string ones = std::string(1'000'000, '1') + "e-999999";
  EXPECT_EQ(Val(ones), 1.1111111111111112);

  // A million digits before the point: far beyond the double range.
  const ParsedNumber huge = ParseLeadingNumber(std::string(1'000'000, '9'));
  EXPECT_TRUE(huge.overflow);
  EXPECT_EQ(huge.value, kInf);

  // A million exponent digits.
  EXPECT_EQ(Val("1e-" + std::string(1'000'000, '0') + "1"), 0.1);

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 2.0);
}

}  // namespace
}  // namespace quarvel
