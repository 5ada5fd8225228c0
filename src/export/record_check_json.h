#pragma once
// The check of record files as JSON: per file whether it loaded (or why not) and its warnings,
// per record what the summaries say of it (name, type, units, step, samples, source) and its
// measures: duration, peak, and for a ground acceleration PGA, PGV, PGD, Arias intensity and
// the 5-95 % significant duration.

#include <vector>

#include "export/summary_json.h"
#include "records/record_file.h"

namespace quarvel {

// One file's check: {file, loaded, error, warnings, records}.
Json RecordCheckJson(const RecordLoad& load);

// The checks of every file under the program's name: {program, version, command, arguments,
// files}.
Json RecordChecksJson(const ProgramInfo& program, const std::vector<Json>& files);

}  // namespace quarvel
