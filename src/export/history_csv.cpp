#include "export/history_csv.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "export/csv_table.h"

namespace quarvel {
namespace {

// The quantities of each model, in column order, with their units.
struct Quantity {
  const char* name;
  std::vector<double> ResponseHistory::*values;
};
constexpr std::array<Quantity, 8> kQuantities{{
    {"U_m", &ResponseHistory::U},
    {"U_DOT_m_s", &ResponseHistory::U_DOT},
    {"U_DOT_DOT_m_s2", &ResponseHistory::U_DOT_DOT},
    {"F_N", &ResponseHistory::F},
    {"Z", &ResponseHistory::Z},
    {"Fh_N", &ResponseHistory::Fh},
    {"Et_J", &ResponseHistory::Et},
    {"Eh_J", &ResponseHistory::Eh},
}};

const char* RecordColumn(const Experiment& experiment) {
  switch (experiment.dataType) {
    case ExperimentDataType::Force:
      return "Fext_N";
    case ExperimentDataType::Displacement:
      return "U_prescribed_m";
    default:
      return experiment.unitsOfG == 1 ? "ag_g" : "ag_m_s2";
  }
}

// Every array of the response holds samples 0..n.
bool Holds(const ResponseHistory& response, std::size_t n) {
  if (response.T.size() <= n) return false;
  for (const Quantity& q : kQuantities) {
    if ((response.*q.values).size() <= n) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> HistoryColumns(const Experiment& experiment) {
  std::vector<std::string> columns{"t_s", RecordColumn(experiment)};
  for (const char* model : {"orig_", "mod_"}) {
    for (const Quantity& q : kQuantities) columns.push_back(std::string(model) + q.name);
  }
  return columns;
}

FileResult WriteHistoryCsv(const std::string& path, const Experiment& experiment,
                           const ExperimentResults& results) {
  const std::vector<double>& samples = SamplesOf(experiment);
  const auto n = static_cast<std::size_t>(results.original.SampleCount());
  if (n == 0 || !Holds(results.original, n) || !Holds(results.modified, n) ||
      samples.size() <= n) {
    return FileResult::Failure(path, "experiment \"" + experiment.name + "\" has no results");
  }
  CsvFile file;
  if (file.Open(path, HistoryColumns(experiment))) {
    CsvRow row;
    for (std::size_t k = 1; k <= n; ++k) {
      row.Clear();
      row.Number(results.original.T[k]).Number(samples[k]);
      for (const ResponseHistory* response : {&results.original, &results.modified}) {
        for (const Quantity& q : kQuantities) row.Number((response->*q.values)[k]);
      }
      file.Write(row);
    }
  }
  return file.Close();
}

std::string HistoryFileName(int32_t k, int32_t count, const std::string& name) {
  const std::size_t width = std::to_string(count).size();
  std::string number = std::to_string(k);
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  return number + "-" + SafeFileName(name, "experiment") + ".csv";
}

std::vector<FileResult> WriteHistoryFiles(const std::string& folder, const ExperimentSet& set,
                                          const ResultSet& results,
                                          std::vector<std::string>* written) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return {FileResult::Failure(folder, error.message())};
  std::vector<FileResult> failures;
  for (int32_t k = 1; k <= set.Count(); ++k) {
    const std::string path =
        (std::filesystem::path(folder) / HistoryFileName(k, set.Count(), set.At(k).name))
            .string();
    FileResult result = WriteHistoryCsv(path, set.At(k), results.At(k));
    if (!result) {
      failures.push_back(std::move(result));
    } else if (written != nullptr) {
      written->push_back(path);
    }
  }
  return failures;
}

}  // namespace quarvel
