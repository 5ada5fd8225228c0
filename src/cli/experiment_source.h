#pragma once
// Filling the workbench's experiment set from the command line's experiment-source options.

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "records/record_check.h"
#include "solve/workbench.h"

namespace quarvel::cli {

// Replaces bench.experiments from the chosen source and selects the first experiment with the
// graph quantities the window would select. The files of --load, in order, make one set: a
// .quarvel file's warnings go to stderr (with options.strict a warning fails the load), a
// record file is read with the record options. Returns an error text (empty on success);
// `provenance` (if given) receives where each loaded experiment came from.
std::string LoadExperiments(const CommonOptions& options, Workbench& bench,
                            std::vector<RecordProvenance>* provenance = nullptr);

// Appends the experiments of `file` to `records`, read by content and extension (or as
// recordOptions.format): a .quarvel file through its check (warnings to stderr; with `strict` a
// warning fails it), a record file (AT2, columns, CSV) with the record options. An error text
// (empty on success).
std::string ReadSourceFile(const std::string& file, const RecordOptions& recordOptions,
                           bool strict, RecordSet& records);

// Prints the warnings of a checked load to stderr, one "file:line: warning: ..." line each,
// then the count of those not printed and the hint about another format.
void PrintRecordWarnings(const CheckedLoad& checked);

// The failure of a checked load: the loader's message and the reason, or under --strict the
// count of warnings; empty when the load stands.
std::string CheckedLoadFailure(const CheckedLoad& checked, bool strict);

}  // namespace quarvel::cli
