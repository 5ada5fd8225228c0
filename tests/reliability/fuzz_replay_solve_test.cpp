// The solve fuzz target, compiled into the test program under another name, replaying its
// seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput SolveFuzzTarget
#include "../../fuzz/solve_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, Solve) { EXPECT_GT(ReplayFuzzInputs("solve", SolveFuzzTarget), 10); }

}  // namespace
}  // namespace quarvel::reliability
