// Fuzz target: the record check, fed the bytes of a whole file from memory.
//
// Beyond "no crash, no leak, no undefined behaviour": the checked load gives exactly what the
// plain loader gives (result, line, reason, every record bit for bit), and the warnings are
// in line order, name lines that exist, are counted in full and kept up to their limit.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "line_count.h"
#include "records/record_check.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "record_check_fuzzer: %s\n", what);
  std::abort();
}

bool SameRecord(const quarvel::Experiment& a, const quarvel::Experiment& b) {
  const auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
  if (a.name != b.name || a.dataType != b.dataType || a.unitsOfG != b.unitsOfG ||
      a.counter != b.counter) {
    return false;
  }
  for (const auto& [x, y] : {std::pair{a.weight, b.weight}, {a.mass, b.mass},
                             {a.initialU, b.initialU}, {a.initialUDot, b.initialUDot},
                             {a.initialZ, b.initialZ}, {a.timeStep, b.timeStep}}) {
    if (!same(x, y)) return false;
  }
  const std::vector<double>& sa = quarvel::SamplesOf(a);
  const std::vector<double>& sb = quarvel::SamplesOf(b);
  if (sa.size() != sb.size()) return false;
  for (std::size_t i = 0; i < sa.size(); ++i) {
    if (!same(sa[i], sb[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
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
    if (!SameRecord(checkedSet.At(k), plainSet.At(k))) Fail("a record differs from the loader's");
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
