#include "solve/model_settings.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

struct SubStepCase {
  const char* name;
  const char* text;
  int32_t previous;
  int32_t expected;
};

const SubStepCase kSubStepCases[] = {
    {"zero_gives_one", "0", 7, 1},
    {"above_limit_gives_128", "500", 7, 128},
    {"half_rounds_to_even_down", "2.5", 7, 2},
    {"half_rounds_to_even_up", "3.5", 7, 4},
    {"text_without_number_gives_one", "steps", 7, 1},
    {"negative_gives_one", "-3", 7, 1},
    {"too_large_for_int32_keeps_previous", "1e10", 7, 7},
    {"too_large_keeps_previous_then_limits", "1e10", 0, 1},
};

class SubStepTest : public testing::TestWithParam<SubStepCase> {};

TEST_P(SubStepTest, EulerSubStepsAreRoundedAndLimited) {
  const SubStepCase& c = GetParam();
  MainWindowInputs inputs;
  inputs.optSolutionRKStepDoubling = false;
  inputs.optSolutionEuler = true;
  inputs.txtSolutionEulerSteps = c.text;
  ModelParameters parameters;
  parameters.eulerSteps = c.previous;
  ReadModelParameters(inputs, parameters);
  EXPECT_EQ(parameters.solutionMethod, SolutionMethod::Euler);
  EXPECT_EQ(parameters.eulerSteps, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubStepTest, testing::ValuesIn(kSubStepCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModelSettingsTest, StepDoublingSetsLimitAndToleranceWhateverTheSubStepText) {
  for (const bool euler : {true, false}) {
    MainWindowInputs inputs;
    inputs.optSolutionRKStepDoubling = !euler;
    inputs.optSolutionEulerStepDoubling = euler;
    inputs.txtSolutionEulerSteps = "3";
    inputs.txtEps1 = "1E-06";
    ModelParameters parameters;
    ReadModelParameters(inputs, parameters);
    EXPECT_EQ(parameters.eulerSteps, 128);
    EXPECT_EQ(parameters.eps, 1e-6);
    EXPECT_EQ(parameters.solutionMethod, euler ? SolutionMethod::EulerStepDoubling
                                               : SolutionMethod::RungeKuttaStepDoubling);
  }
}

TEST(ModelSettingsTest, RungeKuttaKeepsSubStepsAndToleranceOfTheLastSolveThatSetThem) {
  MainWindowInputs inputs;  // RK step doubling: sets 128 and 1E-09
  ModelParameters parameters;
  ReadModelParameters(inputs, parameters);
  inputs.optSolutionRKStepDoubling = false;
  inputs.optSolutionRK45 = true;
  inputs.txtEps1 = "0.5";
  ReadModelParameters(inputs, parameters);
  EXPECT_EQ(parameters.solutionMethod, SolutionMethod::RungeKutta);
  EXPECT_EQ(parameters.eulerSteps, 128);
  EXPECT_EQ(parameters.eps, 1e-9);
}

TEST(ModelSettingsTest, RungeKuttaOptionWinsOverTheOthers) {
  MainWindowInputs inputs;
  inputs.optSolutionRK45 = true;  // the default RK step doubling stays selected too
  ModelParameters parameters;
  ReadModelParameters(inputs, parameters);
  EXPECT_EQ(parameters.solutionMethod, SolutionMethod::RungeKutta);
}

TEST(ModelSettingsTest, ReadsEveryTextWithTheLeadingNumberParse) {
  MainWindowInputs inputs;
  inputs.txtAlphaCap = " 2,5";
  inputs.txtNee = "1.5D0";
  inputs.txtThresholdZ = "0.3 ";
  inputs.optALLREV = false;
  inputs.optReversalLastAndMax = true;
  inputs.chkWithinUnloadingBranch = false;
  ModelParameters parameters;
  ReadModelParameters(inputs, parameters);
  EXPECT_EQ(parameters.A, 2.0);
  EXPECT_EQ(parameters.n, 1.5);
  EXPECT_EQ(parameters.thresholdZ, 0.3);
  EXPECT_EQ(parameters.gamma, 0.9);
  EXPECT_EQ(parameters.reversalRule, ReversalRule::LastAndMaxReversal);
  EXPECT_FALSE(parameters.skipWithinDominanceZone);
}

TEST(ModelSettingsTest, NegativeMassTextTakesTheExperimentsMassZeroDoesNot) {
  EXPECT_EQ(EffectiveMass(-1.0, 2.86), 2.86);
  EXPECT_EQ(EffectiveMass(-0.5, 2.86), 2.86);
  EXPECT_EQ(EffectiveMass(0.0, 2.86), 0.0);
  EXPECT_EQ(EffectiveMass(4.0, 2.86), 4.0);
}

}  // namespace
}  // namespace quarvel
