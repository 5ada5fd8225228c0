// Fuzz target: the experiment-file loader, fed the bytes of a whole file from memory through
// the same line splitting and item reading as a file on disk.
//
// Beyond "no crash, no leak, no undefined behaviour", every outcome is checked against what the
// rest of the program relies on: a failed load leaves an empty set and names a line no further
// than one past the last; a successful one holds 1..N records of the shape RecordShapeBroken
// checks, with finite numbers, whose memory is paid for by lines actually present in the
// input. The details panel texts are built for every record.

#include <cmath>
#include <cstdint>
#include <string>

#include "experiments/experiment_file.h"
#include "experiments/experiment_labels.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
  using fuzz::Fail;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const int64_t lines = fuzz::CountLines(bytes);

  ExperimentSet set;
  // A previous set, which every load replaces: its record has a NaN weight and counter -1.
  set.Append(Experiment{});
  set.At(1).weight = std::nan("");
  set.At(1).counter = -1;
  const LoadResult result = LoadExperimentText(bytes, set);

  if (!result.ok) {
    if (set.Count() != 0) Fail("a failed load kept records");
    fuzz::CheckRefusal(result, lines + 1);
    return 0;
  }
  if (set.Count() < 1) Fail("a successful load with no record");
  int64_t itemLines = 1;  // the count line
  for (const Experiment& e : set.Records()) {
    if (const char* broken = fuzz::RecordShapeBroken(e)) Fail(broken);
    if (static_cast<uint32_t>(e.dataType) > 2 || (e.unitsOfG != 0 && e.unitsOfG != 1)) {
      Fail("data type or units out of range");
    }
    for (const double v : {e.weight, e.mass, e.initialU, e.initialUDot, e.initialZ, e.timeStep}) {
      if (!std::isfinite(v)) Fail("a non-finite number was accepted (or a previous record)");
    }
    itemLines += 10 + e.counter;
    (void)UpdateLabels(e);
  }
  if (itemLines > lines) Fail("more items than lines in the input");
  return 0;
}
