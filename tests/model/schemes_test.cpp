// Sub-step counts of the four schemes, the step-doubling acceptance rule, and faults.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "model/reversal_rules.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

struct CountRow {
  const char* name;
  SolutionMethod method;
  int32_t eulerSteps;
  double eps;
  double amplitude;  // of the sinusoidal force; 0 leaves the oscillator at rest
  int64_t perInterval;
};

class EvaluationCount : public ::testing::TestWithParam<CountRow> {};

TEST_P(EvaluationCount, PerIntervalAsTheSchemeDefines) {
  const CountRow& row = GetParam();
  ModelParameters p = test::DefaultParameters(row.method);
  p.eulerSteps = row.eulerSteps;
  p.eps = row.eps;
  for (ModelPass pass : test::kBothPasses) {
    // A displaced start: from rest the first Euler trials would agree exactly (u' is still 0
    // after the first sub-step), which ends the doubling early.
    ModelRun run = test::ForceRun(p, 2.86, test::SineSamples(row.amplitude, 1.0, 0.02, 6), 0.02,
                                  row.amplitude > 0.0 ? 0.01 : 0.0, 0.0, 0.0, pass);
    IntegrateResponse(run);
    EXPECT_EQ(run.derivativeEvaluations, 5 * row.perInterval);
  }
}

// Step-doubling trials of 1, 2, ..., m sub-steps evaluate 1 + 2 + ... + m Euler slopes, or
// 4 (1 + 2 + ... + m) Runge-Kutta slopes.
constexpr SolutionMethod kEuler = SolutionMethod::Euler;
constexpr SolutionMethod kEulerDoubling = SolutionMethod::EulerStepDoubling;
constexpr SolutionMethod kRk = SolutionMethod::RungeKutta;
constexpr SolutionMethod kRkDoubling = SolutionMethod::RungeKuttaStepDoubling;

INSTANTIATE_TEST_SUITE_P(
    Rows, EvaluationCount,
    ::testing::Values(
        CountRow{"EulerOneSubstep", kEuler, 1, 0.0, 5.0, 1},
        CountRow{"EulerSevenSubsteps", kEuler, 7, 0.0, 5.0, 7},
        CountRow{"EulerDoublingZeroEpsReaches256", kEulerDoubling, 128, 0.0, 5.0, 511},
        CountRow{"EulerDoublingMetAtFirstDoubling", kEulerDoubling, 128, 1e300, 5.0, 3},
        CountRow{"EulerDoublingExactAgreementAtRest", kEulerDoubling, 128, 0.0, 0.0, 3},
        CountRow{"RungeKutta", kRk, 0, 0.0, 5.0, 4},
        CountRow{"RungeKuttaDoublingZeroEpsReaches256", kRkDoubling, 128, 0.0, 5.0, 4 * 511},
        CountRow{"RungeKuttaDoublingMetAtFirstDoubling", kRkDoubling, 128, 1e300, 5.0, 12}),
    [](const auto& info) { return info.param.name; });

ModelRun ForcedRun(SolutionMethod method, int32_t eulerSteps, double eps) {
  ModelParameters p = test::DefaultParameters(method);
  p.eulerSteps = eulerSteps;
  p.eps = eps;
  ModelRun run = test::ForceRun(p, 2.86, test::SineSamples(20.0, 1.0, 0.02, 40), 0.02, 0.01);
  IntegrateResponse(run);
  return run;
}

// eps = 0 accepts only the 256-sub-step trial; a tolerance met at the first doubling accepts
// the two-sub-step solution: plain Euler with that many sub-steps, or two RK4 steps of dt / 2.
TEST(StepDoubling, AcceptsThe256SubstepTrialOrTheTwoStepSolution) {
  for (const auto& [eps, substeps] : {std::pair{0.0, 256}, std::pair{1e300, 2}}) {
    const ModelRun doubling = ForcedRun(kEulerDoubling, 128, eps);
    const ModelRun fixed = ForcedRun(kEuler, substeps, 0.0);
    EXPECT_EQ(doubling.history.U, fixed.history.U);
    EXPECT_EQ(doubling.history.U_DOT, fixed.history.U_DOT);
    EXPECT_EQ(doubling.history.Z, fixed.history.Z);
  }
  ModelRun run = ForcedRun(kRkDoubling, 128, 1e300);
  const double h = 0.02 / 2.0;
  StateVector y{0.01, 0.0, 0.0};
  for (int j = 0; j < 2; ++j) RungeKutta4Step(run, y, StateDerivative(run, j * h, y), j * h, h);
  EXPECT_EQ(run.history.U[2], y.u);
  EXPECT_EQ(run.history.U_DOT[2], y.uDot);
  EXPECT_EQ(run.history.Z[2], y.z);
}

// A force record that overflows between samples 30 and 31 (1e308 - (-1e308) is infinite).
std::vector<double> OverflowingForce() {
  std::vector<double> force = test::SineSamples(5.0, 1.0, 0.02, 60);
  force[30] = 1e308;
  force[31] = -1e308;
  return force;
}

class MidRunOverflow : public ::testing::TestWithParam<SolutionMethod> {};

TEST_P(MidRunOverflow, StopsRungeKuttaOnlyAndLeavesZerosAfterIt) {
  for (ModelPass pass : test::kBothPasses) {
    ModelRun run = test::ForceRun(test::DefaultParameters(GetParam()), 2.86, OverflowingForce(),
                                  0.02, 0.05, 0.0, 0.0, pass);
    IntegrateResponse(run);
    const ResponseHistory& h = run.history;
    if (GetParam() != SolutionMethod::RungeKutta) {
      EXPECT_FALSE(run.stoppedByFault);
      EXPECT_DOUBLE_EQ(h.T[60], 59 * 0.02);
      EXPECT_FALSE(std::isfinite(h.U[40]));
      continue;
    }
    ASSERT_TRUE(run.stoppedByFault);
    std::size_t firstMissing = 1;
    while (firstMissing <= 60 && h.U[firstMissing] != 0.0) ++firstMissing;
    EXPECT_GE(firstMissing, 29u);
    EXPECT_LE(firstMissing, 32u);
    for (std::size_t i = 1; i < firstMissing; ++i) {
      EXPECT_TRUE(std::isfinite(h.U[i]) && std::isfinite(h.F[i]) && std::isfinite(h.U_DOT_DOT[i]));
    }
    // The interval being crossed had its time set before the fault.
    EXPECT_DOUBLE_EQ(h.T[firstMissing], (firstMissing - 1) * 0.02);
    for (std::size_t i = firstMissing; i <= 60; ++i) {
      for (const std::vector<double>* a : {&h.U, &h.U_DOT, &h.Z, &h.F, &h.U_DOT_DOT}) {
        EXPECT_EQ((*a)[i], 0.0);
      }
      if (i > firstMissing) {
        EXPECT_EQ(h.T[i], 0.0);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Schemes, MidRunOverflow, ::testing::ValuesIn(test::kAllSchemes),
                         [](const auto& info) { return test::SchemeName(info.param); });

// A second pass on the same run object after a stopped one starts from zeros again.
TEST(MidRunOverflow, LaterSamplesAreZeroEvenAfterAFullPassOnTheSameRun) {
  ModelRun run = test::ForceRun(test::DefaultParameters(SolutionMethod::RungeKutta), 2.86,
                                test::SineSamples(5.0, 1.0, 0.02, 60), 0.02, 0.05);
  IntegrateResponse(run);
  ASSERT_NE(run.history.U[60], 0.0);
  run.excitation.Assign(OverflowingForce(), 60, 0.02);
  run.pass = ModelPass::Modified;
  IntegrateResponse(run);
  ASSERT_TRUE(run.stoppedByFault);
  EXPECT_EQ(run.history.U[60], 0.0);
  EXPECT_EQ(run.history.F[60], 0.0);
}

// A sample is completed value by value, F, U_DOT_DOT, then Fh; RungeKutta ends the pass at the
// first that is not finite, so the values after it keep their zeros. The other schemes complete
// every value and go on.
struct CompletionFaultRow {
  const char* name;
  double mass;
  double u0;
  bool accelerationComputed;  // by RungeKutta
};

class CompletionFault : public ::testing::TestWithParam<CompletionFaultRow> {};

TEST_P(CompletionFault, RungeKuttaLeavesTheValuesAfterTheFirstFaultAtZero) {
  const CompletionFaultRow& row = GetParam();
  const std::vector<double> force = {0.0, 0.0, 1.0, 2.0};
  for (SolutionMethod method : test::kAllSchemes) {
    for (ModelPass pass : test::kBothPasses) {
      SCOPED_TRACE(test::SchemeName(method));
      const ModelParameters p = test::DefaultParameters(method);
      ModelRun run = test::ForceRun(p, row.mass, force, 0.02, row.u0, 0.0, -0.5, pass);
      IntegrateResponse(run);
      const ResponseHistory& h = run.history;
      const double fh = p.HystereticScale() * -0.5;
      if (method != SolutionMethod::RungeKutta) {
        EXPECT_FALSE(run.stoppedByFault);
        EXPECT_FALSE(std::isfinite(h.U_DOT_DOT[1]));
        EXPECT_EQ(h.Fh[1], fh);
        continue;
      }
      EXPECT_TRUE(run.stoppedByFault);
      EXPECT_NE(h.F[1], 0.0);
      EXPECT_EQ(h.U_DOT_DOT[1] != 0.0, row.accelerationComputed);
      EXPECT_EQ(h.Fh[1], 0.0);
      EXPECT_EQ(h.U[2], 0.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompletionFault,
    ::testing::Values(
        // F = -1.287 and an infinite U_DOT_DOT: Fh is not computed.
        CompletionFaultRow{"AccelerationWithoutMass", 0.0, 0.0, true},
        // postYieldStiffness * 1e308 overflows: neither U_DOT_DOT nor Fh is computed.
        CompletionFaultRow{"SpringForceOverflows", 1.0, 1e308, false}),
    [](const auto& info) { return info.param.name; });

// Within a derivative evaluation too RungeKutta ends at the first fault in order: an
// acceleration that is not finite (no mass) ends the step before the z-rate, so the reload
// weight at that state, which would fault (u at a list entry's u divides by zero), is never
// evaluated and reports nothing. With a mass the same state reports the weight's fault.
TEST(RungeKuttaStep, EndsAtANonFiniteAccelerationBeforeTheReloadWeight) {
  for (const double mass : {0.0, 2.86}) {
    ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
    p.gamma = 0.5;
    p.Uy = 0.1;
    ModelRun run = test::ForceRun(p, mass, {0.0, 0.0, 0.0}, 0.02, 0.0, 0.0, 0.0,
                                  ModelPass::Modified);
    run.Prepare();
    run.history.Reset(2);
    run.memory.maxList = {{2, 0.9, 0.7, 0.0, false}};
    StateVector y{0.9, 1.0, 0.4};
    RungeKuttaStep(run, y, 1, 0.02);
    EXPECT_EQ(run.weightFaults, mass == 0.0 ? 0 : 1) << "mass " << mass;
  }
}

struct WeightFaultRow {
  const char* name;
  std::vector<ReversalListEntry> entries;
  double expected;
  int64_t faults;
};

class AllReversalWeightFault : public ::testing::TestWithParam<WeightFaultRow> {};

// gamma = 0.5 (no factors), Uy = 0.1, P = -1 so that a weight can exceed 1; the state is
// u = 0.9, u' = 1, z = 0.4. Entry (1.0, 0.8) has r = 0.4 and weight 2.5; an entry at u = 0.9
// divides by zero.
TEST_P(AllReversalWeightFault, ReturnsTheUncappedPartialWeightAndReportsOnce) {
  const WeightFaultRow& row = GetParam();
  ModelRun run;
  run.parameters.gamma = 0.5;
  run.parameters.Uy = 0.1;
  run.parameters.P = -1.0;
  run.Prepare();
  int observed = 0;
  run.onWeightFault = [&observed] { ++observed; };
  run.memory.maxList = row.entries;
  EXPECT_EQ(AllReversalWeight(run, 0.9, 1.0, 0.4), row.expected);
  EXPECT_EQ(run.weightFaults, row.faults);
  EXPECT_EQ(observed, row.faults);
}

const ReversalListEntry kHeavy{1, 1.0, 0.8, 0.0, false};
const ReversalListEntry kAtU{2, 0.9, 0.7, 0.0, false};
const double kHeavyWeight = std::pow((1.0 - (1.0 + 0.1 * (0.4 - 0.8))) / (1.0 - 0.9), -1.0);

INSTANTIATE_TEST_SUITE_P(
    Rows, AllReversalWeightFault,
    ::testing::Values(WeightFaultRow{"NoFaultIsCapped", {kHeavy}, 1.0, 0},
                      WeightFaultRow{"FaultAfterAHeavyEntry", {kHeavy, kAtU}, kHeavyWeight, 1},
                      WeightFaultRow{"FaultStopsTheScan", {kHeavy, kAtU, kAtU}, kHeavyWeight, 1},
                      WeightFaultRow{"FaultAtTheFirstEntry", {kAtU, kHeavy}, 0.0, 1},
                      WeightFaultRow{"NonCountingEntryAtUIsHarmless",
                                     {{3, 0.9, 0.3, 0.0, false}, kHeavy}, 1.0, 0}),
    [](const auto& info) { return info.param.name; });

// An entry whose unloading factor overflows ((beta - gamma) * |z|^n is infinite) faults when
// it counts; the entries before it still count, and every faulting evaluation reports.
TEST(AllReversalWeightFault, FaultingFactorOfAnEntry) {
  ModelRun run;
  run.parameters.reversalRule = ReversalRule::AllReversals;
  run.pass = ModelPass::Modified;
  run.Prepare();
  int observed = 0;
  run.onWeightFault = [&observed] { ++observed; };
  run.history.Reset(5);
  run.history.U = {0, 0.0, 0.5, 0.4, 0.6, 0.55};
  run.history.Z = {0, 0.0, 0.9, 0.8, 1e200, 0.7};
  UpdateReversalLists(run, 2, 0.8, true);
  UpdateReversalLists(run, 4, 0.7, true);
  ASSERT_EQ(run.memory.maxList.size(), 2u);
  EXPECT_FALSE(run.memory.maxList[0].factorFault);
  EXPECT_TRUE(run.memory.maxList[1].factorFault);
  ModelRun first = run;
  first.memory.maxList.pop_back();
  const double expected = AllReversalWeight(first, 0.45, 1.0, 0.5);
  EXPECT_GT(expected, 0.0);
  EXPECT_EQ(AllReversalWeight(run, 0.45, 1.0, 0.5), expected);
  EXPECT_EQ(AllReversalWeight(run, 0.45, 1.0, 0.5), expected);
  EXPECT_EQ(observed, 2);
  EXPECT_EQ(run.weightFaults, 2);
}

}  // namespace
}  // namespace quarvel
