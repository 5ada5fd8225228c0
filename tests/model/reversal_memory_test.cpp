// Reversal-point memory on hand-made displacement and z sequences, driven sample by sample
// through the same bookkeeping calls as the integration frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "model/reversal_rules.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

struct Sequence {
  std::vector<double> u, z;  // index 0 holds 0, samples 1..N
};

// Fills U, Z and U_DOT (forward differences) and runs the frame's bookkeeping for every
// interval, as if each sample had just been integrated.
ModelRun RunBookkeeping(ReversalRule rule, const Sequence& s, bool skip = true,
                        double thresholdZ = -1.0) {
  ModelRun run;
  run.parameters = test::DefaultParameters(SolutionMethod::RungeKutta);
  run.parameters.reversalRule = rule;
  run.parameters.skipWithinDominanceZone = skip;
  run.parameters.thresholdZ = thresholdZ;
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

// Entries 1..N of an index history as digits ("00033333").
std::string Digits(const std::vector<int32_t>& history) {
  std::string out;
  for (std::size_t i = 1; i < history.size(); ++i) out += std::to_string(history[i]);
  return out;
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

TEST(PointRules, RecordTheExpectedReversals) {
  struct Row {
    const char* name;
    ReversalRule rule;
    bool skip;
    double thresholdZ;
    Sequence sequence;
    const char *lastPlus, *lastMinus, *maxPlus, *maxMinus;
  };
  using R = ReversalRule;
  const Row rows[] = {
      {"detected one sample late", R::LastReversal, true, -1, kPeakThenTrough, "00033333",
       "00000007", "00033333", "00000007"},
      {"no detection at sample 1", R::LastAndMaxReversal, true, -1, kPeakAtSampleOne, "0000",
       "0003", "0000", "0003"},
      {"peak at negative u is last but not max", R::MaxReversal, true, -1,
       {{0, -0.5, -0.3, -0.4}, {0, 0.0, 0.2, 0.1}}, "002", "000", "000", "000"},
      {"plateau is no reversal", R::LastReversal, false, -1,
       {{0, 0.0, 0.1, 0.1, 0.0}, {0, 0.1, 0.5, 0.6, 0.3}}, "0000", "0000", "0000", "0000"},
      {"skip inside the dominance zone", R::LastReversal, true, -1, kPeakInsideZone, "00033333",
       "00000000", "00033333", "00000000"},
      {"record inside the zone when not skipping", R::LastReversal, false, -1, kPeakInsideZone,
       "00033337", "00000000", "00033333", "00000000"},
      {"mirrored threshold keeps the zone", R::LastReversal, true, -1, kUnloadToMinus03,
       "0003333333", "0000006666", "0003333333", "0000006666"},
      {"positive threshold releases the zone", R::LastReversal, true, 0.2, kUnloadToMinus03,
       "0003333339", "0000006666", "0003333333", "0000006666"},
      {"equal u with larger z replaces max", R::MaxReversal, false, -1, kEqualPeaks, "0022446",
       "0000000", "0022444", "0000000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const ModelRun run = RunBookkeeping(row.rule, row.sequence, row.skip, row.thresholdZ);
    EXPECT_EQ(Digits(run.reversalIndices.lastPlus), row.lastPlus);
    EXPECT_EQ(Digits(run.reversalIndices.lastMinus), row.lastMinus);
    EXPECT_EQ(Digits(run.reversalIndices.maxPlus), row.maxPlus);
    EXPECT_EQ(Digits(run.reversalIndices.maxMinus), row.maxMinus);
    EXPECT_TRUE(run.memory.maxList.empty() && run.memory.minList.empty());
  }
}

TEST(PointRules, RecordedPointsCarryTheirFactor) {
  const ModelRun run = RunBookkeeping(ReversalRule::LastAndMaxReversal, kPeakThenTrough);
  EXPECT_EQ(run.memory.lastPlus.u, 0.2);
  EXPECT_EQ(run.memory.lastPlus.z, 0.8);
  // 2F1(1, 1/2; 3/2; -x) = atan(sqrt x) / sqrt x with x = 0.8 * 0.8^2.
  const double x = 0.8 * 0.8 * 0.8;
  EXPECT_NEAR(run.memory.lastPlus.factor, std::atan(std::sqrt(x)) / std::sqrt(x), 1e-12);
  EXPECT_EQ(run.memory.maxPlus.factor, run.memory.lastPlus.factor);
  EXPECT_EQ(run.memory.lastMinus.z, -0.6);
  EXPECT_TRUE(run.memory.dominanceFlagPlus && run.memory.dominanceFlagMinus);
}

// Lists take sample 1, carry their factor, leave index histories and flags alone, and are not
// kept in the original pass.
TEST(AllReversalLists, EnterSampleOneAndLeaveIndicesAndFlagsAlone) {
  ModelRun run = RunBookkeeping(ReversalRule::AllReversals, kPeakAtSampleOne);
  ASSERT_EQ(run.memory.maxList.size(), 1u);
  ASSERT_EQ(run.memory.minList.size(), 1u);
  EXPECT_EQ(run.memory.minList[0].index, 3);
  const ReversalListEntry& entry = run.memory.maxList[0];
  EXPECT_EQ(entry.index, 1);
  EXPECT_EQ(entry.u, 0.1);
  EXPECT_EQ(entry.z, 0.5);
  EXPECT_EQ(entry.factor, UnloadingFactor(run, 0.5));
  EXPECT_FALSE(run.memory.dominanceFlagPlus || run.memory.dominanceFlagMinus);
  for (const auto* history : {&run.reversalIndices.lastPlus, &run.reversalIndices.lastMinus,
                              &run.reversalIndices.maxPlus, &run.reversalIndices.maxMinus}) {
    EXPECT_EQ(Digits(*history), "0000");
  }
  run.pass = ModelPass::Original;
  run.memory.ResetReversalLists();
  for (int32_t i = 1; i < 4; ++i) UpdateReversalMemory(run, i);
  EXPECT_TRUE(run.memory.maxList.empty() && run.memory.minList.empty());
}

// A whole integration with reversals: under AllReversals the index histories stay 0 and the
// flags are never set, while the last-point rule records reversals on the same record.
TEST(AllReversalLists, IntegrationLeavesIndexHistoriesAtZero) {
  const std::vector<double> force = test::SineSamples(20.0, 1.0, 0.02, 501);
  for (ReversalRule rule : {ReversalRule::AllReversals, ReversalRule::LastReversal}) {
    ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKutta);
    p.reversalRule = rule;
    ModelRun run = test::ForceRun(p, 2.86, force, 0.02, 0.0, 0.0, 0.0, ModelPass::Modified);
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

// An entry z_r (mirrored -z_r in the minList) stays while -z_r < zn - 0.001 < z_r; both
// comparisons are strict.
TEST(Pruning, DropsAnEntryOnceZPassesItOrItsMirrorByTheMargin) {
  struct Row {
    const char* name;
    double zn;  // z after the sample, for the entry z_r = 0.5 (mirrored for the minList)
    bool kept;
  };
  const Row rows[] = {
      {"below its z", 0.3, true},          {"just under the margin", 0.5009, true},
      {"past the margin", 0.5011, false},  {"above the mirror", -0.4989, true},
      {"down to the mirror", -0.4991, false}, {"exactly at its z", 0.501, false},
      {"exactly at the mirror", -0.499, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ModelRun positive;
    positive.Prepare();
    positive.memory.maxList.push_back({4, 0.3, 0.5, 1.0, false});
    UpdateReversalLists(positive, 6, row.zn, false);
    EXPECT_EQ(positive.memory.maxList.size(), row.kept ? 1u : 0u);
    ModelRun negative;
    negative.Prepare();
    negative.memory.minList.push_back({5, -0.3, -0.5, 1.0, false});
    UpdateReversalLists(negative, 6, -row.zn, false);
    EXPECT_EQ(negative.memory.minList.size(), row.kept ? 1u : 0u);
  }
}

TEST(Pruning, KeepsThePassingEntriesInOrderWhateverTheirOrder) {
  std::vector<double> zs{0.05, 0.2, 0.4, 0.6, 0.9};
  do {
    ModelRun run;
    run.Prepare();
    for (std::size_t k = 0; k < zs.size(); ++k) {
      run.memory.maxList.push_back({static_cast<int32_t>(k + 1), 0.0, zs[k], 1.0, false});
    }
    UpdateReversalLists(run, 9, 0.45, false);
    std::vector<double> kept, expected;
    for (const ReversalListEntry& entry : run.memory.maxList) kept.push_back(entry.z);
    std::copy_if(zs.begin(), zs.end(), std::back_inserter(expected),
                 [](double z) { return z > 0.449; });
    EXPECT_EQ(kept, expected);
  } while (std::next_permutation(zs.begin(), zs.end()));
}

TEST(FlagRelease, ClearsAFlagWhenItsZoneIsLeft) {
  struct Row {
    const char* name;
    double thresholdZ, v, z;
    bool plusKept;   // lastPlus.z = 0.8
    bool minusKept;  // lastMinus.z = -0.9
  };
  const Row rows[] = {
      {"no velocity keeps both", -1, 0.0, 0.79, true, true},
      {"reloading to the margin releases plus", -1, 1.0, 0.8 - 0.01, false, true},
      {"reloading below the margin keeps plus", -1, 1.0, 0.78, true, true},
      {"unloading to the shifted mirror releases plus", -1, -1.0, -0.8 + 0.01, false, true},
      {"unloading short of the mirror keeps plus", -1, -1.0, -0.78, true, true},
      {"unloading to -threshold releases plus", 0.2, -1.0, -0.2, false, true},
      {"zero threshold is a threshold", 0.0, -1.0, 0.0, false, true},
      {"reloading to the margin releases minus", -1, -1.0, -0.9 + 0.01, false, false},
      {"unloading to the shifted mirror releases minus", -1, 1.0, 0.9 - 0.01, false, false},
      {"unloading to the threshold releases minus", 0.2, 1.0, 0.2, true, false},
      {"unloading short of the threshold keeps minus", 0.2, 1.0, 0.19, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
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
}

// Weights with gamma = 0.5 and Uy = 0.1 toward the point (1.0, 0.8) from u = 0.9, z = 0.4:
// r = (1 - (1 + 0.1 (0.4 - 0.8))) / (1 - 0.9) = 0.4.
ModelRun WeightRun(ReversalRule rule, double P) {
  ModelRun run;
  run.parameters = test::DefaultParameters(SolutionMethod::RungeKutta);
  run.parameters.beta = 0.9;
  run.parameters.gamma = 0.5;
  run.parameters.Uy = 0.1;
  run.parameters.P = P;
  run.parameters.reversalRule = rule;
  run.Prepare();
  return run;
}
const double kR = (1.0 - (1.0 + 0.1 * (0.4 - 0.8))) / (1.0 - 0.9);

TEST(Weights, PointWeightIsRToThePWithRCappedAtOne) {
  ModelRun run = WeightRun(ReversalRule::LastReversal, 3.0);
  const ReversalPoint plus{1.0, 0.8, 1.0};
  const ReversalPoint minus{-1.0, -0.8, 1.0};
  EXPECT_EQ(PointWeight(run, plus, minus, 0.9, 1.0, 0.4), std::pow(kR, 3.0));
  EXPECT_EQ(PointWeight(run, plus, minus, -0.9, -1.0, -0.4), std::pow(kR, 3.0));
  EXPECT_EQ(PointWeight(run, plus, minus, 0.999, 1.0, 0.4), 1.0);  // r > 1 capped
  EXPECT_EQ(PointWeight(run, plus, minus, 0.9, -1.0, 0.4), 0.0);   // unloading
  EXPECT_EQ(PointWeight(run, plus, minus, 1.1, 1.0, 0.4), 0.0);    // beyond the point
  EXPECT_EQ(PointWeight(run, plus, minus, 0.9, 1.0, 0.85), 0.0);   // z above the point's z
}

// With gamma exactly 0.5 the unloading branch is a straight line and no factor is used: a
// recorded NaN factor leaves the weight finite, and list entries get no factor.
TEST(Weights, GammaOneHalfBypassesTheFactors) {
  ModelRun run = WeightRun(ReversalRule::LastReversal, 2.0);
  run.memory.lastPlus = {1.0, 0.8, std::nan("")};
  EXPECT_EQ(ReloadWeight(run, 0.9, 1.0, 0.4), std::pow(kR, 2.0));
  run.parameters.reversalRule = ReversalRule::AllReversals;
  run.history.Reset(3);
  run.history.U = {0, 0.5, 1.0, 0.9};
  run.history.Z = {0, 0.5, 0.8, 0.7};
  UpdateReversalLists(run, 2);
  ASSERT_EQ(run.memory.maxList.size(), 1u);
  EXPECT_EQ(run.memory.maxList[0].factor, 0.0);
  EXPECT_EQ(AllReversalWeight(run, 0.9, 1.0, 0.4), std::pow(kR, 2.0));
}

}  // namespace
}  // namespace quarvel
