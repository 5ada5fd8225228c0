#pragma once
// Shared by the fuzz targets of the record readers (AT2, columns, CSV): one input read as a
// file of the given format, and every outcome checked against what the rest of the program
// relies on. A failure names a line no further than one past the last and leaves the records
// read before untouched; a success adds exactly one acceleration record of the shape
// RecordShapeBroken checks, with a time step above 0 and a provenance that agrees with it.
// The format recognition runs on every input too.

#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "records/record_file.h"

namespace quarvel::fuzz {

inline int ReadRecordFuzzInput(const uint8_t* data, size_t size, RecordFormat format) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  (void)DetectRecordFormat(bytes, "input");
  RecordOptions options;
  options.format = format;
  options.timeStep = 0.01;
  options.units = AccelerationUnits::CentimetresPerSecondSquared;
  RecordSet out;
  out.experiments.emplace_back();  // read before: must stay as it is
  out.provenance.emplace_back();
  out.experiments[0].counter = -1;

  const FileResult result = ReadRecordText(bytes, "input", options, out);
  if (out.experiments.size() != out.provenance.size()) Fail("provenance out of step");
  if (out.experiments[0].counter != -1) Fail("an earlier record was changed");
  if (!result) {
    if (out.experiments.size() != 1) Fail("a failed read added a record");
    CheckRefusal(result, CountLines(bytes) + 1);
    return 0;
  }
  if (out.experiments.size() != 2) Fail("a record file gave other than one record");
  const Experiment& e = out.experiments[1];
  const RecordProvenance& p = out.provenance[1];
  if (const char* broken = RecordShapeBroken(e)) Fail(broken);
  // Every value takes at least one byte of the input.
  if (static_cast<size_t>(e.counter) > size) Fail("counter out of range");
  if (!(e.timeStep > 0.0) || !std::isfinite(e.timeStep)) Fail("time step not above 0");
  if (e.dataType != ExperimentDataType::Acceleration || e.unitsOfG != 0) Fail("type");
  if (p.format != format || p.samples != e.counter || p.timeStep != e.timeStep ||
      !std::isfinite(p.startTime)) {
    Fail("provenance disagrees with the record");
  }
  return 0;
}

}  // namespace quarvel::fuzz
