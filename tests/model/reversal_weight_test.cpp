// The all-reversal weight over long lists against a direct transcription of its definition
// (every counting entry's ratio raised to P, the largest kept, the first entry's weight kept
// among equals, the scan ended by a fault): identical bits, fault counts and calls, for lists
// with ties, near-ties, zero ratios of either sign, non-counting entries and faults, with
// exponents inside and outside the range where only the largest ratios are raised to P.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/reversal_rules.h"
#include "model_test_support.h"
#include "special/hypergeometric.h"

namespace quarvel {
namespace {

struct Reference {
  double w = 0.0;
  int64_t faults = 0;
};

// The definition, entry by entry.
Reference DefinitionWeight(const ModelRun& run, const std::vector<ReversalListEntry>& list,
                           double u, double z) {
  const ModelParameters& p = run.parameters;
  double factor = 0.0;
  HypergeometricF(1.0, 1.0 / p.n, 1.0 + 1.0 / p.n,
                  (p.beta - p.gamma) * std::pow(std::fabs(z), p.n), factor);
  Reference result;
  bool first = true;
  for (const ReversalListEntry& entry : list) {
    double weight = 0.0;
    if (z <= entry.z) {
      const double uStar =
          run.derived.gammaIsHalf ? entry.u + p.Uy * (z - entry.z)
                                  : entry.u + p.Uy * (z * factor - entry.z * entry.factor);
      double r = (entry.u - uStar) / (entry.u - u);
      if (!std::isfinite(uStar) || !std::isfinite(r) || entry.factorFault) {
        result.faults = 1;  // the weight so far, uncapped
        return result;
      }
      if (r > 1.0) r = 1.0;
      if (r < 0.0) r = 0.0;
      weight = std::pow(r, p.P);
      if (!std::isfinite(weight)) {
        result.faults = 1;
        return result;
      }
    }
    if (first || weight > result.w) result.w = weight;
    first = false;
  }
  if (result.w > 1.0) result.w = 1.0;
  return result;
}

enum Kind {
  kRandom, kEqualRatios, kUlpApart, kAllClamped, kFaultInTheMiddle, kZeroRatios, kFewCounting
};

struct ListCase {
  const char* name;
  double P;
  int entries;
  Kind kind;
};

// Entries on the positive side for the state u = 0.5, u' > 0, z = 0.3.
std::vector<ReversalListEntry> MakeList(const ModelRun& run, const ListCase& c,
                                        std::mt19937_64& random) {
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<ReversalListEntry> list;
  for (int k = 0; k < c.entries; ++k) {
    ReversalListEntry entry;
    entry.index = k + 2;
    entry.z = 0.3 + 0.7 * uniform(random);
    entry.u = 0.5 + 2.0 * uniform(random);
    switch (c.kind) {
      case kEqualRatios: entry.z = 0.9; entry.u = 1.5; break;
      case kUlpApart: entry.z = 0.9; entry.u = std::nextafter(1.5, 2.0 + k); break;
      case kAllClamped: entry.u = 0.5 - 0.1 - uniform(random); break;  // behind: ratios < 0
      case kFaultInTheMiddle: if (k == c.entries / 2) entry.u = 0.5; break;  // divides by 0
      case kZeroRatios:  // z - z_r = 0: u* = u_r, a zero numerator over either sign
        entry.z = 0.3;
        entry.u = k % 2 == 0 ? 0.4 : 0.6;
        break;
      case kFewCounting: if (k % 5 != 0) entry.z = 0.1; break;  // below z: does not count
      case kRandom: break;
    }
    entry.factor = UnloadingFactor(run, entry.z, &entry.factorFault);
    list.push_back(entry);
  }
  return list;
}

class LongListWeight : public ::testing::TestWithParam<ListCase> {};

TEST_P(LongListWeight, IsTheDefinitionsWeightToTheLastBit) {
  const ListCase& c = GetParam();
  std::mt19937_64 random(12345);
  for (int trial = 0; trial < 20; ++trial) {
    ModelRun run;
    run.parameters.P = c.P;
    run.pass = ModelPass::Modified;
    run.Prepare();
    int calls = 0;
    run.onWeightFault = [&calls] { ++calls; };
    run.memory.maxList = MakeList(run, c, random);
    const Reference expected = DefinitionWeight(run, run.memory.maxList, 0.5, 0.3);
    const double w = AllReversalWeight(run, 0.5, 1.0, 0.3);
    EXPECT_EQ(std::memcmp(&w, &expected.w, sizeof w), 0)
        << "trial " << trial << ": " << w << " != " << expected.w;
    EXPECT_EQ(run.weightFaults, expected.faults);
    EXPECT_EQ(calls, expected.faults);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongListWeight,
    ::testing::Values(ListCase{"Random", 2.0, 300, kRandom},
                      ListCase{"RandomP1", 1.0, 300, kRandom},
                      ListCase{"RandomP3", 3.0, 300, kRandom},
                      ListCase{"RandomPHalf", 0.5, 300, kRandom},
                      ListCase{"RandomLargeP", 700.0, 300, kRandom},
                      ListCase{"RandomTinyP", 1e-6, 300, kRandom},  // outside the pruned range
                      ListCase{"RandomNegativeP", -1.0, 300, kRandom},
                      ListCase{"EqualRatios", 2.0, 50, kEqualRatios},
                      ListCase{"UlpApart", 2.0, 50, kUlpApart},
                      ListCase{"AllClampedToZero", 2.0, 50, kAllClamped},
                      ListCase{"AllClampedToZeroP3", 3.0, 50, kAllClamped},
                      ListCase{"FaultInTheMiddle", 2.0, 51, kFaultInTheMiddle},
                      ListCase{"ZeroRatiosOfBothSignsP1", 1.0, 40, kZeroRatios},
                      ListCase{"ZeroRatiosOfBothSignsP2", 2.0, 40, kZeroRatios},
                      ListCase{"FewCounting", 2.0, 200, kFewCounting},
                      ListCase{"TwoEntries", 2.0, 2, kRandom},
                      ListCase{"OneEntry", 2.0, 1, kRandom}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel
