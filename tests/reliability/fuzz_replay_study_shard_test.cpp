// The study_shard fuzz target, compiled into the test program under another name, replaying its
// seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput StudyShardFuzzTarget
#include "../../fuzz/study_shard_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, StudyShard) {
  EXPECT_GT(ReplayFuzzInputs("study_shard", StudyShardFuzzTarget), 10);
}

}  // namespace
}  // namespace quarvel::reliability
