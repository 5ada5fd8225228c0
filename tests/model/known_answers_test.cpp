// The model against answers it did not produce itself: the closed forms of monotonic loading and
// the energy balance of Newton's law.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/displacement_controlled.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

// Largest |Z - closed form| of the original model pushed from z = 0 to 4 Uy in steps of Uy / steps.
double MonotonicLoadingError(double n, int32_t steps, double (*closedForm)(double)) {
  ModelRun run;
  run.parameters = test::DefaultParameters(SolutionMethod::Euler);
  run.parameters.A = 1.0;
  run.parameters.beta = 0.1;
  run.parameters.gamma = 0.9;
  run.parameters.n = n;
  run.mass = 2.86;
  const double uy = run.parameters.Uy;
  std::vector<double> d{0.0};
  for (int32_t j = 0; j <= 4 * steps; ++j) d.push_back(uy * j / steps);
  const auto count = static_cast<int32_t>(d.size()) - 1;
  DisplacementControlledResponse(run, d, count, 0.01);
  double worst = 0.0;
  for (int32_t j = 1; j <= count; ++j) {
    worst = std::max(worst, std::abs(run.history.Z[j] - closedForm(d[j] / uy)));
  }
  return worst;
}

// Under monotonic loading with A = 1 and beta + gamma = 1, dz/du = (1 - z^n) / Uy, whose solutions
// from z = 0 are tanh(u / Uy) for n = 2 and 1 - exp(-u / Uy) for n = 1. The pass steps z
// explicitly once per sample: its error is below the step (in units of Uy) and halves with it.
TEST(KnownAnswers, MonotonicLoadingOfTheOriginalModelFollowsTheClosedForm) {
  struct Row {
    const char* name;
    double n;
    double (*closedForm)(double);
  };
  const Row rows[] = {
      {.name = "n = 2: tanh", .n = 2.0, .closedForm = [](double x) { return std::tanh(x); }},
      {.name = "n = 1: 1 - exp", .n = 1.0, .closedForm = [](double x) { return 1 - std::exp(-x); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const double coarse = MonotonicLoadingError(row.n, 200, row.closedForm);
    const double fine = MonotonicLoadingError(row.n, 400, row.closedForm);
    EXPECT_LT(coarse, 1.0 / 200);
    EXPECT_GT(coarse, 0.0);
    EXPECT_NEAR(coarse / fine, 2.0, 0.1);
  }
}

// Input energy = kinetic + damping + elastic + hysteretic at every sample of a force record that
// yields the spring: the work of the record over the computed displacement against
// m v^2 / 2 + the trapezoidal sum of c v du + alpha k U^2 / 2 + Eh (the program's hysteretic
// energy). Each term's trapezoidal sum errs by O(dt^2); the scheme's own error is far smaller.
TEST(KnownAnswers, EnergyBalanceOfAForceRecordHoldsAtEverySample) {
  const double dt = 0.02, mass = 2.86;
  const std::vector<double> force = test::SineSamples(5.0, 1.5, dt, 501);
  for (const ModelPass pass : test::kBothPasses) {
    SCOPED_TRACE(pass == ModelPass::Original ? "original" : "modified");
    ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKuttaStepDoubling);
    p.c = 0.5;
    ModelRun run = test::ForceRun(p, mass, force, dt, 0.0, 0.0, 0.0, pass);
    IntegrateResponse(run);
    ASSERT_FALSE(run.stoppedByFault);
    ResponseHistory& h = run.history;
    h.ComputeEnergies(true);
    ASSERT_GT(*std::ranges::max_element(h.Z), 0.9) << "the record should yield the spring";

    double input = 0.0, damping = 0.0, worst = 0.0, largest = 0.0;
    for (int32_t j = 1; j < h.SampleCount(); ++j) {
      const double du = h.U[j + 1] - h.U[j];
      input += 0.5 * (force[j] + force[j + 1]) * du;
      damping += 0.5 * p.c * (h.U_DOT[j] + h.U_DOT[j + 1]) * du;
      const double u = h.U[j + 1], v = h.U_DOT[j + 1];
      const double stored =
          0.5 * mass * v * v + damping + 0.5 * p.PostYieldStiffness() * u * u + h.Eh[j + 1];
      worst = std::max(worst, std::abs(input - stored));
      largest = std::max(largest, std::abs(input));
    }
    EXPECT_GT(h.Eh.back(), 0.1 * largest) << "the hysteretic term should matter";
    EXPECT_LT(worst, 2e-3 * largest);
  }
}

}  // namespace
}  // namespace quarvel
