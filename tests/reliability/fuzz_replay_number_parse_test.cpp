// The number_parse fuzz target, compiled into the test program under another name, replaying its
// seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput NumberParseFuzzTarget
#include "../../fuzz/number_parse_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, NumberParse) {
  EXPECT_GT(ReplayFuzzInputs("number_parse", NumberParseFuzzTarget), 10);
}

}  // namespace
}  // namespace quarvel::reliability
