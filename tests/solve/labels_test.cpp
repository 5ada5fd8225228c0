#include "solve/labels.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace quarvel {
namespace {

struct PeriodCase {
  const char *name, *mass, *fy, *uy, *alpha;
  std::optional<double> experimentMass;
  const char *elastic, *plastic;
};

// Expected periods by hand: 2 * 3.14159265358979 * sqrt(m * Uy / Fy [/ a]), rounded to 3 decimals.
const PeriodCase kPeriodCases[] = {
    {"defaults_take_experiment_mass", "-1", "2.86", "0.111", "0.10", 1.0, "1.238", "3.914"},
    {"zero_mass_text_takes_experiment_mass", "0", "2.86", "0.111", "0.10", 1.0, "1.238", "3.914"},
    {"mass_text_used_when_positive", "4", "2.86", "0.111", "0.10", 1.0, "2.476", "7.829"},
    {"zero_fy_has_no_periods", "-1", "0", "0.111", "0.10", 1.0, "-", "-"},
    {"zero_alpha_has_no_plastic_period", "-1", "2.86", "0.111", "0", 1.0, "1.238", "-"},
    {"negative_uy_has_no_real_period", "-1", "2.86", "-0.111", "0.10", 1.0, "-", "-"},
    {"negative_experiment_mass_has_no_real_period", "-1", "2.86", "0.111", "0.10", -1.0, "-",
     "-"},
    {"no_experiment_no_mass", "-1", "2.86", "0.111", "0.10", std::nullopt, "-", "-"},
    {"no_experiment_but_mass_text", "1", "2.86", "0.111", "0.10", std::nullopt, "1.238", "3.914"},
    {"overflowing_mass_text", "1e400", "2.86", "0.111", "0.10", 1.0, "-", "-"},
};

TEST(PeriodLabelsTest, ShowsPeriodsOrDash) {
  for (const PeriodCase& c : kPeriodCases) {
    MainWindowInputs inputs;
    inputs.txtMass = c.mass;
    inputs.txtFy = c.fy;
    inputs.txtUy = c.uy;
    inputs.txtAlphaSmall = c.alpha;
    const PeriodLabelTexts texts = PeriodLabels(inputs, c.experimentMass);
    EXPECT_EQ(texts.elastic, c.elastic) << c.name;
    EXPECT_EQ(texts.plastic, c.plastic) << c.name;
  }
}

// Three decimals with a percent sign for the relative errors; "-" for a non-finite error
// (100 * 1e308 overflows).
TEST(ErrorLabelsTest, RoundsToThreeDecimalsOrShowsDash) {
  const ErrorLabelTexts texts = ErrorLabels(0.00049, -0.0123456, 12.0, 0.125);
  EXPECT_EQ(texts.absoluteU + " " + texts.relativeU + " " + texts.absoluteEh + " " +
                texts.relativeEh,
            "0 -1.235% 12 12.5%");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const ErrorLabelTexts dashes =
      ErrorLabels(std::numeric_limits<double>::infinity(), nan, nan, 1e308);
  EXPECT_EQ(dashes.absoluteU + dashes.relativeU + dashes.absoluteEh + dashes.relativeEh, "----");
}

}  // namespace
}  // namespace quarvel
