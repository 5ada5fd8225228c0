#pragma once
// Checks of an experiment file (*.quarvel) against what its writer probably meant.
//
// The loader reads every line by fixed rules: a number line by its leading number (0 when it
// has none), a data-type line that is not FORCE or DISPLACEMENT as Acceleration, a units line
// that is not UNITS OF G as no unit system, and it ignores the lines after the last block.
// These rules never refuse a line, so a typing slip ("Forse", "g", "0,00630", a blank line)
// silently changes the record. The check loads the file exactly as the loader does and, beside
// the unchanged result, names every line read in such a way, with its line number.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment.h"
#include "experiments/experiment_file.h"

namespace quarvel {

// One line read in a way its writer probably did not mean.
struct RecordWarning {
  int64_t lineNumber = 0;  // 1-based
  std::string text;        // what the line holds and how it was read
};

// Warnings kept per load; the rest are only counted (a broken file of a million samples would
// otherwise give a million lines).
inline constexpr int64_t kMaxRecordWarnings = 100;

// A load with its check.
struct CheckedLoad {
  LoadResult load;                      // exactly what the loader gives
  std::vector<RecordWarning> warnings;  // in line order, at most kMaxRecordWarnings
  int64_t warningCount = 0;             // every warning, those not kept included
  // Names the other format the file looks like (a PEER record, CSV, columns of numbers) when
  // its first line is not a number; empty otherwise.
  std::string hint;
};

// Loads `fileName` into `set` as LoadExperimentFile does and checks every line it reads.
CheckedLoad LoadCheckedExperimentFile(const std::string& fileName, ExperimentSet& set);

// The same from the bytes of a file in memory; `name` stands for the file name.
CheckedLoad LoadCheckedExperimentText(std::string_view text, ExperimentSet& set,
                                      std::string_view name = "(text)");

// "<file>:<line>: warning: <text>", the form compilers use, so that editors can jump to it.
std::string DescribeWarning(std::string_view fileName, const RecordWarning& warning);

}  // namespace quarvel
