// The rate of the hysteretic variable in the original and modified passes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/displacement_controlled.h"
#include "model/reversal_rules.h"
#include "model/state_derivative.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

// A run whose memory holds a reversal point (+-0.2, +-0.9) and a list entry on each side, so
// that a weight can act in the Modified pass whatever the rule.
ModelRun RunWithMemory(ReversalRule rule, ModelPass pass) {
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.reversalRule = rule;
  ModelRun run = test::ForceRun(p, 2.86, {0.0, 0.0, 0.0, 0.0}, 0.02, 0.0, 0.0, 0.0, pass);
  run.Prepare();
  for (ReversalPoint* point : {&run.memory.lastPlus, &run.memory.maxPlus}) *point = {0.2, 0.9, 1.0};
  for (ReversalPoint* point : {&run.memory.lastMinus, &run.memory.maxMinus}) {
    *point = {-0.2, -0.9, 1.0};
  }
  run.memory.maxList.push_back({5, 0.2, 0.9, UnloadingFactor(run, 0.9), false});
  run.memory.minList.push_back({6, -0.2, -0.9, UnloadingFactor(run, -0.9), false});
  return run;
}

TEST(ZRate, UnderEveryRule) {
  for (ReversalRule rule : test::kAllRules) {
    SCOPED_TRACE(test::RuleName(rule));
    // u' = 0 gives z' = 0 in both passes.
    for (ModelPass pass : test::kBothPasses) {
      ModelRun run = RunWithMemory(rule, pass);
      for (double z : {-0.95, -0.3, 0.0, 0.3, 0.95}) {
        EXPECT_EQ(StateDerivative(run, 0.0, {0.05, 0.0, z}).z, 0.0);
      }
    }
    // Reloading toward lastPlus from u = 0.199 gives r >= 1, so w = 1 and the loading
    // coefficient beta + gamma becomes the unloading one, beta - gamma.
    ModelRun run = RunWithMemory(rule, ModelPass::Modified);
    const StateVector y{0.199, 0.4, 0.5};
    EXPECT_EQ(ReloadWeight(run, y.u, y.uDot, y.z), 1.0);
    const double power = std::pow(0.5, 2.0);
    EXPECT_EQ(StateDerivative(run, 0.0, y).z, (1.0 - (0.1 - 0.9) * power) * 0.4 / 0.111);
    run.pass = ModelPass::Original;
    EXPECT_EQ(StateDerivative(run, 0.0, y).z, (1.0 - (0.9 + 0.1) * power) * 0.4 / 0.111);
    // z = 0 with u' > 0 is loading, with u' < 0 unloading, and a positive weight does not act
    // there (z u' = 0 is not loading). n = 0 makes |z|^n = 1 so that the coefficient shows;
    // gamma = 0.5 keeps the weight free of unloading factors.
    run = RunWithMemory(rule, ModelPass::Modified);
    run.parameters.n = 0.0;
    run.parameters.gamma = 0.5;
    run.parameters.A = 2.0;
    run.Prepare();
    ASSERT_GT(ReloadWeight(run, 0.1, 0.5, 0.0), 0.5);
    for (ModelPass pass : test::kBothPasses) {
      run.pass = pass;
      EXPECT_EQ(StateDerivative(run, 0.0, {0.1, 0.5, 0.0}).z, (2.0 - (0.5 + 0.1)) * 0.5 / 0.111);
      EXPECT_EQ(StateDerivative(run, 0.0, {0.1, -0.5, 0.0}).z,
                (2.0 - (-0.5 + 0.1)) * -0.5 / 0.111);
    }
  }
}

// A constant force well above the yield force on a heavily damped oscillator: u' > 0 all
// the way, and with A = 1, beta + gamma = 1 the variable z climbs to its saturation value 1.
TEST(ZRate, MonotonicLoadingSaturatesAtOne) {
  for (SolutionMethod method : test::kAllSchemes) {
    for (ModelPass pass : test::kBothPasses) {
      SCOPED_TRACE(test::SchemeName(method));
      ModelParameters p = test::DefaultParameters(method);
      p.c = 40.0;
      p.eulerSteps = method == SolutionMethod::Euler ? 16 : p.eulerSteps;
      ModelRun run = test::ForceRun(p, 2.86, std::vector<double>(801, 6.0), 0.02, 0.0, 0.0, 0.0,
                                    pass);
      IntegrateResponse(run);
      const std::vector<double>& z = run.history.Z;
      for (std::size_t i = 2; i <= 800; ++i) ASSERT_GT(run.history.U[i], run.history.U[i - 1]);
      EXPECT_NEAR(z[800], 1.0, 1e-6);
      if (method == SolutionMethod::RungeKuttaStepDoubling) {
        EXPECT_LE(*std::max_element(z.begin(), z.end()), 1.0 + 1e-9);
      }
    }
  }
  // The same under a prescribed monotonic displacement.
  ModelRun run;
  run.parameters = test::DefaultParameters(SolutionMethod::RungeKuttaStepDoubling);
  run.mass = 2.86;
  std::vector<double> ramp(1001, 0.0);
  for (std::size_t i = 1; i <= 1000; ++i) ramp[i] = 0.001 * static_cast<double>(i - 1);
  DisplacementControlledResponse(run, ramp, 1000, 0.05);
  EXPECT_NEAR(run.history.Z[1000], 1.0, 1e-6);
  EXPECT_LE(*std::max_element(run.history.Z.begin(), run.history.Z.end()), 1.0);
}

}  // namespace
}  // namespace quarvel
