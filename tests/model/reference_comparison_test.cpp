// The optimised integration against the straightforward reference transcription: identical
// arrays to the last bit on the built-in sinusoidal force records.

#include <gtest/gtest.h>

#include <vector>

#include "model_test_support.h"
#include "reference_model.h"

namespace quarvel {
namespace {

struct RecordRow {
  const char* name;
  double period, amplitude, initialU;
};

class ReferenceComparison : public ::testing::TestWithParam<RecordRow> {};

TEST_P(ReferenceComparison, RungeKuttaStepDoublingAllReversalsIsBitIdentical) {
  const RecordRow& row = GetParam();
  const int n = static_cast<int>(10.0 * row.period / 0.02 + 0.5) + 1;
  const std::vector<double> force = test::SineSamples(row.amplitude, row.period, 0.02, n);
  const ModelParameters p = test::DefaultParameters(SolutionMethod::RungeKuttaStepDoubling);
  for (ModelPass pass : test::kBothPasses) {
    ModelRun run = test::ForceRun(p, 2.86, force, 0.02, row.initialU, 0.0, 0.0, pass);
    IntegrateResponse(run);
    const reference::Response expected = reference::RungeKuttaStepDoublingAllReversals(
        p, pass == ModelPass::Modified, 2.86, force, n, 0.02, row.initialU, 0.0, 0.0);
    EXPECT_EQ(run.history.T, expected.T);
    EXPECT_EQ(run.history.U, expected.U);
    EXPECT_EQ(run.history.U_DOT, expected.U_DOT);
    EXPECT_EQ(run.history.U_DOT_DOT, expected.U_DOT_DOT);
    EXPECT_EQ(run.history.F, expected.F);
    EXPECT_EQ(run.history.Z, expected.Z);
    EXPECT_EQ(run.history.Fh, expected.Fh);
    EXPECT_EQ(run.weightFaults, 0);
    if (pass == ModelPass::Modified) {
      EXPECT_GT(expected.positiveWeights, 1000);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Records, ReferenceComparison,
                         ::testing::Values(RecordRow{"T1Amp5", 1.0, 5.0, 0.0},
                                           RecordRow{"T1Amp20", 1.0, 20.0, 0.0},
                                           RecordRow{"T2Amp5FromDisplacedStart", 2.0, 5.0, 0.05}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quarvel
