#include "records/record_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <new>
#include <utility>

#include "experiments/experiment_file.h"
#include "io/file_reader.h"
#include "records/record_check.h"
#include "records/record_readers.h"
#include "records/record_summary.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

using detail::RecordFailure;
using detail::RecordValues;

constexpr std::array<std::pair<RecordFormat, std::string_view>, 4> kFormatNames{{
    {RecordFormat::Quarvel, "quarvel"},
    {RecordFormat::At2, "at2"},
    {RecordFormat::Columns, "columns"},
    {RecordFormat::Csv, "csv"},
}};
constexpr std::array<std::pair<ExperimentDataType, std::string_view>, 3> kTypeNames{{
    {ExperimentDataType::Acceleration, "acceleration"},
    {ExperimentDataType::Force, "force"},
    {ExperimentDataType::Displacement, "displacement"},
}};
// The first name of a value is the one shown; the others are read too.
constexpr std::array<std::pair<AccelerationUnits, std::string_view>, 7> kUnitNames{{
    {AccelerationUnits::G, "g"},
    {AccelerationUnits::MetresPerSecondSquared, "m/s^2"},
    {AccelerationUnits::CentimetresPerSecondSquared, "cm/s^2"},
    {AccelerationUnits::MillimetresPerSecondSquared, "mm/s^2"},
    {AccelerationUnits::MetresPerSecondSquared, "m/s2"},
    {AccelerationUnits::CentimetresPerSecondSquared, "cm/s2"},
    {AccelerationUnits::MillimetresPerSecondSquared, "mm/s2"},
}};

template <typename Value, std::size_t N>
std::string_view NameOf(const std::array<std::pair<Value, std::string_view>, N>& names,
                        Value value) {
  for (const auto& [v, name] : names) {
    if (v == value) return name;
  }
  return names.front().second;
}

template <typename Value, std::size_t N>
std::optional<Value> ValueOf(const std::array<std::pair<Value, std::string_view>, N>& names,
                             std::string_view text) {
  const std::string lower = [&] {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }();
  for (const auto& [v, name] : names) {
    if (name == lower) return v;
  }
  return std::nullopt;
}

std::string LowerExtension(std::string_view path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

bool BeginsWithNumber(std::string_view piece) { return ParseLeadingNumber(piece).found; }

// The first lines of `head` that are neither blank nor '#' comments, at most `count`.
std::vector<std::string_view> FirstDataLines(std::string_view head, std::size_t count) {
  TextLines text(head);
  std::string_view line;
  std::vector<std::string_view> lines;
  while (lines.size() < count && text.Next(line)) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos && line[first] != '#') lines.push_back(line);
  }
  return lines;
}

// A .quarvel file begins with its count of experiments alone on a line, followed by the name
// and keyword lines of the first experiment, at least one of which is not a number.
bool LooksLikeQuarvel(std::string_view head) {
  const std::vector<std::string_view> lines = FirstDataLines(head, 12);
  std::vector<std::string_view> pieces;
  if (lines.empty()) return false;
  detail::SplitAtBlanks(lines[0], pieces);
  if (pieces.size() != 1 || !ParseWholeNumber(pieces[0])) return false;
  return lines.size() < 2 || std::any_of(lines.begin() + 1, lines.end(), [](std::string_view l) {
           return !BeginsWithNumber(l);
         });
}

// A first line of fields that all begin with a number ("0,00" too, so that the reader names
// it): columns of numbers.
bool LooksLikeColumns(std::string_view head) {
  const std::vector<std::string_view> lines = FirstDataLines(head, 1);
  std::vector<std::string_view> pieces;
  if (lines.empty()) return false;
  detail::SplitAtBlanks(lines[0], pieces);
  return std::all_of(pieces.begin(), pieces.end(), BeginsWithNumber);
}

// A first line of two or more fields between commas, semicolons or tabs, each a name (it
// begins with a letter or '_'), a number or empty; between tabs at least one is a name (tabs
// between numbers make columns).
bool LooksLikeCsv(std::string_view head) {
  TextLines text(head);
  std::string_view line;
  while (text.Next(line) && detail::IsBlankLine(line)) {
  }
  const char separator = detail::CsvSeparator(line);
  std::vector<std::string> fields;
  if (separator == '\0' || !detail::SplitCsvLine(line, separator, fields) || fields.size() < 2) {
    return false;
  }
  int names = 0;
  for (const std::string& field : fields) {
    const std::size_t first = field.find_first_not_of(" \t");
    if (first == std::string::npos || ParseWholeNumber(field)) continue;
    if (!std::isalpha(static_cast<unsigned char>(field[first])) && field[first] != '_') {
      return false;
    }
    ++names;
  }
  return separator != '\t' || names > 0;
}

bool HasAt2Header(std::string_view head) {
  TextLines text(head);
  std::string_view line;
  for (int k = 1; k <= 4; ++k) {
    if (!text.Next(line)) return false;
  }
  double count = 0.0;
  double step = 0.0;
  return detail::ParseAt2CountLine(line, count, step);
}

RecordValues ReadValues(RecordFormat format, std::string_view text, const RecordOptions& options) {
  switch (format) {
    case RecordFormat::At2:
      return detail::ReadAt2(text);
    case RecordFormat::Csv:
      return detail::ReadCsv(text, options);
    default:
      return detail::ReadColumns(text, options);
  }
}

// How a record's values become samples: the type of the experiment, its unit system, what the
// values are divided by, and the provenance's account of the units.
struct SampleReading {
  ExperimentDataType type = ExperimentDataType::Acceleration;
  int32_t unitsOfG = 0;
  double divisor = 1.0;
  std::string units;        // of the file's values
  std::string unitsSource;  // "header", "options", "default"
};

// The failure of a header that says otherwise than an option, or than what it is read as.
RecordFailure HeaderSays(const RecordHeader& header, std::string_view what,
                         RecordOption contradicted = RecordOption::None) {
  return RecordFailure{header.lineNumber,
                       "the header says " + detail::Quoted(header.text, 120) + std::string(what),
                       contradicted};
}

std::string_view LengthName(double divisor) {
  return divisor == 1.0 ? "m" : divisor == 100.0 ? "cm" : "mm";
}

double AccelerationDivisor(AccelerationUnits units) {
  switch (units) {
    case AccelerationUnits::CentimetresPerSecondSquared:
      return 100.0;
    case AccelerationUnits::MillimetresPerSecondSquared:
      return 1000.0;
    default:
      return 1.0;
  }
}

// The type a record is read as: what its header says, which an option may repeat but not
// contradict; a velocity is no excitation, and a ground displacement is read only when asked
// for, as a prescribed displacement.
ExperimentDataType TypeOf(const RecordHeader& header, const RecordOptions& options) {
  const std::optional<ExperimentDataType> given = options.type;
  if (!header.quantity) return given.value_or(ExperimentDataType::Acceleration);
  switch (*header.quantity) {
    case HeaderQuantity::Acceleration:
      if (given && *given != ExperimentDataType::Acceleration) {
        throw HeaderSays(header, "", RecordOption::Type);
      }
      return ExperimentDataType::Acceleration;
    case HeaderQuantity::Velocity:
      if (given) throw HeaderSays(header, "", RecordOption::Type);
      throw HeaderSays(header, ": a velocity record is no ground acceleration");
    case HeaderQuantity::Displacement:
      if (given && *given != ExperimentDataType::Displacement) {
        throw HeaderSays(header, "", RecordOption::Type);
      }
      if (!given) {
        throw HeaderSays(header, ": a displacement record is no ground acceleration (with the "
                                 "type displacement it is read as a prescribed displacement)");
      }
      return ExperimentDataType::Displacement;
  }
  return ExperimentDataType::Acceleration;
}

SampleReading ReadingOf(const RecordHeader& header, const RecordOptions& options) {
  SampleReading reading;
  reading.type = TypeOf(header, options);
  const bool named = !header.units.empty();
  if (reading.type == ExperimentDataType::Displacement && header.quantity) {
    if (!header.lengthDivisor) {
      throw HeaderSays(header, ": its units are none of m, cm, mm");
    }
    reading.divisor = *header.lengthDivisor;
    reading.units = std::string(LengthName(reading.divisor));
    reading.unitsSource = "header";
    return reading;
  }
  if (reading.type != ExperimentDataType::Acceleration) {
    reading.units = std::string(reading.type == ExperimentDataType::Force ? "N" : "m");
    reading.unitsSource = "default";
    return reading;
  }
  AccelerationUnits units = AccelerationUnits::G;
  if (header.accelerationUnits) {
    if (options.units && *options.units != *header.accelerationUnits) {
      throw HeaderSays(header, "", RecordOption::Units);
    }
    units = *header.accelerationUnits;
    reading.unitsSource = "header";
  } else if (named && !options.units) {
    throw HeaderSays(header, ": its units are none of g, m/s2, cm/s2, mm/s2; give the units "
                             "to read it");
  } else {
    units = options.units.value_or(AccelerationUnits::G);
    reading.unitsSource = options.units ? "options" : "default";
  }
  reading.unitsOfG = units == AccelerationUnits::G ? 1 : 0;
  reading.divisor = AccelerationDivisor(units);
  reading.units = std::string(AccelerationUnitsName(units));
  return reading;
}

// The experiment a record becomes, with its provenance.
void AppendRecord(RecordValues values, RecordFormat format, const std::string& path,
                  const RecordOptions& options, RecordSet& out) {
  const SampleReading reading = ReadingOf(values.header, options);
  Experiment experiment;
  experiment.dataType = reading.type;
  experiment.unitsOfG = reading.unitsOfG;
  // Division is correctly rounded: 981 cm/s2 is exactly 9.81 m/s2, where a product with the
  // inexact 0.01 is not.
  if (reading.divisor != 1.0) {
    for (double& v : values.values) v /= reading.divisor;
  }
  experiment.name = options.name ? *options.name
                    : !values.name.empty()
                        ? values.name
                        : std::filesystem::path(path).stem().string();
  experiment.weight = 1.0;
  experiment.mass = options.mass.value_or(1.0);
  experiment.timeStep = values.timeStep;
  experiment.counter = static_cast<int32_t>(values.Count());
  SamplesOf(experiment) = std::move(values.values);

  RecordProvenance provenance = ProvenanceOf(experiment, path, format);
  provenance.units = reading.units;
  provenance.unitsSource = reading.unitsSource;
  if (reading.unitsSource == "header") provenance.unitsWritten = values.header.units;
  provenance.scale = 1.0 / reading.divisor;
  provenance.startTime = values.startTime;
  provenance.column = std::move(values.column);
  out.experiments.push_back(std::move(experiment));
  out.provenance.push_back(std::move(provenance));
}

// The experiments of a .quarvel file as the check read them into `load`.
void TakeCheckedLoad(CheckedLoad checked, ExperimentSet& set, bool strict, RecordLoad& load) {
  load.warnings = std::move(checked.warnings);
  load.warningCount = checked.warningCount;
  load.hint = std::move(checked.hint);
  load.result = std::move(checked.load);
  if (!load.result) return;
  if (strict && load.warningCount > 0) {
    load.result = FileResult::Failure(load.result.fileName,
                                      std::to_string(load.warningCount) +
                                          " warning(s): the file is refused under --strict");
    return;
  }
  for (Experiment& experiment : set.Records()) {
    load.records.provenance.push_back(ProvenanceOf(experiment, load.result.fileName));
    load.records.experiments.push_back(std::move(experiment));
  }
}

// A record file (AT2, columns, CSV) in `format` from its bytes.
void ReadRecord(std::string_view text, const std::string& path, RecordFormat format,
                const RecordOptions& options, RecordLoad& load) {
  load.needsTimeStep = QuestionsOf(text, path).needsTimeStep;
  try {
    AppendRecord(ReadValues(format, text, options), format, path, options, load.records);
    load.result = FileResult{true, path, 0, {}};
  } catch (const RecordFailure& failure) {
    load.result = FileResult::Failure(path, failure.reason, failure.lineNumber);
    load.contradicted = failure.contradicted;
  } catch (const std::bad_alloc&) {
    load.result = FileResult::Failure(path, "not enough memory");
  }
  if (!load.result) load.records = {};
}

// Multiplies every sample of a load done by options.scale, and says so in its provenance.
void ApplyScale(const RecordOptions& options, RecordLoad& load) {
  if (!load.result || !options.scale || *options.scale == 1.0) return;
  const double factor = *options.scale;
  for (Experiment& experiment : load.records.experiments) {
    for (double& v : SamplesOf(experiment)) v *= factor;
  }
  for (RecordProvenance& provenance : load.records.provenance) {
    provenance.scale *= factor;
    provenance.scaleFactor = factor;
  }
}

}  // namespace

void RecordSet::Append(RecordSet&& other) {
  std::move(other.experiments.begin(), other.experiments.end(), std::back_inserter(experiments));
  std::move(other.provenance.begin(), other.provenance.end(), std::back_inserter(provenance));
  other = {};
}

std::string_view RecordFormatName(RecordFormat format) { return NameOf(kFormatNames, format); }
std::optional<RecordFormat> ParseRecordFormat(std::string_view name) {
  return ValueOf(kFormatNames, name);
}
std::string_view DataTypeName(ExperimentDataType type) { return NameOf(kTypeNames, type); }
std::optional<ExperimentDataType> ParseDataTypeName(std::string_view name) {
  return ValueOf(kTypeNames, name);
}
std::string_view AccelerationUnitsName(AccelerationUnits units) {
  return NameOf(kUnitNames, units);
}
std::optional<AccelerationUnits> ParseAccelerationUnits(std::string_view name) {
  return ValueOf(kUnitNames, name);
}

RecordProvenance ProvenanceOf(const Experiment& experiment, const std::string& file,
                              RecordFormat format) {
  RecordProvenance provenance;
  provenance.file = file;
  provenance.format = format;
  provenance.type = experiment.dataType;
  provenance.units = std::string(SampleUnit(experiment));
  provenance.unitsSource = "file";
  provenance.timeStep = experiment.timeStep;
  provenance.samples = experiment.counter;
  return provenance;
}

RecordFormat DetectRecordFormat(std::string_view head, std::string_view path) {
  if (HasAt2Header(head)) return RecordFormat::At2;
  const std::string extension = LowerExtension(path);
  if (extension == ".quarvel") return RecordFormat::Quarvel;
  if (extension == ".at2") return RecordFormat::At2;
  if (extension == ".csv") return RecordFormat::Csv;
  if (LooksLikeCsv(head)) return RecordFormat::Csv;
  if (LooksLikeQuarvel(head)) return RecordFormat::Quarvel;
  if (LooksLikeColumns(head)) return RecordFormat::Columns;
  return RecordFormat::Quarvel;
}

RecordQuestions QuestionsOf(std::string_view head, std::string_view path, bool recordOnly) {
  RecordQuestions questions;
  questions.format = DetectRecordFormat(head, path);
  if (recordOnly && questions.format == RecordFormat::Quarvel) {
    questions.format = RecordFormat::Columns;
  }
  if (questions.format == RecordFormat::At2) {
    TextLines lines(head);
    std::string_view line;
    while (lines.LineNumber() < 3 && lines.Next(line)) {
    }
    if (lines.LineNumber() == 3) questions.header = ReadRecordHeader(line, 3);
  } else if (questions.format == RecordFormat::Columns) {
    const std::vector<std::string_view> lines = FirstDataLines(head, 1);
    std::vector<std::string_view> pieces;
    if (!lines.empty()) detail::SplitAtBlanks(lines[0], pieces);
    questions.needsTimeStep = pieces.size() == 1;
  } else if (questions.format == RecordFormat::Csv) {
    TextLines lines(head);
    try {
      const detail::CsvHeader header = detail::ReadCsvHeader(lines);
      const std::size_t time = detail::TimeColumnOf(header.names);
      questions.needsTimeStep = time == header.names.size();
      for (std::size_t i = 0; i < header.names.size(); ++i) {
        if (i == time) continue;
        questions.columns.emplace_back(static_cast<int32_t>(i + 1), header.names[i]);
      }
    } catch (const RecordFailure&) {
      // The reader will say what is wrong with the header.
    }
  }
  return questions;
}

RecordLoad LoadRecordText(std::string_view text, const std::string& path,
                          const RecordOptions& options) {
  RecordLoad load;
  const RecordFormat format = options.format.value_or(DetectRecordFormat(text, path));
  if (format == RecordFormat::Quarvel) {
    ExperimentSet set;
    TakeCheckedLoad(LoadCheckedExperimentText(text, set, path), set, options.strict, load);
  } else {
    ReadRecord(text, path, format, options, load);
  }
  ApplyScale(options, load);
  return load;
}

RecordLoad LoadRecordFile(const std::string& path, const RecordOptions& options) {
  RecordLoad load;
  std::string text;
  load.result = ReadFileHead(path, text);
  if (!load.result) return load;
  const RecordFormat format = options.format.value_or(DetectRecordFormat(text, path));
  if (format == RecordFormat::Quarvel) {
    ExperimentSet set;
    TakeCheckedLoad(LoadCheckedExperimentFile(path, set), set, options.strict, load);
  } else {
    load.result = ReadWholeFile(path, text, kMaxRecordFileBytes, "a record file");
    if (load.result) ReadRecord(text, path, format, options, load);
  }
  ApplyScale(options, load);
  return load;
}

}  // namespace quarvel
