// The study_shard fuzz target, compiled under another name, replaying its seeds and the
// inputs earlier fuzz runs failed on.
#define LLVMFuzzerTestOneInput StudyShardFuzzTarget
#include "../../fuzz/study_shard_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#include "fuzz_replay.h"

QUARVEL_FUZZ_REPLAY(StudyShard, "study_shard", StudyShardFuzzTarget, 11)
