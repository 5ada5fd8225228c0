// The experiment_file fuzz target, compiled under another name, replaying its seeds and the
// inputs earlier fuzz runs failed on.
#define LLVMFuzzerTestOneInput ExperimentFileFuzzTarget
#include "../../fuzz/experiment_file_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#include "fuzz_replay.h"

QUARVEL_FUZZ_REPLAY(ExperimentFile, "experiment_file", ExperimentFileFuzzTarget, 11)
