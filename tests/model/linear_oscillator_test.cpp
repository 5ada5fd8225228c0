// The integrators against the free vibration of the linear oscillator (alpha = 1, so the
// spring is the linear stiffness Fy / Uy and z has no effect; no damping, no force):
// u(t) = u0 cos(w t), w^2 = k / m.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/excitation_force.h"
#include "model/integration.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

using test::SchemeName;

constexpr double kU0 = 0.3;

// k = Fy / Uy = 4, m = 1: w = 2.
ModelParameters LinearParameters(SolutionMethod method, int32_t eulerSteps, double eps) {
  ModelParameters p = test::DefaultParameters(method);
  p.alpha = 1.0;
  p.c = 0.0;
  p.Fy = 0.4;
  p.Uy = 0.1;
  p.eulerSteps = eulerSteps;
  p.eps = eps;
  return p;
}

constexpr double kOmega = 2.0;

ModelRun LinearRun(SolutionMethod method, int32_t eulerSteps, double eps, double dt, int n,
                   ModelPass pass) {
  ModelRun run = test::ForceRun(LinearParameters(method, eulerSteps, eps), 1.0,
                                std::vector<double>(static_cast<std::size_t>(n) + 1, 0.0), dt,
                                kU0, 0.0, 0.2);
  run.pass = pass;
  IntegrateResponse(run);
  return run;
}

double MaxError(const ModelRun& run) {
  double worst = 0.0;
  for (int i = 1; i <= run.history.SampleCount(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    worst = std::max(worst, std::fabs(run.history.U[at] - kU0 * std::cos(kOmega * run.history.T[at])));
  }
  return worst;
}

struct FreeVibrationRow {
  SolutionMethod method;
  int32_t eulerSteps;
  double eps;
  double tolerance;  // on the largest displacement error over one period
};

class FreeVibration : public ::testing::TestWithParam<FreeVibrationRow> {};

TEST_P(FreeVibration, FollowsTheCosineInBothPasses) {
  const FreeVibrationRow row = GetParam();
  for (ModelPass pass : {ModelPass::Original, ModelPass::Modified}) {
    const ModelRun run = LinearRun(row.method, row.eulerSteps, row.eps, 0.01, 315, pass);
    EXPECT_FALSE(run.stoppedByFault);
    EXPECT_DOUBLE_EQ(run.history.T[315], 314 * 0.01);
    EXPECT_LT(MaxError(run), row.tolerance);
    // The acceleration stored with each sample is -k u / m.
    EXPECT_NEAR(run.history.U_DOT_DOT[200], -4.0 * run.history.U[200], 1e-12);
  }
}

// Tolerances: explicit Euler gains amplitude by (1 + (w h)^2)^(N/2), about 2 % here; the
// step-doubling Euler ends at 256 sub-steps, a hundred times less; Runge-Kutta's global error
// is about (w h)^4 w t / 120.
INSTANTIATE_TEST_SUITE_P(
    Schemes, FreeVibration,
    ::testing::Values(FreeVibrationRow{SolutionMethod::Euler, 1, 0.0, 2e-2},
                      FreeVibrationRow{SolutionMethod::Euler, 16, 0.0, 2e-3},
                      FreeVibrationRow{SolutionMethod::EulerStepDoubling, 128, 1e-9, 2e-4},
                      FreeVibrationRow{SolutionMethod::RungeKutta, 0, 0.0, 4e-9},
                      FreeVibrationRow{SolutionMethod::RungeKuttaStepDoubling, 128, 1e-9, 4e-10}),
    [](const auto& info) {
      return std::string(SchemeName(info.param.method)) + "_" +
             std::to_string(info.param.eulerSteps);
    });

struct OrderRow {
  SolutionMethod method;
  double expectedRatio;
};

class OrderOfConvergence : public ::testing::TestWithParam<OrderRow> {};

// Halving the sample interval over the same time span divides the error at the end by 2^order.
TEST_P(OrderOfConvergence, HalvingTheStepDividesTheErrorBy2ToTheOrder) {
  const OrderRow row = GetParam();
  auto errorAtEnd = [&](double dt, int n) {
    const ModelRun run = LinearRun(row.method, 1, 0.0, dt, n, ModelPass::Original);
    const auto last = static_cast<std::size_t>(n);
    return std::fabs(run.history.U[last] - kU0 * std::cos(kOmega * run.history.T[last]));
  };
  const double ratio = errorAtEnd(0.02, 51) / errorAtEnd(0.01, 101);
  EXPECT_NEAR(ratio, row.expectedRatio, 0.15 * row.expectedRatio);
}

INSTANTIATE_TEST_SUITE_P(Schemes, OrderOfConvergence,
                         ::testing::Values(OrderRow{SolutionMethod::Euler, 2.0},
                                           OrderRow{SolutionMethod::RungeKutta, 16.0}),
                         [](const auto& info) { return SchemeName(info.param.method); });

// For y' = A y one classical Runge-Kutta step is the Taylor polynomial of degree 4 of the
// exact step: with q = w h, u1 = u0 (1 - q^2/2 + q^4/24) + v0 h (1 - q^2/6) and
// v1 = v0 (1 - q^2/2 + q^4/24) - u0 w^2 h (1 - q^2/6).
TEST(RungeKutta4Step, EqualsTheFourthOrderTaylorStepOfTheLinearOscillator) {
  ModelRun run = test::ForceRun(LinearParameters(SolutionMethod::RungeKutta, 1, 0.0), 1.0,
                                {0.0, 0.0, 0.0}, 0.1);
  run.Prepare();
  const double h = 0.1;
  const double u0 = 0.3;
  const double v0 = -0.7;
  const double q = kOmega * h;
  const double even = 1.0 - q * q / 2.0 + q * q * q * q / 24.0;
  const double odd = 1.0 - q * q / 6.0;
  StateVector y{u0, v0, 0.0};
  const StateVector k1 = StateDerivative(run, 0.0, y);
  EXPECT_TRUE(RungeKutta4Step(run, y, k1, 0.0, h));
  EXPECT_NEAR(y.u, u0 * even + v0 * h * odd, 1e-15);
  EXPECT_NEAR(y.uDot, v0 * even - u0 * kOmega * kOmega * h * odd, 1e-15);
  EXPECT_EQ(run.derivativeEvaluations, 4);
}

// Trapezoidal work of a linear spring telescopes to k u^2 / 2; the first segment of a
// force-driven response starts at the origin.
TEST(Energies, SumToTheSpringEnergyFromTheOriginOrFromSampleOne) {
  ModelRun run = LinearRun(SolutionMethod::RungeKutta, 1, 0.0, 0.01, 100, ModelPass::Original);
  ResponseHistory& h = run.history;
  h.ComputeEnergies(true);
  EXPECT_EQ(h.Et[0], 0.0);
  EXPECT_DOUBLE_EQ(h.Et[1], 0.5 * h.U[1] * h.F[1]);
  EXPECT_NE(h.Et[1], 0.0);
  for (std::size_t j = 1; j <= 100; ++j) {
    EXPECT_NEAR(h.Et[j], 2.0 * h.U[j] * h.U[j], 1e-14);
    EXPECT_EQ(h.Eh[j], 0.0);  // alpha = 1: no hysteretic force
  }
  h.ComputeEnergies(false);
  EXPECT_EQ(h.Et[1], 0.0);
  EXPECT_NEAR(h.Et[100], 2.0 * (h.U[100] * h.U[100] - h.U[1] * h.U[1]), 1e-14);
}

TEST(IntegrateResponse, OneSampleGivesTheInitialSampleOnly) {
  for (SolutionMethod method : test::kAllSchemes) {
    ModelRun run = test::ForceRun(test::DefaultParameters(method), 2.0, {0.0, 3.0}, 0.02, 0.1,
                                  0.5, 0.25);
    IntegrateResponse(run);
    const ResponseHistory& h = run.history;
    ASSERT_EQ(h.SampleCount(), 1);
    EXPECT_EQ(run.derivativeEvaluations, 0);
    EXPECT_EQ(h.U[1], 0.1);
    EXPECT_EQ(h.Z[1], 0.25);
    const double f = 0.1 * 2.86 / 0.111 * 0.1 + (1.0 - 0.1) * 2.86 * 0.25;
    EXPECT_EQ(h.F[1], f);
    EXPECT_EQ(h.U_DOT_DOT[1], (3.0 - f - 0.0 * 0.5) / 2.0);  // uses X[1]
  }
}

struct ExcitationRow {
  const char* name;
  std::vector<double> samples;  // 1-based
  double t;
  double expected;
};

class ExcitationAtTest : public ::testing::TestWithParam<ExcitationRow> {};

TEST_P(ExcitationAtTest, InterpolatesAndHoldsTheLastSample) {
  const ExcitationRow& row = GetParam();
  ExcitationForce x;
  x.Assign(row.samples, static_cast<int32_t>(row.samples.size()) - 1, 0.5);
  if (std::isnan(row.expected)) {
    EXPECT_TRUE(std::isnan(x.ExcitationAt(row.t)));
  } else {
    EXPECT_EQ(x.ExcitationAt(row.t), row.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExcitationAtTest,
    ::testing::Values(ExcitationRow{"AtFirstSample", {0, 1, 3, 7}, 0.0, 1.0},
                      ExcitationRow{"Halfway", {0, 1, 3, 7}, 0.25, 2.0},
                      ExcitationRow{"AtMiddleSample", {0, 1, 3, 7}, 0.5, 3.0},
                      ExcitationRow{"LastInterval", {0, 1, 3, 7}, 0.75, 5.0},
                      ExcitationRow{"AtLastSample", {0, 1, 3, 7}, 1.0, 7.0},
                      ExcitationRow{"BeyondLastSample", {0, 1, 3, 7}, 40.0, 7.0},
                      ExcitationRow{"OneSampleAtZero", {0, 4}, 0.0, 4.0},
                      ExcitationRow{"OneSampleLater", {0, 4}, 0.3, 4.0},
                      ExcitationRow{"TruncatesTowardZero", {0, 1, 3, 7}, -0.25, 0.0},
                      ExcitationRow{"BeforeTheTable", {0, 1, 3, 7}, -0.5, std::nan("")}),
    [](const auto& info) { return info.param.name; });

TEST(ExcitationForce, GroundAccelerationPushesTheMassTheOtherWay) {
  const std::vector<double> acceleration{0.0, 0.5, -2.0};
  ExcitationForce x;
  x.AssignGroundAcceleration(acceleration, 2, 0.01, 3.0, 1);
  EXPECT_EQ(x.X, (std::vector<double>{0.0, -0.5 * 3.0 * 9.81, 2.0 * 3.0 * 9.81}));
  x.AssignGroundAcceleration(acceleration, 2, 0.01, 3.0, 0);
  EXPECT_EQ(x.X, (std::vector<double>{0.0, -1.5, 6.0}));
  x.AssignGroundAcceleration(acceleration, 2, 0.01, 3.0, 2);  // no unit system known
  EXPECT_EQ(x.X, (std::vector<double>{0.0, 0.0, 0.0}));
}

}  // namespace
}  // namespace quarvel
