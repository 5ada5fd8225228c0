// The study companions read back by Python's csv module: every value the study took, filtered
// ones marked, at full precision; the envelopes of every value, zeros included, to the last bit
// of the study's own, each with its record. (The study file's lines: tests/studies.)

#include <gtest/gtest.h>


#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "experiments/generated_experiments.h"
#include "export/study_csv.h"
#include "csv_reader.h"
#include "studies/advanced_loop.h"
#include "studies/study_test_support.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

using test::SameBits;

// The built-in sine experiments with their forces scaled: another record for the same study.
SeriesFile ScaledSines(const std::string& name, double scale) {
  return {name, [scale](ExperimentSet& set) {
            CreateSineForceExperiments(set);
            for (Experiment& e : set.Records()) {
              for (double& f : e.force) f *= scale;
            }
            return LoadResult{};
          }};
}

TEST(StudyCsv, CompanionsReadBackToTheStudyAndItsEnvelopes) {
  const test::ScratchFolder folder;
  Workbench bench = testing::EulerBench(ExperimentSet{}, "0.5", "2", "0.25");
  // A record name that CSV must quote, and two records that set different entries.
  const std::vector<SeriesFile> files{ScaledSines("Sines, \"small\"", 0.05),
                                      ScaledSines("Sines large", 1.3)};
  const SeriesSource series = [&files](int32_t k, FileResult&) -> std::optional<SeriesFile> {
    return k <= static_cast<int32_t>(files.size()) ? std::optional(files[k - 1]) : std::nullopt;
  };

  std::string current;
  std::map<std::string, std::vector<StudyValueResult>> observed;
  StudyCompanions companions(SelectStudyMode(bench.inputs));
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [&](int32_t, const std::string& name) {
    current = name;
    companions.StartStudy(name);
  };
  hooks.onValue = [&](const StudyValueResult& value) {
    observed[current].push_back(value);
    companions.Take(value);
  };
  SilentUserInterface ui;
  StopToken stop;
  const AdvancedStudyOutcome outcome =
      RunAdvancedStudy(bench, ui, stop, series, folder.Path().string(), 1.3, hooks);
  ASSERT_FALSE(outcome.Failed()) << outcome.problems.front();

  for (std::size_t j = 0; j < outcome.files.size(); ++j) {
    const SeriesFileOutcome& file = outcome.files[j];
    SCOPED_TRACE(file.fileName);
    const std::vector<StudyValueResult>& values = observed[file.fileName];
    ASSERT_EQ(values.size(), 7u);
    ASSERT_TRUE(companions.WriteStudy(j, file.study.filePath).result);

    const auto rows = test::ReadCsv(StudyCsvPath(file.study.filePath));
    ASSERT_TRUE(rows.has_value());
    ASSERT_EQ(rows->size(), values.size() + 1);
    for (std::size_t r = 0; r < values.size(); ++r) {
      const std::vector<std::string>& row = (*rows)[r + 1];
      ASSERT_EQ(row.size(), 12u);
      std::vector<double> expected{values[r].x, Val(values[r].rewritten)};
      for (const double v : values[r].peaks.Values()) expected.push_back(v);
      for (std::size_t c = 0; c < expected.size(); ++c) {
        const std::optional<double> cell = test::CellNumber(row[c]);
        ASSERT_TRUE(cell.has_value()) << row[c];
        EXPECT_TRUE(SameBits(*cell, expected[c])) << row[c];
      }
      EXPECT_EQ(row[10], values[r].filtered ? "true" : "false");
      EXPECT_EQ(row[11].empty(), !values[r].fault.Any()) << row[11];
    }
  }

  const fs::path envelopePath = folder / kEnvelopeCsvName;
  ASSERT_TRUE(companions.WriteEnvelopes(folder.Path().string(), outcome.envelopes.uPos.size(),
                                        0.5, 0.25).result);
  const auto rows = test::ReadCsv(envelopePath);
  ASSERT_TRUE(rows.has_value());
  ASSERT_EQ(rows->size(), outcome.envelopes.uPos.size() + 1);
  const std::vector<const std::vector<double>*> arrays{
      &outcome.envelopes.uPos, &outcome.envelopes.uNeg, &outcome.envelopes.ehPos,
      &outcome.envelopes.ehNeg};
  int zeros = 0;
  for (std::size_t i = 0; i < arrays[0]->size(); ++i) {
    const std::vector<std::string>& row = (*rows)[i + 1];
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(test::CellNumber(row[0]), 0.25 * static_cast<double>(i) + 0.5);
    for (std::size_t e = 0; e < 4; ++e) {
      const double entry = (*arrays[e])[i];
      ASSERT_TRUE(SameBits(*test::CellNumber(row[1 + 2 * e]), entry)) << row[1 + 2 * e];
      const std::string& record = row[2 + 2 * e];
      zeros += entry == 0.0;
      if (entry == 0.0 || record.empty()) {
        EXPECT_EQ(entry == 0.0, record.empty()) << record;
        continue;
      }
      // The record named gave exactly this entry at this value.
      const std::vector<StudyValueResult>& values = observed.at(record);
      const auto at = std::find_if(values.begin(), values.end(),
                                   [i](const StudyValueResult& v) { return v.index == int(i); });
      ASSERT_NE(at, values.end());
      EXPECT_TRUE(SameBits(e < 2 ? at->peaks.relErrorU : at->peaks.relErrorEh, entry));
    }
  }
  EXPECT_GT(zeros, 0) << "zero entries must be written too";
}

// The companion's name replaces ".out", even when that is the whole name ("--dir '' -o .out").
TEST(StudyCsv, CompanionOfAFileNamedJustOut) { EXPECT_EQ(StudyCsvPath(".out"), ".csv"); }

}  // namespace
}  // namespace quarvel
