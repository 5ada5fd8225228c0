#pragma once
// Ground-motion records in the formats that strong-motion databases publish, read into
// ordinary experiments: PEER NGA .AT2 files, plain text with one column (values) or two
// (time, value), CSV with a header row, and the program's own .quarvel files.
//
// What a file does not say comes from RecordOptions, with these defaults: an acceleration in
// g, mass 1, weight 1, initial state 0, named after the file (an AT2 file after its second
// header line). An AT2 file's third line says what its values are and in which units
// ("ACCELERATION TIME SERIES IN UNITS OF CM/S/S"); the options fill only what it leaves open,
// and one that says otherwise is refused. Accelerations in g keep their samples as written
// and are marked "units of g" (the solve multiplies them by 9.81); m/s^2 keeps them as written
// with no unit system (the solve takes them as they are); cm/s^2 and mm/s^2 divide them by 100
// and 1000 into m/s^2; a displacement in cm or mm is divided into m. Every number is read
// whole (a point as the decimal mark, an optional exponent): text where a number belongs is
// refused with the file, the line and the reason.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "experiments/experiment.h"
#include "io/file_result.h"
#include "records/record_check.h"
#include "text/number_check.h"

namespace quarvel {

enum class RecordFormat {
  Quarvel,  // the program's experiment file: the file says everything, options are not used
  At2,      // PEER NGA: four header lines, then the values several per line
  Columns,  // plain text: one column (values, step from the options) or two (time, value)
  Csv,      // comma-, semicolon- or tab-separated with a header row
};

// Units of an acceleration record.
enum class AccelerationUnits {
  G,
  MetresPerSecondSquared,
  CentimetresPerSecondSquared,
  MillimetresPerSecondSquared,
};

// What the user says about the files, for what they leave open. Unset means the default.
struct RecordOptions {
  std::optional<RecordFormat> format;          // recognised by content and extension otherwise
  std::optional<ExperimentDataType> type;      // the header's, else Acceleration
  std::optional<AccelerationUnits> units;      // the header's, else G (only for accelerations)
  std::optional<double> mass;                  // 1
  std::optional<std::string> name;             // the file's name without folder and extension
  std::optional<double> timeStep;              // none: needed by one column or a CSV without times
  std::optional<std::string> column;           // CSV value column, by header name or number
  // Every sample of every experiment read is multiplied by this (after the units' division),
  // for any file format; unset: the samples as read. A finite number other than 0.
  std::optional<double> scale;
  bool strict = false;  // a warning about a .quarvel file fails its load
};

// The number rules of the record options, for every face that takes them as text.
inline constexpr NumberInputRule kRecordTimeStepRule{"--dt", NumberRule::AboveZero,
                                                     "the time step must be above 0"};
inline constexpr NumberInputRule kRecordScaleRule{"--scale", NumberRule::NotZero,
                                                  "a scale of 0 leaves no record"};
inline constexpr NumberInputRule kRecordMassRule{"--mass", NumberRule::AboveZero,
                                                 "the mass must be above 0"};

// What a record's values are, as its header says.
enum class HeaderQuantity { Acceleration, Velocity, Displacement };

// The line of a record file that says what its values are and in which units (an AT2 file's
// third line: "ACCELERATION TIME SERIES IN UNITS OF G", "VELOCITY TIME SERIES IN UNITS OF
// CM/S", "DISPLACEMENT TIME SERIES IN UNITS OF CM", "... UNITS OF CM/SEC/SEC", ...).
struct RecordHeader {
  int64_t lineNumber = 0;  // 0: the file has no such line
  std::string text;        // the line, trimmed
  std::optional<HeaderQuantity> quantity;  // its first word, else what its units measure
  std::string units;       // as written after "UNITS OF"; empty when it names none
  // The units read: for an acceleration which of AccelerationUnits, for a velocity or a
  // displacement what the values are divided by into m/s or m (m 1, cm 100, mm 1000);
  // unset when the units are none of these.
  std::optional<AccelerationUnits> accelerationUnits;
  std::optional<double> lengthDivisor;
};

// Reads a header line (the line at `lineNumber`).
RecordHeader ReadRecordHeader(std::string_view line, int64_t lineNumber);

// Where a record came from and how it was read.
struct RecordProvenance {
  std::string file;              // as given
  RecordFormat format = RecordFormat::Quarvel;
  ExperimentDataType type = ExperimentDataType::Acceleration;
  std::string units;             // of the file's values: "g", "m/s^2", "cm/s^2", "N", "m", "cm"
  std::string unitsWritten;      // the units as the file's header writes them ("CM/S/S"), or empty
  std::string unitsSource;       // who said the units: "header", "options", "default", "file"
  double scale = 1.0;            // the samples are the file's values times this
  double scaleFactor = 1.0;      // the scale factor asked for (RecordOptions::scale), in scale
  double timeStep = 0.0;         // seconds, as used
  int32_t samples = 0;
  double startTime = 0.0;        // time of the file's first value (sample 1 is solved at t = 0)
  std::string column;            // the CSV column read; empty for other formats
};

// Experiments read from one or several files, with the provenance of each, in the same order.
struct RecordSet {
  std::vector<Experiment> experiments;
  std::vector<RecordProvenance> provenance;

  // Moves the experiments of `other` to the end.
  void Append(RecordSet&& other);
};

// Files larger than this are refused before they are read (a .quarvel file is read line by
// line and has no such limit).
inline constexpr std::uintmax_t kMaxRecordFileBytes = std::uintmax_t{512} << 20;

// A record option that a file contradicts.
enum class RecordOption { None, Type, Units };

// One file read: its experiments with their provenance, or why not, and what a reader of the
// file should be told.
struct RecordLoad {
  FileResult result;       // done, or the file, the line and the reason
  // The failure is this option saying otherwise than the file (the reason quotes the file).
  RecordOption contradicted = RecordOption::None;
  RecordSet records;       // every experiment of the file, in order; empty on a failure
  std::vector<RecordWarning> warnings;  // of a .quarvel file, in line order (at most 100)
  int64_t warningCount = 0;             // every warning, those not kept included
  std::string hint;        // the other format a .quarvel file that fails looks like, or empty
  bool needsTimeStep = false;  // the file gives no times (one column, a CSV without times)
};

// Reads the file at `path` in its format (options.format, else recognised by content and
// extension): a .quarvel file line by line through its check (under options.strict a warning
// fails it), a record file (AT2, columns, CSV) whole, with what it leaves open from `options`.
// Every input file of the program comes in here.
RecordLoad LoadRecordFile(const std::string& path, const RecordOptions& options);

// The same from the bytes of a file in memory; `path` names the file (its extension counts in
// recognising the format).
RecordLoad LoadRecordText(std::string_view text, const std::string& path,
                          const RecordOptions& options);

// The format of a file from its first bytes and its name: an AT2 header (a fourth line that
// gives NPTS and DT) wins, then the extension (.quarvel, .at2, .csv), then the content: a
// first line of names (or numbers) between commas or semicolons, or of names between tabs, is
// CSV; a count alone on the first line followed by a line that is not a number (the name) is
// a .quarvel file; a first line of numbers is columns; anything else is taken as a .quarvel
// file, whose loader then says what is wrong.
RecordFormat DetectRecordFormat(std::string_view head, std::string_view path);

// What a record file leaves open, for a dialog that asks only that: its format, whether it
// gives no times (one column of values, a CSV without a time column), so that the time step
// must be given, what its header says of the values and, for CSV, the columns to read from.
struct RecordQuestions {
  RecordFormat format = RecordFormat::Quarvel;
  bool needsTimeStep = false;
  RecordHeader header;
  // A CSV file's columns other than the time, in order: (number from 1, name).
  std::vector<std::pair<int32_t, std::string>> columns;
};

// The questions of a file from its first bytes and its name. With `recordOnly` the file is a
// record whatever it holds: what would be taken as a .quarvel file is read as columns.
RecordQuestions QuestionsOf(std::string_view head, std::string_view path,
                            bool recordOnly = false);

// Names used on the command line and in summaries: "quarvel", "at2", "columns", "csv";
// "acceleration", "force", "displacement"; "g", "m/s^2", "cm/s^2", "mm/s^2" (read also as
// m/s2, cm/s2, mm/s2). Any case is read.
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
