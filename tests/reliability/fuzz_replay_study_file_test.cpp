// The study_file fuzz target, compiled under another name, replaying its seeds and the
// inputs earlier fuzz runs failed on.
#define LLVMFuzzerTestOneInput StudyFileFuzzTarget
#include "../../fuzz/study_file_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#include "fuzz_replay.h"

QUARVEL_FUZZ_REPLAY(StudyFile, "study_file", StudyFileFuzzTarget, 8)
