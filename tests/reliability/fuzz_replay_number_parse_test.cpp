// The number_parse fuzz target, compiled under another name, replaying its seeds and the
// inputs earlier fuzz runs failed on.
#define LLVMFuzzerTestOneInput NumberParseFuzzTarget
#include "../../fuzz/number_parse_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#include "fuzz_replay.h"

QUARVEL_FUZZ_REPLAY(NumberParse, "number_parse", NumberParseFuzzTarget, 11)
