// The spectrum_periods fuzz target, compiled into the test program under another name,
// replaying its seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput SpectrumPeriodsFuzzTarget
#include "../../fuzz/spectrum_periods_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, SpectrumPeriods) {
  EXPECT_GT(ReplayFuzzInputs("spectrum_periods", SpectrumPeriodsFuzzTarget), 10);
}

}  // namespace
}  // namespace quarvel::reliability
