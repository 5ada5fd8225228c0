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

// Expected: the decimal number written in the text up to the first character that cannot
// continue it (exact, or correctly rounded by the compiler). Views built as
// string_view(buffer, length) end inside a longer buffer that must not be read.
const ParseRow kParseRows[] = {
    {"blanks and tabs skipped", " \t  2.86", 2.86, true, false},
    {"plus sign", "+5", 5.0, true, false},
    {"comma ends the number", "1,5", 1.0, true, false},
    {"leading point", "-.25", -0.25, true, false},
    {"trailing point", "5.", 5.0, true, false},
    {"second point stops", "1.2.3", 1.2, true, false},
    {"text after the number", "0.02 s", 0.02, true, false},
    {"E exponent", "1E-09", 1e-9, true, false},
    {"D exponent", "1.5D2", 150.0, true, false},
    {"lower-case d exponent", "25d-1", 2.5, true, false},
    {"exponent letter without digits", "1E", 1.0, true, false},
    {"exponent sign without digits", "1e+", 1.0, true, false},
    {"leading zeros", "000123.4500", 123.45, true, false},
    {"exponent with leading zeros", "1e0000000000000000000000000002", 100.0, true, false},
    {"negative zero", "-0", -0.0, true, false},
    {"largest double", "1.7976931348623157e308", std::numeric_limits<double>::max(), true,
     false},
    {"smallest subnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min(),
     true, false},
    {"overflow", "-1e400", -kInf, true, true},
    {"beyond the largest by more than half an ulp", "1.7976931348623159e308", kInf, true, true},
    {"exponent beyond any range", "1e99999999999999999999999999", kInf, true, true},
    {"underflow is zero, not overflow", "-2e-400", -0.0, true, false},
    {"zero with a huge exponent", "0e999999999", 0.0, true, false},
    {"point alone", ".", 0.0, false, false},
    {"sign and point", "+.", 0.0, false, false},
    {"blank between sign and digits", "- 5", 0.0, false, false},
    {"empty", "", 0.0, false, false},
    {"nan text", "nan", 0.0, false, false},
    {"inf text", "-inf", 0.0, false, false},
    {"newline is not a blank", "\n5", 0.0, false, false},
    {"view ends after the exponent letter", std::string_view("2.5e+7", 4), 2.5, true, false},
    {"view ends after the exponent sign", std::string_view("2.5e+7", 5), 2.5, true, false},
    {"view ends after the point", std::string_view("2.5", 2), 2.0, true, false},
    {"empty view of a number", std::string_view("7", 0), 0.0, false, false},
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

// Lines of a million digits are read in linear time and correctly rounded.
TEST(ParseLeadingNumber, MegabyteLines) {
  const auto start = std::chrono::steady_clock::now();
  // 5E-1000000 written out in full, times 10^1000000.
  EXPECT_EQ(Val("0." + std::string(999'999, '0') + "5e1000000"), 5.0);
  // 1.111... (a million ones, point after the first): correctly rounded.
  EXPECT_EQ(Val(std::string(1'000'000, '1') + "e-999999"), 1.1111111111111112);
  EXPECT_TRUE(ParseLeadingNumber(std::string(1'000'000, '9')).overflow);
  EXPECT_EQ(Val("1e-" + std::string(1'000'000, '0') + "1"), 0.1);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
}

}  // namespace
}  // namespace quarvel
