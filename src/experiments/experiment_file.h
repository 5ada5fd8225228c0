#pragma once
// The experiment text file (*.quarvel) and its loader.
//
// One item per line; a line ends at LF, CR or CR LF (mixed endings are accepted):
//   N                               number of experiments, rounded half-even, >= 1
//   then N blocks of
//   name                            the whole line, unchanged
//   weight, mass, initial U, initial U_dot, initial Z      one number per line
//   data type                       FORCE / DISPLACEMENT / anything else: acceleration
//   units                           UNITS OF G: units of g / anything else: none
//   time step
//   n                               number of samples, rounded half-even, >= 1
//   n samples                       one number per line
// Lines after the N-th block are ignored. Numbers are read by the leading-number parse: a
// line without a leading number reads as 0, a number too large for a double is an error.
// A line longer than 16 MiB is an error (it would otherwise be held whole in memory).

#include <cstdint>
#include <string>
#include <string_view>

#include "experiments/experiment.h"
#include "io/file_result.h"

namespace quarvel {

// Message shown to the user when a load fails.
inline constexpr std::string_view kLoadErrorMessage = "Error while loading the file!";

// Outcome of a load: success, or the file, line and reason of the failure, e.g. "the number of
// samples must be at least 1". On success the file name is set too.
using LoadResult = FileResult;

// Reads the experiment file `fileName` into `set`, replacing its whole contents. On failure
// the set's count is 0 and nothing that was read is kept. Memory grows with the lines that
// are actually present, whatever counts the file declares.
LoadResult LoadExperimentFile(const std::string& fileName, ExperimentSet& set);

// The same load from the bytes of a file already in memory; `name` stands for the file name
// in the result.
LoadResult LoadExperimentText(std::string_view text, ExperimentSet& set,
                              std::string_view name = "(text)");

// Keyword of a data-type line: spaces trimmed at both ends (tabs are kept), ASCII upper case;
// "FORCE" is Force, "DISPLACEMENT" Displacement, anything else Acceleration.
ExperimentDataType ParseDataTypeKeyword(std::string_view line);

// Keyword of a units line, trimmed and upper-cased alike: "UNITS OF G" gives 1, else 0.
int32_t ParseUnitsKeyword(std::string_view line);

}  // namespace quarvel
