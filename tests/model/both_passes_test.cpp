// IntegrateBothPasses against the two passes run one after the other on one run: identical
// arrays, index histories, reversal memory, faults and counts, for every scheme and rule, on
// records where the modified response leaves the original one early, late or never, faults,
// or stops.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model_test_support.h"

namespace quarvel {
namespace {

// Bitwise equality of double arrays, where a NaN equals any NaN: its sign and payload follow
// the operand order the compiler picks for an operation, and no output tells them apart.
bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (std::isnan(a[k]) && std::isnan(b[k])) continue;
    if (std::memcmp(&a[k], &b[k], sizeof(double)) != 0) return false;
  }
  return true;
}

void ExpectSameResponse(const ResponseHistory& actual, const ResponseHistory& expected) {
  for (auto array : {&ResponseHistory::T, &ResponseHistory::U, &ResponseHistory::U_DOT,
                     &ResponseHistory::U_DOT_DOT, &ResponseHistory::F, &ResponseHistory::Fext,
                     &ResponseHistory::Z, &ResponseHistory::Fh}) {
    EXPECT_TRUE(SameBits(actual.*array, expected.*array));
  }
}

struct Record {
  const char* name;
  double amplitude, period;
  int samples;
  double initialU;
  double P;       // exponent of the reload weight; -1 makes clamped ratios fault
  bool overflow;  // force of +-1e308 at samples 30 and 31
};

// Amp 5 at T = 3 s never reloads toward a remembered reversal, so the modified response is the
// original one throughout; the others part early.
const Record kRecords[] = {
    {"NeverParts", 5.0, 3.0, 301, 0.0, 2.0, false},
    {"PartsEarly", 20.0, 1.0, 201, 0.0, 2.0, false},
    {"DisplacedStart", 5.0, 2.0, 201, 0.05, 2.0, false},
    {"FaultingWeights", 20.0, 1.0, 201, 0.0, -1.0, false},
    {"Overflow", 5.0, 1.0, 60, 0.05, 2.0, true},
};

struct Case {
  Record record;
  SolutionMethod method;
  ReversalRule rule;
};

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (const Record& record : kRecords) {
    for (SolutionMethod method : test::kAllSchemes) {
      for (ReversalRule rule : test::kAllRules) cases.push_back({record, method, rule});
    }
  }
  return cases;
}

class BothPasses : public ::testing::TestWithParam<Case> {};

TEST_P(BothPasses, GiveWhatTheTwoPassesInTurnGive) {
  const Case& c = GetParam();
  ModelParameters p = test::DefaultParameters(c.method);
  p.reversalRule = c.rule;
  p.P = c.record.P;
  std::vector<double> force =
      test::SineSamples(c.record.amplitude, c.record.period, 0.02, c.record.samples);
  if (c.record.overflow) {
    force[30] = 1e308;
    force[31] = -1e308;
  }
  int calls = 0;

  // One run, the original pass and then the modified one.
  ModelRun turn = test::ForceRun(p, 2.86, force, 0.02, c.record.initialU);
  turn.onWeightFault = [&calls] { ++calls; };
  IntegrateResponse(turn);
  const ResponseHistory expectedOriginal = turn.history;
  const bool expectedOriginalStopped = turn.stoppedByFault;
  turn.pass = ModelPass::Modified;
  IntegrateResponse(turn);
  const int expectedCalls = calls;

  calls = 0;
  ModelRun original = test::ForceRun(p, 2.86, force, 0.02, c.record.initialU);
  ModelRun modified = test::ForceRun(p, 2.86, force, 0.02, c.record.initialU);
  original.onWeightFault = [&calls] { ++calls; };
  modified.onWeightFault = [&calls] { ++calls; };
  IntegrateBothPasses(original, modified);

  ExpectSameResponse(original.history, expectedOriginal);
  EXPECT_EQ(original.stoppedByFault, expectedOriginalStopped);
  ExpectSameResponse(modified.history, turn.history);
  EXPECT_EQ(modified.stoppedByFault, turn.stoppedByFault);
  for (auto indices : {&ReversalIndexHistory::lastPlus, &ReversalIndexHistory::lastMinus,
                       &ReversalIndexHistory::maxPlus, &ReversalIndexHistory::maxMinus}) {
    EXPECT_EQ(modified.reversalIndices.*indices, turn.reversalIndices.*indices);
  }
  for (auto point : {&ReversalMemory::lastPlus, &ReversalMemory::lastMinus,
                     &ReversalMemory::maxPlus, &ReversalMemory::maxMinus}) {
    EXPECT_EQ(std::memcmp(&(modified.memory.*point), &(turn.memory.*point), sizeof(ReversalPoint)),
              0);
  }
  ASSERT_EQ(modified.memory.maxList.size(), turn.memory.maxList.size());
  ASSERT_EQ(modified.memory.minList.size(), turn.memory.minList.size());
  EXPECT_EQ(original.weightFaults + modified.weightFaults, turn.weightFaults);
  EXPECT_EQ(calls, expectedCalls);
  EXPECT_EQ(modified.specialFunctionFault, turn.specialFunctionFault);
  // Only the evaluations made count: a shared step makes none.
  EXPECT_LE(original.derivativeEvaluations + modified.derivativeEvaluations,
            turn.derivativeEvaluations);
  if (c.record.P < 0.0 && c.rule == ReversalRule::AllReversals &&
      c.method == SolutionMethod::RungeKuttaStepDoubling) {
    EXPECT_GT(turn.weightFaults, 0);  // the faulting record does fault
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BothPasses, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) {
                           const Case& c = info.param;
                           return std::string(c.record.name) + "_" + test::SchemeName(c.method) +
                                  "_" + test::RuleName(c.rule);
                         });

// The shared steps are taken: on a record whose modified response never leaves the original
// one, the modified pass evaluates no derivative at all.
TEST(BothPasses, ModifiedPassEvaluatesNothingWhileItIsTheOriginal) {
  const ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKuttaStepDoubling);
  const std::vector<double> force = test::SineSamples(5.0, 3.0, 0.02, 301);
  ModelRun original = test::ForceRun(p, 2.86, force, 0.02);
  ModelRun modified = test::ForceRun(p, 2.86, force, 0.02);
  IntegrateBothPasses(original, modified);
  EXPECT_GT(original.derivativeEvaluations, 0);
  EXPECT_EQ(modified.derivativeEvaluations, 0);
  EXPECT_TRUE(SameBits(modified.history.U, original.history.U));
}

}  // namespace
}  // namespace quarvel
