// Nice axis steps and limits, tick offsets, tick texts and fonts: pure functions, table-driven.

#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "graph/axes.h"
#include "graph/canvas.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Expected values worked out by hand from the decade table: d in [m, 5m) -> (m, 0.2m),
// [5m, 7.5m) -> (2m, 0.4m), [7.5m, 10m) -> (5m, m). "in" is what the four outputs held before.
// (Equal values, 0 to 10, 2 to 4 and -2.5 to 3.7: the whole drawings in graph_drawing_test.)
TEST(NiceAxis, StepsAndLimits) {
  struct Row {
    const char* name;
    double max, min;
    std::array<double, 4> in, want;  // major, minor, niceMax, niceMin
  };
  const Row rows[] = {
      {"NegativeMaxNotMultipleMovesPastNearest", -0.5, -2.5, {}, {1, 0.2, 1, -3}},
      {"SpanOfExactlyFiveUsesDoubleStep", 5, 0, {}, {2, 0.4, 6, 0}},
      {"SpanOfExactlySevenAndHalfUsesFiveStep", 7.5, 0, {}, {5, 1, 10, 0}},
      {"SpanJustBelowFive", 4.99, 0, {}, {1, 0.2, 5, 0}},
      {"NegativeMaxMultipleStaysPut", -1, -3, {}, {1, 0.2, -1, -3}},
      {"SpanBelowSmallestDecade", 1e-33, 0, {}, {5e-33, 1e-33, 5e-33, 0}},
      {"SpanAtSmallestDecade", 1e-32, 0, {}, {1e-32, 2e-33, 1e-32, 0}},
      {"SpanInLastDecidedCandidate", 7e32, 0, {}, {2e32, 4e31, 8e32, 0}},
      // From 7.5E+32 on the steps keep what they had; the limits use the kept step.
      {"HugeSpanKeepsSteps", 8e32, 0, {5e32, 1e32, 0, 0}, {5e32, 1e32, 1e33, 0}},
      {"HugeSpanWithZeroStepsLeavesLimits", 8e32, 0, {0, 0, 7, 6}, {0, 0, 7, 6}},
      // inf / 2 is not finite: niceMax is left; 0 is a multiple of the kept step.
      {"NotFiniteSpanKeepsSteps", kInf, 0, {2, 0.4, 4, -4}, {2, 0.4, 4, 0}},
      {"MaxBelowMinChangesNothing", 1, 2, {3, 4, 5, 6}, {3, 4, 5, 6}},
  };
  for (const Row& row : rows) {
    std::array<double, 4> got = row.in;
    NiceAxis(row.max, row.min, got[0], got[1], got[2], got[3]);
    for (size_t i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(got[i], row.want[i]) << row.name << " " << i;
  }
}

TEST(RunningTickOffsets, RunningSumAndItsBounds) {
  // 0.1 + 0.1 + 0.1 = 0.30000000000000004 > 0.3: the last is lost; a zero step gives the origin.
  const std::tuple<double, double, std::vector<double>> rows[] = {
      {0.5, 2, {0, 0.5, 1, 1.5, 2}}, {0.1, 0.3, {0, 0.1, 0.2}}, {0, 5, {0}}, {1, -1, {}}};
  for (const auto& [step, range, want] : rows) EXPECT_EQ(RunningTickOffsets(step, range), want);
  // 1E+40 + 1 == 1E+40: a plain running sum would never end.
  for (const auto& [step, range] : {std::pair{1.0, 1e40}, {1e-30, 1e30}}) {
    EXPECT_EQ(RunningTickOffsets(step, range).size(), static_cast<size_t>(kMaxTickPositions));
  }
}

// Tick counts and font heights round halves to even in every floating-point rounding mode (the
// mode is the caller's, and a plug-in may leave it changed; the rounding itself: the text tests).
TEST(TickTextLast, HalvesToEvenWhateverTheRoundingMode) {
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    const std::optional<int32_t> last = TickTextLast(2.5, 1);
    const std::optional<int32_t> huge = TickTextLast(1e40, 1), none = TickTextLast(1, 0);
    // 5 points at 40 twips per pixel: 100 / 40 = 2.5 pixels.
    const std::optional<LogicalFont> font = MakeFont(TextStyle{.Size = 5}, 0, 40);
    std::fesetround(FE_TONEAREST);
    // Huge and none are refused: no 32-bit count.
    EXPECT_EQ(last, 2) << "mode " << mode;
    EXPECT_FALSE(huge) << "mode " << mode;
    EXPECT_FALSE(none) << "mode " << mode;
    EXPECT_EQ(font.value().Height, -2) << "mode " << mode;
  }
}

TEST(FormatAxisNumber, Text) {
  struct Row { double value; const char* format; const char* separator; const char* want; };
  const Row rows[] = {
      {-0.0, "0.00E+00", ".", "0.00E+00"},     {-0.05, "0.00E+00", ".", "-5.00E-02"},
      {1234.5, "0.00E+00", ",", "1,23E+03"},   {9.999, "0.00E+00", ".", "1.00E+01"},
      {1e-300, "0.00E+00", ".", "1.00E-300"},  {std::nan(""), "0.00E+00", ".", "nan"},
      {1234.5, "0E+0", ".", "1E+3"},           {2.5, "0.000", ",", "2,500"},
      {1234.5, "0.0E-00", ".", "1.2E03"},      {2.5, ".00", ".", "2.50"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FormatAxisNumber(row.value, row.format, row.separator), row.want) << row.want;
  }
}

// A face name has at most 32 bytes (the heights of 8, 9, 10 and 14 pt show in the drawings); a
// font must be under a million pixels high (750000 pt at 15 twips per pixel is just that).
TEST(MakeFont, RefusesLongFaceNamesAndHugeSizes) {
  for (const size_t length : {32, 33}) {
    EXPECT_EQ(MakeFont(TextStyle{.FontName = std::string(length, 'A')}, 0, 15).has_value(),
              length == 32);
  }
  for (const int32_t size : {749999, 750000, -750000}) {
    EXPECT_EQ(MakeFont(TextStyle{.Size = size}, 0, 15).has_value(), size == 749999) << size;
  }
}

}  // namespace
}  // namespace quarvel
