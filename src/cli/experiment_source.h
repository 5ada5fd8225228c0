#pragma once
// Filling the workbench's experiment set from the command line's experiment-source options.

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "records/record_file.h"
#include "solve/workbench.h"

namespace quarvel::cli {

// Replaces bench.experiments from the chosen source and selects the first experiment with the
// graph quantities the window would select. The files of --load, in order, make one set, each
// read as ReadSourceFile reads it (with options.strict a warning fails the load). Returns the
// exit status (0 on success; the reason printed); `provenance` (if given) receives where each
// loaded experiment came from.
int LoadExperiments(const CommonOptions& options, Workbench& bench,
                    std::vector<RecordProvenance>* provenance = nullptr);

// Reads `file` through the records' one door with `options` (`choices` as typed, to name an
// option the file contradicts) and prints its warnings to stderr, and on a failure why.
// `status` receives 0 on success, else 1, or 2 when an option contradicts the file.
RecordLoad ReadSourceFile(const std::string& file, const RecordOptions& options,
                          const RecordChoices& choices, int& status);

// Prints the warnings of a load to stderr, one "file:line: warning: ..." line each, then the
// count of those not printed and the hint about another format.
void PrintRecordWarnings(const RecordLoad& load);

// The option as typed ("--units cm/s2") that a failed load's file contradicts; empty when none.
std::string ContradictingOption(const RecordLoad& load, const RecordChoices& choices);

}  // namespace quarvel::cli
