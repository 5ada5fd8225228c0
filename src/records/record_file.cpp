#include "records/record_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <new>
#include <utility>

#include "experiments/experiment_file.h"
#include "io/file_reader.h"
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
constexpr std::array<std::pair<AccelerationUnits, std::string_view>, 5> kUnitNames{{
    {AccelerationUnits::G, "g"},
    {AccelerationUnits::MetresPerSecondSquared, "m/s^2"},
    {AccelerationUnits::CentimetresPerSecondSquared, "cm/s^2"},
    {AccelerationUnits::MetresPerSecondSquared, "m/s2"},
    {AccelerationUnits::CentimetresPerSecondSquared, "cm/s2"},
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

// The experiment a record becomes, with its provenance.
void AppendRecord(RecordValues values, RecordFormat format, const std::string& path,
                  const RecordOptions& options, RecordSet& out) {
  Experiment experiment;
  experiment.dataType = options.type.value_or(ExperimentDataType::Acceleration);
  RecordProvenance provenance = ProvenanceOf(experiment, path, format);
  if (experiment.dataType == ExperimentDataType::Acceleration) {
    const AccelerationUnits units = options.units.value_or(AccelerationUnits::G);
    experiment.unitsOfG = units == AccelerationUnits::G ? 1 : 0;
    provenance.units = std::string(AccelerationUnitsName(units));
    if (units == AccelerationUnits::CentimetresPerSecondSquared) {
      // Division by 100 is correctly rounded; multiplying by 0.01 (not exact) is not.
      for (double& v : values.values) v /= 100.0;
      provenance.scale = 0.01;
    }
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

  provenance.timeStep = experiment.timeStep;
  provenance.samples = experiment.counter;
  provenance.startTime = values.startTime;
  provenance.column = std::move(values.column);
  out.experiments.push_back(std::move(experiment));
  out.provenance.push_back(std::move(provenance));
}

}  // namespace

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

RecordQuestions QuestionsOf(std::string_view head, std::string_view path) {
  RecordQuestions questions;
  questions.format = DetectRecordFormat(head, path);
  if (questions.format == RecordFormat::Columns) {
    const std::vector<std::string_view> lines = FirstDataLines(head, 1);
    std::vector<std::string_view> pieces;
    if (!lines.empty()) detail::SplitAtBlanks(lines[0], pieces);
    questions.needsTimeStep = pieces.size() == 1;
  } else if (questions.format == RecordFormat::Csv) {
    TextLines lines(head);
    try {
      const detail::CsvHeader header = detail::ReadCsvHeader(lines);
      questions.needsTimeStep = detail::TimeColumnOf(header.names) == header.names.size();
    } catch (const RecordFailure&) {
      // The reader will say what is wrong with the header.
    }
  }
  return questions;
}

FileResult ReadRecordText(std::string_view text, const std::string& path,
                          const RecordOptions& options, RecordSet& out) {
  const RecordFormat format = options.format.value_or(DetectRecordFormat(text, path));
  if (format == RecordFormat::Quarvel) {
    ExperimentSet set;
    const LoadResult load = LoadExperimentText(text, set, path);
    if (!load) return load;
    for (Experiment& experiment : set.Records()) {
      out.provenance.push_back(ProvenanceOf(experiment, path));
      out.experiments.push_back(std::move(experiment));
    }
    return load;
  }
  try {
    AppendRecord(ReadValues(format, text, options), format, path, options, out);
  } catch (const RecordFailure& failure) {
    return FileResult::Failure(path, failure.reason, failure.lineNumber);
  } catch (const std::bad_alloc&) {
    return FileResult::Failure(path, "not enough memory");
  }
  FileResult done;
  done.fileName = path;
  return done;
}

FileResult ReadRecordFile(const std::string& path, const RecordOptions& options, RecordSet& out) {
  std::string text;
  const FileResult read = ReadWholeFile(path, text, kMaxRecordFileBytes, "a record file");
  if (!read) return read;
  return ReadRecordText(text, path, options, out);
}

FileResult ReadRecordFiles(const std::vector<RecordSource>& sources, RecordSet& out) {
  if (sources.empty()) return FileResult::Failure("", "no file given");
  const std::size_t kept = out.experiments.size();
  FileResult result;
  for (const RecordSource& source : sources) {
    result = ReadRecordFile(source.path, source.options, out);
    if (!result) {
      out.experiments.resize(kept);
      out.provenance.resize(kept);
      return result;
    }
  }
  return result;
}

FileResult LoadRecordFiles(const std::vector<RecordSource>& sources, ExperimentSet& set,
                           std::vector<RecordProvenance>* provenance) {
  RecordSet records;
  FileResult result = ReadRecordFiles(sources, records);
  if (!result) return result;
  if (records.experiments.size() > static_cast<std::size_t>(INT32_MAX)) {
    return FileResult::Failure(sources.back().path, "too many experiments");
  }
  set.Assign(std::move(records.experiments));
  if (provenance != nullptr) *provenance = std::move(records.provenance);
  return result;
}

}  // namespace quarvel
