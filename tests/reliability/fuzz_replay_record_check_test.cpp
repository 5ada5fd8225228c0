// The record_check fuzz target, compiled under another name, replaying its seeds and the
// inputs earlier fuzz runs failed on.
#define LLVMFuzzerTestOneInput RecordCheckFuzzTarget
#include "../../fuzz/record_check_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#include "fuzz_replay.h"

QUARVEL_FUZZ_REPLAY(RecordCheck, "record_check", RecordCheckFuzzTarget, 11)
