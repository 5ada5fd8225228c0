// Long sessions: a thousand solves in one process, and a two-thousand-value study of
// quarvel-cli, leave the memory where it was after the first few. Leaks themselves are caught by LeakSanitizer in
// the sanitizer build and, for quarvel-cli, by valgrind where it is installed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "reliability_support.h"
#include "solve/solve_experiments.h"

namespace quarvel::reliability {
namespace {

// Resident memory may drift by a few pages with the allocator's bookkeeping. A solve of the
// session's three records allocates some 33 KiB of responses: keeping any of them per solve
// would pass this allowance within a few dozen solves. Smaller leaks are LeakSanitizer's.
constexpr int64_t kAllowedGrowthKiB = 512;

// A thousand solves, every rule in turn, so that each keeps its reversal memory through the
// session. (A long study's memory is measured through quarvel-cli below.)
TEST(LongSession, AThousandSolvesKeepMemoryFlat) {
  Workbench bench = EulerBench(60);
  bench.inputs.txtSolutionEulerSteps = "4";
  SilentUserInterface ui;
  const auto solve = [&](int i) {
    bench.inputs.optALLREV = i % 4 == 0;
    bench.inputs.optReversalLast = i % 4 == 1;
    bench.inputs.optReversalMax = i % 4 == 2;
    bench.inputs.optReversalLastAndMax = i % 4 == 3;
    ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
  };
  const bool measure = !kUnderSanitizer && !UnderValgrind();
  for (int i = 0; i < 100; ++i) solve(i);
  const int64_t before = CurrentKiB();
  for (int i = 100; i < 1100; ++i) solve(i);
  if (measure) {
    EXPECT_LT(CurrentKiB() - before, kAllowedGrowthKiB) << before;
  }
  EXPECT_GT(bench.results.At(2).modifiedPeakU, 0.0);

}

TEST(LongSession, CommandLineStudyMemoryDoesNotGrowWithItsLength) {
  ScratchFolder folder;
  const CliRun shortStudy =
      RunCli(folder.Path(), "loop --dc1 --method euler --from 1 --to 1.019 --step 0.001 --dir .");
  const CliRun longStudy =
      RunCli(folder.Path(), "loop --dc1 --method euler --from 1 --to 2.999 --step 0.001 --dir .");
  ASSERT_EQ(shortStudy.status, 0) << shortStudy.err;
  ASSERT_EQ(longStudy.status, 0) << longStudy.err;
  EXPECT_NE(longStudy.out.find("(2000 values"), std::string::npos) << longStudy.out;
  if (!kUnderSanitizer && shortStudy.maxRssKiB > 0) {
    EXPECT_LT(longStudy.maxRssKiB - shortStudy.maxRssKiB, 2 * kAllowedGrowthKiB)
        << shortStudy.maxRssKiB << " -> " << longStudy.maxRssKiB;
  }
}

// quarvel-cli under valgrind's leak checker: a study of fifty values and a report.
TEST(LongSession, CommandLineHasNoLeakUnderValgrind) {
  if (kUnderSanitizer) GTEST_SKIP() << "the sanitizer build checks leaks itself";
  if (::access("/usr/bin/valgrind", X_OK) != 0) GTEST_SKIP() << "valgrind is not installed";
  ScratchFolder folder;
  const std::string valgrind =
      "/usr/bin/valgrind --quiet --leak-check=full --show-leak-kinds=definite,indirect "
      "--errors-for-leak-kinds=definite,indirect --error-exitcode=42";
  const CliRun loop = RunCli(folder.Path(),
                             "loop --dc2 --method euler --rule last-max --from 1 --to 1.049 "
                             "--step 0.001 --dir .",
                             300, valgrind);
  EXPECT_EQ(loop.status, 0) << loop.err;
  const CliRun report = RunCli(folder.Path(), "report --method rk -o report.txt", 300, valgrind);
  EXPECT_EQ(report.status, 0) << report.err;
}

}  // namespace
}  // namespace quarvel::reliability
