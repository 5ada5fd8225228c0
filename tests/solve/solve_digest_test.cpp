// Whole solves against digests recorded from the straightforward implementation (before any
// caching, hoisting or parallel solving): every array of both responses, the reversal index
// histories, the peaks, the errors, the fault count and the user-interface calls of a solve,
// for every scheme and rule on the built-in sets, DC 1, DC 2 and the El Centro record. A
// single changed bit anywhere changes the digest (NaN excepted: all NaN count as one value).
// Each is solved in index order, then twice side by side on a pool (the second time the
// experiments are handed out in the order of the first solve's times): the same digest, so the
// same results, fault count and interface calls in the same order.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "solve_digest.h"

namespace quarvel {
namespace {

using test::DigestSet;
using test::RecordingUserInterface;

struct DigestRow {
  const char* name;
  DigestSet set;
  const char *method, *rule, *extra;  // see ApplyDigestSettings
  uint64_t expected;
};

class SolveDigest : public ::testing::TestWithParam<DigestRow> {};

TEST_P(SolveDigest, ResultsAreUnchangedToTheLastBitInOrderAndOnAPool) {
  const DigestRow& row = GetParam();
  Workbench bench;
  ASSERT_TRUE(test::LoadDigestSet(row.set, bench));
  test::ApplyDigestSettings(row.method, row.rule, row.extra, bench.inputs);
  static SolvePool pool(3);
  for (SolvePool* on : {static_cast<SolvePool*>(nullptr), &pool, &pool}) {
    RecordingUserInterface ui;
    const SolveOutcome outcome = SolveExperiments(bench, ui, true, on);
    ASSERT_TRUE(outcome.solved);
    const uint64_t digest = test::DigestOf(bench, outcome, ui.calls);
    EXPECT_EQ(digest, row.expected) << (on ? "pool: 0x" : "in order: 0x") << std::hex << digest;
  }
}

// clang-format off
const DigestRow kRows[] = {
    DigestRow{"BuiltInEulerAll", DigestSet::BuiltIn, "euler", "all", "", 0xafd6e6d185784182},
    DigestRow{"BuiltInEulerLast", DigestSet::BuiltIn, "euler", "last", "", 0x79f90d23fd6cd2df},
    DigestRow{"BuiltInEulerMax", DigestSet::BuiltIn, "euler", "max", "", 0xa77d18fe37c19424},
    DigestRow{"BuiltInEulerLastMax", DigestSet::BuiltIn, "euler", "last-max", "", 0x880ac0077e9880d},
    DigestRow{"BuiltInEulerDoublingAll", DigestSet::BuiltIn, "euler-doubling", "all", "", 0xfc8e29379f9a2910},
    DigestRow{"BuiltInEulerDoublingLast", DigestSet::BuiltIn, "euler-doubling", "last", "", 0x543cf9c433f9ea5b},
    DigestRow{"BuiltInEulerDoublingMax", DigestSet::BuiltIn, "euler-doubling", "max", "", 0x31d007650795ca63},
    DigestRow{"BuiltInEulerDoublingLastMax", DigestSet::BuiltIn, "euler-doubling", "last-max", "", 0x818362deace23e9e},
    DigestRow{"BuiltInRungeKuttaAll", DigestSet::BuiltIn, "rk", "all", "", 0xe61f0061446e34f4},
    DigestRow{"BuiltInRungeKuttaLast", DigestSet::BuiltIn, "rk", "last", "", 0x228e21769472f419},
    DigestRow{"BuiltInRungeKuttaMax", DigestSet::BuiltIn, "rk", "max", "", 0xdefdc5cc8850c9cf},
    DigestRow{"BuiltInRungeKuttaLastMax", DigestSet::BuiltIn, "rk", "last-max", "", 0x1409183c712b01df},
    DigestRow{"BuiltInDefaults", DigestSet::BuiltIn, "rk-doubling", "all", "", 0x7a891d27a27b6e53},
    DigestRow{"BuiltInRkDoublingLast", DigestSet::BuiltIn, "rk-doubling", "last", "", 0x53af611362df67d5},
    DigestRow{"BuiltInRkDoublingMax", DigestSet::BuiltIn, "rk-doubling", "max", "", 0x1b5b01e75be910c3},
    DigestRow{"BuiltInRkDoublingLastMax", DigestSet::BuiltIn, "rk-doubling", "last-max", "", 0xec31a24d77bc0e73},
    DigestRow{"BuiltInLastWithoutSkip", DigestSet::BuiltIn, "rk-doubling", "last", "skip=no", 0xf3482e35af95e1c0},
    DigestRow{"BuiltInLastMaxThreshold", DigestSet::BuiltIn, "rk-doubling", "last-max", "thresholdZ=0.5;skip=no", 0xfdf32217945b5ee2},
    DigestRow{"BuiltInGammaHalf", DigestSet::BuiltIn, "rk-doubling", "all", "beta=0.5;gamma=0.5", 0xe9b0a846b15f4d38},
    // beta - gamma = 0.6: the unloading factor's argument passes 0.5 (logarithmic case).
    DigestRow{"BuiltInLogarithmicFactor", DigestSet::BuiltIn, "rk-doubling", "all", "beta=0.8;gamma=0.2", 0xc782a57280f29797},
    DigestRow{"BuiltInLogarithmicFactorLastMax", DigestSet::BuiltIn, "rk", "last-max", "beta=0.8;gamma=0.2", 0xf7b71c55a4b04029},
    DigestRow{"BuiltInNThree", DigestSet::BuiltIn, "rk", "all", "n=3", 0x9146fc793da0dc83},
    // P = -1: a zero ratio gives an infinite weight, a fault of the all-reversal weight.
    DigestRow{"BuiltInFaultingWeights", DigestSet::BuiltIn, "rk-doubling", "all", "P=-1", 0x3f45ddf4a88d68c4},
    DigestRow{"BuiltInFaultingWeightsRungeKutta", DigestSet::BuiltIn, "rk", "all", "P=-1", 0x578b01ec4d9fa40d},
    // A mass of 0 or 1e-7: infinite and NaN values from the first samples on (NaN compared as
    // one value, see DigestOf), and Runge-Kutta runs that stop at their first fault.
    DigestRow{"MassZeroEuler", DigestSet::BuiltIn, "euler", "all", "mass=0", 0xed66b793489ddca5},
    DigestRow{"MassZeroEulerDoubling", DigestSet::BuiltIn, "euler-doubling", "all", "mass=0", 0xd5d4f8158d4d51f5},
    DigestRow{"MassZeroRungeKutta", DigestSet::BuiltIn, "rk", "all", "mass=0", 0x441d49667786d7ed},
    DigestRow{"MassZeroRkDoubling", DigestSet::BuiltIn, "rk-doubling", "all", "mass=0", 0xd5d4f8158d4d51f5},
    DigestRow{"TinyMassEuler", DigestSet::BuiltIn, "euler", "all", "mass=0.0000001", 0x5a1a91d80e59c1c5},
    DigestRow{"TinyMassEulerDoubling", DigestSet::BuiltIn, "euler-doubling", "all", "mass=0.0000001", 0xcb80f1d271ce5f2d},
    DigestRow{"TinyMassRungeKutta", DigestSet::BuiltIn, "rk", "all", "mass=0.0000001", 0x94ef1f4b9bb71b31},
    DigestRow{"TinyMassRkDoubling", DigestSet::BuiltIn, "rk-doubling", "all", "mass=0.0000001", 0x40a1253ac4459d51},
    DigestRow{"Dc1All", DigestSet::Dc1, "rk-doubling", "all", "", 0x384fb3b0fdbdd543},
    DigestRow{"Dc1Last", DigestSet::Dc1, "rk-doubling", "last", "", 0x58b5e8a9a2f6631f},
    DigestRow{"Dc1Max", DigestSet::Dc1, "rk-doubling", "max", "", 0x62e623b3b8b07c5f},
    DigestRow{"Dc1LastMax", DigestSet::Dc1, "rk-doubling", "last-max", "", 0xd656127c9eaf4d81},
    DigestRow{"Dc2All", DigestSet::Dc2, "rk-doubling", "all", "", 0xb85774653e74a827},
    DigestRow{"Dc2Last", DigestSet::Dc2, "rk-doubling", "last", "", 0x25e84fe6614aafc7},
    DigestRow{"Dc2Max", DigestSet::Dc2, "rk-doubling", "max", "", 0xc26a323daea46d48},
    DigestRow{"Dc2LastMax", DigestSet::Dc2, "rk-doubling", "last-max", "", 0x25e84fe6614aafc7},
    DigestRow{"ElCentroEulerAll", DigestSet::ElCentro, "euler", "all", "", 0x3a0b52a9e9be2756},
    DigestRow{"ElCentroEulerDoublingAll", DigestSet::ElCentro, "euler-doubling", "all", "", 0x7fe80edd9fb5daff},
    DigestRow{"ElCentroRungeKuttaAll", DigestSet::ElCentro, "rk", "all", "", 0xa926aff79ba95394},
    DigestRow{"ElCentroDefaults", DigestSet::ElCentro, "rk-doubling", "all", "", 0x321bf612551ba17e},
    DigestRow{"ElCentroRkDoublingLast", DigestSet::ElCentro, "rk-doubling", "last", "", 0xdac835e9b4619879},
    DigestRow{"ElCentroRkDoublingMax", DigestSet::ElCentro, "rk-doubling", "max", "", 0x3ebc447c137bf2f0},
    DigestRow{"ElCentroRkDoublingLastMax", DigestSet::ElCentro, "rk-doubling", "last-max", "", 0x66a8eb339f1d3fcb},
    DigestRow{"ElCentroEulerLastMax", DigestSet::ElCentro, "euler", "last-max", "", 0xa5ff8f465d577eb0}};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, SolveDigest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel
