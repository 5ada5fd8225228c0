// Leading-number parse, half-even rounding and the number-to-text forms, in any locale.

#include <gtest/gtest.h>

#include <cfenv>
#include <chrono>
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

TEST(RoundHalfEven, TiesToEvenInEveryRoundingMode) {
  struct Row {
    const char* name;
    double x, expected;
  };
  // Expected: the nearest integer, ties to the even neighbour (by hand).
  const Row rows[] = {
      {"2.5 to 2", 2.5, 2.0},          {"3.5 to 4", 3.5, 4.0},
      {"-2.5 to -2", -2.5, -2.0},      {"0.5 to 0", 0.5, 0.0},
      {"just below a half", 0.49999999999999994, 0.0},
      {"just above 2.5", 2.5000000000000004, 3.0},
      {"2^51 + 0.5 to even", 2251799813685248.5, 2251799813685248.0},
      {"2^51 + 1.5 to even", 2251799813685249.5, 2251799813685250.0},
      {"infinity", kInf, kInf},
  };
  const int saved = std::fegetround();
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      EXPECT_EQ(RoundHalfEven(row.x), row.expected);
    }
  }
  std::fesetround(saved);
  EXPECT_TRUE(std::signbit(RoundHalfEven(-0.5)));  // as nearbyint: -0
  EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
}

TEST(RoundToDecimals, Table) {
  struct Row {
    const char* name;
    double x;
    int decimals;
    double expected;
  };
  // Expected: RoundHalfEven(x * 10^d) / 10^d by hand; 0.0625 * 1000 is an exact tie.
  const Row rows[] = {
      {"1.23456 to 1.235", 1.23456, 3, 1.235},
      {"tie 62.5 to even", -0.0625, 3, -0.062},
      {"six decimals of pi", 3.14159265358979, 6, 3.141593},
      {"negative decimals round to tens", 1234.5, -1, 1230.0},
      {"x * 10^9 overflows: nothing to drop", 1e300, 9, 1e300},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RoundToDecimals(row.x, row.decimals), row.expected);
  }
}

TEST(ToInt32, Table) {
  struct Row {
    const char* name;
    double x;
    bool ok;
    int32_t expected;
  };
  // Expected: half-even rounding by hand into [-2^31, 2^31 - 1].
  const Row rows[] = {
      {"2.5 to 2", 2.5, true, 2},
      {"largest", 2147483647.4, true, 2147483647},
      {"tie above the largest rounds to 2^31", 2147483647.5, false, 0},
      {"tie below the smallest rounds to -2^31", -2147483648.5, true, -2147483647 - 1},
      {"below the smallest", -2147483649.0, false, 0},
      {"infinity", kInf, false, 0},
      {"nan", kNaN, false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int32_t out = 12345;
    EXPECT_EQ(ToInt32(row.x, out), row.ok);
    EXPECT_EQ(out, row.ok ? row.expected : 12345);  // untouched on failure
  }
}

// The forms are defined by printf: compare with printf itself in the "C" locale, over random
// bit patterns and short decimals.
TEST(FormatDefault, MatchesPrintfInTheCLocale) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  std::mt19937_64 random(20240229);
  char buffer[64];
  for (int i = 0; i < 40000; ++i) {
    double x = 0.0;
    const uint64_t bits = random();
    std::memcpy(&x, &bits, sizeof x);
    if (i % 2 == 1) x = static_cast<double>(bits % 1000000) * std::pow(10.0, (i / 2) % 41 - 20);
    if (!std::isfinite(x) || x == 0.0) continue;
    std::snprintf(buffer, sizeof buffer, "%.15G", x);
    ASSERT_EQ(FormatDefault(x), buffer);
    std::snprintf(buffer, sizeof buffer, "%.12E", x);
    ASSERT_EQ(FormatReportScientific(x), (x >= 0 ? " " : "") + std::string(buffer));
  }
}

TEST(NumberText, Forms) {
  struct Row {
    const char* name;
    double x;
    const char *text, *label, *plain, *scientific;
  };
  // Expected, by hand: text = C's %.15G (exponent form below 1E-04 and from 1E+15 on, "0"
  // for -0); label = rounded to 3 decimals half-even, no zero before the point; plain = text
  // with a blank before values >= 0; scientific = %.12E with the same blank rule.
  const Row rows[] = {
      {"1E-09", 1e-9, "1E-09", "0", " 1E-09", " 1.000000000000E-09"},
      {"0.02", 0.02, "0.02", ".02", " 0.02", " 2.000000000000E-02"},
      {"2.86", 2.86, "2.86", "2.86", " 2.86", " 2.860000000000E+00"},
      {"1E+15", 1e15, "1E+15", "1E+15", " 1E+15", " 1.000000000000E+15"},
      {"1E+14 still fixed", 1e14, "100000000000000", "100000000000000", " 100000000000000",
       " 1.000000000000E+14"},
      {"-0.5", -0.5, "-0.5", "-.5", "-0.5", "-5.000000000000E-01"},
      {"U of a report row", 0.0015, "0.0015", ".002", " 0.0015", " 1.500000000000E-03"},
      {"U_DOT of a report row", -0.25, "-0.25", "-.25", "-0.25", "-2.500000000000E-01"},
      {"1.23456", 1.23456, "1.23456", "1.235", " 1.23456", " 1.234560000000E+00"},
      {"a relative error of -1.23456%", -1.23456, "-1.23456", "-1.235", "-1.23456",
       "-1.234560000000E+00"},
      {"12", 12.0, "12", "12", " 12", " 1.200000000000E+01"},
      {"-0.0004 labelled without sign", -0.0004, "-0.0004", "0", "-0.0004",
       "-4.000000000000E-04"},
      {"label tie 62.5 to even", 0.0625, "0.0625", ".062", " 0.0625", " 6.250000000000E-02"},
      {"rounding carries into the exponent", 999999999999999.9, "1E+15", "1E+15", " 1E+15",
       " 1.000000000000E+15"},
      {"three digit exponent", 1.5e-300, "1.5E-300", "0", " 1.5E-300", " 1.500000000000E-300"},
      {"negative zero", -0.0, "0", "0", " 0", " 0.000000000000E+00"},
      {"infinity", kInf, "inf", "inf", " inf", " inf"},
      {"minus infinity", -kInf, "-inf", "-inf", "-inf", "-inf"},
      {"nan has no blank", kNaN, "nan", "nan", "nan", "nan"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FormatDefault(row.x), row.text);
    EXPECT_EQ(FormatLabel(row.x), row.label);
    EXPECT_EQ(FormatReportPlain(row.x), row.plain);
    EXPECT_EQ(FormatReportScientific(row.x), row.scientific);
    EXPECT_EQ(FormatReportGeneral(row.x), row.text);  // no locale comma to replace
  }
}

// Everything the module produces for a few inputs, as texts.
std::vector<std::string> Transcript() {
  std::vector<std::string> out;
  for (const char* text : {"2.86", "1,5", " \t-1.5D2", ".5"}) {
    const ParsedNumber parsed = ParseLeadingNumber(text);
    uint64_t bits = 0;
    std::memcpy(&bits, &parsed.value, sizeof bits);
    out.push_back(std::to_string(bits) + (parsed.found ? " found" : " none"));
  }
  for (const double x : {2.86, -0.25, 1e-9, 1.5e15, 1.23456}) {
    for (const auto& format : {FormatDefault, FormatLabel, FormatReportPlain,
                               FormatReportGeneral, FormatReportScientific}) {
      out.push_back(format(x));
    }
  }
  return out;
}

TEST(NumberText, DoesNotDependOnTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  const std::vector<std::string> reference = Transcript();
  int tried = 0;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8", "C.utf8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
    SCOPED_TRACE(name);
    ++tried;
    if (std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15G", 2.86);
      EXPECT_STREQ(buffer, "2,86");  // the C library itself does follow this locale
    }
    EXPECT_EQ(Transcript(), reference);
  }
  std::setlocale(LC_ALL, saved.c_str());
  if (tried == 0) GTEST_SKIP() << "no other locale is installed";
}


struct ParseRow {
  const char* name;
  std::string_view text;
  double value;
  bool found;
  bool overflow;
  bool whole = false;  // ParseWholeNumber accepts the text: the number is all of it, finite
};

// Expected: the decimal number written in the text up to the first character that cannot
// continue it (exact, or correctly rounded by the compiler). Views built as
// string_view(buffer, length) end inside a longer buffer that must not be read.
const ParseRow kParseRows[] = {
    {"blanks and tabs skipped", " \t  2.86", 2.86, true, false, true},
    {"plus sign", "+5", 5.0, true, false, true},
    {"comma ends the number", "1,5", 1.0, true, false},
    {"leading point", "-.25", -0.25, true, false, true},
    {"trailing point", "5.", 5.0, true, false, true},
    {"second point stops", "1.2.3", 1.2, true, false},
    {"text after the number", "0.02 s", 0.02, true, false},
    {"blank after the number", "2.86 ", 2.86, true, false},
    {"E exponent", "1E-09", 1e-9, true, false, true},
    {"D exponent", "1.5D2", 150.0, true, false, true},
    {"lower-case d exponent", "25d-1", 2.5, true, false, true},
    {"exponent letter without digits", "1E", 1.0, true, false},
    {"exponent sign without digits", "1e+", 1.0, true, false},
    {"exponent with leading zeros", "1e0000000000000000000000000002", 100.0, true, false, true},
    {"negative zero", "-0", -0.0, true, false, true},
    {"largest double", "1.7976931348623157e308", std::numeric_limits<double>::max(), true,
     false, true},
    {"smallest subnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min(),
     true, false, true},
    {"overflow", "-1e400", -kInf, true, true},
    {"beyond the largest by more than half an ulp", "1.7976931348623159e308", kInf, true, true},
    {"exponent beyond any range", "1e99999999999999999999999999", kInf, true, true},
    {"underflow is zero, not overflow", "-2e-400", -0.0, true, false, true},
    {"zero with a huge exponent", "0e999999999", 0.0, true, false, true},
    {"point alone", ".", 0.0, false, false},
    {"sign and point", "+.", 0.0, false, false},
    {"blank between sign and digits", "- 5", 0.0, false, false},
    {"empty", "", 0.0, false, false},
    {"nan text", "nan", 0.0, false, false},
    {"inf text", "-inf", 0.0, false, false},
    {"newline is not a blank", "\n5", 0.0, false, false},
    {"view ends after the exponent letter", std::string_view("2.5e+7", 4), 2.5, true, false},
    {"view ends after the exponent sign", std::string_view("2.5e+7", 5), 2.5, true, false},
    {"view ends after the point", std::string_view("2.5", 2), 2.0, true, false, true},
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
    EXPECT_EQ(ParseWholeNumber(row.text).has_value(), row.whole);
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
