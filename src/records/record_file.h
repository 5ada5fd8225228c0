#pragma once
// Ground-motion records in the formats that strong-motion databases publish, read into
// ordinary experiments: PEER NGA .AT2 files, plain text with one column (values) or two
// (time, value), CSV with a header row, and the program's own .quarvel files.
//
// What a file does not say comes from RecordOptions, with these defaults: an acceleration in
// g, mass 1, weight 1, initial state 0, named after the file (an AT2 file after its second
// header line). Accelerations in g keep their samples as written and are marked "units of g"
// (the solve multiplies them by 9.81); m/s^2 keeps them as written with no unit system (the
// solve takes them as they are); cm/s^2 divides them by 100 into m/s^2. Every number is read
// whole (a point as the decimal mark, an optional exponent): text where a number belongs is
// refused with the file, the line and the reason.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment.h"
#include "io/file_result.h"

namespace quarvel {

enum class RecordFormat {
  Quarvel,  // the program's experiment file: the file says everything, options are not used
  At2,      // PEER NGA: four header lines, then the values several per line
  Columns,  // plain text: one column (values, step from the options) or two (time, value)
  Csv,      // comma-, semicolon- or tab-separated with a header row
};

// Units of an acceleration record.
enum class AccelerationUnits { G, MetresPerSecondSquared, CentimetresPerSecondSquared };

// What the user says about the files, for what they leave open. Unset means the default.
struct RecordOptions {
  std::optional<RecordFormat> format;          // recognised by content and extension otherwise
  std::optional<ExperimentDataType> type;      // Acceleration
  std::optional<AccelerationUnits> units;      // G (only for accelerations)
  std::optional<double> mass;                  // 1
  std::optional<std::string> name;             // the file's name without folder and extension
  std::optional<double> timeStep;              // none: needed by one column or a CSV without times
  std::optional<std::string> column;           // CSV value column, by header name or number
};

// Where a record came from and how it was read.
struct RecordProvenance {
  std::string file;              // as given
  RecordFormat format = RecordFormat::Quarvel;
  ExperimentDataType type = ExperimentDataType::Acceleration;
  std::string units;             // of the file's values: "g", "m/s^2", "cm/s^2", "N", "m"
  double scale = 1.0;            // the samples are the file's values times this
  double timeStep = 0.0;         // seconds, as used
  int32_t samples = 0;
  double startTime = 0.0;        // time of the file's first value (sample 1 is solved at t = 0)
  std::string column;            // the CSV column read; empty for other formats
};

// Experiments read from one or several files, with the provenance of each, in the same order.
struct RecordSet {
  std::vector<Experiment> experiments;
  std::vector<RecordProvenance> provenance;
};

// One file to read and what to assume about it.
struct RecordSource {
  std::string path;
  RecordOptions options;
};

// Files larger than this are refused before they are read.
inline constexpr std::uintmax_t kMaxRecordFileBytes = std::uintmax_t{512} << 20;

// Reads `path` (format from options.format, else recognised) and appends its experiments to
// `out`. On failure `out` is unchanged and the result names the file, the line and the reason.
FileResult ReadRecordFile(const std::string& path, const RecordOptions& options, RecordSet& out);

// The same from the bytes of a file in memory; `path` names the file (its extension counts in
// recognising the format).
FileResult ReadRecordText(std::string_view text, const std::string& path,
                          const RecordOptions& options, RecordSet& out);

// Reads every source in order into one set. The set is all or nothing: on the first failure
// `out` is left as it was.
FileResult ReadRecordFiles(const std::vector<RecordSource>& sources, RecordSet& out);

// Replaces `set` by the experiments of every source, in order, when all of them read; on a
// failure `set` keeps what it held. `provenance` (if given) receives one entry per experiment.
FileResult LoadRecordFiles(const std::vector<RecordSource>& sources, ExperimentSet& set,
                           std::vector<RecordProvenance>* provenance = nullptr);

// The format of a file from its first bytes and its name: an AT2 header (a fourth line that
// gives NPTS and DT) wins, then the extension (.quarvel, .at2, .csv), then the content: a
// first line of names (or numbers) between commas or semicolons, or of names between tabs, is
// CSV; a count alone on the first line followed by a line that is not a number (the name) is
// a .quarvel file; a first line of numbers is columns; anything else is taken as a .quarvel
// file, whose loader then says what is wrong.
RecordFormat DetectRecordFormat(std::string_view head, std::string_view path);

// What a record file leaves open, for a dialog that asks only that: its format and whether it
// gives no times (one column of values, a CSV without a time column), so that the time step
// must be given.
struct RecordQuestions {
  RecordFormat format = RecordFormat::Quarvel;
  bool needsTimeStep = false;
};

// The questions of a file from its first bytes and its name.
RecordQuestions QuestionsOf(std::string_view head, std::string_view path);

// Names used on the command line and in summaries: "quarvel", "at2", "columns", "csv";
// "acceleration", "force", "displacement"; "g", "m/s^2", "cm/s^2" (read also as m/s2, cm/s2).
// Any case is read.
std::string_view RecordFormatName(RecordFormat format);
std::optional<RecordFormat> ParseRecordFormat(std::string_view name);
std::string_view DataTypeName(ExperimentDataType type);
std::optional<ExperimentDataType> ParseDataTypeName(std::string_view name);
std::string_view AccelerationUnitsName(AccelerationUnits units);
std::optional<AccelerationUnits> ParseAccelerationUnits(std::string_view name);

// Provenance of the experiments of a .quarvel file (or generated ones, with `file` empty).
RecordProvenance ProvenanceOf(const Experiment& experiment, const std::string& file,
                              RecordFormat format = RecordFormat::Quarvel);

}  // namespace quarvel
