// Leading-number parse, half-even rounding and the number-to-text forms, in any locale. (The
// fuzz replay also checks the parse against strtod and the default and scientific forms against
// printf, bit for bit, on its stored inputs.)

#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

// Ties to the even neighbour (by hand), the same in every rounding mode. (The fuzz replay checks
// distance, ties and ToInt32 on its seeds, which hold these values and int32's edges.)
TEST(RoundHalfEven, TiesToEvenInEveryRoundingMode) {
  const std::pair<double, double> rows[] = {
      {2.5, 2.0}, {3.5, 4.0}, {-0.5, -0.0}, {0.49999999999999994, 0.0},
      {2251799813685249.5, 2251799813685250.0}, {-2147483648.5, -2147483648.0}, {kInf, kInf}};
  const int saved = std::fegetround();
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const auto& [x, rounded] : rows) {
      EXPECT_EQ(RoundHalfEven(x), rounded) << x;
      EXPECT_EQ(std::signbit(RoundHalfEven(x)), std::signbit(rounded)) << x;
    }
    EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
  }
  std::fesetround(saved);
  // Multiplied by 10^d, rounded half-even, divided back (0.0625 * 1000 is an exact tie).
  EXPECT_EQ(RoundToDecimals(-0.0625, 3), -0.062);
  EXPECT_EQ(RoundToDecimals(1234.5, -1), 1230.0);
  EXPECT_EQ(RoundToDecimals(1e300, 9), 1e300);  // x * 10^9 overflows: nothing to drop
}

// Expected, by hand: text = %.15G (exponent below 1E-04 and from 1E+15 on, "0" for -0); label =
// rounded to 3 decimals half-even, no zero before the point; plain = text with a blank before
// values >= 0; scientific = %.12E with the same blank rule.
TEST(NumberText, Forms) {
  struct Row { double x; const char *text, *label, *plain, *scientific; };
  const Row rows[] = {
      {1e15, "1E+15", "1E+15", " 1E+15", " 1.000000000000E+15"},
      {-0.0004, "-0.0004", "0", "-0.0004", "-4.000000000000E-04"},  // label without sign
      {0.0625, "0.0625", ".062", " 0.0625", " 6.250000000000E-02"},  // label tie to even
      {-0.0, "0", "0", " 0", " 0.000000000000E+00"},
      {kInf, "inf", "inf", " inf", " inf"},
      {kNaN, "nan", "nan", "nan", "nan"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(FormatDefault(row.x), row.text);
    EXPECT_EQ(FormatLabel(row.x), row.label);
    EXPECT_EQ(FormatReportPlain(row.x), row.plain);
    EXPECT_EQ(FormatReportScientific(row.x), row.scientific);
  }
}

// "." is the decimal point of every text read and written, whatever the process locale says.
TEST(NumberText, DoesNotDependOnTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  // scripts/test compiles the locale into the build folder and points LOCPATH at it.
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the de_DE.UTF-8 locale is missing";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", 2.86);
  EXPECT_STREQ(buffer, "2,86");  // the C library itself does follow the locale
  EXPECT_EQ(Val(" \t-1.5D2"), -150.0);
  EXPECT_EQ(FormatDefault(2.86), "2.86");
  EXPECT_EQ(FormatLabel(-0.25), "-.25");
  EXPECT_EQ(FormatReportScientific(1.23456), " 1.234560000000E+00");
  EXPECT_EQ(FormatHex(1.5), "0x1.8p+0");  // printf's %a would write 0x1,8p+0 here
  EXPECT_EQ(ParseHex("0x1.8p+0"), 1.5);
  std::setlocale(LC_ALL, saved.c_str());
}

// Study shards keep their numbers in C's %a form, read back only in that form. (That the form is
// printf's and reads back to the same bits, subnormals, -0 and infinities among them, is the
// fuzz replay's check on its seeds.)
TEST(NumberText, HexReadsBackOnlyInItsOwnForm) {
  for (const char* text : {"1.5", "", "0x", "-", "0x1p", "--0x1p+0", " 0x1p+0", "0xinf"}) {
    EXPECT_FALSE(ParseHex(text).has_value()) << text;
  }
}

// Expected: the decimal number written in the text up to the first character that cannot continue
// it (exact, or correctly rounded by the compiler). Views ending inside a longer text must not be
// read past their end. (The fuzz replay checks every other form of number in its seeds against
// strtod bit for bit: points, exponent letters, signs, overflow, underflow, text after the
// number, and that no number reads as +0.)
TEST(ParseLeadingNumber, Table) {
  struct Row { const char* name; std::string_view text; double value; bool all; };
  // Regression: a line of a million ones with the point after the first is correctly rounded.
  const std::string ones = std::string(1'000'000, '1') + "e-999999";
  const Row rows[] = {
      {"view ends before the point", {"2.5", 1}, 2.0, true},
      {"view ends after the point", {"2.5", 2}, 2.0, true},
      {"view ends after the exponent letter", {"2.5e+7", 4}, 2.5, false},
      {"view ends after the exponent sign", {"2.5e+7", 5}, 2.5, false},
      {"empty view of a number", {"7", 0}, 0.0, false},
      {"a million digits", ones, 1.1111111111111112, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ParsedNumber parsed = ParseLeadingNumber(row.text);
    EXPECT_EQ(parsed.value, row.value);
    EXPECT_EQ(ParseWholeNumber(row.text).has_value(), row.all);  // the whole text, finite
  }
}

}  // namespace
}  // namespace quarvel
