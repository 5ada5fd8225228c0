// The record_check fuzz target, compiled into the test program under another name, replaying
// its seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput RecordCheckFuzzTarget
#include "../../fuzz/record_check_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, RecordCheck) {
  EXPECT_GT(ReplayFuzzInputs("record_check", RecordCheckFuzzTarget), 10);
}

}  // namespace
}  // namespace quarvel::reliability
