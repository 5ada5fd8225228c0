// Half-even rounding and the number-to-text forms.

#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

// ---------------------------------------------------------------- rounding

struct RoundRow {
  const char* name;
  double x;
  double expected;
};

// Expected: the nearest integer, ties to the even neighbour (by hand).
const RoundRow kRoundRows[] = {
    {"2.5 to even 2", 2.5, 2.0},
    {"3.5 to even 4", 3.5, 4.0},
    {"-2.5 to even -2", -2.5, -2.0},
    {"0.5 to 0", 0.5, 0.0},
    {"1.5 to 2", 1.5, 2.0},
    {"-1.5 to -2", -1.5, -2.0},
    {"just below a half", 0.49999999999999994, 0.0},
    {"just below 2.5", 2.4999999999999996, 2.0},
    {"just above 2.5", 2.5000000000000004, 3.0},
    {"2.6 up", 2.6, 3.0},
    {"-2.6 down", -2.6, -3.0},
    {"whole stays", -7.0, -7.0},
    {"2^51 + 0.5 to even", 2251799813685248.5, 2251799813685248.0},
    {"2^51 + 1.5 to even", 2251799813685249.5, 2251799813685250.0},
    {"2^52 + 1 is whole", 4503599627370497.0, 4503599627370497.0},
    {"huge", 1e300, 1e300},
    {"infinity", kInf, kInf},
};

TEST(RoundHalfEven, Table) {
  for (const RoundRow& row : kRoundRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RoundHalfEven(row.x), row.expected);
  }
  EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
  // Like nearbyint: a negative value rounding to zero gives negative zero.
  EXPECT_TRUE(std::signbit(RoundHalfEven(-0.5)));
  EXPECT_TRUE(std::signbit(RoundHalfEven(-0.2)));
}

// The result must not follow a rounding mode changed by someone else.
TEST(RoundHalfEven, IgnoresTheCurrentRoundingMode) {
  const int saved = std::fegetround();
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const RoundRow& row : kRoundRows) {
      SCOPED_TRACE(row.name);
      EXPECT_EQ(RoundHalfEven(row.x), row.expected);
    }
  }
  std::fesetround(saved);
}

TEST(RoundToDecimals, Table) {
  struct Row {
    const char* name;
    double x;
    int decimals;
    double expected;
  };
  // Expected: RoundHalfEven(x * 10^d) / 10^d worked by hand; the binary values 0.0625 and
  // 0.1875 make x * 1000 an exact tie.
  const Row rows[] = {
      {"1.23456 to 1.235", 1.23456, 3, 1.235},
      {"-1.23456 to -1.235", -1.23456, 3, -1.235},
      {"tie 62.5 goes down to even", 0.0625, 3, 0.062},
      {"tie 187.5 goes up to even", 0.1875, 3, 0.188},
      {"negative tie", -0.0625, 3, -0.062},
      {"0.0004 vanishes", 0.0004, 3, 0.0},
      {"six decimals", 2.718281828459045, 6, 2.718282},
      {"six decimals of pi", 3.14159265358979, 6, 3.141593},
      {"zero decimals", 123.5, 0, 124.0},
      {"negative decimals round to tens", 1234.5, -1, 1230.0},
      // x * 10^9 overflows; a value this large has no decimals to drop.
      {"scaling overflow keeps the value", 1e300, 9, 1e300},
      {"infinity", kInf, 6, kInf},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(RoundToDecimals(row.x, row.decimals), row.expected);
  }
  EXPECT_TRUE(std::isnan(RoundToDecimals(kNaN, 6)));
}

TEST(ToInt32, Table) {
  struct Row {
    const char* name;
    double x;
    bool ok;
    int32_t expected;  // when ok
  };
  // Expected: half-even rounding by hand; the int32 range is [-2^31, 2^31 - 1].
  const Row rows[] = {
      {"2.5 to 2", 2.5, true, 2},
      {"3.5 to 4", 3.5, true, 4},
      {"-2.5 to -2", -2.5, true, -2},
      {"largest", 2147483647.4, true, 2147483647},
      {"tie above the largest rounds to 2^31", 2147483647.5, false, 0},
      {"2^31", 2147483648.0, false, 0},
      {"smallest", -2147483648.0, true, -2147483647 - 1},
      {"tie below the smallest rounds to even -2^31", -2147483648.5, true, -2147483647 - 1},
      {"below the smallest", -2147483649.0, false, 0},
      {"1E+10", 1e10, false, 0},
      {"infinity", kInf, false, 0},
      {"minus infinity", -kInf, false, 0},
      {"nan", kNaN, false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int32_t out = 12345;
    EXPECT_EQ(ToInt32(row.x, out), row.ok);
    EXPECT_EQ(out, row.ok ? row.expected : 12345);  // untouched on failure
  }
}

// ---------------------------------------------------------------- text forms

struct FormatRow {
  const char* name;
  double x;
  const char* expected;
};

// Expected: C's %.15G of the value as worked by hand (exponent form below 1E-04 and from
// 1E+15), with "0" for zero of either sign.
const FormatRow kDefaultRows[] = {
    {"1E-09", 1e-9, "1E-09"},
    {"0.02", 0.02, "0.02"},
    {"2.86", 2.86, "2.86"},
    {"1E+15", 1e15, "1E+15"},
    {"-0.5", -0.5, "-0.5"},
    {"1E+14 still fixed", 1e14, "100000000000000"},
    {"rounding carries into the exponent form", 999999999999999.9, "1E+15"},
    {"0.0001 still fixed", 0.0001, "0.0001"},
    {"1E-05 exponent form", 0.00001, "1E-05"},
    {"one third to 15 digits", 1.0 / 3.0, "0.333333333333333"},
    {"two thirds rounded", 2.0 / 3.0, "0.666666666666667"},
    {"0.1 + 0.2", 0.1 + 0.2, "0.3"},
    {"large", 123456789012345678.0, "1.23456789012346E+17"},
    {"three digit exponent", 1.5e-300, "1.5E-300"},
    {"whole", 128.0, "128"},
    {"zero", 0.0, "0"},
    {"negative zero", -0.0, "0"},
    {"infinity", kInf, "inf"},
    {"minus infinity", -kInf, "-inf"},
    {"nan", kNaN, "nan"},
};

TEST(FormatDefault, Table) {
  for (const FormatRow& row : kDefaultRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FormatDefault(row.x), row.expected);
  }
}

// Values drawn from the whole double range and from short decimals, in the "C" locale.
std::vector<double> SampleValues() {
  std::mt19937_64 random(20240229);
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    const uint64_t bits = random();
    double x = 0.0;
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) values.push_back(x);
  }
  std::uniform_int_distribution<int> digits(0, 999999);
  std::uniform_int_distribution<int> exponent(-20, 20);
  for (int i = 0; i < 20000; ++i) {
    values.push_back(digits(random) * std::pow(10.0, exponent(random)));
    values.push_back(-digits(random) / 1000.0);
  }
  return values;
}

// The forms are defined by printf; compare with printf itself in the "C" locale.
TEST(FormatDefault, MatchesPrintfInTheCLocale) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  char buffer[64];
  for (const double x : SampleValues()) {
    if (x == 0.0) continue;
    std::snprintf(buffer, sizeof buffer, "%.15G", x);
    ASSERT_EQ(FormatDefault(x), buffer) << "x bits of " << x;
    std::snprintf(buffer, sizeof buffer, "%.12E", x);
    ASSERT_EQ(FormatReportScientific(x), (x >= 0 ? std::string(" ") : std::string()) + buffer);
  }
}

TEST(FormatLabel, Table) {
  // Expected: rounded to 3 decimals half-even by hand, written without the leading zero.
  const FormatRow rows[] = {
      {".5", 0.5, ".5"},
      {"-.25", -0.25, "-.25"},
      {"1.23456 to 1.235", 1.23456, "1.235"},
      {"-1.23456 (a relative error label) to -1.235", -1.23456, "-1.235"},
      {"whole", 12.0, "12"},
      {"0.0004 rounds to 0", 0.0004, "0"},
      {"-0.0004 rounds to 0, no sign", -0.0004, "0"},
      {"tie 0.0005 goes to even 0", 0.0005, "0"},
      {"tie 0.0625 goes to even .062", 0.0625, ".062"},
      {"negative tie", -0.0625, "-.062"},
      {"smallest step", 0.001, ".001"},
      {"0.9996 rounds to 1", 0.9996, "1"},
      {"100 x relative error", 100 * -0.0123456, "-1.235"},
      {"zero", 0.0, "0"},
      {"negative zero", -0.0, "0"},
      {"15 digits stay fixed", 999999999999999.0, "999999999999999"},
      {"1E+15 in exponent form", 1e15, "1E+15"},
      {"1.5E+15", 1.5e15, "1.5E+15"},
      {"large exponent", -2.5e200, "-2.5E+200"},
      {"infinity", kInf, "inf"},
      {"minus infinity", -kInf, "-inf"},
      {"nan", kNaN, "nan"},
  };
  for (const FormatRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FormatLabel(row.x), row.expected);
  }
}

TEST(FormatReport, Forms) {
  struct Row {
    const char* name;
    double x;
    const char* plain;
    const char* general;
    const char* scientific;
    const char* integer;
  };
  // Expected: the default form with the blank rule (blank when x >= 0), and %.12E by hand.
  const Row rows[] = {
      {"row U", 0.0015, " 0.0015", "0.0015", " 1.500000000000E-03", "0.0015"},
      {"row U_DOT", -0.25, "-0.25", "-0.25", "-2.500000000000E-01", "-0.25"},
      {"time 0.02", 0.02, " 0.02", "0.02", " 2.000000000000E-02", "0.02"},
      {"sample number", 2.0, " 2", "2", " 2.000000000000E+00", "2"},
      {"reversal index", 128.0, " 128", "128", " 1.280000000000E+02", "128"},
      {"zero", 0.0, " 0", "0", " 0.000000000000E+00", "0"},
      {"negative zero written as zero", -0.0, " 0", "0", " 0.000000000000E+00", "0"},
      {"three digit exponent", 1e-300, " 1E-300", "1E-300", " 1.000000000000E-300", "1E-300"},
      {"rounding carries in %.12E", 9.9999999999999, " 9.9999999999999", "9.9999999999999",
       " 1.000000000000E+01", "9.9999999999999"},
      {"infinity", kInf, " inf", "inf", " inf", "inf"},
      {"minus infinity", -kInf, "-inf", "-inf", "-inf", "-inf"},
      {"nan has no blank", kNaN, "nan", "nan", "nan", "nan"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FormatReportPlain(row.x), row.plain);
    EXPECT_EQ(FormatReportGeneral(row.x), row.general);
    EXPECT_EQ(FormatReportScientific(row.x), row.scientific);
    EXPECT_EQ(FormatReportInteger(row.x), row.integer);
  }
}

// ---------------------------------------------------------------- locale independence

// Everything the module produces, as one list of texts.
std::vector<std::string> Transcript() {
  std::vector<std::string> out;
  for (const char* text : {"2.86", "1,5", " \t-1.5D2", ".5", "1E-09"}) {
    const ParsedNumber parsed = ParseLeadingNumber(text);
    uint64_t bits = 0;
    std::memcpy(&bits, &parsed.value, sizeof bits);
    out.push_back(std::to_string(bits) + (parsed.found ? " found" : " none"));
  }
  for (const double x : {2.86, -0.25, 1e-9, 1.5e15, 0.0015, 1.23456}) {
    out.push_back(FormatDefault(x));
    out.push_back(FormatLabel(x));
    out.push_back(FormatReportPlain(x));
    out.push_back(FormatReportGeneral(x));
    out.push_back(FormatReportScientific(x));
    out.push_back(FormatReportInteger(x));
  }
  return out;
}

TEST(NumberText, DoesNotDependOnTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  const std::vector<std::string> reference = Transcript();

  int localesTried = 0;
  bool commaLocaleTried = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "ru_RU.UTF-8",
                           "C.UTF-8", "C.utf8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
    SCOPED_TRACE(name);
    ++localesTried;
    if (std::strcmp(std::localeconv()->decimal_point, ".") != 0) {
      commaLocaleTried = true;
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15G", 2.86);
      EXPECT_STREQ(buffer, "2,86");  // the C library does follow this locale
    }
    EXPECT_EQ(Transcript(), reference);
  }
  std::setlocale(LC_ALL, saved.c_str());
  if (localesTried == 0) GTEST_SKIP() << "no other locale is installed";
  if (!commaLocaleTried) {
    std::printf("note: no locale with a decimal comma is installed; only %d other locale(s)\n",
                localesTried);
  }
}

}  // namespace
}  // namespace quarvel
