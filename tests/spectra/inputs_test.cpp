// The engineering inputs turned into the window's texts, checked against the definitions they
// must satisfy once the texts are read back; and the periods as typed.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "spectra/engineering_inputs.h"
#include "spectra/periods.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

// Read back from the texts, the oscillator has the period 2 pi sqrt(m Uy / Fy), the damping ratio
// c / (2 sqrt(k m)) and the strength ratio Fy / (m g) asked for; the texts that nothing derives
// are untouched, and each derived text is the shortest that reads back to the derived double.
TEST(DeriveTexts, TheTextsReadBackToTheInputsAskedFor) {
  const std::optional<double> none;
  // period, damping ratio, strength ratio, mass text, the experiment's mass
  const std::tuple<std::optional<double>, std::optional<double>, std::optional<double>, const char*,
                   double> rows[] = {
      {1.2, none, none, "-1", 0.0},   // the period sets the mass
      {0.5, none, 0.2, "3", 0.0},     // period and strength ratio set Fy and Uy
      {none, none, 0.15, "-1", 2.5},  // the strength ratio takes the experiment's mass
      {2.0, 0.05, none, "7", 0.0},    // the damping ratio from the derived mass
      {0.3, 0.02, 0.4, "-1", 1.0},
  };
  for (const auto& [period, damping, strength, massText, experimentMass] : rows) {
    SCOPED_TRACE(massText);
    MainWindowInputs in;
    in.txtMass = massText;
    ASSERT_EQ(ApplyEngineeringInputs({period, damping, strength}, experimentMass, in), "");
    const double m = Val(in.txtMass) > 0 ? Val(in.txtMass) : experimentMass;
    const double fy = Val(in.txtFy), uy = Val(in.txtUy), c = Val(in.txtCharlieSmall);
    if (period) { EXPECT_NEAR(2 * M_PI * std::sqrt(m * uy / fy), *period, 1e-13 * *period); }
    if (damping) { EXPECT_NEAR(c / (2 * std::sqrt(fy / uy * m)), *damping, 1e-14); }
    if (strength) { EXPECT_NEAR(fy / (m * 9.81), *strength, 1e-15 * *strength); }
    // A box the inputs do not derive keeps what it held.
    const bool massDerived = period && !strength, uyDerived = period && strength;
    if (!damping) { EXPECT_EQ(in.txtCharlieSmall, "0"); }
    if (!strength) { EXPECT_EQ(in.txtFy, "2.86"); }
    if (!massDerived) { EXPECT_EQ(in.txtMass, massText); }
    if (!uyDerived) { EXPECT_EQ(in.txtUy, "0.111"); }
    for (const std::string& text : {in.txtMass, in.txtFy, in.txtUy, in.txtCharlieSmall}) {
      EXPECT_EQ(FormatShortest(Val(text)), text);
    }
  }
}

// A strength ratio on an experiment without mass derives Fy = 0: refused, nothing changed.
TEST(DeriveTexts, AnOscillatorWithoutMassIsRefused) {
  MainWindowInputs in;
  EXPECT_TRUE(NeedsExperimentMass({{}, {}, 0.2}, in));
  const std::string refusal = ApplyEngineeringInputs({{}, {}, 0.2}, 0.0, in);
  EXPECT_NE(refusal.find("the derived yield force Fy is 0"), std::string::npos) << refusal;
  EXPECT_EQ(in.txtFy, MainWindowInputs{}.txtFy);
  EXPECT_FALSE(NeedsExperimentMass({1.0, 0.05, {}}, in));  // the period sets the mass
}

// Values without physical meaning are refused, unlikely ones warned about; the borders belong
// to the accepted side. A damping ratio from 1 to 100 was probably meant as a percentage. (A
// ductility, reduction or post-yield ratio well across its border: the command-line failures.)
TEST(PhysicalInputs, RefusedWarnedOrAccepted) {
  using enum PhysicalInput;
  constexpr auto ok = InputVerdict::Accepted, warned = InputVerdict::Warned,
                 refused = InputVerdict::Refused;
  struct Row { const char* name; PhysicalInput input; double value; InputVerdict verdict;
               bool percentHint; };
  const Row rows[] = {
      {"ductility_1", Ductility, 1.0, ok, false},
      {"critical_damping", DampingRatio, 1.0, refused, false},
      {"damping_100_percent", DampingRatio, 100.0, refused, true},
      {"damping_above_100", DampingRatio, 101.0, refused, false},
      {"damping_negative", DampingRatio, -0.01, refused, false},
      {"strength_ratio_0", StrengthRatio, 0.0, refused, false},
      {"post_yield_negative", PostYieldRatio, -0.1, warned, false},
      {"post_yield_1", PostYieldRatio, 1.0, ok, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const InputCheck check = CheckPhysicalInput(row.input, row.value);
    EXPECT_EQ(check.verdict, row.verdict);
    EXPECT_EQ(check.reason.find("a ratio, not a percentage: 0.02 for 2 %") != std::string::npos,
              row.percentHint);
  }
}

// Ranges give the decimals typed (0.15, not 0.15000000000000002); lists and ranges mix; a text
// that is no increasing list of positive periods is refused with the reason.
TEST(Periods, ListsAndRangesAsTyped) {
  const std::tuple<const char*, std::vector<double>, const char*> rows[] = {  // empty: refused
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
  };
  for (const auto& [text, expected, reason] : rows) {
    std::string error;
    EXPECT_EQ(ParsePeriods(text, error).value_or(std::vector<double>{}), expected) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace quarvel
