#include "solve/model_settings.h"

#include <gtest/gtest.h>

namespace quarvel {
namespace {

// The method option and the texts as typed, read over the parameters of an earlier solve
// (`previous` sub-steps, tolerance 0.5). How the other texts map to the parameters is proven by
// the solve digests.
struct MethodRow {
  const char* name;
  bool rk45, euler, eulerDoubling, rkDoubling;
  const char* steps;  // the sub-step text; the tolerance text is 1E-06
  int32_t previous;
  SolutionMethod method;
  int32_t eulerSteps;
  double eps;
};

constexpr auto kEuler = SolutionMethod::Euler;
const MethodRow kMethodRows[] = {
    // Euler: the sub-step text rounded half to even and limited to 1..128; a value beyond the
    // int32 range keeps the previous count (then limited).
    {"EulerZeroGivesOne", 0, 1, 0, 0, "0", 7, kEuler, 1, 0.5},
    {"Euler500Gives128", 0, 1, 0, 0, "500", 7, kEuler, 128, 0.5},
    {"EulerHalfRoundsToEvenDown", 0, 1, 0, 0, "2.5", 7, kEuler, 2, 0.5},
    {"EulerHalfRoundsToEvenUp", 0, 1, 0, 0, "3.5", 7, kEuler, 4, 0.5},
    {"EulerTextWithoutNumberGivesOne", 0, 1, 0, 0, "steps", 7, kEuler, 1, 0.5},
    {"EulerNegativeGivesOne", 0, 1, 0, 0, "-3", 7, kEuler, 1, 0.5},
    {"EulerTooLargeKeepsPrevious", 0, 1, 0, 0, "1e10", 7, kEuler, 7, 0.5},
    {"EulerTooLargeKeepsPreviousLimited", 0, 1, 0, 0, "1e10", 0, kEuler, 1, 0.5},
    // Step doubling: 128 sub-steps and the tolerance text, whatever the sub-step text.
    {"EulerDoubling", 0, 0, 1, 0, "3", 7, SolutionMethod::EulerStepDoubling, 128, 1e-6},
    {"RkDoubling", 0, 0, 0, 1, "3", 7, SolutionMethod::RungeKuttaStepDoubling, 128, 1e-6},
    // Runge-Kutta keeps the values of the last solve that set them and wins over the others.
    {"RungeKutta", 1, 0, 0, 0, "3", 7, SolutionMethod::RungeKutta, 7, 0.5},
    {"RungeKuttaWinsOverRkDoubling", 1, 0, 0, 1, "3", 7, SolutionMethod::RungeKutta, 7, 0.5},
};

TEST(ModelSettingsTest, SolutionMethodSetsSubStepsAndTolerance) {
  for (const MethodRow& row : kMethodRows) {
    SCOPED_TRACE(row.name);
    MainWindowInputs inputs;
    inputs.optSolutionRK45 = row.rk45;
    inputs.optSolutionEuler = row.euler;
    inputs.optSolutionEulerStepDoubling = row.eulerDoubling;
    inputs.optSolutionRKStepDoubling = row.rkDoubling;
    inputs.txtSolutionEulerSteps = row.steps;
    inputs.txtEps1 = "1E-06";
    ModelParameters parameters;
    parameters.eulerSteps = row.previous;
    parameters.eps = 0.5;
    ReadModelParameters(inputs, parameters);
    EXPECT_EQ(parameters.solutionMethod, row.method);
    EXPECT_EQ(parameters.eulerSteps, row.eulerSteps);
    EXPECT_EQ(parameters.eps, row.eps);
  }
}

}  // namespace
}  // namespace quarvel
