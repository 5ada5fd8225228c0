// The machine-readable outputs read back by real parsers (an RFC 4180 reader, nlohmann's JSON
// parser) and compared to the results in memory to the last bit.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "experiments/generated_experiments.h"
#include "export/history_csv.h"
#include "export/summary_json.h"
#include "records/record_file.h"
#include "solve/labels.h"
#include "solve/model_settings.h"
#include "rfc4180_reader.h"
#include "solve/solve_experiments.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

fs::path TestFolder(const std::string& name) {
  const fs::path folder = fs::path(::testing::TempDir()) /
                          ("quarvel_export_" + std::to_string(::getpid())) / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Same bits, except that every NaN counts as the same value.
bool SameValue(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// A JSON number as written: a number, or "inf" / "-inf" / "nan".
double JsonValue(const nlohmann::json& value) {
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
    return text == "-inf" ? -HUGE_VAL : HUGE_VAL;
  }
  return value.get<double>();
}

// Every cell of the history file against the experiment and its results.
void ExpectHistoryMatches(const fs::path& path, const Experiment& e, const ExperimentResults& r) {
  SCOPED_TRACE(path.string());
  const std::optional<test::CsvRecords> rows = test::ParseRfc4180(ReadFile(path));
  ASSERT_TRUE(rows.has_value());
  const std::vector<std::string> header = HistoryColumns(e);
  ASSERT_EQ(rows->size(), static_cast<std::size_t>(e.counter) + 1);
  EXPECT_EQ((*rows)[0], header);
  for (int32_t k = 1; k <= e.counter; ++k) {
    std::vector<double> expected{r.original.T[k], SamplesOf(e)[k]};
    for (const ResponseHistory* h : {&r.original, &r.modified}) {
      for (const auto* array : {&h->U, &h->U_DOT, &h->U_DOT_DOT, &h->F, &h->Z, &h->Fh, &h->Et,
                                &h->Eh}) {
        expected.push_back((*array)[k]);
      }
    }
    const std::vector<std::string>& row = (*rows)[k];
    ASSERT_EQ(row.size(), header.size()) << "row " << k;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::optional<double> value = test::CellNumber(row[c]);
      ASSERT_TRUE(value.has_value()) << header[c] << " row " << k << ": " << row[c];
      ASSERT_TRUE(SameValue(*value, expected[c]))
          << header[c] << " row " << k << ": " << row[c] << " vs " << FormatShortest(expected[c]);
    }
  }
}

// A force experiment whose results hold the values text forms get wrong: non-finite values,
// negative zero, the smallest subnormal, the largest double, 0.1 + 0.2.
void SpecialValues(Workbench& bench) {
  Experiment e;
  e.name = "Specials, \"quoted\"";
  e.dataType = ExperimentDataType::Force;
  e.timeStep = 0.1;
  e.counter = 3;
  e.weight = 1.0;
  e.mass = 2.0;
  e.force = {0.0, -0.0, 5e-324, 0.1 + 0.2};
  bench.experiments.Assign({e});
  ExperimentResults& r = bench.results.At(1);
  const double values[] = {HUGE_VAL, -HUGE_VAL, std::nan(""), -0.0, 5e-324,
                           std::numeric_limits<double>::max(), 0.1 + 0.2, 1e-9};
  int next = 0;
  for (ResponseHistory* h : {&r.original, &r.modified}) {
    h->Reset(3);
    for (auto* array : {&h->T, &h->U, &h->U_DOT, &h->U_DOT_DOT, &h->F, &h->Fext, &h->Z, &h->Fh,
                        &h->Et, &h->Eh}) {
      for (int k = 1; k <= 3; ++k) (*array)[k] = values[next++ % 8];
    }
  }
  r.originalPeakU = HUGE_VAL;
  r.modifiedPeakU = std::nan("");
  r.relErrorU = -HUGE_VAL;
  r.absErrorEh = 5e-324;
  r.relErrorEh = 0.1 + 0.2;
}

struct ExportRow {
  const char* name;
  std::function<void(Workbench&, std::vector<RecordProvenance>&)> make;  // fills and solves
};

class Export : public ::testing::TestWithParam<ExportRow> {};

TEST_P(Export, HistoriesAndSummaryReadBackToTheLastBit) {
  Workbench bench;
  std::vector<RecordProvenance> provenance;
  GetParam().make(bench, provenance);
  const fs::path folder = TestFolder(GetParam().name);

  std::vector<std::string> written;
  const std::vector<FileResult> failures =
      WriteHistoryFiles((folder / "history").string(), bench.experiments, bench.results, &written);
  EXPECT_TRUE(failures.empty()) << failures.front().Describe();
  ASSERT_EQ(written.size(), static_cast<std::size_t>(bench.experiments.Count()));
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    ExpectHistoryMatches(written[k - 1], bench.experiments.At(k), bench.results.At(k));
  }

  const ProgramInfo program{"quarvel-cli", "1.0.0", "solve", {"solve", "--mass", "-1"}};
  const fs::path summaryPath = folder / "summary.json";
  ASSERT_TRUE(WriteJsonFile(summaryPath.string(),
                            SummaryJson(program, bench, RecordsJson(bench.experiments, provenance),
                                        SolveResultsJson(bench))));
  const nlohmann::json summary = nlohmann::json::parse(ReadFile(summaryPath));
  EXPECT_EQ(summary["program"], "quarvel-cli");
  EXPECT_EQ(summary["version"], "1.0.0");
  EXPECT_EQ(summary["arguments"].size(), 3u);
  EXPECT_EQ(summary["inputs"]["typed"]["txtMass"], bench.inputs.txtMass);
  EXPECT_EQ(summary["inputs"]["used"]["Fy"].get<double>(), Val(bench.inputs.txtFy));

  const nlohmann::json& results = summary["results"]["experiments"];
  const nlohmann::json& records = summary["records"];
  ASSERT_EQ(results.size(), static_cast<std::size_t>(bench.experiments.Count()));
  ASSERT_EQ(records.size(), results.size());
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    SCOPED_TRACE(k);
    const ExperimentResults& r = bench.results.At(k);
    const Experiment& e = bench.experiments.At(k);
    const nlohmann::json& got = results[k - 1];
    EXPECT_EQ(got["name"], e.name);
    const std::pair<const nlohmann::json&, double> numbers[] = {
        {got["original"]["peakU"], r.originalPeakU},   {got["original"]["peakEh"], r.originalPeakEh},
        {got["modified"]["peakU"], r.modifiedPeakU},   {got["modified"]["peakEh"], r.modifiedPeakEh},
        {got["errors"]["absErrorU"], r.absErrorU},     {got["errors"]["relErrorU"], r.relErrorU},
        {got["errors"]["absErrorEh"], r.absErrorEh},   {got["errors"]["relErrorEh"], r.relErrorEh},
        {records[k - 1]["timeStep"], e.timeStep},      {records[k - 1]["mass"], e.mass},
        {summary["inputs"]["used"]["massPerExperiment"][k - 1],
         EffectiveMass(Val(bench.inputs.txtMass), e.mass)},
    };
    for (const auto& [json, expected] : numbers) {
      EXPECT_TRUE(SameValue(JsonValue(json), expected)) << json << " vs " << FormatShortest(expected);
    }
    const Periods periods = ComputePeriods(bench.inputs, e.mass);
    ASSERT_TRUE(periods.elastic.has_value());
    EXPECT_TRUE(SameValue(got["periods"]["elastic"].get<double>(), *periods.elastic));
    EXPECT_EQ(records[k - 1]["samples"], e.counter);
    if (static_cast<std::size_t>(k) <= provenance.size()) {
      EXPECT_EQ(records[k - 1]["source"]["file"], provenance[k - 1].file);
      EXPECT_EQ(records[k - 1]["source"]["format"], RecordFormatName(provenance[k - 1].format));
    } else {
      EXPECT_TRUE(records[k - 1]["source"].is_null());
    }
  }
  fs::remove_all(folder);
}

void Solve(Workbench& bench) {
  bench.SelectFirst(0, 1);
  SilentUserInterface ui;
  ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, Export,
    ::testing::Values(
        ExportRow{"ElCentroAt2",
                  [](Workbench& bench, std::vector<RecordProvenance>& provenance) {
                    const std::string path = std::string(QUARVEL_RECORD_VARIANTS_DIR) +
                                             "elcentro-npts-keywords.AT2";
                    ASSERT_TRUE(LoadRecordFiles({{path, {}}}, bench.experiments, &provenance));
                    bench.inputs.optALLREV = false;
                    bench.inputs.optReversalLastAndMax = true;
                    Solve(bench);
                  }},
        ExportRow{"BuiltInSetEuler",
                  [](Workbench& bench, std::vector<RecordProvenance>&) {
                    CreateSineForceExperiments(bench.experiments);
                    bench.inputs.optSolutionRKStepDoubling = false;
                    bench.inputs.optSolutionEuler = true;
                    bench.inputs.txtMass = "3.5";
                    Solve(bench);
                  }},
        ExportRow{"DisplacementProtocol",
                  [](Workbench& bench, std::vector<RecordProvenance>&) {
                    SetDisplacementProtocolExperiment(DisplacementProtocol::Dc2, 0.111,
                                                      bench.experiments);
                    Solve(bench);
                  }},
        ExportRow{"SpecialValues",
                  [](Workbench& bench, std::vector<RecordProvenance>&) { SpecialValues(bench); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel
