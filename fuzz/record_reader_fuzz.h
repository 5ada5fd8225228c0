#pragma once
// Shared by the fuzz targets of the record readers (AT2, columns, CSV): one input read as a
// file of the given format, and every outcome checked against what the rest of the program
// relies on. A failure names a line no further than one past the last (an option that a header
// contradicts: the header's line) and gives no record; a success gives exactly one record of
// the type asked for (acceleration when none is) and the shape RecordShapeBroken checks, with
// a time step above 0 and a provenance that agrees with it. The format recognition runs on
// every input too.

#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "records/record_file.h"

namespace quarvel::fuzz {

inline int ReadRecordFuzzInput(const uint8_t* data, size_t size, RecordFormat format) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const RecordQuestions questions = QuestionsOf(bytes, "input");
  // Every column the record dialog offers is one the reader finds by its number.
  if (format == RecordFormat::Csv && !questions.columns.empty()) {
    RecordOptions chosen;
    chosen.format = format;
    chosen.timeStep = 0.01;
    chosen.column = std::to_string(questions.columns.back().first);
    const RecordLoad load = LoadRecordText(bytes, "input", chosen);
    if (!load.result && load.result.reason.rfind("no column", 0) == 0) Fail("offered no column");
  }
  // The options vary with the input's size: none given (what a header says counts), or units,
  // or a type that a header may contradict.
  RecordOptions options;
  options.format = format;
  options.timeStep = 0.01;
  if (size % 3 == 1) options.units = AccelerationUnits::CentimetresPerSecondSquared;
  if (size % 3 == 2) options.type = ExperimentDataType::Displacement;

  const RecordLoad load = LoadRecordText(bytes, "input", options);
  const RecordSet& out = load.records;
  if (out.experiments.size() != out.provenance.size()) Fail("provenance out of step");
  if (!load.result) {
    if (!out.experiments.empty()) Fail("a failed read gave a record");
    CheckRefusal(load.result, CountLines(bytes) + 1);
    if (load.contradicted != RecordOption::None && load.result.lineNumber != 3) {
      Fail("a contradiction names no header line");
    }
    return 0;
  }
  if (out.experiments.size() != 1) Fail("a record file gave other than one record");
  const Experiment& e = out.experiments[0];
  const RecordProvenance& p = out.provenance[0];
  if (const char* broken = RecordShapeBroken(e)) Fail(broken);
  // Every value takes at least one byte of the input.
  if (static_cast<size_t>(e.counter) > size) Fail("counter out of range");
  if (!(e.timeStep > 0.0) || !std::isfinite(e.timeStep)) Fail("time step not above 0");
  const ExperimentDataType type = options.type.value_or(ExperimentDataType::Acceleration);
  if (e.dataType != type) Fail("the type is not the one asked for");
  if (e.unitsOfG != 0 && (options.units || type != ExperimentDataType::Acceleration)) {
    Fail("units of g that were not asked for");
  }
  if (p.format != format || p.samples != e.counter || p.timeStep != e.timeStep ||
      !std::isfinite(p.startTime)) {
    Fail("provenance disagrees with the record");
  }
  return 0;
}

}  // namespace quarvel::fuzz
