// The spectrum_shard fuzz target, compiled into the test program under another name, replaying
// its seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput SpectrumShardFuzzTarget
#include "../../fuzz/spectrum_shard_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, SpectrumShard) {
  EXPECT_GT(ReplayFuzzInputs("spectrum_shard", SpectrumShardFuzzTarget), 10);
}

}  // namespace
}  // namespace quarvel::reliability
