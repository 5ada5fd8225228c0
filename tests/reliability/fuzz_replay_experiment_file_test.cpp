// The experiment_file fuzz target, compiled into the test program under another name, replaying its
// seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput ExperimentFileFuzzTarget
#include "../../fuzz/experiment_file_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, ExperimentFile) {
  EXPECT_GT(ReplayFuzzInputs("experiment_file", ExperimentFileFuzzTarget), 10);
}

}  // namespace
}  // namespace quarvel::reliability
