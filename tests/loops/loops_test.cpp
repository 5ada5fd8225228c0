// Closed loops and their work: hand-made paths with works known by hand, and solved models with
// works known in closed form (a linear spring, a straight unloading-reloading line, an
// exponential reloading branch).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "experiments/generated_experiments.h"
#include "loops/energy_audit.h"
#include "solve/solve_experiments.h"

namespace quarvel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A response whose samples 1..N are (u[i], f[i]) at T = 0, 1, 2, ...
ResponseHistory Path(const std::vector<double>& u, const std::vector<double>& f) {
  ResponseHistory r;
  r.Reset(static_cast<int32_t>(u.size()));
  for (std::size_t i = 0; i < u.size(); ++i) {
    std::tie(r.T[i + 1], r.U[i + 1], r.F[i + 1]) = std::tuple(double(i), u[i], f[i]);
  }
  return r;
}

struct Want { int32_t start, turn, close; double fraction, uRange, work, scale; bool violation; };

// Round-off alone: 5 segments whose |F dU| add up to 16.
constexpr double kRectangleScale = 4 * 5 * std::numeric_limits<double>::epsilon() * 16;

// Works are the trapezoids by hand; the two rectangles are run both ways round (area 16).
TEST(FindClosedLoops, HandMadePaths) {
  struct Row { const char* name; CycleKind kind; std::vector<double> u, f;
               std::vector<Want> loops; };
  using enum CycleKind;
  const Row rows[] = {
      {"rectangle anticlockwise", Displacement, {0, 4, 2, 0, 0, 2, 4, 5}, {0, 4, 4, 4, 0, 0, 0, 0},
       {{2, 4, 7, 1.0, 4.0, -16.0, kRectangleScale, true}}},
      {"rectangle clockwise", Displacement, {0, 4, 2, 0, 0, 2, 4, 5}, {4, 0, 0, 0, 4, 4, 4, 4},
       {{2, 4, 7, 1.0, 4.0, 16.0, kRectangleScale, false}}},
      {"return between samples", Displacement, {0, 2, 1, 3}, {0, 2, 0, 2},
       {{2, 3, 4, 0.5, 1.0, -0.5, 1.5, false}}},
      {"minimum first", Displacement, {0, -2, -1, -2.5}, {0, 0, 1, 1},
       {{2, 3, 4, 2.0 / 3, 1.0, -0.5, 0.5, false}}},
      {"a plateau's first sample is the reversal", Displacement, {0, 2, 2, 1, 2}, {0, 1, 2, 0, 0},
       {{2, 4, 5, 1.0, 1.0, -1.0, 1.0, false}}},
      {"nested: the inner loop closes first", Displacement, {0, 4, 1, 3, 2, 3.5, 5},
       {0, 4, 1, 3, 2, 3.5, 5}, {{4, 5, 6, 2.0 / 3, 1.0, 0.0, 1.0, false},
                                  {2, 3, 7, 1.0 / 3, 3.0, 0.0, 8.25, false}}},
      {"a return short of the reversal", Displacement, {0, 4, 1, 3.9}, {0, 1, 2, 3}, {}},
      {"the walk ends at a non-finite force", Displacement, {0, 2, 1, 2}, {0, 1, kNaN, 1}, {}},
      // Over a cycle of F the work is that of (F - 4) dU: 16 along the bottom edge.
      {"force cycle", Force, {0, 4, 4, 4, 0, 0, 0, 0}, {0, 4, 2, 0, 0, 2, 4, 5},
       {{2, 4, 7, 1.0, 4.0, 16.0, kRectangleScale, false}}},
  };
  for (const Row& row : rows) {
    const std::vector<ClosedLoop> loops = FindClosedLoops(Path(row.u, row.f), row.kind);
    ASSERT_EQ(loops.size(), row.loops.size()) << row.name;
    for (std::size_t k = 0; k < loops.size(); ++k) {
      const Want& want = row.loops[k];
      EXPECT_EQ(loops[k].startSample, want.start) << row.name;
      EXPECT_EQ(loops[k].turnSample, want.turn) << row.name;
      EXPECT_EQ(loops[k].closeSample, want.close) << row.name;
      EXPECT_DOUBLE_EQ(loops[k].closeFraction, want.fraction) << row.name;
      EXPECT_DOUBLE_EQ(loops[k].closeTime, want.close - 2 + want.fraction) << row.name;
      EXPECT_DOUBLE_EQ(loops[k].displacementRange, want.uRange) << row.name;
      EXPECT_NEAR(loops[k].work, want.work, 1e-12) << row.name;
      EXPECT_NEAR(loops[k].scale, want.scale, 1e-9 * want.scale) << row.name;
      EXPECT_EQ(loops[k].violation, want.violation) << row.name;
    }
  }
}

// A displacement protocol through the given levels (multiples of uy) in steps of h uy.
Experiment Protocol(const std::vector<double>& levels, double h, double uy) {
  Experiment e{.name = "protocol", .weight = 1, .mass = 2.86, .timeStep = 0.05, .force = {},
               .displacement = {0.0, 0.0}, .acceleration = {},
               .dataType = ExperimentDataType::Displacement};
  double at = 0.0;
  for (const double level : levels) {
    const double direction = level > at ? 1.0 : -1.0;
    for (long k = std::lround(std::fabs(level - at) / h); k > 0; --k) {
      e.displacement.push_back(e.displacement.back() + direction * h * uy);
    }
    at = level;
  }
  e.counter = static_cast<int32_t>(e.displacement.size()) - 1;
  return e;
}

constexpr ModelParameters kDefaults{.eulerSteps = 128, .eps = 1e-9};

// With a = 1 the spring force is k U, whose work over a closed cycle is 0, loop by loop, for a
// prescribed displacement and for the six force records (cycles of U and of F).
TEST(EnergyAudit, LinearSpringLoopsDoNoWork) {
  ModelParameters p = kDefaults;
  p.alpha = 1.0;
  ExperimentSet set;
  CreateSineForceExperiments(set);
  set.Append(Protocol({3, 2, 4, 1, 4.5}, 0.005, p.Uy));
  for (const Experiment& e : set.Records()) {
    ExperimentResults r;
    SolveExperiment(e, p, r);
    const std::vector<ClosedLoop> loops = AuditedLoops(r.original, AuditsForceCycles(e.dataType));
    EXPECT_FALSE(loops.empty()) << e.name;
    for (const ClosedLoop& loop : loops) {
      EXPECT_LE(std::fabs(loop.work), 1e-12 * loop.displacementRange * loop.forceRange) << e.name;
    }
  }
}

// beta = gamma = 0.5, n = 1: unloading follows the elastic line dz/du = 1 / Uy. Loading from rest
// to ua = 3 Uy gives za = 1 - exp(-3); unloading to ub = ua - D, zb = za - D / Uy. The modified
// model reloads along the same line (work 0, force range k D); the original along
// dz/du = (1 - z) / Uy, so
// W = (1 - a) Fy ((1 - zb)(D - Uy (1 - exp(-D / Uy))) - D^2 / (2 Uy)). The explicit step of
// 0.005 Uy errs by 0.13 % of it.
TEST(EnergyAudit, InnerLoopOfAStraightUnloadingLineMatchesTheClosedForms) {
  ModelParameters p = kDefaults;
  std::tie(p.beta, p.gamma, p.n) = std::tuple(0.5, 0.5, 1.0);
  ExperimentResults r;
  SolveExperiment(Protocol({3, 2.5, 3.5}, 0.005, p.Uy), p, r);
  const LoopAudit audit = AuditLoops(r.original, r.modified, false);
  ASSERT_EQ(audit.rows.size(), 1u);
  ASSERT_TRUE(audit.rows[0].modified.has_value());
  EXPECT_NEAR(audit.rows[0].modified->forceRange, 0.5 * p.Fy, 1e-12);  // k D, k = Fy / Uy
  EXPECT_LE(std::fabs(audit.rows[0].modified->work), 1e-15);
  const double D = 0.5 * p.Uy, zb = 1.0 - std::exp(-3.0) - 0.5;
  const double closedForm = (1.0 - p.alpha) * p.Fy *
      ((1.0 - zb) * (D - p.Uy * (1.0 - std::exp(-D / p.Uy))) - D * D / (2.0 * p.Uy));
  ASSERT_TRUE(audit.rows[0].original.has_value());
  EXPECT_NEAR(audit.rows[0].original->work, closedForm, 0.01 * std::fabs(closedForm));
}

// Loops of two responses pair up where they start and turn at the same samples; the others
// keep a row of their own, all in closing order, and each model counts its own.
TEST(EnergyAudit, PairsTheModelsLoopsByTheirReversals) {
  const ResponseHistory original =
      Path({0, 4, 2, 0, 0, 2, 4, 3, 2, 4.5}, {0, 4, 4, 4, 0, 0, 0, 1, 1, 1});
  const ResponseHistory modified = Path({0, 4, 2, 0, 0, 2, 4.5}, {4, 0, 0, 0, 4, 4, 4});
  const LoopAudit audit = AuditLoops(original, modified, false);
  ASSERT_EQ(audit.rows.size(), 2u);
  EXPECT_TRUE(audit.rows[0].modified.has_value());
  EXPECT_FALSE(audit.rows[1].modified.has_value());
  EXPECT_EQ(audit.original.loops, 2);
  EXPECT_EQ(audit.original.worstRow, 1);
}

}  // namespace
}  // namespace quarvel
