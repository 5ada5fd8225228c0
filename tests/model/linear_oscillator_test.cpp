// The integrators against the free vibration of the linear oscillator (alpha = 1, so the
// spring is the linear stiffness Fy / Uy = 4 and z has no effect; no damping, no force, m = 1):
// u(t) = u0 cos(w t), w = 2. Also one Runge-Kutta step, energies and the excitation table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/excitation_force.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

constexpr double kU0 = 0.3;
constexpr double kOmega = 2.0;

ModelParameters LinearParameters(SolutionMethod method, int32_t eulerSteps, double eps) {
  return {.alpha = 1.0, .c = 0.0, .Fy = 0.4, .Uy = 0.1, .solutionMethod = method,
          .eulerSteps = eulerSteps, .eps = eps};
}

ModelRun LinearRun(SolutionMethod method, int32_t eulerSteps, double eps, double dt, int n,
                   ModelPass pass = ModelPass::Original) {
  ModelRun run = test::ForceRun(LinearParameters(method, eulerSteps, eps), 1.0,
                                std::vector<double>(static_cast<std::size_t>(n) + 1, 0.0), dt,
                                kU0, 0.0, 0.2, pass);
  IntegrateResponse(run);
  return run;
}

double ErrorAt(const ModelRun& run, int i) {
  const auto at = static_cast<std::size_t>(i);
  return std::fabs(run.history.U[at] - kU0 * std::cos(kOmega * run.history.T[at]));
}

struct FreeVibrationRow {
  SolutionMethod method;
  int32_t eulerSteps;
  double eps;
  double tolerance;   // on the largest displacement error over one period
  double orderRatio;  // error ratio when the interval is halved (2^order); 0: not checked
};

class FreeVibration : public ::testing::TestWithParam<FreeVibrationRow> {};

TEST_P(FreeVibration, FollowsTheCosineToTheSchemesOrder) {
  const FreeVibrationRow row = GetParam();
  for (ModelPass pass : test::kBothPasses) {
    const ModelRun run = LinearRun(row.method, row.eulerSteps, row.eps, 0.01, 315, pass);
    EXPECT_FALSE(run.stoppedByFault);
    EXPECT_DOUBLE_EQ(run.history.T[315], 314 * 0.01);
    double worst = 0.0;
    for (int i = 1; i <= 315; ++i) worst = std::max(worst, ErrorAt(run, i));
    EXPECT_LT(worst, row.tolerance);
    // The acceleration stored with each sample is -k u / m.
    EXPECT_NEAR(run.history.U_DOT_DOT[200], -4.0 * run.history.U[200], 1e-12);
  }
  if (row.orderRatio > 0.0) {  // the same time span with half the interval
    const double ratio =
        ErrorAt(LinearRun(row.method, row.eulerSteps, row.eps, 0.02, 51), 51) /
        ErrorAt(LinearRun(row.method, row.eulerSteps, row.eps, 0.01, 101), 101);
    EXPECT_NEAR(ratio, row.orderRatio, 0.15 * row.orderRatio);
  }
}

// Tolerances: explicit Euler gains amplitude by (1 + (w h)^2)^(N/2), about 2 % here; the
// step-doubling Euler ends at 256 sub-steps, a hundred times less; Runge-Kutta's global error
// is about (w h)^4 w t / 120.
INSTANTIATE_TEST_SUITE_P(
    Schemes, FreeVibration,
    ::testing::Values(FreeVibrationRow{SolutionMethod::Euler, 1, 0.0, 2e-2, 2.0},
                      FreeVibrationRow{SolutionMethod::Euler, 16, 0.0, 2e-3, 0.0},
                      FreeVibrationRow{SolutionMethod::EulerStepDoubling, 128, 1e-9, 2e-4, 0.0},
                      FreeVibrationRow{SolutionMethod::RungeKutta, 1, 0.0, 4e-9, 16.0},
                      FreeVibrationRow{SolutionMethod::RungeKuttaStepDoubling, 128, 1e-9, 4e-10,
                                       0.0}),
    [](const auto& info) {
      return std::string(test::SchemeName(info.param.method)) + "_" +
             std::to_string(info.param.eulerSteps);
    });

// For y' = A y one classical Runge-Kutta step is the Taylor polynomial of degree 4 of the
// exact step: with q = w h, u1 = u0 (1 - q^2/2 + q^4/24) + v0 h (1 - q^2/6) and
// v1 = v0 (1 - q^2/2 + q^4/24) - u0 w^2 h (1 - q^2/6).
TEST(RungeKutta4Step, EqualsTheFourthOrderTaylorStepOfTheLinearOscillator) {
  ModelRun run = test::ForceRun(LinearParameters(SolutionMethod::RungeKutta, 1, 0.0), 1.0,
                                {0.0, 0.0, 0.0}, 0.1);
  run.Prepare();
  const double h = 0.1, u0 = 0.3, v0 = -0.7, q = kOmega * h;
  const double even = 1.0 - q * q / 2.0 + q * q * q * q / 24.0;
  const double odd = 1.0 - q * q / 6.0;
  StateVector y{u0, v0, 0.0};
  EXPECT_TRUE(RungeKutta4Step(run, y, StateDerivative(run, 0.0, y), 0.0, h));
  EXPECT_NEAR(y.u, u0 * even + v0 * h * odd, 1e-15);
  EXPECT_NEAR(y.uDot, v0 * even - u0 * kOmega * kOmega * h * odd, 1e-15);
  EXPECT_EQ(run.derivativeEvaluations, 4);
}

// Trapezoidal work of a linear spring telescopes to k u^2 / 2; the first segment of a
// force-driven response starts at the origin.
TEST(Energies, SumToTheSpringEnergyFromTheOriginOrFromSampleOne) {
  ModelRun run = LinearRun(SolutionMethod::RungeKutta, 1, 0.0, 0.01, 100);
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

TEST(ExcitationForce, InterpolatesAndHoldsTheLastSample) {
  struct Row {
    const char* name;
    std::vector<double> samples;  // 1-based, time step 0.5
    double t, expected;           // NaN: before the table
  };
  const std::vector<double> three{0, 1, 3, 7};
  const Row rows[] = {
      {"at the first sample", three, 0.0, 1.0},    {"halfway", three, 0.25, 2.0},
      {"at a middle sample", three, 0.5, 3.0},     {"last interval", three, 0.75, 5.0},
      {"at the last sample", three, 1.0, 7.0},     {"beyond the last sample", three, 40.0, 7.0},
      {"one sample at 0", {0, 4}, 0.0, 4.0},       {"one sample later", {0, 4}, 0.3, 4.0},
      {"truncates toward zero", three, -0.25, 0.0}, {"before the table", three, -0.5, NAN},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ExcitationForce x;
    x.Assign(row.samples, static_cast<int32_t>(row.samples.size()) - 1, 0.5);
    if (std::isnan(row.expected)) {
      EXPECT_TRUE(std::isnan(x.ExcitationAt(row.t)));
    } else {
      EXPECT_EQ(x.ExcitationAt(row.t), row.expected);
    }
  }
}

}  // namespace
}  // namespace quarvel
