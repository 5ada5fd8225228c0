// The engineering inputs turned into the window's texts, checked against the definitions they
// must satisfy once the texts are read back; and the periods as typed.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "spectra/engineering_inputs.h"
#include "spectra/periods.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

struct DeriveRow {
  const char* name;
  std::optional<double> period, dampingRatio, strengthRatio;
  const char* massText;
  double experimentMass;
};

class DeriveTexts : public testing::TestWithParam<DeriveRow> {};

// Read back from the texts, the oscillator has the period 2 pi sqrt(m Uy / Fy), the damping ratio
// c / (2 sqrt(k m)) and the strength ratio Fy / (m g) asked for; the texts that nothing derives
// are untouched, and each derived text is the shortest that reads back to the derived double.
TEST_P(DeriveTexts, TheTextsReadBackToTheInputsAskedFor) {
  const DeriveRow row = GetParam();
  const EngineeringInputs given{row.period, row.dampingRatio, row.strengthRatio};
  MainWindowInputs in;
  in.txtMass = row.massText;
  ASSERT_EQ(ApplyEngineeringInputs(given, row.experimentMass, in), "");

  const double m = Val(in.txtMass) > 0 ? Val(in.txtMass) : row.experimentMass;
  const double fy = Val(in.txtFy), uy = Val(in.txtUy), c = Val(in.txtCharlieSmall);
  if (row.period) {
    EXPECT_NEAR(2 * M_PI * std::sqrt(m * uy / fy), *row.period, 1e-13 * *row.period);
  }
  if (row.dampingRatio) {
    EXPECT_NEAR(c / (2 * std::sqrt(fy / uy * m)), *row.dampingRatio, 1e-14);
  } else {
    EXPECT_EQ(in.txtCharlieSmall, "0");
  }
  if (row.strengthRatio) {
    EXPECT_NEAR(fy / (m * 9.81), *row.strengthRatio, 1e-15 * *row.strengthRatio);
  } else {
    EXPECT_EQ(in.txtFy, "2.86");
  }
  if (!row.period || row.strengthRatio) {
    EXPECT_EQ(in.txtMass, row.massText);
  }
  if (!(row.period && row.strengthRatio)) {
    EXPECT_EQ(in.txtUy, "0.111");
  }

  for (const std::string& text : {in.txtMass, in.txtFy, in.txtUy, in.txtCharlieSmall}) {
    EXPECT_EQ(FormatShortest(Val(text)), text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeriveTexts,
    testing::Values(DeriveRow{"period_sets_the_mass", 1.2, {}, {}, "-1", 0.0},
                    DeriveRow{"period_and_strength_ratio_set_Fy_and_Uy", 0.5, {}, 0.2, "3", 0.0},
                    DeriveRow{"strength_ratio_takes_the_experiments_mass", {}, {}, 0.15, "-1", 2.5},
                    DeriveRow{"damping_ratio_from_the_derived_mass", 2.0, 0.05, {}, "7", 0.0},
                    DeriveRow{"all_three", 0.3, 0.02, 0.4, "-1", 1.0},
                    DeriveRow{"damping_ratio_alone", {}, 0.1, {}, "4.5", 0.0}),
    [](const auto& info) { return std::string(info.param.name); });

// A strength ratio on an experiment without mass derives Fy = 0: refused, nothing changed.
TEST(DeriveTexts, AnOscillatorWithoutMassIsRefused) {
  MainWindowInputs in;
  const MainWindowInputs before = in;
  EXPECT_TRUE(NeedsExperimentMass({{}, {}, 0.2}, in));
  const std::string refusal = ApplyEngineeringInputs({{}, {}, 0.2}, 0.0, in);
  EXPECT_NE(refusal.find("the derived yield force Fy is 0"), std::string::npos) << refusal;
  EXPECT_EQ(in.txtFy, before.txtFy);
  EXPECT_FALSE(NeedsExperimentMass({1.0, 0.05, {}}, in));  // the period sets the mass
}

struct PeriodsRow {
  const char* text;
  std::vector<double> expected;  // empty: refused
  const char* error;
};

// Ranges give the decimals typed (0.15, not 0.15000000000000002); lists and ranges mix; a text
// that is no increasing list of positive periods is refused with the reason.
TEST(Periods, ListsAndRangesAsTyped) {
  const PeriodsRow rows[] = {
      {"0.5,1,2", {0.5, 1, 2}, ""},
      {"0.02:0.1:0.02,0.2,0.5:1:0.25", {0.02, 0.04, 0.06, 0.08, 0.1, 0.2, 0.5, 0.75, 1}, ""},
      {"5E-2:1.5E-1:5E-2", {0.05, 0.1, 0.15}, ""},
      {"1:1:1", {1}, ""},
      {"", {}, "\"\" is not a number"},
      {"0", {}, "must be above 0"},
      {"1,0.5", {}, "the periods must increase: 0.5 follows 1"},
      {"0.5,0.5", {}, "the periods must increase"},
      {"2:1:0.1", {}, "ends below its first period"},
      {"1:2:0", {}, "the range's step \"0\" must be above 0"},
      {"1:2", {}, "neither a period nor a range"},
      {"0.1:1e9:1e-9", {}, "more than 100000 periods"},
      {"1;2", {}, "\"1;2\" is not a number"},
  };
  for (const PeriodsRow& row : rows) {
    SCOPED_TRACE(row.text);
    std::string error;
    const std::optional<std::vector<double>> periods = ParsePeriods(row.text, error);
    if (row.expected.empty()) {
      EXPECT_FALSE(periods.has_value());
      EXPECT_NE(error.find(row.error), std::string::npos) << error;
    } else {
      ASSERT_TRUE(periods.has_value()) << error;
      EXPECT_EQ(*periods, row.expected);
    }
  }
  std::string error;
  const std::vector<double> range = ParsePeriods("0.05:3:0.05", error).value();
  ASSERT_EQ(range.size(), 60u);
  for (std::size_t i = 0; i < range.size(); ++i) EXPECT_EQ(range[i], (i + 1) * 5 / 100.0) << i;
  EXPECT_EQ(FormatShortest(range[2]), "0.15");
}

}  // namespace
}  // namespace quarvel
