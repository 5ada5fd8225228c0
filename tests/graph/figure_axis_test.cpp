// The axes of report figures: limits, nice ticks and plain-decimal labels.

#include "graph/figure_axis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarvel {
namespace {

using Labels = std::vector<std::string>;

// Each row worked by hand: the limits lie 5 % of the span beyond the data, and the step is the
// smallest of 1, 2, 2.5, 5 x 10^k that leaves at most eight ticks within them (5 rather than
// 2.5 where it leaves four); every label has the decimals of the step.
TEST(FigureAxis, NiceTicksWithPlainDecimalLabels) {
  const struct {
    const char* name;
    double min, max;
    Labels labels;
    int power;
  } rows[] = {
      {"Periods", 0.05, 3.0, {"0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0"}, 0},
      {"FivesRatherThanQuarters", 0.0, 0.16, {"0.00", "0.05", "0.10", "0.15"}, 0},
      {"Quarters", 1, 19, {"2.5", "5.0", "7.5", "10.0", "12.5", "15.0", "17.5"}, 0},
      {"Symmetric", -900, 900, {"−750", "−500", "−250", "0", "250", "500", "750"}, 0},
      {"Constant", 5.0, 5.0, {"4.8", "4.9", "5.0", "5.1", "5.2"}, 0},
      {"FourDigitsStayPlain", 0, 1500, {"0", "200", "400", "600", "800", "1000", "1200", "1400"},
       0},
      {"SmallTakesAPower", 0, 0.0025, {"0.0", "0.5", "1.0", "1.5", "2.0", "2.5"}, -3},
      {"LargeTakesAPower", 0, 12000, {"0", "2", "4", "6", "8", "10", "12"}, 3},
      {"TooSmallToSpace", 5e-324, 5e-324, {}, 0},
  };
  for (const auto& row : rows) {
    const FigureAxis axis = FigureAxisOf(row.min, row.max);
    EXPECT_EQ(axis.labels, row.labels) << row.name;
    EXPECT_EQ(axis.power, row.power) << row.name;
  }
}

TEST(FigureAxis, PowerGoesIntoTheUnitOrIsAppended) {
  EXPECT_EQ(AxisTitleWithPower("Peak |U| (m)", -3), "Peak |U| (10⁻³ m)");
  EXPECT_EQ(AxisTitleWithPower("Ductility", 3), "Ductility (10³)");
  EXPECT_EQ(AxisTitleWithPower("Force (N)", 0), "Force (N)");
}

}  // namespace
}  // namespace quarvel
