// The machine-readable outputs read back by real parsers (Python's csv module, nlohmann's JSON
// parser) and compared to the results in memory to the last bit.

#include <gtest/gtest.h>


#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "export/history_csv.h"
#include "export/summary_json.h"
#include "csv_reader.h"
#include "solve/labels.h"
#include "solve/model_settings.h"
#include "solve/workbench.h"
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

// The history files and the summary of the special values. (Ordinary solves and records read
// from files, whose summaries name their sources: tests/cli.)
TEST(Export, HistoriesAndSummaryReadBackToTheLastBit) {
  // A force experiment whose results hold the values text forms get wrong: non-finite values,
  // negative zero, the smallest subnormal, the largest double, 0.1 + 0.2.
  Workbench bench;
  bench.experiments.Assign({{.name = "Specials, \"quoted\"", .weight = 1.0, .mass = 2.0,
                             .timeStep = 0.1, .counter = 3, .force = {0.0, -0.0, 5e-324, 0.1 + 0.2},
                             .displacement = {}, .acceleration = {},
                             .dataType = ExperimentDataType::Force}});
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
  std::tie(r.originalPeakU, r.modifiedPeakU, r.relErrorU, r.absErrorEh, r.relErrorEh) =
      std::tuple(HUGE_VAL, std::nan(""), -HUGE_VAL, 5e-324, 0.1 + 0.2);
  const Experiment& e = bench.experiments.At(1);
  const test::ScratchFolder folder;
  std::vector<std::string> written;
  const std::vector<FileResult> failures =
      WriteHistoryFiles((folder / "history").string(), bench.experiments, bench.results, &written);
  EXPECT_TRUE(failures.empty()) << failures.front().Describe();
  ASSERT_EQ(written.size(), 1u);
  // Every cell of the history file against the experiment and its results.
  const std::optional<test::CsvRecords> rows = test::ReadCsv(written[0]);
  ASSERT_TRUE(rows.has_value());
  const std::vector<std::string> header = {
      "t_s", "Fext_N", "orig_U_m", "orig_U_DOT_m_s", "orig_U_DOT_DOT_m_s2", "orig_F_N",
      "orig_Z", "orig_Fh_N", "orig_Et_J", "orig_Eh_J", "mod_U_m", "mod_U_DOT_m_s",
      "mod_U_DOT_DOT_m_s2", "mod_F_N", "mod_Z", "mod_Fh_N", "mod_Et_J", "mod_Eh_J"};
  ASSERT_EQ(rows->size(), static_cast<std::size_t>(e.counter) + 1);
  EXPECT_EQ((*rows)[0], header);
  for (int32_t k = 1; k <= e.counter; ++k) {
    std::vector<double> expected{r.original.T[k], SamplesOf(e)[k]};
    for (const ResponseHistory* h : {&r.original, &r.modified}) {
      for (const auto* a : {&h->U, &h->U_DOT, &h->U_DOT_DOT, &h->F, &h->Z, &h->Fh, &h->Et, &h->Eh})
        expected.push_back((*a)[k]);
    }
    const std::vector<std::string>& row = (*rows)[k];
    ASSERT_EQ(row.size(), header.size()) << "row " << k;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::optional<double> value = test::CellNumber(row[c]);
      ASSERT_TRUE(value.has_value()) << header[c] << " row " << k << ": " << row[c];
      EXPECT_TRUE(SameBits(*value, expected[c]))
          << header[c] << " row " << k << ": " << row[c] << " vs " << FormatShortest(expected[c]);
    }
  }

  const ProgramInfo program{"quarvel-cli", "1.0.0", "solve", {"solve"}};
  const fs::path summaryPath = folder / "summary.json";
  ASSERT_TRUE(WriteJsonFile(summaryPath.string(),
                            SummaryJson(program, bench, RecordsJson(bench.experiments, {}),
                                        SolveResultsJson(bench))));
  const nlohmann::json summary = nlohmann::json::parse(folder.Read("summary.json"));
  const nlohmann::json& got = summary["results"]["experiments"][0];
  const std::pair<const nlohmann::json&, double> numbers[] = {
      {got["original"]["peakU"], r.originalPeakU},
      {got["original"]["peakEh"], r.originalPeakEh},
      {got["modified"]["peakU"], r.modifiedPeakU},
      {got["modified"]["peakEh"], r.modifiedPeakEh},
      {got["errors"]["absErrorU"], r.absErrorU},
      {got["errors"]["relErrorU"], r.relErrorU},
      {got["errors"]["absErrorEh"], r.absErrorEh},
      {got["errors"]["relErrorEh"], r.relErrorEh},
      // The mass box says -1: each experiment's own mass.
      {summary["inputs"]["used"]["massPerExperiment"][0], 2.0}};
  for (const auto& [json, expected] : numbers) {
    EXPECT_TRUE(SameBits(JsonValue(json), expected)) << json << " vs " << FormatShortest(expected);
  }
  // 2 pi sqrt(m Uy / Fy) with the default Uy 0.111 and Fy 2.86.
  EXPECT_NEAR(JsonValue(got["periods"]["elastic"]), 2 * M_PI * std::sqrt(2.0 * 0.111 / 2.86),
              1e-14);
}

// A history is written only from results that cover every sample of the record.
TEST(Export, HistoryOfAnExperimentWithoutWholeResultsIsRefused) {
  const Experiment e{.name = "Short", .counter = 3, .force = {0.0, 1.0, 2.0, 3.0},
                     .displacement = {}, .acceleration = {}, .dataType = ExperimentDataType::Force};
  struct Row { const char* name; int32_t originalSamples, modifiedSamples; bool written; };
  const Row rows[] = {{"unsolved", 0, 0, false},
                      {"the modified response cut short", 3, 2, false},
                      {"more results than samples", 4, 4, false},
                      {"whole", 3, 3, true}};
  const test::ScratchFolder folder;
  for (const Row& row : rows) {
    ExperimentResults results;
    if (row.originalSamples > 0) results.original.Reset(row.originalSamples);
    if (row.modifiedSamples > 0) results.modified.Reset(row.modifiedSamples);
    const FileResult result = WriteHistoryCsv((folder / "h.csv").string(), e, results);
    EXPECT_EQ(result.ok, row.written) << row.name;
    if (!row.written) {
      const std::string why = ": experiment \"Short\" has no results";
      EXPECT_EQ(result.Describe(), (folder / "h.csv").string() + why) << row.name;
    }
  }
}

}  // namespace
}  // namespace quarvel
