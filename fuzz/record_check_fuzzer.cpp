// Fuzz target: the record check, fed the bytes of a whole file from memory.
//
// Beyond "no crash, no leak, no undefined behaviour": the checked load gives exactly what the
// plain loader gives (result, line, reason, every record bit for bit), and the warnings are
// in line order, name lines that exist, are counted in full and kept up to their limit.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "records/record_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
  using fuzz::Fail;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ExperimentSet checkedSet, plainSet;
  const CheckedLoad checked = LoadCheckedExperimentText(bytes, checkedSet, "f");
  const LoadResult plain = LoadExperimentText(bytes, plainSet, "f");

  if (checked.load.ok != plain.ok || checked.load.lineNumber != plain.lineNumber ||
      checked.load.reason != plain.reason) {
    Fail("the checked load's result differs from the loader's");
  }
  if (checkedSet.Count() != plainSet.Count()) Fail("the checked load holds other records");
  for (int32_t k = 1; k <= plainSet.Count(); ++k) {
    if (!fuzz::SameRecord(checkedSet.At(k), plainSet.At(k)))
      Fail("a record differs from the loader's");
  }

  const int64_t lines = fuzz::CountLines(bytes);
  if (checked.warningCount < static_cast<int64_t>(checked.warnings.size())) {
    Fail("fewer warnings counted than kept");
  }
  if (static_cast<int64_t>(checked.warnings.size()) >
      std::min<int64_t>(checked.warningCount, kMaxRecordWarnings)) {
    Fail("more warnings kept than the limit");
  }
  int64_t previous = 0;
  for (const RecordWarning& warning : checked.warnings) {
    if (warning.lineNumber < 1 || warning.lineNumber > lines) Fail("a warning names no line");
    if (warning.lineNumber < previous) Fail("warnings out of line order");
    if (warning.text.empty()) Fail("an empty warning");
    previous = warning.lineNumber;
    (void)DescribeWarning("f", warning);
  }
  return 0;
}
