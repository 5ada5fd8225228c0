// Long sessions: a two-thousand-value study of quarvel-cli leaves the memory where it was after
// the first few values. Leaks themselves are caught by LeakSanitizer in the sanitizer build, which
// runs every quarvel-cli test with leak detection.

#include <gtest/gtest.h>

#include <string>

#include "reliability_support.h"
#include "support/command_runner.h"

namespace quarvel::reliability {
namespace {

using test::CliRun;
using test::RunCli;

// A two-thousand-value study, each value solving DC 1 once more, ends within 1 MiB of the
// resident memory of a twenty-value one: keeping any solve's responses (some 30 KiB) per value
// would pass this within a few dozen values. Smaller leaks are LeakSanitizer's.
TEST(LongSession, CommandLineStudyMemoryDoesNotGrowWithItsLength) {
  ScratchFolder folder;
  const CliRun shortStudy =
      RunCli(folder.Path(), "loop --dc1 --method euler --from 1 --to 1.019 --step 0.001 --dir .");
  const CliRun longStudy =
      RunCli(folder.Path(), "loop --dc1 --method euler --from 1 --to 2.999 --step 0.001 --dir .");
  ASSERT_EQ(shortStudy.status, 0) << shortStudy.err;
  ASSERT_EQ(longStudy.status, 0) << longStudy.err;
  EXPECT_NE(longStudy.out.find("(2000 values"), std::string::npos) << longStudy.out;
  if (!kUnderSanitizer) {  // the sanitizers' shadow memory would swamp the bound
    ASSERT_GT(shortStudy.maxRssKiB, 0);
    EXPECT_LT(longStudy.maxRssKiB - shortStudy.maxRssKiB, 1024)
        << shortStudy.maxRssKiB << " -> " << longStudy.maxRssKiB;
  }
}

}  // namespace
}  // namespace quarvel::reliability
