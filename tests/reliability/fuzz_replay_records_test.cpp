// The record reader fuzz targets (AT2, columns, CSV), compiled into the test program under
// other names, replaying their seeds and the inputs earlier fuzz runs failed on.

#define LLVMFuzzerTestOneInput At2RecordFuzzTarget
#include "../../fuzz/at2_record_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput ColumnsRecordFuzzTarget
#include "../../fuzz/columns_record_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput CsvRecordFuzzTarget
#include "../../fuzz/csv_record_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include "fuzz_replay.h"

namespace quarvel::reliability {
namespace {

TEST(FuzzReplay, RecordReaders) {
  EXPECT_GE(ReplayFuzzInputs("at2_record", At2RecordFuzzTarget), 8);
  EXPECT_GE(ReplayFuzzInputs("columns_record", ColumnsRecordFuzzTarget), 8);
  EXPECT_GE(ReplayFuzzInputs("csv_record", CsvRecordFuzzTarget), 8);
}

}  // namespace
}  // namespace quarvel::reliability
