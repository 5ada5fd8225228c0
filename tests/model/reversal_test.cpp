// The modified model's reversal memory, reload weights and z-rate on hand-made states and
// sequences: the exact margins, ties, zeros and faults that whole solves never meet.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "model/displacement_controlled.h"
#include "model/reversal_rules.h"
#include "model/state_derivative.h"
#include "model_test_support.h"

namespace quarvel {
namespace {

using R = ReversalRule;

struct Sequence {
  std::vector<double> u, z;  // index 0 holds 0, samples 1..N
};

// Runs the frame's bookkeeping of a Modified pass over every interval of the sequence (U_DOT by
// forward differences), as if each sample had just been integrated, and returns what it
// recorded: "PLast+ Plast- PMax+ PMax- maxList|minList", histories as digits of entries 1..N.
std::string Bookkeeping(R rule, const Sequence& s, bool skip, double thresholdZ) {
  ModelRun run;
  run.parameters = {
      .thresholdZ = thresholdZ, .reversalRule = rule, .skipWithinDominanceZone = skip};
  run.pass = ModelPass::Modified;
  const auto n = static_cast<int32_t>(s.u.size()) - 1;
  run.StartPass(n);
  run.history.U = s.u;
  run.history.Z = s.z;
  for (int32_t i = 1; i < n; ++i) {
    run.history.U_DOT[i] = s.u[i + 1] - s.u[i];
    ReleaseDominanceFlagsBeforeInterval(run, i);
    UpdateReversalMemory(run, i);
  }
  std::string out;
  const ReversalIndexHistory& r = run.reversalIndices;
  for (const auto* history : {&r.lastPlus, &r.lastMinus, &r.maxPlus, &r.maxMinus}) {
    for (std::size_t i = 1; i < history->size(); ++i) out += std::to_string((*history)[i]);
    out += ' ';
  }
  for (const ReversalListEntry& entry : run.memory.maxList) out += std::to_string(entry.index);
  out += '|';
  for (const ReversalListEntry& entry : run.memory.minList) out += std::to_string(entry.index);
  return out;
}

// A peak at sample 1 (left neighbour U[0] = 0) and a trough at 3.
const Sequence kPeakAtSampleOne{{0, 0.1, 0.0, -0.1, 0.0}, {0, 0.5, 0.2, -0.2, 0.1}};
// A second, lower peak (z 0.6) without leaving the dominance zone of the first (z 0.8); the
// trough between them has z > 0.
const Sequence kPeakInsideZone{{0, 0.0, 0.1, 0.2, 0.1, 0.0, 0.1, 0.15, 0.1},
                               {0, 0.0, 0.5, 0.8, 0.5, 0.2, 0.45, 0.6, 0.4}};

// z stands still while u does, so that an entry made at either end of the plateau would stay.
const Sequence kPlateau{{0, 0.0, 0.1, 0.1, 0.0}, {0, 0.1, 0.5, 0.5, 0.3}};
// Peaks at the same u with z 0.5, 0.7, 0.6 and 0.7 again, and the same troughs mirrored.
const Sequence kEqualPeaks{{0, 0.0, 0.2, 0.1, 0.2, 0.1, 0.2, 0.1, 0.2, 0.1},
                           {0, 0.0, 0.5, 0.3, 0.7, 0.4, 0.6, 0.3, 0.7, 0.3}};
const Sequence kEqualTroughs{{0, 0.0, -0.2, -0.1, -0.2, -0.1, -0.2, -0.1, -0.2, -0.1},
                             {0, 0.0, -0.5, -0.3, -0.7, -0.4, -0.6, -0.3, -0.7, -0.3}};

// A reversal is detected once the next sample is known: by the point rules from sample 2 on, into
// the index histories; into the all-reversal lists from sample 1 on, leaving the histories at 0.
TEST(ReversalMemory, RecordsTheExpectedReversals) {
  struct Row { const char* name; R rule; bool skip; double threshold; Sequence s;
               const char* out; };
  const Row rows[] = {
      {"no detection at sample 1", R::LastAndMaxReversal, true, -1, kPeakAtSampleOne,
       "0000 0003 0000 0003 |"},
      {"peak at negative u is last but not max", R::MaxReversal, true, -1,
       {{0, -0.5, -0.3, -0.4}, {0, 0.0, 0.2, 0.1}}, "002 000 000 000 |"},
      {"plateau is no reversal", R::LastReversal, false, -1, kPlateau, "0000 0000 0000 0000 |"},
      {"plateau is no list entry", R::AllReversals, false, -1, kPlateau, "0000 0000 0000 0000 |"},
      {"skip inside the dominance zone", R::LastReversal, true, -1, kPeakInsideZone,
       "00033333 00000000 00033333 00000000 |"},
      {"record inside the zone when not skipping", R::LastReversal, false, -1, kPeakInsideZone,
       "00033337 00000000 00033333 00000000 |"},
      // Unloading from the first peak to z = -0.3 passes -0.2 but not the mirror -0.79.
      {"positive threshold releases the zone", R::LastReversal, true, 0.2,
       {{0, 0.0, 0.1, 0.2, 0.0, -0.1, -0.2, 0.0, 0.1, 0.15, 0.1},
        {0, 0.0, 0.5, 0.8, 0.1, -0.3, -0.5, -0.1, 0.5, 0.6, 0.4}},
       "0003333339 0000006666 0003333333 0000006666 |"},
      {"equal u with larger z replaces max", R::MaxReversal, false, -1, kEqualPeaks,
       "002244668 000000000 002244444 000000000 |"},
      {"equal u with smaller z replaces min", R::MaxReversal, false, -1, kEqualTroughs,
       "000000000 002244668 000000000 002244444 |"},
      {"lists take sample 1", R::AllReversals, true, -1, kPeakAtSampleOne,
       "0000 0000 0000 0000 1|3"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Bookkeeping(row.rule, row.s, row.skip, row.threshold), row.out) << row.name;
  }
}

// A maxList entry z_r stays while -z_r < zn - 0.001 < z_r (a minList entry mirrored), both
// comparisons strict; the survivors keep their order whatever the order of the others.
TEST(ReversalMemory, PruningKeepsExactlyTheEntriesWithinTheMargins) {
  struct Row { const char* name; double zn; std::vector<double> zs, kept; };
  const Row rows[] = {
      {"just under the margin", 0.5009, {0.5}, {0.5}}, {"exactly at its z", 0.501, {0.5}, {}},
      {"above the mirror", -0.4989, {0.5}, {0.5}},     {"exactly at the mirror", -0.499, {0.5}, {}},
      {"in any order", 0.45, {0.05, 0.2, 0.9, 0.4, 0.6, 0.1}, {0.9, 0.6}},
  };
  for (const Row& row : rows) {
    ModelRun run;
    run.Prepare();
    for (const double z : row.zs) {
      run.memory.maxList.push_back({4, 0.3, z, 1.0, false});
      run.memory.minList.push_back({5, -0.3, -z, 1.0, false});
    }
    ModelRun mirrored = run;
    UpdateReversalLists(run, 6, row.zn, false);
    UpdateReversalLists(mirrored, 6, -row.zn, false);
    std::vector<double> maxKept, minKept;
    for (const ReversalListEntry& entry : run.memory.maxList) maxKept.push_back(entry.z);
    for (const ReversalListEntry& entry : mirrored.memory.minList) minKept.push_back(-entry.z);
    EXPECT_EQ(maxKept, row.kept) << row.name;
    EXPECT_EQ(minKept, row.kept) << row.name;
  }
}

// The dominance zone of lastPlus (z 0.8) is left when reloading climbs back to within 0.01 of its
// z, or unloading passes its mirror shifted 0.01 toward zero (thresholdZ < 0) or -thresholdZ; the
// same for lastMinus (z -0.9) mirrored.
TEST(ReversalMemory, FlagReleaseWhenTheZoneIsLeft) {
  struct Row { const char* name; double thresholdZ, v, z; bool plusKept, minusKept; };
  const Row rows[] = {
      {"no velocity keeps both high", -1, 0.0, 0.95, true, true},
      {"no velocity keeps both low", -1, 0.0, -0.95, true, true},
      {"reloading to the margin releases plus", -1, 1.0, 0.8 - 0.01, false, true},
      {"reloading short of the margin keeps plus", -1, 1.0, 0.78995, true, true},
      {"unloading to the shifted mirror releases plus", -1, -1.0, -0.8 + 0.01, false, true},
      {"unloading short of the mirror keeps plus", -1, -1.0, -0.78995, true, true},
      {"unloading to -threshold releases plus", 0.2, -1.0, -0.2, false, true},
      {"zero threshold is a threshold", 0.0, -1.0, 0.0, false, true},
      {"reloading to the margin releases minus", -1, -1.0, -0.9 + 0.01, false, false},
      {"reloading short of the margin keeps minus", -1, -1.0, -0.88995, false, true},
      {"unloading to the shifted mirror releases minus", -1, 1.0, 0.9 - 0.01, false, false},
      {"unloading short of the mirror keeps minus", -1, 1.0, 0.88995, false, true},
      {"unloading to the threshold releases minus", 0.2, 1.0, 0.2, true, false},
      {"zero threshold is a threshold for minus", 0.0, 1.0, 0.0, true, false},
      {"unloading short of the threshold keeps minus", 0.2, 1.0, 0.19, true, true},
  };
  for (const Row& row : rows) {
    ModelRun run;
    run.parameters.thresholdZ = row.thresholdZ;
    ReversalMemory& m = run.memory;
    m.lastPlus = {0.3, 0.8, 1.0};
    m.lastMinus = {-0.3, -0.9, 1.0};
    m.dominanceFlagPlus = m.dominanceFlagMinus = true;
    ReleaseDominanceFlags(run, row.v, row.z);
    EXPECT_EQ(m.dominanceFlagPlus, row.plusKept) << row.name;
    EXPECT_EQ(m.dominanceFlagMinus, row.minusKept) << row.name;
  }
}

// With gamma exactly 0.5 the unloading branch is straight and no factor is used (here beta = 0.9
// and the points' factors are NaN). Toward (1.0, 0.8) with Uy = 0.1 from u = 0.9, z = 0.4,
// r = (1 - (1 + 0.1 (0.4 - 0.8))) / (1 - 0.9) = 0.4 and the weight is r^P, P = 3; r above 1 is
// capped. At z = 0, u' > 0 is loading and u' < 0 unloading, and a positive weight does not act
// (z u' = 0 is not loading); n = 0 makes |z|^n = 1 so that the coefficient shows.
TEST(ReloadWeight, GammaOneHalfAndZeroZ) {
  const ModelParameters p{.A = 2.0, .beta = 0.9, .gamma = 0.5, .n = 0.0, .Uy = 0.1, .P = 3.0,
                          .solutionMethod = SolutionMethod::RungeKutta, .eulerSteps = 1,
                          .eps = 1e-9, .reversalRule = R::LastReversal};
  ModelRun run = test::ForceRun(p, 2.86, {0.0, 0.0, 0.0}, 0.02, 0.0, 0.0, 0.0, ModelPass::Modified);
  run.Prepare();
  run.memory.lastPlus = {1.0, 0.8, std::nan("")};
  run.memory.lastMinus = {-1.0, -0.8, std::nan("")};
  const double weight = std::pow((1.0 - (1.0 + 0.1 * (0.4 - 0.8))) / (1.0 - 0.9), 3.0);
  EXPECT_EQ(ReloadWeight(run, 0.9, 1.0, 0.4), weight);
  EXPECT_EQ(ReloadWeight(run, 0.999, 1.0, 0.4), 1.0);
  ASSERT_GT(ReloadWeight(run, 0.9, 1.0, 0.0), 0.1);
  ASSERT_GT(ReloadWeight(run, -0.9, -1.0, 0.0), 0.1);
  for (ModelPass pass : test::kBothPasses) {
    run.pass = pass;
    EXPECT_EQ(StateDerivative(run, 0.0, {0.9, 1.0, 0.0}).z, (2.0 - (0.5 + 0.9)) * 1.0 / 0.1);
    EXPECT_EQ(StateDerivative(run, 0.0, {-0.9, -1.0, 0.0}).z, (2.0 - (-0.5 + 0.9)) * -1.0 / 0.1);
  }
}

// An arithmetic fault at an all-reversal entry (u at the entry's u divides by zero, or the
// entry's factor faulted) ends the scan: the weight of the entries before it comes back without
// the cap, and the fault is counted and reported once. Uy = 0.1, P = -1 (so that a weight can
// exceed 1), state u = 0.9, u' = 1, z = 0.4: entry (1.0, 0.8) has r = 0.4 and weight 2.5.
TEST(ReloadWeight, AllReversalWeightFaultReturnsTheUncappedPartialWeight) {
  const ReversalListEntry heavy{1, 1.0, 0.8, 0.0, false};
  const ReversalListEntry atU{2, 0.9, 0.7, 0.0, false};
  const double heavyWeight = std::pow((1.0 - (1.0 + 0.1 * (0.4 - 0.8))) / (1.0 - 0.9), -1.0);
  struct Row { const char* name; double gamma; std::vector<ReversalListEntry> entries;
      double expected; int64_t faults; };
  const Row rows[] = {
      {"no fault is capped", 0.5, {heavy}, 1.0, 0},
      {"fault after a heavy entry", 0.5, {heavy, atU}, heavyWeight, 1},
      {"fault stops the scan", 0.5, {heavy, atU, atU}, heavyWeight, 1},
      {"fault at the first entry", 0.5, {atU, heavy}, 0.0, 1},
      {"entry at u that does not count", 0.5, {{3, 0.9, 0.3, 0.0, false}, heavy}, 1.0, 0},
      {"faulted factor of an entry", 0.9, {{1, 1.0, 0.8, 1.0, true}, heavy}, 0.0, 1},
  };
  for (const Row& row : rows) {
    ModelRun run;
    run.parameters = {.gamma = row.gamma, .Uy = 0.1, .P = -1.0};
    run.Prepare();
    int reported = 0;
    run.onWeightFault = [&reported] { ++reported; };
    run.memory.maxList = row.entries;
    SCOPED_TRACE(row.name);
    EXPECT_EQ(AllReversalWeight(run, 0.9, 1.0, 0.4), row.expected);
    EXPECT_EQ(run.weightFaults, row.faults);
    EXPECT_EQ(reported, row.faults);
  }
}

// Samples 1..7 every 0.5 s: 0, 0.01, 0.02 m (a peak, z > 0), 0.01, then back toward the peak by
// 0.004 m a step and 0.005 m over the last. The last sample takes the velocity and acceleration
// of the interval before it (0.005 m in 0.5 s, and 0). The peak enters the all-reversal list at
// sample 3 and pulls z on the way back; the interval from sample j prunes the list against the
// original pass's z of sample j + 1 (1 at sample `spike`, 0 elsewhere here), so the z of sample
// `spike` is the first stepped without the pull. (Regression: the lists were once pruned against
// the z of the pass itself, which the interval has not stepped yet.)
TEST(DisplacementControlled, LastSampleTakesTheLastIntervalAndPrunesAgainstTheNext) {
  const std::vector<double> d{0.0, 0.0, 0.01, 0.02, 0.01, 0.014, 0.018, 0.023};
  const auto run = [&d](std::ptrdiff_t spike) {
    ModelRun r;
    r.parameters = test::DefaultParameters(SolutionMethod::Euler);
    r.mass = 1.0;
    std::vector<double> originalZ(d.size(), 0.0);
    if (spike > 0) originalZ[static_cast<std::size_t>(spike)] = 1.0;
    DisplacementControlledModifiedResponse(r, d, 7, 0.5, 0.0, 0.0, originalZ);
    return r;
  };
  const ModelRun kept = run(0);
  EXPECT_DOUBLE_EQ(kept.history.U_DOT[7], 0.01);
  EXPECT_EQ(kept.history.U_DOT_DOT[7], 0.0);
  ASSERT_EQ(kept.memory.maxList.size(), 1u);
  EXPECT_EQ(kept.memory.maxList[0].index, 3);
  for (const std::ptrdiff_t spike : {6, 7}) {
    SCOPED_TRACE(spike);
    const ModelRun pruned = run(spike);
    EXPECT_TRUE(pruned.memory.maxList.empty());
    const std::vector<double>& z = pruned.history.Z;
    EXPECT_EQ(std::ranges::mismatch(z, kept.history.Z).in1 - z.begin(), spike);
  }
}

}  // namespace
}  // namespace quarvel
