// Batch studies against the sequential loop, which is the reference: the same study file,
// byte for byte, whatever the number of jobs, whether each value solves the whole set or only
// the selected experiment, and after splitting the study into shards and merging them; the same
// envelopes for the advanced study; and what an interrupted or stopped batch leaves.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "experiments/generated_experiments.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "studies/study_batch.h"
#include "study_test_support.h"

namespace quarvel {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;

// Two sine records, the second selected (so that solving only the selected experiment is a
// different amount of work from solving the set), Euler steps for speed.
Workbench TwoRecordBench() {
  Workbench bench;
  AddSineForceExperiment("Small", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 5.0, 2.0,
                         bench.experiments);
  AddSineForceExperiment("Large", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 20.0, 2.0,
                         bench.experiments);
  bench.SelectFirst(1, 4);
  bench.currentExperiment = 2;
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.txtFrom = "0.5";
  bench.inputs.txtTo = "3";
  bench.inputs.txtStep = "0.1";
  return bench;
}

struct StudyCase {
  const char* name;
  const char* from;
  const char* to;
  const char* step;
  bool varyElasticByFy;  // else the default: plastic period by changing mass
  double threshold;
};

// The last two stop the study: x = 0 makes the rewritten Fy infinite at the third value.
const StudyCase kStudies[] = {
    {"PlasticPeriodByMass", "0.5", "3", "0.1", false, 0.0},
    {"ThresholdDropsSomeValues", "0.5", "3", "0.1", false, 4.0},
    {"ElasticPeriodByFy", "0.5", "3", "0.1", true, 0.0},
    {"InvalidValueStopsTheStudy", "-0.2", "0.3", "0.1", true, 0.0},
};

Workbench BenchFor(const StudyCase& c) {
  Workbench bench = TwoRecordBench();
  bench.inputs.txtFrom = c.from;
  bench.inputs.txtTo = c.to;
  bench.inputs.txtStep = c.step;
  if (c.varyElasticByFy) {
    ClickStudyOption(bench.inputs, StudyOption::VaryElasticPeriod);
    ClickStudyOption(bench.inputs, StudyOption::ChangeFy);
  }
  return bench;
}

struct Reference {
  std::string file;
  StudyOutcome outcome;
  Envelopes envelopes;
  std::string rewrittenFy;
};

Reference SequentialStudy(const StudyCase& c, const ScratchFolder& folder) {
  Workbench bench = BenchFor(c);
  RecordingUserInterface ui(bench);
  Reference reference;
  bench.envelopes.Reset(30);
  reference.outcome = RunParametricLoop(bench, ui, folder.str(), "reference.out", c.threshold,
                                        true);
  reference.file = ReadFile(folder / "reference.out");
  reference.envelopes = bench.envelopes;
  reference.rewrittenFy = bench.inputs.txtFy;
  return reference;
}

struct BatchRow {
  StudyCase study;
  int32_t jobs;
  detail::StudySolve solve;
};

std::vector<BatchRow> BatchRows() {
  std::vector<BatchRow> rows;
  for (const StudyCase& study : kStudies) {
    for (const int32_t jobs : {1, 2, 3}) {
      for (const detail::StudySolve solve :
           {detail::StudySolve::AllExperiments, detail::StudySolve::SelectedExperiment}) {
        rows.push_back({study, jobs, solve});
      }
    }
  }
  return rows;
}

class BatchStudy : public ::testing::TestWithParam<BatchRow> {};

TEST_P(BatchStudy, WritesTheSequentialStudyFile) {
  const BatchRow& row = GetParam();
  ScratchFolder folder;
  const Reference reference = SequentialStudy(row.study, folder);

  Workbench bench = BenchFor(row.study);
  RecordingUserInterface ui(bench);
  bench.envelopes.Reset(30);
  StudyWork work;
  work.jobs = row.jobs;
  work.solve = row.solve;
  std::vector<int32_t> progress;
  const StudyOutcome outcome =
      RunParametricStudy(bench, ui, folder.str(), "batch.out", row.study.threshold, true, work,
                         [&progress](const StudyProgress& p) { progress.push_back(p.index); });

  EXPECT_EQ(ReadFile(folder / "batch.out"), reference.file);
  EXPECT_EQ(outcome.status, reference.outcome.status);
  EXPECT_EQ(outcome.message, reference.outcome.message);
  EXPECT_EQ(outcome.valuesSolved, reference.outcome.valuesSolved);
  EXPECT_EQ(outcome.linesWritten, reference.outcome.linesWritten);
  EXPECT_EQ(bench.envelopes.uPos, reference.envelopes.uPos);
  EXPECT_EQ(bench.envelopes.uNeg, reference.envelopes.uNeg);
  EXPECT_EQ(bench.envelopes.ehPos, reference.envelopes.ehPos);
  EXPECT_EQ(bench.envelopes.ehNeg, reference.envelopes.ehNeg);
  EXPECT_EQ(bench.inputs.txtFy, reference.rewrittenFy);
  // Progress in value order, once per value solved.
  ASSERT_EQ(static_cast<int32_t>(progress.size()), outcome.valuesSolved);
  for (std::size_t k = 0; k < progress.size(); ++k) EXPECT_EQ(progress[k], static_cast<int32_t>(k));
}

INSTANTIATE_TEST_SUITE_P(Rows, BatchStudy, ::testing::ValuesIn(BatchRows()),
                         [](const auto& info) {
                           const BatchRow& row = info.param;
                           return std::string(row.study.name) + "_" + std::to_string(row.jobs) +
                                  "jobs_" +
                                  (row.solve == detail::StudySolve::AllExperiments ? "AllExperiments"
                                                                                   : "Selected");
                         });

class ShardedStudy : public ::testing::TestWithParam<StudyCase> {};

TEST_P(ShardedStudy, MergedShardsAreTheSequentialStudyFile) {
  const StudyCase& c = GetParam();
  ScratchFolder folder;
  const Reference reference = SequentialStudy(c, folder);

  for (const int32_t count : {1, 2, 3, 7, 40}) {
    SCOPED_TRACE(count);
    ScratchFolder shards("-" + std::to_string(count));
    std::vector<std::string> paths;
    for (int32_t part = 1; part <= count; ++part) {
      Workbench bench = BenchFor(c);
      RecordingUserInterface ui(bench);
      StudyWork work;
      work.jobs = 2;
      work.shard = part;
      work.shardCount = count;
      const StudyOutcome outcome =
          RunParametricStudy(bench, ui, shards.str(), "study.out", c.threshold, false, work);
      if (count > 1) {
        EXPECT_EQ(outcome.filePath, (shards / ShardFileName("study.out", part, count)).string());
      }
      paths.push_back(outcome.filePath);
    }
    if (count == 1) {
      EXPECT_EQ(ReadFile(shards / "study.out"), reference.file);
      continue;
    }
    const MergeOutcome merged = MergeStudyShards(paths, shards.str());
    EXPECT_TRUE(merged.problems.empty()) << merged.problems.front();
    EXPECT_EQ(ReadFile(shards / "study.out"), reference.file);
    if (reference.outcome.status == StudyStatus::InvalidValue) {
      EXPECT_EQ(merged.stops, std::vector<std::string>{reference.outcome.message});
    } else {
      EXPECT_TRUE(merged.stops.empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ShardedStudy, ::testing::ValuesIn(kStudies),
                         [](const auto& info) { return std::string(info.param.name); });

// Escape during a batch: no more values are handed out, those in progress are finished, and
// the file holds the values finished in order: a prefix of the whole study, every line whole.
TEST(BatchStudy, EscapeKeepsTheValuesFinishedInOrder) {
  ScratchFolder folder;
  const Reference reference = SequentialStudy(kStudies[0], folder);
  for (const int32_t jobs : {1, 3}) {
    Workbench bench = BenchFor(kStudies[0]);
    RecordingUserInterface ui(bench);
    ui.abortOnPump = 5;
    StudyWork work;
    work.jobs = jobs;
    const StudyOutcome outcome =
        RunParametricStudy(bench, ui, folder.str(), "batch.out", 0.0, false, work);
    EXPECT_EQ(outcome.status, StudyStatus::Aborted);
    const std::string file = ReadFile(folder / "batch.out");
    EXPECT_EQ(reference.file.compare(0, file.size(), file), 0) << "a prefix of the study";
    EXPECT_GE(outcome.valuesSolved, 5);
    EXPECT_LE(outcome.valuesSolved, 5 + 2 * jobs);  // at most two values per job ahead
    EXPECT_EQ(outcome.linesWritten, outcome.valuesSolved);
    EXPECT_EQ(file.size() >= 2 ? file.substr(file.size() - 2) : "", "\r\n");
  }
}

// What the merge refuses: a missing or repeated part, an interrupted part, parts of different
// studies, a file that is not a shard.
TEST(MergeStudyShards, RefusesIncompleteOrMismatchedShards) {
  ScratchFolder folder;
  std::vector<std::string> paths;
  for (int32_t part = 1; part <= 3; ++part) {
    Workbench bench = BenchFor(kStudies[0]);
    RecordingUserInterface ui(bench);
    StudyWork work;
    work.shard = part;
    work.shardCount = 3;
    paths.push_back(
        RunParametricStudy(bench, ui, folder.str(), "study.out", 0.0, false, work).filePath);
  }
  {
    Workbench bench = BenchFor(kStudies[2]);  // another study
    RecordingUserInterface ui(bench);
    StudyWork work;
    work.shard = 3;
    work.shardCount = 3;
    RunParametricStudy(bench, ui, folder.str(), "other.out", 0.0, false, work);
  }
  {
    Workbench bench = BenchFor(kStudies[0]);
    RecordingUserInterface ui(bench);
    ui.abortOnPump = 2;
    StudyWork work;
    work.shard = 2;
    work.shardCount = 3;
    RunParametricStudy(bench, ui, folder.str(), "aborted.out", 0.0, false, work);
  }
  std::ofstream(folder / "plain.out") << "Varying Qty\r\n";

  const std::string other = (folder / ShardFileName("other.out", 3, 3)).string();
  struct Row {
    const char* name;
    std::vector<std::string> shards;
    const char* problem;
  };
  const Row rows[] = {
      {"missing", {paths[0], paths[2]}, "shard(s) 2/3 missing"},
      {"repeated", {paths[0], paths[1], paths[1], paths[2]}, "given twice"},
      {"interrupted",
       {paths[0], (folder / ShardFileName("aborted.out", 2, 3)).string(), paths[2]},
       "interrupted"},
      {"other study", {paths[0], paths[1], other}, "missing"},
      {"not a shard", {(folder / "plain.out").string()}, "not a shard file"},
      {"no such file", {(folder / "none.out.shard-1-of-1").string()}, "cannot be opened"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const MergeOutcome merged = MergeStudyShards(row.shards, folder.str());
    ASSERT_FALSE(merged.problems.empty());
    EXPECT_NE(merged.problems.front().find(row.problem), std::string::npos)
        << merged.problems.front() << " / expected: " << row.problem;
  }
}

TEST(StudyWork, ParsesShards) {
  struct Row {
    const char* text;
    bool ok;
    int32_t shard, count;
  };
  const Row rows[] = {{"1/1", true, 1, 1},  {"3/4", true, 3, 4},  {"4/4", true, 4, 4},
                      {"0/4", false, 1, 1}, {"5/4", false, 1, 1}, {"1/0", false, 1, 1},
                      {"1", false, 1, 1},   {"a/b", false, 1, 1}, {"1/2x", false, 1, 1},
                      {"-1/2", false, 1, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    StudyWork work;
    EXPECT_EQ(work.ParseShard(row.text), row.ok);
    EXPECT_EQ(work.shard, row.shard);
    EXPECT_EQ(work.shardCount, row.count);
  }
}

// ----------------------------------------------------------------------------------------
// The advanced study.

void WriteSeries(const ScratchFolder& folder) {
  const double amplitudes[] = {20.0, 15.0, 25.0, 5.0, 18.0};
  for (int k = 0; k < 5; ++k) {
    Workbench source;
    AddSineForceExperiment("Sine", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, amplitudes[k], 2.0,
                           source.experiments);
    testing::WriteForceExperimentFile(folder / (std::to_string(k + 1) + " record.quarvel"),
                                      source.experiments.At(1));
  }
}

Workbench AdvancedBench() {
  Workbench bench;
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.txtFrom = "0.5";
  bench.inputs.txtTo = "2";
  bench.inputs.txtStep = "0.1";
  return bench;
}

std::vector<std::string> OutputsOf() {
  std::vector<std::string> files;
  for (int k = 1; k <= 5; ++k) files.push_back(std::to_string(k) + " record.quarvel.out");
  for (const char* name : kEnvelopeFileNames) files.emplace_back(name);
  return files;
}

TEST(AdvancedStudy, BatchAndMergedShardsWriteWhatTheSequentialLoopWrites) {
  ScratchFolder reference;
  WriteSeries(reference);
  {
    Workbench bench = AdvancedBench();
    RecordingUserInterface ui(bench);
    ASSERT_TRUE(RunAdvancedLoop(bench, ui, reference.str(), 0.5).ran);
  }

  ScratchFolder batch("-batch");
  WriteSeries(batch);
  {
    Workbench bench = AdvancedBench();
    RecordingUserInterface ui(bench);
    StudyWork work;
    work.jobs = 3;
    const AdvancedStudyOutcome outcome = RunAdvancedStudy(bench, ui, batch.str(), 0.5, work);
    EXPECT_TRUE(outcome.problems.empty());
    EXPECT_EQ(outcome.files.size(), 5u);
  }
  for (const std::string& name : OutputsOf()) {
    EXPECT_EQ(ReadFile(batch / name), ReadFile(reference / name)) << name;
  }

  ScratchFolder sharded("-sharded");
  WriteSeries(sharded);
  std::vector<std::string> envelopeShards;
  for (int32_t part = 1; part <= 2; ++part) {
    Workbench bench = AdvancedBench();
    RecordingUserInterface ui(bench);
    StudyWork work;
    work.jobs = 2;
    work.shard = part;
    work.shardCount = 2;
    const AdvancedStudyOutcome outcome = RunAdvancedStudy(bench, ui, sharded.str(), 0.5, work);
    EXPECT_TRUE(outcome.problems.empty());
    EXPECT_EQ(outcome.files.size(), part == 1 ? 3u : 2u);  // files 1, 3, 5 and 2, 4
    ASSERT_EQ(outcome.envelopeFiles.size(), 1u);
    envelopeShards.push_back(outcome.envelopeFiles.front());
  }
  const MergeOutcome merged = MergeStudyShards(envelopeShards, sharded.str());
  EXPECT_TRUE(merged.problems.empty());
  EXPECT_EQ(merged.written.size(), 4u);
  for (const std::string& name : OutputsOf()) {
    EXPECT_EQ(ReadFile(sharded / name), ReadFile(reference / name)) << name;
  }
}

}  // namespace
}  // namespace quarvel
