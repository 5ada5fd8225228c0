// The solve fuzz target, compiled under another name, replaying its seeds and the
// inputs earlier fuzz runs failed on.
#define LLVMFuzzerTestOneInput SolveFuzzTarget
#include "../../fuzz/solve_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#include "fuzz_replay.h"

QUARVEL_FUZZ_REPLAY(Solve, "solve", SolveFuzzTarget, 11)
