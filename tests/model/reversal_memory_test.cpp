// Reversal-point memory on hand-made displacement and z sequences, driven sample by sample
// through the same bookkeeping calls as the integration frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/integration.h"
#include "model/reversal_rules.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

using Samples = std::vector<double>;    // index 0 holds 0, samples 1..N
using Indices = std::vector<int32_t>;  // entries 1..N of an index history (entry 0 omitted)

struct Sequence {
  Samples u;
  Samples z;
};

// Fills U, Z and U_DOT (forward differences) and runs the frame's bookkeeping for every
// interval, as if each sample had just been integrated.
ModelRun RunBookkeeping(ModelParameters p, const Sequence& s) {
  ModelRun run;
  run.parameters = p;
  run.mass = 1.0;
  run.pass = ModelPass::Modified;
  run.Prepare();
  const auto n = static_cast<int32_t>(s.u.size()) - 1;
  run.history.Reset(n);
  run.reversalIndices.Reset(n);
  run.history.U = s.u;
  run.history.Z = s.z;
  for (int32_t i = 1; i < n; ++i) run.history.U_DOT[i] = s.u[i + 1] - s.u[i];
  for (int32_t i = 1; i < n; ++i) {
    ReleaseDominanceFlagsBeforeInterval(run, i);
    UpdateReversalMemory(run, i);
  }
  return run;
}

Indices Tail(const std::vector<int32_t>& history) { return {history.begin() + 1, history.end()}; }

std::vector<int32_t> ListIndices(const std::vector<ReversalListEntry>& list) {
  std::vector<int32_t> out;
  for (const ReversalListEntry& entry : list) out.push_back(entry.index);
  return out;
}

struct PointRow {
  const char* name;
  ReversalRule rule;
  bool skip;
  double thresholdZ;
  Sequence sequence;
  Indices lastPlus, lastMinus, maxPlus, maxMinus;
};

class PointRules : public ::testing::TestWithParam<PointRow> {};

TEST_P(PointRules, RecordTheExpectedReversals) {
  const PointRow& row = GetParam();
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.reversalRule = row.rule;
  p.skipWithinDominanceZone = row.skip;
  p.thresholdZ = row.thresholdZ;
  const ModelRun run = RunBookkeeping(p, row.sequence);
  EXPECT_EQ(Tail(run.reversalIndices.lastPlus), row.lastPlus);
  EXPECT_EQ(Tail(run.reversalIndices.lastMinus), row.lastMinus);
  EXPECT_EQ(Tail(run.reversalIndices.maxPlus), row.maxPlus);
  EXPECT_EQ(Tail(run.reversalIndices.maxMinus), row.maxMinus);
  EXPECT_TRUE(run.memory.maxList.empty());
  EXPECT_TRUE(run.memory.minList.empty());
}

const Sequence kPeakThenTrough{{0, 0.0, 0.1, 0.2, 0.1, 0.0, -0.1, -0.2, -0.1},
                               {0, 0.0, 0.5, 0.8, 0.6, 0.2, -0.3, -0.6, -0.4}};
// A peak at sample 1 (left neighbour U[0] = 0) and a trough at 3.
const Sequence kPeakAtSampleOne{{0, 0.1, 0.0, -0.1, 0.0}, {0, 0.5, 0.2, -0.2, 0.1}};
// A second, lower peak (z 0.6) reached without leaving the dominance zone of the first (z 0.8).
const Sequence kPeakInsideZone{{0, 0.0, 0.1, 0.2, 0.1, 0.0, 0.1, 0.15, 0.1},
                               {0, 0.0, 0.5, 0.8, 0.5, 0.2, 0.45, 0.6, 0.4}};
// Unloading from the first peak reaches z = -0.3: past -0.2 but not past the mirror -0.79.
const Sequence kUnloadToMinus03{{0, 0.0, 0.1, 0.2, 0.0, -0.1, -0.2, 0.0, 0.1, 0.15, 0.1},
                                {0, 0.0, 0.5, 0.8, 0.1, -0.3, -0.5, -0.1, 0.5, 0.6, 0.4}};
// Three peaks at the same u: z 0.5, 0.7, 0.6.
const Sequence kEqualPeaks{{0, 0.0, 0.2, 0.1, 0.2, 0.1, 0.2, 0.1},
                           {0, 0.0, 0.5, 0.3, 0.7, 0.4, 0.6, 0.3}};

INSTANTIATE_TEST_SUITE_P(
    Rows, PointRules,
    ::testing::Values(
        PointRow{"DetectedOneSampleLate", ReversalRule::LastReversal, true, -1, kPeakThenTrough,
                 {0, 0, 0, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 0, 7}, {0, 0, 0, 3, 3, 3, 3, 3},
                 {0, 0, 0, 0, 0, 0, 0, 7}},
        PointRow{"NoDetectionAtSampleOne", ReversalRule::LastAndMaxReversal, true, -1,
                 kPeakAtSampleOne, {0, 0, 0, 0}, {0, 0, 0, 3}, {0, 0, 0, 0}, {0, 0, 0, 3}},
        PointRow{"PeakAtNegativeUIsLastButNotMax", ReversalRule::MaxReversal, true, -1,
                 {{0, -0.5, -0.3, -0.4}, {0, 0.0, 0.2, 0.1}}, {0, 0, 2}, {0, 0, 0}, {0, 0, 0},
                 {0, 0, 0}},
        PointRow{"PlateauIsNoReversal", ReversalRule::LastReversal, false, -1,
                 {{0, 0.0, 0.1, 0.1, 0.0}, {0, 0.1, 0.5, 0.6, 0.3}}, {0, 0, 0, 0}, {0, 0, 0, 0},
                 {0, 0, 0, 0}, {0, 0, 0, 0}},
        PointRow{"SkipInsideDominanceZone", ReversalRule::LastReversal, true, -1,
                 kPeakInsideZone, {0, 0, 0, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 0, 0},
                 {0, 0, 0, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 0, 0}},
        PointRow{"RecordInsideDominanceZoneWhenNotSkipping", ReversalRule::LastReversal, false,
                 -1, kPeakInsideZone, {0, 0, 0, 3, 3, 3, 3, 7}, {0, 0, 0, 0, 0, 0, 0, 0},
                 {0, 0, 0, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 0, 0}},
        PointRow{"MirroredThresholdKeepsTheZone", ReversalRule::LastReversal, true, -1,
                 kUnloadToMinus03, {0, 0, 0, 3, 3, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 6, 6, 6, 6},
                 {0, 0, 0, 3, 3, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0, 6, 6, 6, 6}},
        PointRow{"PositiveThresholdReleasesTheZone", ReversalRule::LastReversal, true, 0.2,
                 kUnloadToMinus03, {0, 0, 0, 3, 3, 3, 3, 3, 3, 9},
                 {0, 0, 0, 0, 0, 0, 6, 6, 6, 6}, {0, 0, 0, 3, 3, 3, 3, 3, 3, 3},
                 {0, 0, 0, 0, 0, 0, 6, 6, 6, 6}},
        PointRow{"EqualUWithLargerZReplacesMax", ReversalRule::MaxReversal, false, -1,
                 kEqualPeaks, {0, 0, 2, 2, 4, 4, 6}, {0, 0, 0, 0, 0, 0, 0},
                 {0, 0, 2, 2, 4, 4, 4}, {0, 0, 0, 0, 0, 0, 0}}),
    [](const auto& info) { return info.param.name; });

TEST(PointRules, RecordedPointsCarryTheirFactor) {
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.reversalRule = ReversalRule::LastAndMaxReversal;
  const ModelRun run = RunBookkeeping(p, kPeakThenTrough);
  EXPECT_EQ(run.memory.lastPlus.u, 0.2);
  EXPECT_EQ(run.memory.lastPlus.z, 0.8);
  // 2F1(1, 1/2; 3/2; -x) = atan(sqrt x) / sqrt x with x = 0.8 * 0.8^2.
  const double x = 0.8 * 0.8 * 0.8;
  EXPECT_NEAR(run.memory.lastPlus.factor, std::atan(std::sqrt(x)) / std::sqrt(x), 1e-12);
  EXPECT_EQ(run.memory.maxPlus.factor, run.memory.lastPlus.factor);
  EXPECT_EQ(run.memory.lastMinus.z, -0.6);
  EXPECT_TRUE(run.memory.dominanceFlagPlus);
  EXPECT_TRUE(run.memory.dominanceFlagMinus);
}

TEST(AllReversalLists, EnterSampleOneAndLeaveIndicesAndFlagsAlone) {
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.reversalRule = ReversalRule::AllReversals;
  const ModelRun run = RunBookkeeping(p, kPeakAtSampleOne);
  EXPECT_EQ(ListIndices(run.memory.maxList), std::vector<int32_t>{1});
  EXPECT_EQ(ListIndices(run.memory.minList), std::vector<int32_t>{3});
  EXPECT_EQ(run.memory.maxList[0].u, 0.1);
  EXPECT_EQ(run.memory.maxList[0].z, 0.5);
  EXPECT_EQ(run.memory.maxList[0].factor, UnloadingFactor(run, 0.5));
  EXPECT_FALSE(run.memory.dominanceFlagPlus);
  EXPECT_FALSE(run.memory.dominanceFlagMinus);
  for (const auto* history : {&run.reversalIndices.lastPlus, &run.reversalIndices.lastMinus,
                              &run.reversalIndices.maxPlus, &run.reversalIndices.maxMinus}) {
    EXPECT_EQ(*std::max_element(history->begin(), history->end()), 0);
  }
}

TEST(AllReversalLists, AreNotKeptInTheOriginalPass) {
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.reversalRule = ReversalRule::AllReversals;
  ModelRun run = RunBookkeeping(p, kPeakAtSampleOne);
  run.pass = ModelPass::Original;
  run.memory.ResetReversalLists();
  for (int32_t i = 1; i < 4; ++i) UpdateReversalMemory(run, i);
  EXPECT_TRUE(run.memory.maxList.empty());
  EXPECT_TRUE(run.memory.minList.empty());
}

struct PruneRow {
  const char* name;
  double zr;  // z of a maxList entry; the minList holds the mirrored entry -zr
  double zn;  // z after the sample (mirrored for the minList)
  bool kept;
};

class Pruning : public ::testing::TestWithParam<PruneRow> {};

TEST_P(Pruning, DropsAnEntryOnceZPassesItOrItsMirrorByTheMargin) {
  const PruneRow& row = GetParam();
  ModelRun positive;
  positive.Prepare();
  positive.memory.maxList.push_back({4, 0.3, row.zr, 1.0, false});
  UpdateReversalLists(positive, 6, row.zn, false);
  EXPECT_EQ(positive.memory.maxList.size(), row.kept ? 1u : 0u);
  ModelRun negative;
  negative.Prepare();
  negative.memory.minList.push_back({5, -0.3, -row.zr, 1.0, false});
  UpdateReversalLists(negative, 6, -row.zn, false);
  EXPECT_EQ(negative.memory.minList.size(), row.kept ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, Pruning,
                         ::testing::Values(PruneRow{"BelowItsZ", 0.5, 0.3, true},
                                           PruneRow{"JustUnderTheMargin", 0.5, 0.5009, true},
                                           PruneRow{"PastTheMargin", 0.5, 0.5011, false},
                                           PruneRow{"AboveTheMirror", 0.5, -0.4989, true},
                                           PruneRow{"DownToTheMirror", 0.5, -0.4991, false},
                                           // zn - 0.001 lands exactly on z or its mirror:
                                           // both comparisons are strict.
                                           PruneRow{"ExactlyAtItsZ", 0.5, 0.501, false},
                                           PruneRow{"ExactlyAtTheMirror", 0.5, -0.499, false}),
                         [](const auto& info) { return info.param.name; });

TEST(Pruning, KeepsThePassingEntriesInOrderWhateverTheirOrder) {
  std::vector<double> zs{0.05, 0.2, 0.4, 0.6, 0.9};
  do {
    ModelRun run;
    run.Prepare();
    for (std::size_t k = 0; k < zs.size(); ++k) {
      run.memory.maxList.push_back({static_cast<int32_t>(k + 1), 0.0, zs[k], 1.0, false});
    }
    UpdateReversalLists(run, 9, 0.45, false);
    std::vector<double> kept;
    for (const ReversalListEntry& entry : run.memory.maxList) kept.push_back(entry.z);
    std::vector<double> expected;
    std::copy_if(zs.begin(), zs.end(), std::back_inserter(expected),
                 [](double z) { return z > 0.449; });
    EXPECT_EQ(kept, expected);
  } while (std::next_permutation(zs.begin(), zs.end()));
}

struct ReleaseRow {
  const char* name;
  double thresholdZ;
  double v;
  double z;
  bool plusKept;   // lastPlus.z = 0.8
  bool minusKept;  // lastMinus.z = -0.9
};

class FlagRelease : public ::testing::TestWithParam<ReleaseRow> {};

TEST_P(FlagRelease, ClearsAFlagWhenItsZoneIsLeft) {
  const ReleaseRow& row = GetParam();
  ModelRun run;
  run.parameters.thresholdZ = row.thresholdZ;
  run.memory.lastPlus = {0.3, 0.8, 1.0};
  run.memory.lastMinus = {-0.3, -0.9, 1.0};
  run.memory.dominanceFlagPlus = true;
  run.memory.dominanceFlagMinus = true;
  ReleaseDominanceFlags(run, row.v, row.z);
  EXPECT_EQ(run.memory.dominanceFlagPlus, row.plusKept);
  EXPECT_EQ(run.memory.dominanceFlagMinus, row.minusKept);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FlagRelease,
    ::testing::Values(
        ReleaseRow{"NoVelocityKeepsBoth", -1, 0.0, 0.79, true, true},
        ReleaseRow{"ReloadingToTheMarginReleasesPlus", -1, 1.0, 0.8 - 0.01, false, true},
        ReleaseRow{"ReloadingBelowTheMarginKeepsPlus", -1, 1.0, 0.78, true, true},
        ReleaseRow{"UnloadingToTheShiftedMirrorReleasesPlus", -1, -1.0, -0.8 + 0.01, false, true},
        ReleaseRow{"UnloadingShortOfTheMirrorKeepsPlus", -1, -1.0, -0.78, true, true},
        ReleaseRow{"UnloadingToMinusThresholdReleasesPlus", 0.2, -1.0, -0.2, false, true},
        ReleaseRow{"ZeroThresholdIsAThreshold", 0.0, -1.0, 0.0, false, true},
        ReleaseRow{"ReloadingToTheMarginReleasesMinus", -1, -1.0, -0.9 + 0.01, false, false},
        ReleaseRow{"UnloadingToTheShiftedMirrorReleasesMinus", -1, 1.0, 0.9 - 0.01, false,
                   false},
        ReleaseRow{"UnloadingToThresholdReleasesMinus", 0.2, 1.0, 0.2, true, false},
        ReleaseRow{"UnloadingShortOfThresholdKeepsMinus", 0.2, 1.0, 0.19, true, true}),
    [](const auto& info) { return info.param.name; });

// With gamma exactly 0.5 the unloading branch is a straight line and no factor is used: a
// recorded NaN factor leaves the weight finite, and list entries get no factor.
TEST(Weights, GammaOneHalfBypassesTheFactors) {
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.beta = 0.9;
  p.gamma = 0.5;
  p.Uy = 0.1;
  p.reversalRule = ReversalRule::LastReversal;
  ModelRun run;
  run.parameters = p;
  run.Prepare();
  run.memory.lastPlus = {1.0, 0.8, std::nan("")};
  const double expected = std::pow((1.0 - (1.0 + 0.1 * (0.4 - 0.8))) / (1.0 - 0.9), 2.0);
  EXPECT_EQ(ReloadWeight(run, 0.9, 1.0, 0.4), expected);
  run.parameters.reversalRule = ReversalRule::AllReversals;
  run.history.Reset(3);
  run.history.U = {0, 0.5, 1.0, 0.9};
  run.history.Z = {0, 0.5, 0.8, 0.7};
  UpdateReversalLists(run, 2);
  ASSERT_EQ(run.memory.maxList.size(), 1u);
  EXPECT_EQ(run.memory.maxList[0].factor, 0.0);
  EXPECT_EQ(AllReversalWeight(run, 0.9, 1.0, 0.4), expected);
}

TEST(Weights, PointWeightIsRToThePWithRCappedAtOne) {
  ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
  p.gamma = 0.5;
  p.Uy = 0.1;
  p.P = 3.0;
  ModelRun run;
  run.parameters = p;
  run.Prepare();
  const ReversalPoint plus{1.0, 0.8, 1.0};
  const ReversalPoint minus{-1.0, -0.8, 1.0};
  const double r = (1.0 - (1.0 + 0.1 * (0.4 - 0.8))) / (1.0 - 0.9);
  EXPECT_EQ(PointWeight(run, plus, minus, 0.9, 1.0, 0.4), std::pow(r, 3.0));
  EXPECT_EQ(PointWeight(run, plus, minus, -0.9, -1.0, -0.4), std::pow(r, 3.0));
  EXPECT_EQ(PointWeight(run, plus, minus, 0.999, 1.0, 0.4), 1.0);   // r > 1 capped
  EXPECT_EQ(PointWeight(run, plus, minus, 0.9, -1.0, 0.4), 0.0);    // unloading
  EXPECT_EQ(PointWeight(run, plus, minus, 1.1, 1.0, 0.4), 0.0);     // beyond the point
  EXPECT_EQ(PointWeight(run, plus, minus, 0.9, 1.0, 0.85), 0.0);    // z above the point's z
}

// A whole integration with reversals: under AllReversals the index histories stay 0 and the
// flags are never set, while the last-point rule records reversals on the same record.
TEST(AllReversalLists, IntegrationLeavesIndexHistoriesAtZero) {
  const std::vector<double> force = test::SineSamples(20.0, 1.0, 0.02, 501);
  for (ReversalRule rule : {ReversalRule::AllReversals, ReversalRule::LastReversal}) {
    ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
    p.reversalRule = rule;
    ModelRun run = test::ForceRun(p, 2.86, force, 0.02);
    run.pass = ModelPass::Modified;
    IntegrateResponse(run);
    const std::vector<int32_t>& last = run.reversalIndices.lastPlus;
    const int32_t largest = *std::max_element(last.begin(), last.end());
    if (rule == ReversalRule::AllReversals) {
      EXPECT_EQ(largest, 0);
      EXPECT_FALSE(run.memory.dominanceFlagPlus || run.memory.dominanceFlagMinus);
    } else {
      EXPECT_GT(largest, 0);
    }
  }
}

}  // namespace
}  // namespace quarvel
