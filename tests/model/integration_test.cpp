// The integration frame and its four schemes where whole solves (pinned bit for bit by the solve
// digests, faults and stopped Runge-Kutta runs included) never go: sub-step counts, several Euler
// sub-steps, accuracy and order, displaced starts, one sample, the ends of the excitation table,
// the order of the Runge-Kutta fault checks, and the steps the modified pass takes over.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "model/excitation_force.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

using M = SolutionMethod;

// The schemes' names, in SolutionMethod's order.
const char* Name(M method) {
  constexpr const char* kNames[] = {"Euler", "Euler with step doubling", "Runge-Kutta",
                                    "Runge-Kutta with step doubling"};
  return kNames[static_cast<int>(method)];
}

// Euler takes eulerSteps slopes per interval; step-doubling trials of 1, 2, ..., m sub-steps take
// 1 + 2 + ... + m, four times that for Runge-Kutta; eps = 0 runs on to 256 sub-steps unless two
// trials agree exactly (at rest). Over 6 samples (5 intervals), displaced when forced (from rest
// the first Euler trials agree exactly); one sample is the initial state alone.
TEST(Schemes, EvaluationsPerRun) {
  struct Row { const char* name; M method; int32_t eulerSteps; double eps, force; int samples;
      int64_t count; };
  const Row rows[] = {
      {"Euler with 7 sub-steps", M::Euler, 7, 0.0, 5.0, 6, 5 * 7},
      {"Euler doubling to 256", M::EulerStepDoubling, 128, 0.0, 5.0, 6, 5 * 511},
      {"Euler doubling met at once", M::EulerStepDoubling, 128, 1e300, 5.0, 6, 5 * 3},
      {"Euler doubling at rest", M::EulerStepDoubling, 128, 0.0, 0.0, 6, 5 * 3},
      {"Runge-Kutta", M::RungeKutta, 0, 0.0, 5.0, 6, 5 * 4},
      {"RK doubling to 256", M::RungeKuttaStepDoubling, 128, 0.0, 5.0, 6, 5 * 4 * 511},
      {"RK doubling met at once", M::RungeKuttaStepDoubling, 128, 1e300, 5.0, 6, 5 * 12},
      // One sample ends in the shared frame: once as Runge-Kutta runs it (stopping at faults).
      {"Euler, 1 sample", M::Euler, 1, 0, 5, 1, 0}, {"RK, 1 sample", M::RungeKutta, 1, 0, 5, 1, 0},
  };
  for (const Row& row : rows) {
    const ModelParameters p{.solutionMethod = row.method, .eulerSteps = row.eulerSteps,
                            .eps = row.eps};
    const double u0 = row.force > 0.0 ? 0.01 : 0.0;
    ModelRun run = test::ForceRun(p, 2.86, test::SineSamples(row.force, 1.0, 0.02, row.samples),
                                  0.02, u0, 0.0, 0.0, ModelPass::Modified);
    IntegrateResponse(run);
    SCOPED_TRACE(row.name);
    EXPECT_EQ(run.derivativeEvaluations, row.count);
  }
}

// The linear oscillator (alpha = 1: stiffness Fy / Uy = 4, z without effect; m = 1, no damping,
// no force) released from u = 0.3: u(t) = 0.3 cos(2 t).
ModelRun FreeVibration(M method, int32_t eulerSteps, ModelPass pass, int n, double dt = 0.01) {
  const ModelParameters p{.alpha = 1.0, .c = 0.0, .Fy = 0.4, .Uy = 0.1, .solutionMethod = method,
                          .eulerSteps = eulerSteps, .eps = 1e-9};
  ModelRun run = test::ForceRun(p, 1.0, std::vector<double>(static_cast<std::size_t>(n) + 1, 0.0),
                                dt, 0.3, 0.0, 0.2, pass);
  IntegrateResponse(run);
  return run;
}

double ErrorAt(const ModelRun& run, std::size_t i) {
  return std::fabs(run.history.U[i] - 0.3 * std::cos(2.0 * run.history.T[i]));
}

// Largest error over one period: explicit Euler gains amplitude by (1 + (w h)^2)^(N/2), about
// 2 %; 16 sub-steps or doubling to 256 shrink that; Runge-Kutta's error is about
// (w h)^4 w t / 120. Halving the interval over one second divides the error by 2^order.
TEST(Schemes, FollowTheFreeVibrationToTheirOrder) {
  struct Row { M method; int32_t eulerSteps; double tolerance, orderRatio; };
  const Row rows[] = {{M::Euler, 1, 2e-2, 2.0}, {M::Euler, 16, 2e-3, 0.0},
                      {M::EulerStepDoubling, 128, 2e-4, 0.0}, {M::RungeKutta, 1, 4e-9, 16.0},
                      {M::RungeKuttaStepDoubling, 128, 4e-10, 0.0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(Name(row.method)) + ", Euler steps " + std::to_string(row.eulerSteps));
    for (ModelPass pass : test::kBothPasses) {
      const ModelRun run = FreeVibration(row.method, row.eulerSteps, pass, 315);
      double worst = 0.0;
      for (std::size_t i = 1; i <= 315; ++i) worst = std::max(worst, ErrorAt(run, i));
      EXPECT_LT(worst, row.tolerance);
    }
    if (row.orderRatio > 0.0) {
      const double ratio =
          ErrorAt(FreeVibration(row.method, 1, ModelPass::Original, 51, 0.02), 51) /
          ErrorAt(FreeVibration(row.method, 1, ModelPass::Original, 101), 101);
      EXPECT_NEAR(ratio, row.orderRatio, 0.15 * row.orderRatio);
    }
  }
}

// Samples 1-based with time step 0.5; NaN before the table.
TEST(ExcitationForce, InterpolatesAndHoldsTheLastSample) {
  struct Row { const char* name; std::vector<double> samples; double t, expected; };
  const std::vector<double> three{0, 1, 3, 7};
  const Row rows[] = {
      {"last interval", three, 0.75, 5.0},          {"at the last sample", three, 1.0, 7.0},
      {"beyond the last sample", three, 40.0, 7.0}, {"one sample", {0, 4}, 0.3, 4.0},
      {"truncates toward zero", three, -0.25, 0.0}, {"before the table", three, -0.5, NAN},
  };
  for (const Row& row : rows) {
    ExcitationForce x;
    x.Assign(row.samples, static_cast<int32_t>(row.samples.size()) - 1, 0.5);
    const double value = x.ExcitationAt(row.t);
    if (std::isnan(row.expected)) {
      EXPECT_TRUE(std::isnan(value)) << row.name;
    } else {
      EXPECT_EQ(value, row.expected) << row.name;
    }
  }
}

// Regression: Runge-Kutta completes a sample value by value, F, U_DOT_DOT, then Fh, and ends the
// pass at the first that is not finite, leaving the values after it at zero. The other schemes
// complete all three and go on.
TEST(Faults, RungeKuttaCompletesASampleUpToItsFirstNonFiniteValue) {
  struct Row { const char* name; double mass, u0; bool accelerationComputed /* by RK */; };
  const Row rows[] = {{"no mass: F = -1.287, U_DOT_DOT infinite", 0.0, 0.0, true},
                      {"F overflows", 1.0, 1e308, false}};
  for (const Row& row : rows) {
    for (M method : test::kAllSchemes) {
      for (ModelPass pass : test::kBothPasses) {
        SCOPED_TRACE(std::string(row.name) + ", " + Name(method));
        const ModelParameters p = test::DefaultParameters(method);
        ModelRun run = test::ForceRun(p, row.mass, {0.0, 0.0, 1.0, 2.0}, 0.02, row.u0, 0.0, -0.5,
                                      pass);
        IntegrateResponse(run);
        const ResponseHistory& h = run.history;
        const bool rk = method == M::RungeKutta;
        EXPECT_EQ(run.stoppedByFault, rk);
        EXPECT_NE(h.F[1], 0.0);
        if (rk) {
          EXPECT_EQ(h.Fh[1], 0.0);  // never reached
          EXPECT_EQ(h.U[2], 0.0);   // the pass ended at sample 1
          EXPECT_EQ(run.sample, 1);  // where the fault report places it
        } else {
          EXPECT_EQ(h.Fh[1], p.HystereticScale() * -0.5);
        }
        if (!rk || row.accelerationComputed) {
          EXPECT_FALSE(std::isfinite(h.U_DOT_DOT[1]));
        } else {
          EXPECT_EQ(h.U_DOT_DOT[1], 0.0);
        }
      }
    }
  }
}

// Regression: within a derivative evaluation too Runge-Kutta ends at the first fault in order. A
// non-finite acceleration (no mass) ends it before the z-rate, so the reload weight at that state,
// which would fault (u at a list entry's u divides by zero), is never evaluated; with a mass the
// same state reports the weight's fault.
TEST(Faults, RungeKuttaEndsAtANonFiniteAccelerationBeforeTheReloadWeight) {
  for (const double mass : {0.0, 2.86}) {
    ModelParameters p = test::DefaultParameters(M::RungeKutta);
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

// While the modified pass is the original model (a record that never reloads toward a remembered
// reversal), it takes over the original's steps and evaluates nothing itself.
TEST(BothPasses, ModifiedPassTakesOverTheOriginalStepsWhileTheyAgree) {
  const std::vector<double> force = test::SineSamples(5.0, 3.0, 0.02, 301);
  for (M method : test::kAllSchemes) {
    SCOPED_TRACE(Name(method));
    ModelRun original = test::ForceRun(test::DefaultParameters(method), 2.86, force, 0.02);
    ModelRun modified = original;
    IntegrateBothPasses(original, modified);
    EXPECT_GT(original.derivativeEvaluations, 0);
    EXPECT_EQ(modified.derivativeEvaluations, 0);
    EXPECT_EQ(modified.history.U, original.history.U);
  }
}

}  // namespace
}  // namespace quarvel
