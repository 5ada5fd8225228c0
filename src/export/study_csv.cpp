#include "export/study_csv.h"

#include <filesystem>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr std::array<const char*, 8> kResultColumns = {
    "orig_peak_U_m",  "mod_peak_U_m",  "abs_err_U_m",  "rel_err_U",
    "orig_peak_Eh_J", "mod_peak_Eh_J", "abs_err_Eh_J", "rel_err_Eh",
};

constexpr std::array<const char*, 4> kEnvelopeColumns = {"rel_err_U_max", "rel_err_U_min",
                                                         "rel_err_Eh_max", "rel_err_Eh_min"};

// The rewritten input's column; empty when the swept value is that input or none is rewritten.
std::string RewrittenColumn(StudyMode mode) {
  switch (mode) {
    case StudyMode::ElasticPeriodByMass:
    case StudyMode::PlasticPeriodByMass:
      return "mass_kg";
    case StudyMode::ElasticPeriodByFy:
    case StudyMode::PlasticPeriodByFy:
      return "Fy_N";
    case StudyMode::ElasticPeriodByUy:
    case StudyMode::PlasticPeriodByUy:
      return "Uy_m";
    default:
      return {};
  }
}

std::array<std::vector<double>*, 4> Arrays(Envelopes& e) {
  return {&e.uPos, &e.uNeg, &e.ehPos, &e.ehNeg};
}
std::array<const std::vector<double>*, 4> Arrays(const Envelopes& e) {
  return {&e.uPos, &e.uNeg, &e.ehPos, &e.ehNeg};
}

}  // namespace

std::string StudyCsvPath(const std::string& studyFilePath) {
  const std::string out = ".out";
  if (studyFilePath.size() >= out.size() &&
      studyFilePath.compare(studyFilePath.size() - out.size(), out.size(), out) == 0) {
    return studyFilePath.substr(0, studyFilePath.size() - out.size()) + ".csv";
  }
  return studyFilePath + ".csv";
}

std::string SweptColumn(StudyMode mode) {
  switch (mode) {
    case StudyMode::MassByMass:
      return "mass_kg";
    case StudyMode::ElasticPeriodByMass:
    case StudyMode::ElasticPeriodByFy:
    case StudyMode::ElasticPeriodByUy:
      return "T_elastic_s";
    case StudyMode::PlasticPeriodByMass:
    case StudyMode::PlasticPeriodByFy:
    case StudyMode::PlasticPeriodByUy:
      return "T_plastic_s";
    case StudyMode::None:
      break;
  }
  return "x";
}

std::vector<std::string> StudyCsvColumns(StudyMode mode) {
  std::vector<std::string> columns{SweptColumn(mode)};
  if (const std::string rewritten = RewrittenColumn(mode); !rewritten.empty()) {
    columns.push_back(rewritten);
  }
  columns.insert(columns.end(), kResultColumns.begin(), kResultColumns.end());
  columns.push_back("filtered");
  columns.push_back("fault");
  return columns;
}

bool StudyCsv::Open(const std::string& path, StudyMode mode) {
  mode_ = mode;
  return file_.Open(path, StudyCsvColumns(mode));
}

std::vector<double> StudyCsvNumbers(StudyMode mode, const StudyValueResult& value) {
  std::vector<double> numbers{value.x};
  // The input as the solve read it: the leading number of the rewritten text.
  if (!RewrittenColumn(mode).empty()) numbers.push_back(Val(value.rewritten));
  for (const double result : value.peaks.Values()) numbers.push_back(result);
  return numbers;
}

void StudyCsv::Add(const StudyValueResult& value) {
  CsvRow row;
  for (const double number : StudyCsvNumbers(mode_, value)) row.Number(number);
  row.Text(value.filtered ? "true" : "false");
  row.Text(value.fault.Any() ? FaultAtText(value.fault.time) : "");
  file_.Write(row);
}

void EnvelopeRecords::Grow(std::size_t size) {
  if (envelopes_.uPos.size() >= size) return;
  for (std::vector<double>* array : Arrays(envelopes_)) array->resize(size, 0.0);
  for (std::vector<std::string>& records : records_) records.resize(size);
}

void EnvelopeRecords::Take(const StudyValueResult& value, const std::string& record) {
  if (value.filtered || value.index < 0) return;
  const auto i = static_cast<std::size_t>(value.index);
  Grow(i + 1);
  std::array<double, 4> before{};
  const auto arrays = Arrays(envelopes_);
  for (std::size_t e = 0; e < 4; ++e) before[e] = (*arrays[e])[i];
  envelopes_.Widen(i, value.peaks.relErrorU, value.peaks.relErrorU, value.peaks.relErrorEh,
                   value.peaks.relErrorEh);
  for (std::size_t e = 0; e < 4; ++e) {
    if ((*arrays[e])[i] != before[e]) records_[e][i] = record;
  }
}

const std::string& EnvelopeRecords::Record(int e, std::size_t i) const {
  static const std::string kNone;
  const std::vector<std::string>& records = records_.at(static_cast<std::size_t>(e));
  return i < records.size() ? records[i] : kNone;
}

std::vector<std::string> EnvelopeCsvColumns(StudyMode mode) {
  std::vector<std::string> header{SweptColumn(mode)};
  for (const char* column : kEnvelopeColumns) {
    header.emplace_back(column);
    header.push_back(std::string(column) + "_record");
  }
  return header;
}

EnvelopeRow EnvelopeRecords::Row(std::size_t i, double from, double step) const {
  EnvelopeRow row;
  row.x = static_cast<double>(i) * step + from;  // x_i as the study computes it
  const auto arrays = Arrays(envelopes_);
  for (std::size_t e = 0; e < 4; ++e) {
    row.values[e] = i < arrays[e]->size() ? (*arrays[e])[i] : 0.0;
    row.records[e] = Record(static_cast<int>(e), i);
  }
  return row;
}

FileResult EnvelopeRecords::Write(const std::string& path, StudyMode mode, std::size_t values,
                                  double from, double step) const {
  CsvFile file;
  if (file.Open(path, EnvelopeCsvColumns(mode))) {
    CsvRow row;
    for (std::size_t i = 0; i < values; ++i) {
      const EnvelopeRow entry = Row(i, from, step);
      row.Clear();
      row.Number(entry.x);
      for (std::size_t e = 0; e < 4; ++e) {
        row.Number(entry.values[e]);
        row.Text(entry.records[e]);
      }
      file.Write(row);
    }
  }
  return file.Close();
}

void StudyCompanions::StartStudy(const std::string& record) {
  values_.emplace_back();
  record_ = record;
}

void StudyCompanions::Take(const StudyValueResult& value) {
  if (values_.empty()) values_.emplace_back();
  values_.back().push_back(value);
  envelopes_.Take(value, record_);
}

CompanionFile StudyCompanions::WriteStudy(std::size_t j, const std::string& studyPath) const {
  CompanionFile written{StudyCsvPath(studyPath), {}};
  StudyCsv csv;
  if (csv.Open(written.path, mode_) && j < values_.size()) {
    for (const StudyValueResult& value : values_[j]) csv.Add(value);
  }
  written.result = csv.Close();
  return written;
}

CompanionFile StudyCompanions::WriteEnvelopes(const std::string& folder, std::size_t values,
                                              double from, double step) const {
  CompanionFile written{(std::filesystem::path(folder) / kEnvelopeCsvName).string(), {}};
  written.result = envelopes_.Write(written.path, mode_, values, from, step);
  return written;
}

}  // namespace quarvel
