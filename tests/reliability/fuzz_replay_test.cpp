// Replays stored inputs through every fuzz target's entry point in the normal test build: the
// seed corpus and every input a fuzz run once failed on (fuzz/regressions/<target>/). Each
// target is compiled here under another name; one that finds a fault aborts with its message,
// which fails the test program.

#define LLVMFuzzerTestOneInput ExperimentFileFuzzTarget
#include "../../fuzz/experiment_file_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput NumberParseFuzzTarget
#include "../../fuzz/number_parse_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput RecordCheckFuzzTarget
#include "../../fuzz/record_check_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput SolveFuzzTarget
#include "../../fuzz/solve_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput SpectrumPeriodsFuzzTarget
#include "../../fuzz/spectrum_periods_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput SpectrumShardFuzzTarget
#include "../../fuzz/spectrum_shard_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput SpectrumRowsFuzzTarget
#include "../../fuzz/spectrum_rows_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput StudyFileFuzzTarget
#include "../../fuzz/study_file_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput StudyShardFuzzTarget
#include "../../fuzz/study_shard_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput At2RecordFuzzTarget
#include "../../fuzz/at2_record_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput ColumnsRecordFuzzTarget
#include "../../fuzz/columns_record_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput CsvRecordFuzzTarget
#include "../../fuzz/csv_record_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quarvel::reliability {
namespace {

struct Target {
  const char* name;
  int (*entry)(const uint8_t*, size_t);
  int fewest;  // stored inputs expected at least
};

const Target kTargets[] = {
    {"experiment_file", ExperimentFileFuzzTarget, 11}, {"number_parse", NumberParseFuzzTarget, 11},
    {"record_check", RecordCheckFuzzTarget, 11},       {"solve", SolveFuzzTarget, 11},
    {"spectrum_periods", SpectrumPeriodsFuzzTarget, 11},
    {"spectrum_shard", SpectrumShardFuzzTarget, 11},   {"study_file", StudyFileFuzzTarget, 8},
    {"spectrum_rows", SpectrumRowsFuzzTarget, 11},
    {"study_shard", StudyShardFuzzTarget, 11},         {"at2_record", At2RecordFuzzTarget, 8},
    {"columns_record", ColumnsRecordFuzzTarget, 8},    {"csv_record", CsvRecordFuzzTarget, 8},
};

class FuzzReplay : public testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, Replays) {
  namespace fs = std::filesystem;
  int count = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    std::error_code missing;
    const fs::path path = fs::path(QUARVEL_SOURCE_DIR) / "fuzz" / folder / GetParam().name;
    for (const auto& item : fs::directory_iterator(path, missing)) {
      SCOPED_TRACE(item.path().string());
      std::ifstream in(item.path(), std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
      GetParam().entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++count;
    }
  }
  EXPECT_GE(count, GetParam().fewest);
}

INSTANTIATE_TEST_SUITE_P(, FuzzReplay, testing::ValuesIn(kTargets),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quarvel::reliability
