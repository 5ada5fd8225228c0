// The machine-readable outputs read back by real parsers (Python's csv module, nlohmann's JSON
// parser) and compared to the results in memory to the last bit.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "experiments/generated_experiments.h"
#include "export/history_csv.h"
#include "export/summary_json.h"
#include "csv_reader.h"
#include "solve/labels.h"
#include "solve/model_settings.h"
#include "solve/solve_experiments.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;
using test::SameBits;

// A JSON number as written: a number, or "inf" / "-inf" / "nan".
double JsonValue(const nlohmann::json& value) {
  if (!value.is_string()) return value.get<double>();
  const std::string text = value.get<std::string>();
  return text == "nan" ? std::nan("") : text == "-inf" ? -HUGE_VAL : HUGE_VAL;
}

// Every cell of the history file against the experiment and its results.
void ExpectHistoryMatches(const fs::path& path, const Experiment& e, const ExperimentResults& r) {
  SCOPED_TRACE(path.string());
  const std::optional<test::CsvRecords> rows = test::ReadCsv(path);
  ASSERT_TRUE(rows.has_value());
  const std::vector<std::string> header = HistoryColumns(e);
  ASSERT_EQ(rows->size(), static_cast<std::size_t>(e.counter) + 1);
  EXPECT_EQ((*rows)[0], header);
  for (int32_t k = 1; k <= e.counter; ++k) {
    std::vector<double> expected{r.original.T[k], SamplesOf(e)[k]};
    for (const ResponseHistory* h : {&r.original, &r.modified}) {
      for (const auto* a : {&h->U, &h->U_DOT, &h->U_DOT_DOT, &h->F, &h->Z, &h->Fh, &h->Et, &h->Eh}) {
        expected.push_back((*a)[k]);
      }
    }
    const std::vector<std::string>& row = (*rows)[k];
    ASSERT_EQ(row.size(), header.size()) << "row " << k;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::optional<double> value = test::CellNumber(row[c]);
      ASSERT_TRUE(value && SameBits(*value, expected[c]))
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
    for (auto* a : {&h->T, &h->U, &h->U_DOT, &h->U_DOT_DOT, &h->F, &h->Fext, &h->Z, &h->Fh, &h->Et,
                    &h->Eh}) {
      for (int k = 1; k <= 3; ++k) (*a)[k] = values[next++ % 8];
    }
  }
  r.originalPeakU = HUGE_VAL;
  r.modifiedPeakU = std::nan("");
  r.relErrorU = -HUGE_VAL;
  r.absErrorEh = 5e-324;
  r.relErrorEh = 0.1 + 0.2;
}

void Solve(Workbench& bench) {
  bench.SelectFirst(0, 1);
  SilentUserInterface ui;
  ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
}

// Fills the bench with a row's experiments and results. (Records read from files, whose
// summaries name their sources: tests/cli.)
const std::pair<const char*, std::function<void(Workbench&)>> kRows[] = {
    {"BuiltInSetEuler",
     [](Workbench& bench) {
       CreateSineForceExperiments(bench.experiments);
       bench.inputs.optSolutionRKStepDoubling = false;
       bench.inputs.optSolutionEuler = true;
       bench.inputs.txtMass = "3.5";
       Solve(bench);
     }},
    {"SpecialValues", SpecialValues}};

TEST(Export, HistoriesAndSummaryReadBackToTheLastBit) {
  for (const auto& [name, make] : kRows) {
    SCOPED_TRACE(name);
    Workbench bench;
    make(bench);
    const fs::path folder = test::FreshFolder(std::string("quarvel_export_") + name);
    const int32_t count = bench.experiments.Count();
    std::vector<std::string> written;
    const std::vector<FileResult> failures =
        WriteHistoryFiles((folder / "history").string(), bench.experiments, bench.results, &written);
    EXPECT_TRUE(failures.empty()) << failures.front().Describe();
    ASSERT_EQ(written.size(), static_cast<std::size_t>(count));
    for (int32_t k = 1; k <= count; ++k) {
      ExpectHistoryMatches(written[k - 1], bench.experiments.At(k), bench.results.At(k));
    }

    const ProgramInfo program{"quarvel-cli", "1.0.0", "solve", {"solve", "--mass", "-1"}};
    const fs::path summaryPath = folder / "summary.json";
    ASSERT_TRUE(WriteJsonFile(summaryPath.string(),
                              SummaryJson(program, bench, RecordsJson(bench.experiments, {}),
                                          SolveResultsJson(bench))));
    const nlohmann::json summary = nlohmann::json::parse(test::ReadFile(summaryPath));
    const nlohmann::json& results = summary["results"]["experiments"];
    ASSERT_EQ(results.size(), static_cast<std::size_t>(count));
    for (int32_t k = 1; k <= count; ++k) {
      SCOPED_TRACE(k);
      const ExperimentResults& r = bench.results.At(k);
      const Experiment& e = bench.experiments.At(k);
      const nlohmann::json& got = results[k - 1];
      EXPECT_EQ(got["name"], e.name);
      const std::pair<const nlohmann::json&, double> numbers[] = {
          {got["original"]["peakU"], r.originalPeakU}, {got["original"]["peakEh"], r.originalPeakEh},
          {got["modified"]["peakU"], r.modifiedPeakU}, {got["modified"]["peakEh"], r.modifiedPeakEh},
          {got["errors"]["absErrorU"], r.absErrorU},   {got["errors"]["relErrorU"], r.relErrorU},
          {got["errors"]["absErrorEh"], r.absErrorEh}, {got["errors"]["relErrorEh"], r.relErrorEh},
          {got["periods"]["elastic"], ComputePeriods(bench.inputs, e.mass).elastic.value()},
          {summary["inputs"]["used"]["massPerExperiment"][k - 1],
           EffectiveMass(Val(bench.inputs.txtMass), e.mass)}};
      for (const auto& [json, expected] : numbers) {
        EXPECT_TRUE(SameBits(JsonValue(json), expected)) << json << " vs " << FormatShortest(expected);
      }
    }
    fs::remove_all(folder);
  }
}

}  // namespace
}  // namespace quarvel
