// Responses to a prescribed displacement.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "model/displacement_controlled.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

// A ramp protocol in steps of 0.005 Uy: up 1.5 Uy, down 2.24 Uy, up 1.5 Uy, down 1 Uy, up 2 Uy.
std::vector<double> RampProtocol(double uy) {
  std::vector<double> d{0.0, 0.0};
  for (const auto& [steps, direction] :
       {std::pair{300, 1}, {449, -1}, {301, 1}, {201, -1}, {401, 1}}) {
    for (int k = 0; k < steps; ++k) d.push_back(d.back() + direction * (uy * 0.1 * 0.05));
  }
  return d;
}

ModelRun DcRun(ReversalRule rule) {
  ModelRun run;
  run.parameters = test::DefaultParameters(SolutionMethod::RungeKuttaStepDoubling);
  run.parameters.reversalRule = rule;
  run.parameters.c = 0.3;
  run.mass = 2.86;
  return run;
}

TEST(DisplacementControlled, OriginalPassDifferencesAndStartFromZeroZ) {
  ModelRun run = DcRun(ReversalRule::AllReversals);
  run.initialZ = 0.7;  // not used: z starts at 0
  DisplacementControlledResponse(run, std::vector<double>{0.0, 0.0, 0.01, 0.03, 0.02}, 4, 0.5);
  const ResponseHistory& h = run.history;
  EXPECT_EQ(h.T, (std::vector<double>{0, 0, 0.5, 1.0, 1.5}));
  EXPECT_EQ(h.U_DOT[1], (0.01 - 0.0) / 0.5);
  EXPECT_EQ(h.U_DOT[3], (0.02 - 0.03) / 0.5);
  EXPECT_EQ(h.U_DOT[4], h.U_DOT[3]);
  EXPECT_EQ(h.U_DOT_DOT[4], h.U_DOT_DOT[3]);
  EXPECT_EQ(h.Z[1], 0.0);
  EXPECT_GT(h.Z[2], 0.0);
  EXPECT_NE(run.zDot[4], 0.0);  // the original pass rates every sample
  EXPECT_EQ(h.Fext[2], 2.86 * h.U_DOT_DOT[2] + h.F[2] + 0.3 * h.U_DOT[2]);
  EXPECT_EQ(h.F[3], run.parameters.PostYieldStiffness() * h.U[3] + h.Fh[3]);
}

TEST(DisplacementControlled, ModifiedPassUnderEveryRule) {
  std::vector<double> ramp(401, 0.0);
  for (std::size_t i = 1; i <= 400; ++i) ramp[i] = 0.0005 * static_cast<double>(i - 1);
  const std::vector<double> d = RampProtocol(0.111);
  const auto n = static_cast<int32_t>(d.size()) - 1;
  for (ReversalRule rule : test::kAllRules) {
    SCOPED_TRACE(test::RuleName(rule));
    // Without reversals the modified rate is the original one, operation for operation.
    ModelRun original = DcRun(rule);
    DisplacementControlledResponse(original, ramp, 400, 0.05);
    ModelRun modified = DcRun(rule);
    DisplacementControlledModifiedResponse(modified, ramp, 400, 0.05, 0.0, 0.0, original.history.Z);
    EXPECT_EQ(modified.history.Z, original.history.Z);
    EXPECT_EQ(modified.history.Fext, original.history.Fext);
    EXPECT_EQ(modified.zDot[400], 0.0);  // the modified pass rates samples 1..N-1 only

    // With reversals it bends the reloading branches and depends on nothing but its inputs:
    // a run object that has been through other passes gives the same arrays.
    ModelRun fresh = DcRun(rule);
    DisplacementControlledModifiedResponse(fresh, d, n, 0.05, 0.0, 0.0, {});
    ModelRun reused = DcRun(rule);
    DisplacementControlledModifiedResponse(reused, RampProtocol(0.2), n, 0.05, 0.01, 0.3, {});
    DisplacementControlledResponse(reused, d, n, 0.05);
    const std::vector<double> originalZ = reused.history.Z;
    DisplacementControlledModifiedResponse(reused, d, n, 0.05, 0.0, 0.0, {});
    EXPECT_EQ(reused.history.Z, fresh.history.Z);
    EXPECT_EQ(reused.reversalIndices.lastPlus, fresh.reversalIndices.lastPlus);
    EXPECT_NE(fresh.history.Z, originalZ);
  }
}

// Index histories start at 1; the plateau at samples 3-4 and the trough at 5 (z > 0) record
// nothing; the peak at 7 is recorded once sample 8 is known.
TEST(DisplacementControlled, ReversalIndicesStartAtOneAndFollowStrictPeaks) {
  const std::vector<double> d{0.0, 0.0, 0.02, 0.04, 0.04, 0.03, 0.05, 0.07, 0.06, 0.05};
  for (ReversalRule rule : test::kAllRules) {
    ModelRun run = DcRun(rule);
    run.parameters.skipWithinDominanceZone = false;
    DisplacementControlledModifiedResponse(run, d, 9, 0.05, 0.0, 0.0, {});
    const ReversalIndexHistory& r = run.reversalIndices;
    EXPECT_EQ(r.maxMinus[1], 1);
    const std::vector<int32_t> lastPlus(r.lastPlus.begin() + 1, r.lastPlus.end());
    if (rule == ReversalRule::AllReversals) {
      EXPECT_EQ(lastPlus, std::vector<int32_t>(9, 1));
      ASSERT_EQ(run.memory.maxList.size(), 1u);
      EXPECT_EQ(run.memory.maxList[0].index, 7);
    } else {
      EXPECT_EQ(lastPlus, (std::vector<int32_t>{1, 1, 1, 1, 1, 1, 1, 7, 7}));
    }
  }
}

// Regression: under all reversal points the lists are pruned against the z the working array
// holds for sample j + 1 when they are updated at j, the original pass's. Pruning against
// another array changes which reversals still bend the reloading branches.
TEST(DisplacementControlled, AllReversalListsArePrunedAgainstTheOriginalPassZ) {
  const std::vector<double> d = RampProtocol(0.111);
  const auto n = static_cast<int32_t>(d.size()) - 1;
  ModelRun original = DcRun(ReversalRule::AllReversals);
  DisplacementControlledResponse(original, d, n, 0.05);
  const std::vector<double> originalZ = original.history.Z;

  ModelRun literal = DcRun(ReversalRule::AllReversals);
  DisplacementControlledModifiedResponse(literal, d, n, 0.05, 0.0, 0.0, originalZ);
  // A pruning z above every entry empties the lists at once: no reversal bends the response,
  // which then follows the original model.
  ModelRun pruned = DcRun(ReversalRule::AllReversals);
  const std::vector<double> high(originalZ.size(), 10.0);
  DisplacementControlledModifiedResponse(pruned, d, n, 0.05, 0.0, 0.0, high);
  EXPECT_EQ(pruned.history.Z, originalZ);
  EXPECT_NE(literal.history.Z, originalZ);

  // Replaying the pass with the pruning z it was given reproduces it bit for bit.
  ModelRun again = DcRun(ReversalRule::AllReversals);
  DisplacementControlledModifiedResponse(again, d, n, 0.05, 0.0, 0.0, originalZ);
  EXPECT_EQ(literal.history.Z, again.history.Z);
}

}  // namespace
}  // namespace quarvel
