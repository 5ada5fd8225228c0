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
#include <functional>
#include <string>
#include <string_view>

#include "experiments/experiment.h"
#include "io/file_result.h"
#include "text/number_text.h"

namespace quarvel {

// Message shown to the user when a load fails.
inline constexpr std::string_view kLoadErrorMessage = "Error while loading the file!";

// Outcome of a load: success, or the file, line and reason of the failure, e.g. "the number of
// samples must be at least 1". On success the file name is set too.
using LoadResult = FileResult;

// What a line of the file is read as.
enum class ItemKind {
  ExperimentCount,  // line 1
  Name,
  Number,           // weight, mass, initial U, U_dot and Z
  DataType,
  Units,
  TimeStep,
  SampleCount,
  Sample,
  Ignored,          // after the last experiment's block
};

// One line as the loader met it, for an observer of the load.
struct ItemLine {
  int64_t lineNumber = 0;   // 1-based
  ItemKind kind = ItemKind::Name;
  const char* item = "";    // "the weight", "sample", ...
  int32_t experiment = 0;   // 1-based; 0 for the count line and ignored lines
  int32_t sample = 0;       // 1-based for sample lines, else 0
  std::string_view text;    // the line without its end, valid during the call
  const ParsedNumber* number = nullptr;  // the leading number of a number line, else none
};

// Called for every line the load reads, in order. With an observer the load also reads the
// lines after the last block (as Ignored; a fault there is not a load failure), so that they
// can be seen. The load's result is the same with or without an observer.
using ItemObserver = std::function<void(const ItemLine&)>;

// Reads the experiment file `fileName` into `set`, replacing its whole contents. On failure
// the set's count is 0 and nothing that was read is kept. Memory grows with the lines that
// are actually present, whatever counts the file declares.
LoadResult LoadExperimentFile(const std::string& fileName, ExperimentSet& set,
                              const ItemObserver& observer = {});

// The same load from the bytes of a file already in memory; `name` stands for the file name
// in the result.
LoadResult LoadExperimentText(std::string_view text, ExperimentSet& set,
                              std::string_view name = "(text)", const ItemObserver& observer = {});

// Writes `set` as an experiment file that LoadExperimentFile reads back to the same records,
// bit for bit: every number in the shortest text that reads back to the same double, the data
// type and units as keywords ("Force", "Displacement", "Acceleration"; "Units of g", "none"),
// lines ended by CR LF. A set without records, a name holding a line end and a non-finite
// number (which the loader cannot read back) are refused before anything is written.
FileResult WriteExperimentFile(const std::string& path, const ExperimentSet& set);

// A keyword line as the loader compares it: spaces trimmed at both ends (tabs are kept),
// ASCII letters upper-cased.
std::string KeywordOf(std::string_view line);

// Keyword of a data-type line: spaces trimmed at both ends (tabs are kept), ASCII upper case;
// "FORCE" is Force, "DISPLACEMENT" Displacement, anything else Acceleration.
ExperimentDataType ParseDataTypeKeyword(std::string_view line);

// Keyword of a units line, trimmed and upper-cased alike: "UNITS OF G" gives 1, else 0.
int32_t ParseUnitsKeyword(std::string_view line);

}  // namespace quarvel
