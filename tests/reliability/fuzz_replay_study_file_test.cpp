// The study_file fuzz target, compiled into the test program under another name, replaying its
// seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput StudyFileFuzzTarget
#include "../../fuzz/study_file_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, StudyFile) { EXPECT_GE(ReplayFuzzInputs("study_file", StudyFileFuzzTarget), 8); }

}  // namespace
}  // namespace quarvel::reliability
