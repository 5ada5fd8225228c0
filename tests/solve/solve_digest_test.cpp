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
#include <ostream>
#include <string>
#include <vector>

#include "solve_digest.h"

namespace quarvel {
namespace {

using test::DigestSet;
using test::RecordingUserInterface;

// A row runs its set with each of the four schemes where `method` is empty, or with each of the
// four rules where `rule` is empty; a zero digest is not run.
struct DigestRow {
  DigestSet set;
  const char *extra, *method, *rule;  // see ApplyDigestSettings
  uint64_t digests[4];
};

void PrintTo(const DigestRow& r, std::ostream* os) {
  *os << static_cast<int>(r.set) << " " << r.method << " " << r.rule << " " << r.extra;
}

// Each test runs one row with one scheme and one rule, its digest first.
class SolveDigest : public ::testing::TestWithParam<DigestRow> {};

TEST_P(SolveDigest, ResultsAreUnchangedToTheLastBitInOrderAndOnAPool) {
  const DigestRow& row = GetParam();
  Workbench bench;
  ASSERT_TRUE(test::LoadDigestSet(row.set, bench));
  test::ApplyDigestSettings(row.method, row.rule, row.extra, bench.inputs);
  static SolvePool pool(3);
  ResultSet inOrder;
  for (SolvePool* on : {static_cast<SolvePool*>(nullptr), &pool, &pool}) {
    RecordingUserInterface ui;
    const SolveOutcome outcome = SolveExperiments(bench, ui, true, on);
    ASSERT_TRUE(outcome.solved);
    const uint64_t digest = test::DigestOf(bench, outcome, ui.calls);
    EXPECT_EQ(digest, row.digests[0]) << (on ? "pool: 0x" : "in order: 0x") << std::hex << digest;
    // A pool solve that differs from the solve in order names its first differing sample.
    if (on == nullptr) inOrder = bench.results;
    EXPECT_EQ(test::FirstDifference(inOrder, bench.results, bench.experiments.Count()), "");
  }
}

using S = DigestSet;
const DigestRow kRows[] = {
    {S::BuiltIn, "", "euler", "", {0xafd6e6d185784182, 0x79f90d23fd6cd2df, 0xa77d18fe37c19424,
     0x880ac0077e9880d}},
    {S::BuiltIn, "", "euler-doubling", "", {0xfc8e29379f9a2910, 0x543cf9c433f9ea5b,
     0x31d007650795ca63, 0x818362deace23e9e}},
    {S::BuiltIn, "", "rk", "", {0xe61f0061446e34f4, 0x228e21769472f419, 0xdefdc5cc8850c9cf,
     0x1409183c712b01df}},
    {S::BuiltIn, "", "rk-doubling", "", {0x7a891d27a27b6e53, 0x53af611362df67d5,
     0x1b5b01e75be910c3, 0xec31a24d77bc0e73}},
    {S::BuiltIn, "skip=no", "rk-doubling", "last", {0xf3482e35af95e1c0}},
    {S::BuiltIn, "thresholdZ=0.5;skip=no", "rk-doubling", "last-max", {0xfdf32217945b5ee2}},
    {S::BuiltIn, "beta=0.5;gamma=0.5", "rk-doubling", "all", {0xe9b0a846b15f4d38}},
    // beta - gamma = 0.6: the unloading factor's argument passes 0.5 (logarithmic case).
    {S::BuiltIn, "beta=0.8;gamma=0.2", "rk-doubling", "all", {0xc782a57280f29797}},
    {S::BuiltIn, "beta=0.8;gamma=0.2", "rk", "last-max", {0xf7b71c55a4b04029}},
    {S::BuiltIn, "n=3", "rk", "all", {0x9146fc793da0dc83}},
    // P = -1: a zero ratio gives an infinite weight, a fault of the all-reversal weight.
    {S::BuiltIn, "P=-1", "", "all", {0, 0, 0x578b01ec4d9fa40d, 0x3f45ddf4a88d68c4}},
    // A mass of 0 or 1e-7: infinite and NaN values from the first samples on (NaN compared as
    // one value, see DigestOf), and Runge-Kutta runs that stop at their first fault.
    {S::BuiltIn, "mass=0", "", "all", {0xed66b793489ddca5, 0xd5d4f8158d4d51f5, 0x441d49667786d7ed,
     0xd5d4f8158d4d51f5}},
    {S::BuiltIn, "mass=0.0000001", "", "all", {0x5a1a91d80e59c1c5, 0xcb80f1d271ce5f2d,
     0x94ef1f4b9bb71b31, 0x40a1253ac4459d51}},
    {S::Dc1, "", "rk-doubling", "", {0x384fb3b0fdbdd543, 0x58b5e8a9a2f6631f, 0x62e623b3b8b07c5f,
     0xd656127c9eaf4d81}},
    {S::Dc2, "", "rk-doubling", "", {0xb85774653e74a827, 0x25e84fe6614aafc7, 0xc26a323daea46d48,
     0x25e84fe6614aafc7}},
    {S::ElCentro, "", "", "all", {0x3a0b52a9e9be2756, 0x7fe80edd9fb5daff, 0xa926aff79ba95394,
     0x321bf612551ba17e}},
    {S::ElCentro, "", "rk-doubling", "", {0, 0xdac835e9b4619879, 0x3ebc447c137bf2f0,
     0x66a8eb339f1d3fcb}},
    {S::ElCentro, "", "euler", "last-max", {0xa5ff8f465d577eb0}}};

std::vector<DigestRow> Cases() {
  const char* const methods[] = {"euler", "euler-doubling", "rk", "rk-doubling"};
  const char* const rules[] = {"all", "last", "max", "last-max"};
  std::vector<DigestRow> cases;
  for (const DigestRow& r : kRows) {
    for (int k = 0; k < 4; ++k) {
      if (r.digests[k] == 0) continue;
      cases.push_back({r.set, r.extra, *r.method ? r.method : methods[k],
                       *r.rule ? r.rule : rules[k], {r.digests[k]}});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Rows, SolveDigest, ::testing::ValuesIn(Cases()));

}  // namespace
}  // namespace quarvel
