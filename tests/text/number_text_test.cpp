// Leading-number parse, half-even rounding and the number-to-text forms, in any locale. (The
// fuzz replay also checks the parse against strtod bit for bit on its stored inputs.)

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

// Expected: the nearest integer, ties to the even neighbour (by hand), the same in every rounding
// mode; ToInt32 takes it when it lies in [-2^31, 2^31 - 1] and otherwise leaves its output alone.
TEST(RoundHalfEven, TiesToEvenInEveryRoundingModeAndIntoInt32) {
  struct Row { const char* name; double x, rounded; bool fits; };
  const Row rows[] = {
      {"2.5 to 2", 2.5, 2.0, true},
      {"3.5 to 4", 3.5, 4.0, true},
      {"-2.5 to -2", -2.5, -2.0, true},
      {"-0.5 to -0", -0.5, -0.0, true},
      {"just below a half", 0.49999999999999994, 0.0, true},
      {"just above 2.5", 2.5000000000000004, 3.0, true},
      {"2^51 + 0.5 to even", 2251799813685248.5, 2251799813685248.0, false},
      {"2^51 + 1.5 to even", 2251799813685249.5, 2251799813685250.0, false},
      {"largest int32", 2147483647.4, 2147483647.0, true},
      {"tie above the largest int32 rounds to 2^31", 2147483647.5, 2147483648.0, false},
      {"tie below the smallest int32 rounds to -2^31", -2147483648.5, -2147483648.0, true},
      {"below the smallest int32", -2147483649.0, -2147483649.0, false},
      {"infinity", kInf, kInf, false},
      {"nan", kNaN, kNaN, false},
  };
  const int saved = std::fegetround();
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      const double rounded = RoundHalfEven(row.x);
      EXPECT_TRUE(rounded == row.rounded || (std::isnan(rounded) && std::isnan(row.rounded)));
      EXPECT_EQ(std::signbit(rounded), std::signbit(row.rounded));
      int32_t out = 12345;
      EXPECT_EQ(ToInt32(row.x, out), row.fits);
      EXPECT_EQ(out, row.fits ? static_cast<int32_t>(row.rounded) : 12345);
    }
  }
  std::fesetround(saved);
  // Multiplied by 10^d, rounded half-even, divided back (0.0625 * 1000 is an exact tie).
  EXPECT_EQ(RoundToDecimals(-0.0625, 3), -0.062);
  EXPECT_EQ(RoundToDecimals(3.14159265358979, 6), 3.141593);
  EXPECT_EQ(RoundToDecimals(1234.5, -1), 1230.0);
  EXPECT_EQ(RoundToDecimals(1e300, 9), 1e300);  // x * 10^9 overflows: nothing to drop
}

// The 15-digit form and the scientific report form are printf's %.15G and %.12E in the "C"
// locale: compared over random bit patterns and short decimals.
TEST(NumberText, DefaultAndScientificFormsArePrintfs) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  std::mt19937_64 random(20240229);
  char buffer[64];
  for (int i = 0; i < 40000; ++i) {
    const uint64_t bits = random();
    double x = std::bit_cast<double>(bits);
    if (i % 2 == 1) x = static_cast<double>(bits % 1000000) * std::pow(10.0, (i / 2) % 41 - 20);
    if (!std::isfinite(x) || x == 0.0) continue;
    std::snprintf(buffer, sizeof buffer, "%.15G", x);
    ASSERT_EQ(FormatDefault(x), buffer);
    std::snprintf(buffer, sizeof buffer, "%.12E", x);
    ASSERT_EQ(FormatReportScientific(x), (x >= 0 ? " " : "") + std::string(buffer));
  }
}

// Expected, by hand: text = %.15G (exponent below 1E-04 and from 1E+15 on, "0" for -0); label =
// rounded to 3 decimals half-even, no zero before the point; plain = text with a blank before
// values >= 0; scientific = %.12E with the same blank rule.
TEST(NumberText, Forms) {
  struct Row { double x; const char *text, *label, *plain, *scientific; };
  const Row rows[] = {
      {1e-9, "1E-09", "0", " 1E-09", " 1.000000000000E-09"},
      {0.02, "0.02", ".02", " 0.02", " 2.000000000000E-02"},
      {1e15, "1E+15", "1E+15", " 1E+15", " 1.000000000000E+15"},
      {1e14, "100000000000000", "100000000000000", " 100000000000000", " 1.000000000000E+14"},
      {-0.25, "-0.25", "-.25", "-0.25", "-2.500000000000E-01"},
      {1.23456, "1.23456", "1.235", " 1.23456", " 1.234560000000E+00"},
      {-0.0004, "-0.0004", "0", "-0.0004", "-4.000000000000E-04"},  // label without sign
      {0.0625, "0.0625", ".062", " 0.0625", " 6.250000000000E-02"},  // label tie to even
      {999999999999999.9, "1E+15", "1E+15", " 1E+15", " 1.000000000000E+15"},
      {1.5e-300, "1.5E-300", "0", " 1.5E-300", " 1.500000000000E-300"},
      {-0.0, "0", "0", " 0", " 0.000000000000E+00"},
      {kInf, "inf", "inf", " inf", " inf"},
      {-kInf, "-inf", "-inf", "-inf", "-inf"},
      {kNaN, "nan", "nan", "nan", "nan"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(FormatDefault(row.x), row.text);
    EXPECT_EQ(FormatLabel(row.x), row.label);
    EXPECT_EQ(FormatReportPlain(row.x), row.plain);
    EXPECT_EQ(FormatReportScientific(row.x), row.scientific);
    EXPECT_EQ(FormatReportGeneral(row.x), row.text);  // no locale comma to replace
  }
}

// Everything the module produces for a few inputs is the same in a comma-decimal locale.
TEST(NumberText, DoesNotDependOnTheLocale) {
  const auto transcript = [] {
    std::string out;
    for (const char* text : {"2.86", "1,5", " \t-1.5D2", ".5"}) {
      out += std::to_string(std::bit_cast<uint64_t>(Val(text))) + ";";
    }
    for (const double x : {2.86, -0.25, 1e-9, 1.5e15, 1.23456}) {
      out += FormatDefault(x) + FormatLabel(x) + FormatReportPlain(x) + FormatReportGeneral(x) +
             FormatReportScientific(x) + ";";
    }
    return out;
  };
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  const std::string reference = transcript();
  int tried = 0;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
    ++tried;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", 2.86);
    EXPECT_STREQ(buffer, "2,86") << name;  // the C library itself does follow the locale
    EXPECT_EQ(transcript(), reference) << name;
  }
  std::setlocale(LC_ALL, saved.c_str());
  if (tried == 0) GTEST_SKIP() << "no comma-decimal locale is installed";
}

// Expected: the decimal number written in the text up to the first character that cannot continue
// it (exact, or correctly rounded by the compiler). Views ending inside a longer text must not be
// read past their end.
TEST(ParseLeadingNumber, Table) {
  struct Row { const char* name; std::string_view text; double value; bool found, overflow, all; };
  // Lines of a million digits: 5E-1000000 written out times 10^1000000; a million ones with the
  // point after the first, correctly rounded; a million nines; an exponent of a million digits.
  const std::string half = "0." + std::string(999'999, '0') + "5e1000000";
  const std::string ones = std::string(1'000'000, '1') + "e-999999";
  const std::string nines(1'000'000, '9');
  const std::string tenth = "1e-" + std::string(1'000'000, '0') + "1";
  const Row rows[] = {
      {"blanks and tabs skipped", " \t  2.86", 2.86, true, false, true},
      {"comma ends the number", "1,5", 1.0, true, false, false},
      {"leading point", "-.25", -0.25, true, false, true},
      {"trailing point", "5.", 5.0, true, false, true},
      {"second point stops", "1.2.3", 1.2, true, false, false},
      {"text after the number", "0.02 s", 0.02, true, false, false},
      {"E exponent", "1E-09", 1e-9, true, false, true},
      {"D exponent", "+1.5D2", 150.0, true, false, true},
      {"lower-case d exponent", "25d-1", 2.5, true, false, true},
      {"exponent sign without digits", "1e+", 1.0, true, false, false},
      {"negative zero", "-0", -0.0, true, false, true},
      {"largest double", "1.7976931348623157e308", std::numeric_limits<double>::max(), true,
       false, true},
      {"smallest subnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min(),
       true, false, true},
      {"overflow", "-1e400", -kInf, true, true, false},
      {"beyond the largest by more than half an ulp", "1.7976931348623159e308", kInf, true, true,
       false},
      {"exponent beyond any range", "1e99999999999999999999999999", kInf, true, true, false},
      {"underflow is zero, not overflow", "-2e-400", -0.0, true, false, true},
      {"zero with a huge exponent", "0e999999999", 0.0, true, false, true},
      {"sign and point", "+.", 0.0, false, false, false},
      {"blank between sign and digits", "- 5", 0.0, false, false, false},
      {"inf text", "-inf", 0.0, false, false, false},
      {"newline is not a blank", "\n5", 0.0, false, false, false},
      {"view ends before the point", std::string_view("2.5", 1), 2.0, true, false, true},
      {"view ends after the point", std::string_view("2.5", 2), 2.0, true, false, true},
      {"view ends after the exponent letter", std::string_view("2.5e+7", 4), 2.5, true, false,
       false},
      {"view ends after the exponent sign", std::string_view("2.5e+7", 5), 2.5, true, false,
       false},
      {"empty view of a number", std::string_view("7", 0), 0.0, false, false, false},
      {"a million digits", half, 5.0, true, false, true},
      {"a million ones", ones, 1.1111111111111112, true, false, true},
      {"a million nines", nines, kInf, true, true, false},
      {"an exponent of a million digits", tenth, 0.1, true, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ParsedNumber parsed = ParseLeadingNumber(row.text);
    EXPECT_EQ(parsed.value, row.value);
    EXPECT_EQ(std::signbit(parsed.value), std::signbit(row.value));
    EXPECT_EQ(parsed.found, row.found);
    EXPECT_EQ(parsed.overflow, row.overflow);
    EXPECT_EQ(Val(row.text), row.value);
    EXPECT_EQ(ParseWholeNumber(row.text).has_value(), row.all);  // the whole text, finite
  }
}

}  // namespace
}  // namespace quarvel
