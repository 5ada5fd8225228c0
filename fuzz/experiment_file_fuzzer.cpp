// Fuzz target: the experiment-file loader, fed the bytes of a whole file from memory through
// the same line splitting and item reading as a file on disk.
//
// Beyond "no crash, no leak, no undefined behaviour", every outcome is checked against what the
// rest of the program relies on: a failed load leaves an empty set and names a line no further
// than one past the last; a successful one holds 1..N records whose sample array (and only
// that one) has counter + 1 finite entries with entry 0 unused, and whose memory is paid for by
// lines actually present in the input. The details panel texts are built for every record.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "experiments/experiment_file.h"
#include "fuzz_check.h"
#include "experiments/experiment_labels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
  using fuzz::Fail;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const int64_t lines = fuzz::CountLines(bytes);

  ExperimentSet set;
  // A previous set, which every load replaces: values no load can give (a NaN weight and a
  // negative counter) mark its record.
  set.Append(Experiment{});
  set.At(1).weight = std::nan("");
  set.At(1).counter = -1;
  const LoadResult result = LoadExperimentText(bytes, set);

  if (!result.ok) {
    if (set.Count() != 0) Fail("a failed load kept records");
    if (result.reason.empty()) Fail("a failure without a reason");
    if (result.lineNumber < 0 || result.lineNumber > lines + 1) Fail("failure line out of range");
    if (result.Describe().empty()) Fail("empty description of a failure");
    return 0;
  }

  if (set.Count() < 1) Fail("a successful load with no record");
  int64_t itemLines = 1;  // the count line
  for (const Experiment& e : set.Records()) {
    if (e.counter < 1) Fail("counter below 1 (or a record of the previous set)");
    const auto type = static_cast<int32_t>(e.dataType);
    if (type < 0 || type > 2) Fail("data type out of range");
    if (e.unitsOfG != 0 && e.unitsOfG != 1) Fail("units out of range");
    for (const double v : {e.weight, e.mass, e.initialU, e.initialUDot, e.initialZ, e.timeStep}) {
      if (!std::isfinite(v)) Fail("a non-finite number was accepted (or a previous record)");
    }
    const std::vector<double>& samples = SamplesOf(e);
    if (samples.size() != static_cast<std::size_t>(e.counter) + 1) Fail("sample array size");
    if (samples[0] != 0.0) Fail("entry 0 of the samples is not 0");
    for (const double v : samples) {
      if (!std::isfinite(v)) Fail("a non-finite sample was accepted");
    }
    std::size_t filled = 0;
    for (const auto* array : {&e.force, &e.displacement, &e.acceleration}) {
      if (!array->empty()) ++filled;
    }
    if (filled != 1) Fail("not exactly one sample array filled");
    itemLines += 10 + e.counter;
    (void)UpdateLabels(e);
  }
  if (itemLines > lines) Fail("more items than lines in the input");
  return 0;
}
