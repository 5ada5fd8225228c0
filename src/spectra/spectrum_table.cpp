#include "spectra/spectrum_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "io/file_reader.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace quarvel {
namespace {

// What a number column needs of its point to have a value.
enum class Need {
  Nothing,   // always written
  Strength,  // empty in a row whose point has no strength
  WholeRun,  // empty unless both models ran to the end at the strength (Solved)
};

// A number column of the rows table: a field of the point, or a peak of one of its models.
struct NumberColumn {
  const char* name;
  double SpectrumPoint::*field;
  ModelPeaks SpectrumPoint::*model;
  double ModelPeaks::*peak;
  Need need;
  bool statistics;  // summed up per period
};

constexpr NumberColumn Field(const char* name, double SpectrumPoint::*field, Need need,
                             bool statistics) {
  return {name, field, nullptr, nullptr, need, statistics};
}

constexpr NumberColumn Peak(const char* name, ModelPeaks SpectrumPoint::*model,
                            double ModelPeaks::*peak, bool statistics = true) {
  return {name, nullptr, model, peak, Need::WholeRun, statistics};
}

// Whether `column` is empty in the row of a point with `status`.
bool IsEmpty(const NumberColumn& column, PointStatus status) {
  switch (column.need) {
    case Need::Nothing: return false;
    case Need::Strength: return status != PointStatus::Solved && status != PointStatus::Fault;
    case Need::WholeRun: return status != PointStatus::Solved;
  }
  return false;
}

// The number of `column` in `point` (const or not).
template <typename Point>
auto& NumberOf(Point& point, const NumberColumn& column) {
  return column.field != nullptr ? point.*column.field : point.*column.model.*column.peak;
}

// The number columns of the rows table, after T_s, record, name and status.
constexpr std::array<NumberColumn, 23> kNumberColumns = {{
    Field("m_kg", &SpectrumPoint::mass, Need::Nothing, false),
    Field("k_N_per_m", &SpectrumPoint::stiffness, Need::Nothing, false),
    Field("c_N_s_per_m", &SpectrumPoint::c, Need::Nothing, false),
    Field("Fel_N", &SpectrumPoint::elasticForce, Need::Nothing, true),
    Field("Fy_N", &SpectrumPoint::Fy, Need::Strength, true),
    Field("Uy_m", &SpectrumPoint::Uy, Need::Strength, true),
    Field("Cy", &SpectrumPoint::strengthRatio, Need::Strength, true),
    Field("R", &SpectrumPoint::reduction, Need::Strength, true),
    Field("Sd_m", &SpectrumPoint::Sd, Need::Nothing, true),
    Field("PSV_m_per_s", &SpectrumPoint::PSV, Need::Nothing, true),
    Field("PSA_g", &SpectrumPoint::PSA, Need::Nothing, true),
    Peak("U_orig_m", &SpectrumPoint::original, &ModelPeaks::peakU),
    Peak("U_mod_m", &SpectrumPoint::modified, &ModelPeaks::peakU),
    Peak("mu_orig", &SpectrumPoint::original, &ModelPeaks::ductility),
    Peak("mu_mod", &SpectrumPoint::modified, &ModelPeaks::ductility),
    Peak("F_orig_N", &SpectrumPoint::original, &ModelPeaks::peakF),
    Peak("F_mod_N", &SpectrumPoint::modified, &ModelPeaks::peakF),
    Peak("Eh_orig_J", &SpectrumPoint::original, &ModelPeaks::endEh),
    Peak("Eh_mod_J", &SpectrumPoint::modified, &ModelPeaks::endEh),
    Field("rel_err_U", &SpectrumPoint::relErrorU, Need::WholeRun, true),
    Field("rel_err_Eh", &SpectrumPoint::relErrorEh, Need::WholeRun, true),
    Peak("loop_violations_orig", &SpectrumPoint::original, &ModelPeaks::loopViolations, false),
    Peak("loop_violations_mod", &SpectrumPoint::modified, &ModelPeaks::loopViolations, false),
}};
constexpr std::size_t kLeadingColumns = 4;  // T_s, record, name, status

constexpr std::array<PointStatus, 3> kStatuses = {
    PointStatus::Solved, PointStatus::DuctilityNotReached, PointStatus::NoElasticResponse};

constexpr std::string_view kFaultPrefix = "fault at t = ", kFaultSuffix = " s";

// The field as CSV writes it: quoted, with "" for a quote, when it holds a separator, a quote
// or a line end.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + '"';
}

// The fields of a CSV line; nullopt for a quote that is not closed, or text after a closing
// quote.
std::optional<std::vector<std::string>> CsvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  std::size_t at = 0;
  while (at <= line.size()) {
    std::string& field = fields.back();
    if (at < line.size() && line[at] == '"') {
      for (++at;; ++at) {
        if (at >= line.size()) return std::nullopt;
        if (line[at] == '"') {
          if (at + 1 < line.size() && line[at + 1] == '"') {
            field += '"';
            ++at;
          } else {
            ++at;
            break;
          }
        } else {
          field += line[at];
        }
      }
      if (at < line.size() && line[at] != ',') return std::nullopt;
    } else {
      const std::size_t comma = std::min(line.find(',', at), line.size());
      field.assign(line.substr(at, comma - at));
      at = comma;
    }
    if (at >= line.size()) break;
    ++at;  // the comma
    fields.emplace_back();
  }
  return fields;
}

// A number as the tables write it: the whole text, "inf", "-inf" or "nan" included.
std::optional<double> TableNumber(std::string_view text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end(), [](double a, double b) {
    return a < b || (!std::isnan(a) && std::isnan(b));  // not-a-number last
  });
  const std::size_t half = values.size() / 2;
  if (values.size() % 2 == 1) return values[half];
  return 0.5 * values[half - 1] + 0.5 * values[half];
}

std::optional<double> LognormalDispersion(const std::vector<double>& values) {
  if (values.size() < 2) return std::nullopt;
  std::vector<double> logs;
  for (const double v : values) {
    if (!(v > 0.0) || !std::isfinite(v)) return std::nullopt;
    logs.push_back(std::log(v));
  }
  const double mean = *MeanOf(logs);
  double squares = 0.0;
  for (const double l : logs) squares += (l - mean) * (l - mean);
  return std::sqrt(squares / static_cast<double>(logs.size() - 1));
}

std::string Joined(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) line += ',';
    line += fields[k];
  }
  return line;
}

}  // namespace

std::string SpectrumRowsHeader() {
  std::vector<std::string> names = {"T_s", "record", "name", "status"};
  for (const NumberColumn& column : kNumberColumns) names.emplace_back(column.name);
  return Joined(names);
}

std::string_view StatusText(PointStatus status) {
  switch (status) {
    case PointStatus::Solved:
      return "solved";
    case PointStatus::DuctilityNotReached:
      return "ductility not reached";
    case PointStatus::NoElasticResponse:
      return "no elastic response";
    case PointStatus::Fault:
      return "fault";
  }
  return {};
}

std::string PointStatusText(const SpectrumPoint& point) {
  if (point.status != PointStatus::Fault) return std::string(StatusText(point.status));
  return FaultAtText(point.faultTime);
}

std::string SpectrumRowText(const SpectrumPoint& point) {
  std::vector<std::string> fields = {FormatShortest(point.period), std::to_string(point.record),
                                     CsvField(point.name), PointStatusText(point)};
  for (const NumberColumn& column : kNumberColumns) {
    const bool empty = IsEmpty(column, point.status);
    fields.push_back(empty ? std::string() : FormatShortest(NumberOf(point, column)));
  }
  return Joined(fields);
}

std::optional<SpectrumPoint> ParseSpectrumRow(std::string_view text) {
  const std::optional<std::vector<std::string>> fields = CsvFields(text);
  if (!fields || fields->size() != kLeadingColumns + kNumberColumns.size()) return std::nullopt;
  SpectrumPoint point;
  const std::optional<double> period = TableNumber((*fields)[0]);
  int32_t record = 0;
  const std::string& recordText = (*fields)[1];
  const auto parsed =
      std::from_chars(recordText.data(), recordText.data() + recordText.size(), record);
  if (!period || parsed.ec != std::errc() || parsed.ptr != recordText.data() + recordText.size() ||
      record < 1) {
    return std::nullopt;
  }
  point.period = *period;
  point.record = record;
  point.name = (*fields)[2];
  const std::string_view statusText = (*fields)[3];
  const auto status = std::find_if(kStatuses.begin(), kStatuses.end(),
                                   [&](PointStatus s) { return StatusText(s) == statusText; });
  if (status != kStatuses.end()) {
    point.status = *status;
  } else if (statusText.starts_with(kFaultPrefix) && statusText.ends_with(kFaultSuffix) &&
             statusText.size() > kFaultPrefix.size() + kFaultSuffix.size()) {
    const std::optional<double> time = TableNumber(statusText.substr(
        kFaultPrefix.size(), statusText.size() - kFaultPrefix.size() - kFaultSuffix.size()));
    if (!time) return std::nullopt;
    point.status = PointStatus::Fault;
    point.faultTime = *time;
  } else {
    return std::nullopt;
  }
  for (std::size_t k = 0; k < kNumberColumns.size(); ++k) {
    const NumberColumn& column = kNumberColumns[k];
    const std::string& field = (*fields)[kLeadingColumns + k];
    if (IsEmpty(column, point.status)) {
      if (!field.empty()) return std::nullopt;
      continue;
    }
    const std::optional<double> value = TableNumber(field);
    if (!value) return std::nullopt;
    NumberOf(point, column) = *value;
  }
  return point;
}

FileResult ParseSpectrumRows(const std::vector<std::string>& lines, const std::string& path,
                             std::vector<SpectrumPoint>& points) {
  points.clear();
  if (lines.empty()) return FileResult::Failure(path, "the file is empty", 1);
  if (lines.front() != SpectrumRowsHeader()) {
    return FileResult::Failure(path, "not the header of a spectrum's rows table", 1);
  }
  const std::size_t end = lines.size() > 1 && lines.back().empty() ? lines.size() - 1
                                                                   : lines.size();
  for (std::size_t k = 1; k < end; ++k) {
    std::optional<SpectrumPoint> point = ParseSpectrumRow(lines[k]);
    if (!point) {
      points.clear();
      return FileResult::Failure(path,
                                 "not a row of the table (" +
                                     std::to_string(kLeadingColumns + kNumberColumns.size()) +
                                     " fields: numbers, a record number from 1, a status)",
                                 static_cast<int64_t>(k + 1));
    }
    points.push_back(std::move(*point));
  }
  return {};
}

FileResult ReadSpectrumRowsFile(const std::string& path, std::vector<SpectrumPoint>& points) {
  constexpr std::uintmax_t kMaxRowsFileBytes = std::uintmax_t{1} << 30;
  std::string text;
  if (FileResult read = ReadWholeFile(path, text, kMaxRowsFileBytes, "a spectrum's rows table");
      !read) {
    return read;
  }
  return ParseSpectrumRows(LinesOf(text), path, points);
}

std::optional<double> MeanOf(const std::vector<double>& values) {
  if (values.empty()) return std::nullopt;
  double sum = 0.0;
  for (const double v : values) sum += v;
  return sum / static_cast<double>(values.size());
}

std::optional<double> NumberOfColumn(const SpectrumPoint& point, std::string_view name) {
  for (const NumberColumn& column : kNumberColumns) {
    if (name != column.name) continue;
    if (IsEmpty(column, point.status)) return std::nullopt;
    return NumberOf(point, column);
  }
  return std::nullopt;
}

namespace {

ColumnStatistics StatisticsOfColumn(const std::vector<SpectrumPoint>& points,
                                    const NumberColumn& column) {
  std::vector<double> values;
  for (const SpectrumPoint& point : points) {
    if (point.status == PointStatus::Solved) values.push_back(NumberOf(point, column));
  }
  return {MeanOf(values), Median(values), LognormalDispersion(values)};
}

}  // namespace

ColumnStatistics StatisticsOfColumn(const std::vector<SpectrumPoint>& points,
                                    std::string_view name) {
  for (const NumberColumn& column : kNumberColumns) {
    if (name == column.name) return StatisticsOfColumn(points, column);
  }
  return {};
}

PeriodStatistics StatisticsOf(double period, const std::vector<SpectrumPoint>& points) {
  PeriodStatistics statistics;
  statistics.period = period;
  statistics.records = static_cast<int32_t>(points.size());
  for (const SpectrumPoint& point : points) {
    if (point.status == PointStatus::Solved) ++statistics.solved;
  }
  for (const NumberColumn& column : kNumberColumns) {
    if (!column.statistics) continue;
    const ColumnStatistics of = StatisticsOfColumn(points, column);
    statistics.values.insert(statistics.values.end(), {of.mean, of.median, of.dispersion});
  }
  return statistics;
}

std::string SpectrumStatisticsHeader() {
  std::vector<std::string> names = {"T_s", "records", "solved"};
  for (const NumberColumn& column : kNumberColumns) {
    if (!column.statistics) continue;
    for (const char* statistic : {"_mean", "_median", "_beta"}) {
      names.push_back(std::string(column.name) + statistic);
    }
  }
  return Joined(names);
}

std::string SpectrumStatisticsText(const PeriodStatistics& statistics) {
  std::vector<std::string> fields = {FormatShortest(statistics.period),
                                     std::to_string(statistics.records),
                                     std::to_string(statistics.solved)};
  for (const std::optional<double>& value : statistics.values) {
    fields.push_back(value ? FormatShortest(*value) : std::string());
  }
  return Joined(fields);
}

}  // namespace quarvel
