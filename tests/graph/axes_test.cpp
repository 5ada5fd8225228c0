// Nice axis steps and limits, tick offsets, tick texts and fonts: pure functions, table-driven.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graph/axes.h"
#include "graph/canvas.h"

namespace quarvel {
namespace {

struct NiceAxisRow {
  const char* name;
  double max, min;
  double major, minor, niceMax, niceMin;  // in: previous values; out: expected
  double wantMajor, wantMinor, wantMax, wantMin;
};

// Expected values worked out by hand from the decade table: d in [m, 5m) -> (m, 0.2m),
// [5m, 7.5m) -> (2m, 0.4m), [7.5m, 10m) -> (5m, m).
const NiceAxisRow kNiceAxisRows[] = {
    {"EqualValuesWidenByOne", 3, 3, 0, 0, 0, 0, 1, 0.2, 4, 2},
    {"ZeroToTen", 10, 0, 0, 0, 0, 0, 10, 2, 10, 0},
    {"TwoToTen", 10, 2, 0, 0, 0, 0, 5, 1, 10, 0},
    {"PositiveMultipleMinMovesOneStepDown", 4, 2, 0, 0, 0, 0, 1, 0.2, 4, 1},
    {"NegativeMaxNotMultipleMovesPastNearest", -0.5, -2.5, 0, 0, 0, 0, 1, 0.2, 1, -3},
    {"StraddlingZero", 3.7, -2.5, 0, 0, 0, 0, 2, 0.4, 4, -4},
    {"NegativeBelowOne", -0.2, -1, 0, 0, 0, 0, 0.5, 0.1, 0.5, -1},
    {"SpanOfExactlyFiveUsesDoubleStep", 5, 0, 0, 0, 0, 0, 2, 0.4, 6, 0},
    {"SpanOfExactlySevenAndHalfUsesFiveStep", 7.5, 0, 0, 0, 0, 0, 5, 1, 10, 0},
    {"SpanJustBelowFive", 4.99, 0, 0, 0, 0, 0, 1, 0.2, 5, 0},
    {"NegativeMaxMultipleStaysPut", -1, -3, 0, 0, 0, 0, 1, 0.2, -1, -3},
    {"SpanBelowSmallestDecade", 1e-33, 0, 0, 0, 0, 0, 5e-33, 1e-33, 5e-33, 0},
    {"SpanAtSmallestDecade", 1e-32, 0, 0, 0, 0, 0, 1e-32, 2e-33, 1e-32, 0},
    {"SpanInLastDecidedCandidate", 7e32, 0, 0, 0, 0, 0, 2e32, 4e31, 8e32, 0},
    // From 7.5E+32 on the steps keep what they had; the limits use the kept step.
    {"HugeSpanKeepsSteps", 8e32, 0, 5e32, 1e32, 0, 0, 5e32, 1e32, 1e33, 0},
    {"HugeSpanWithZeroStepsLeavesLimits", 8e32, 0, 0, 0, 7, 6, 0, 0, 7, 6},
    {"MaxBelowMinChangesNothing", 1, 2, 3, 4, 5, 6, 3, 4, 5, 6},
};

class NiceAxisTest : public ::testing::TestWithParam<NiceAxisRow> {};

TEST_P(NiceAxisTest, StepsAndLimits) {
  const NiceAxisRow& row = GetParam();
  double major = row.major, minor = row.minor, niceMax = row.niceMax, niceMin = row.niceMin;
  NiceAxis(row.max, row.min, major, minor, niceMax, niceMin);
  EXPECT_DOUBLE_EQ(major, row.wantMajor);
  EXPECT_DOUBLE_EQ(minor, row.wantMinor);
  EXPECT_DOUBLE_EQ(niceMax, row.wantMax);
  EXPECT_DOUBLE_EQ(niceMin, row.wantMin);
}

INSTANTIATE_TEST_SUITE_P(Rows, NiceAxisTest, ::testing::ValuesIn(kNiceAxisRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NiceAxis, NotFiniteSpanLeavesEverything) {
  const double inf = std::numeric_limits<double>::infinity();
  double major = 2, minor = 0.4, niceMax = 4, niceMin = -4;
  NiceAxis(inf, 0, major, minor, niceMax, niceMin);
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 0.4);
  EXPECT_EQ(niceMax, 4);  // inf / 2 is not finite: left as it was
  EXPECT_EQ(niceMin, 0);  // 0 is a multiple of the kept step
}

struct OffsetsRow {
  const char* name;
  double step, range;
  std::vector<double> want;
};

const OffsetsRow kOffsetsRows[] = {
    {"ExactSteps", 0.5, 2, {0, 0.5, 1, 1.5, 2}},
    // 0.1 + 0.1 + 0.1 = 0.30000000000000004 > 0.3: the last position is lost.
    {"RoundingDropsLastPosition", 0.1, 0.3, {0, 0.1, 0.2}},
    {"RoundingKeepsLastPosition", 0.1, 0.7, {0, 0.1, 0.2, 0.30000000000000004, 0.4, 0.5, 0.6,
                                             0.7}},
    {"ZeroStepGivesOnlyTheOrigin", 0, 5, {0}},
    {"NegativeRangeGivesNothing", 1, -1, {}},
};

class OffsetsTest : public ::testing::TestWithParam<OffsetsRow> {};

TEST_P(OffsetsTest, RunningSum) {
  const OffsetsRow& row = GetParam();
  const std::vector<double> got = RunningTickOffsets(row.step, row.range);
  ASSERT_EQ(got.size(), row.want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_DOUBLE_EQ(got[i], row.want[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, OffsetsTest, ::testing::ValuesIn(kOffsetsRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunningTickOffsets, StepLostInRoundingStopsInsteadOfLooping) {
  // 1E+40 + 1 == 1E+40: a plain running sum would never end.
  EXPECT_EQ(RunningTickOffsets(1, 1e40).size(), static_cast<size_t>(kMaxTickPositions));
  EXPECT_EQ(RunningTickOffsets(1e-30, 1e30).size(), static_cast<size_t>(kMaxTickPositions));
}

TEST(TickTextLast, RoundsHalfEvenAndRefusesHugeCounts) {
  EXPECT_EQ(TickTextLast(8, 2), 4);
  EXPECT_EQ(TickTextLast(2.5, 1), 2);
  EXPECT_EQ(TickTextLast(3.5, 1), 4);
  EXPECT_EQ(TickTextLast(1e40, 1), std::nullopt);
  EXPECT_EQ(TickTextLast(1, 0), std::nullopt);
}

struct FormatRow {
  const char* name;
  double value;
  const char* format;
  const char* separator;
  const char* want;
};

const FormatRow kFormatRows[] = {
    {"Thousands", 1234.5, "0.00E+00", ".", "1.23E+03"},
    {"Zero", 0.0, "0.00E+00", ".", "0.00E+00"},
    {"NegativeZeroHasNoSign", -0.0, "0.00E+00", ".", "0.00E+00"},
    {"NegativeSmall", -0.05, "0.00E+00", ".", "-5.00E-02"},
    {"CommaSeparator", 1234.5, "0.00E+00", ",", "1,23E+03"},
    {"MantissaRoundsIntoNextDecade", 9.999, "0.00E+00", ".", "1.00E+01"},
    {"ThreeExponentDigits", 1e-300, "0.00E+00", ".", "1.00E-300"},
    {"MinusExponentSignOnlyWhenNegative", 1234.5, "0.0E-0", ".", "1.2E3"},
    {"Fixed", 3.14159, "0.000", ",", "3,142"},
    {"FixedNegativeZeroHasNoSign", -0.0001, "0.00", ".", "0.00"},
    {"OtherPatternShortestForm", 1e-9, "General", ".", "1E-09"},
    {"OtherPatternPlain", 0.5, "", ",", "0,5"},
    {"NotANumber", std::nan(""), "0.00E+00", ".", "nan"},
};

class FormatTest : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FormatTest, Text) {
  const FormatRow& row = GetParam();
  EXPECT_EQ(FormatAxisNumber(row.value, row.format, row.separator), row.want);
}

INSTANTIATE_TEST_SUITE_P(Rows, FormatTest, ::testing::ValuesIn(kFormatRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct FontRow {
  const char* name;
  int32_t size;
  double twips;
  int32_t wantHeight;
};

// Height = -round(Size * 20 / twips per pixel), halves to even.
const FontRow kFontRows[] = {
    {"NinePointAt96Dpi", 9, 15, -12},
    {"FourteenPointAt96Dpi", 14, 15, -19},  // 18.67
    {"EightPointAt96Dpi", 8, 15, -11},   // 10.67
    {"HalfRoundsToEven", 5, 40, -2},     // 2.5
    {"HalfRoundsToEvenUp", 7, 40, -4},   // 3.5
};

class MakeFontTest : public ::testing::TestWithParam<FontRow> {};

TEST_P(MakeFontTest, PixelHeight) {
  const FontRow& row = GetParam();
  TextStyle style;
  style.Size = row.size;
  const auto font = MakeFont(style, 0, row.twips);
  ASSERT_TRUE(font.has_value());
  EXPECT_EQ(font->Height, row.wantHeight);
}

INSTANTIATE_TEST_SUITE_P(Rows, MakeFontTest, ::testing::ValuesIn(kFontRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MakeFont, FailsForFaceNameLongerThan32) {
  TextStyle style;
  style.FontName = std::string(32, 'A');
  EXPECT_TRUE(MakeFont(style, 0, 15).has_value());
  style.FontName = std::string(33, 'A');
  EXPECT_FALSE(MakeFont(style, 0, 15).has_value());
}

}  // namespace
}  // namespace quarvel
