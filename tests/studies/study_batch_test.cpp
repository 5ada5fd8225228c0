// Batch studies against the sequential loop, which is the reference: the same study file, byte
// for byte, whatever the number of jobs, whether each value solves the whole set or only the
// selected experiment, and after splitting into shards and merging; the same envelopes for the
// advanced study; and what an interrupted or stopped batch leaves.

#include "studies/study_batch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "study_test_support.h"

namespace quarvel {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;

struct StudyCase {
  const char *name, *from, *to, *step;
  bool varyElasticByFy;  // else the default: plastic period by changing mass
  double threshold;
};

// The last stops the study: x = 0 makes the rewritten Fy infinite at the third value.
const StudyCase kStudies[] = {
    {"PlasticPeriodByMass", "0.5", "3", "0.1", false, 0.0},
    {"ThresholdDropsSomeValues", "0.5", "3", "0.1", false, 4.0},
    {"ElasticPeriodByFy", "0.5", "3", "0.1", true, 0.0},
    {"InvalidValueStopsTheStudy", "-0.2", "0.3", "0.1", true, 0.0},
};

// Two sine records, the second selected (so that solving only the selected experiment is a
// different amount of work from solving the set), Euler steps for speed.
Workbench BenchFor(const StudyCase& c) {
  ExperimentSet set;
  AddSineForceExperiment("Small", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 5.0, 2.0, set);
  AddSineForceExperiment("Large", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 20.0, 2.0, set);
  Workbench bench = testing::EulerBench(std::move(set));
  bench.currentExperiment = 2;
  bench.inputs.txtFrom = c.from;
  bench.inputs.txtTo = c.to;
  bench.inputs.txtStep = c.step;
  if (c.varyElasticByFy) {
    ClickStudyOption(bench.inputs, StudyOption::VaryElasticPeriod);
    ClickStudyOption(bench.inputs, StudyOption::ChangeFy);
  }
  bench.envelopes.Reset(30);
  return bench;
}

auto EnvelopesOf(const Workbench& b) {
  return std::tie(b.envelopes.uPos, b.envelopes.uNeg, b.envelopes.ehPos, b.envelopes.ehNeg);
}

struct Reference {
  Workbench bench;
  StudyOutcome outcome;
  std::string file;
};

Reference SequentialStudy(const StudyCase& c, const ScratchFolder& folder) {
  Reference r{BenchFor(c), {}, {}};
  RecordingUserInterface ui(r.bench);
  r.outcome = RunParametricLoop(r.bench, ui, folder.str(), "reference.out", c.threshold, true);
  r.file = ReadFile(folder / "reference.out");
  return r;
}

// Runs part `shard` of `count` of study `c` as `name`; returns the outcome.
StudyOutcome RunShard(const StudyCase& c, const ScratchFolder& folder, const char* name,
                      int32_t shard, int32_t count, int abortOnPump = 0) {
  Workbench bench = BenchFor(c);
  RecordingUserInterface ui(bench);
  ui.abortOnPump = abortOnPump;
  StudyWork work;
  work.jobs = 2;
  work.shard = shard;
  work.shardCount = count;
  return RunParametricStudy(bench, ui, folder.str(), name, c.threshold, false, work);
}

class BatchStudy : public ::testing::TestWithParam<StudyCase> {};

// Whatever the jobs and whether each value solves the set or only the selected experiment: the
// outcome, file, envelopes, rewritten input and progress (in value order) of the sequential loop.
TEST_P(BatchStudy, WritesTheSequentialStudyFile) {
  const StudyCase& c = GetParam();
  ScratchFolder folder;
  const Reference reference = SequentialStudy(c, folder);
  for (const int32_t jobs : {1, 2, 3}) {
    for (const auto solve :
         {detail::StudySolve::AllExperiments, detail::StudySolve::SelectedExperiment}) {
      SCOPED_TRACE(std::to_string(jobs) + " jobs, solve " + std::to_string(int(solve)));
      Workbench bench = BenchFor(c);
      RecordingUserInterface ui(bench);
      StudyWork work;
      work.jobs = jobs;
      work.solve = solve;
      std::vector<int32_t> progress;
      const StudyOutcome outcome =
          RunParametricStudy(bench, ui, folder.str(), "batch.out", c.threshold, true, work,
                             [&progress](const StudyProgress& p) { progress.push_back(p.index); });
      EXPECT_EQ(ReadFile(folder / "batch.out"), reference.file);
      EXPECT_EQ(outcome.status, reference.outcome.status);
      EXPECT_EQ(outcome.Describe(), reference.outcome.Describe());
      EXPECT_EQ(outcome.valuesSolved, reference.outcome.valuesSolved);
      EXPECT_EQ(outcome.linesWritten, reference.outcome.linesWritten);
      EXPECT_TRUE(EnvelopesOf(bench) == EnvelopesOf(reference.bench));
      EXPECT_EQ(bench.inputs.txtFy, reference.bench.inputs.txtFy);
      ASSERT_EQ(static_cast<int32_t>(progress.size()), outcome.valuesSolved);
      for (std::size_t k = 0; k < progress.size(); ++k) EXPECT_EQ(progress[k], int32_t(k));
    }
  }
}

TEST_P(BatchStudy, MergedShardsAreTheSequentialStudyFile) {
  const StudyCase& c = GetParam();
  ScratchFolder folder;
  const Reference reference = SequentialStudy(c, folder);
  for (const int32_t count : {1, 2, 3, 7, 40}) {
    SCOPED_TRACE(count);
    ScratchFolder shards("-" + std::to_string(count));
    std::vector<std::string> paths;
    for (int32_t part = 1; part <= count; ++part) {
      paths.push_back(RunShard(c, shards, "study.out", part, count).filePath);
      if (count > 1) {
        EXPECT_EQ(paths.back(), (shards / ShardFileName("study.out", part, count)).string());
      }
    }
    if (count > 1) {
      const MergeOutcome merged = MergeStudyShards(paths, shards.str());
      EXPECT_TRUE(merged.problems.empty()) << merged.problems.front().Describe();
      const bool stopped = reference.outcome.status == StudyStatus::InvalidValue;
      EXPECT_EQ(merged.stops, stopped ? std::vector<std::string>{reference.outcome.message}
                                      : std::vector<std::string>{});
    }
    EXPECT_EQ(ReadFile(shards / "study.out"), reference.file);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, BatchStudy, ::testing::ValuesIn(kStudies),
                         [](const auto& info) { return std::string(info.param.name); });

// Escape during a batch: no more values are handed out, those in progress are finished, and the
// file holds the values finished in order: a prefix of the whole study, every line whole.
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

TEST(MergeStudyShards, RefusesIncompleteOrMismatchedShards) {
  ScratchFolder folder;
  std::vector<std::string> paths;
  for (int32_t part = 1; part <= 3; ++part) {
    paths.push_back(RunShard(kStudies[0], folder, "study.out", part, 3).filePath);
  }
  const std::string other = RunShard(kStudies[2], folder, "other.out", 3, 3).filePath;
  const std::string aborted = RunShard(kStudies[0], folder, "aborted.out", 2, 3, 2).filePath;
  std::ofstream(folder / "plain.out") << "Varying Qty\r\n";

  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{paths[0], paths[2]}, "shard(s) 2/3 missing"},
      {{paths[0], paths[1], paths[1], paths[2]}, "given twice"},
      {{paths[0], aborted, paths[2]}, "interrupted"},
      {{paths[0], paths[1], other}, "missing"},  // a part of another study
      {{(folder / "plain.out").string()}, "not a shard file"},
      {{(folder / "none.out.shard-1-of-1").string()}, "cannot be opened"},
  };
  for (const auto& [shards, problem] : rows) {
    SCOPED_TRACE(problem);
    const MergeOutcome merged = MergeStudyShards(shards, folder.str());
    ASSERT_FALSE(merged.problems.empty());
    EXPECT_NE(merged.problems.front().Describe().find(problem), std::string::npos)
        << merged.problems.front().Describe();
  }
}

TEST(StudyWork, ParsesShards) {
  const std::pair<const char*, const char*> rows[] = {  // text, shard/count ("" refused)
      {"1/1", "1/1"}, {"3/4", "3/4"}, {"4/4", "4/4"}, {"0/4", ""},  {"5/4", ""},
      {"1/0", ""},    {"1", ""},      {"a/b", ""},    {"1/2x", ""}, {"-1/2", ""}};
  for (const auto& [text, parsed] : rows) {
    StudyWork work;
    EXPECT_EQ(work.ParseShard(text), *parsed != '\0') << text;
    const std::string kept = std::to_string(work.shard) + "/" + std::to_string(work.shardCount);
    EXPECT_EQ(kept, *parsed != '\0' ? parsed : "1/1") << text;
  }
}

// The advanced study over five records: the batch, whole or in merged shards (files 1, 3, 5 and
// 2, 4), writes the files of the sequential loop.
TEST(AdvancedStudy, BatchAndMergedShardsWriteWhatTheSequentialLoopWrites) {
  const auto prepare = [](const ScratchFolder& folder) {
    const double amplitudes[] = {20.0, 15.0, 25.0, 5.0, 18.0};
    for (int k = 0; k < 5; ++k) {
      testing::WriteSineFile(folder / (std::to_string(k + 1) + " record.quarvel"), amplitudes[k]);
    }
    Workbench bench;
    bench.inputs.optSolutionRKStepDoubling = false;
    bench.inputs.optSolutionEuler = true;
    bench.inputs.txtFrom = "0.5";
    bench.inputs.txtTo = "2";
    bench.inputs.txtStep = "0.1";
    return bench;
  };
  std::vector<std::string> outputs(kEnvelopeFileNames.begin(), kEnvelopeFileNames.end());
  for (int k = 1; k <= 5; ++k) outputs.push_back(std::to_string(k) + " record.quarvel.out");
  ScratchFolder reference;
  Workbench referenceBench = prepare(reference);
  SilentUserInterface ui;
  ASSERT_TRUE(RunAdvancedLoop(referenceBench, ui, reference.str(), 0.5).ran);

  for (const int32_t shards : {1, 2}) {
    SCOPED_TRACE(shards);
    ScratchFolder folder("-" + std::to_string(shards));
    std::vector<std::string> envelopeShards;
    for (int32_t part = 1; part <= shards; ++part) {
      Workbench bench = prepare(folder);
      StudyWork work;
      work.jobs = 3;
      work.shard = part;
      work.shardCount = shards;
      const AdvancedStudyOutcome outcome = RunAdvancedStudy(bench, ui, folder.str(), 0.5, work);
      EXPECT_TRUE(outcome.problems.empty());
      EXPECT_EQ(outcome.files.size(), shards == 1 ? 5u : part == 1 ? 3u : 2u);
      ASSERT_EQ(outcome.envelopeFiles.size(), shards == 1 ? 4u : 1u);
      envelopeShards.push_back(outcome.envelopeFiles.front());
    }
    if (shards > 1) {
      const MergeOutcome merged = MergeStudyShards(envelopeShards, folder.str());
      EXPECT_TRUE(merged.problems.empty());
      EXPECT_EQ(merged.written.size(), 4u);
    }
    for (const std::string& name : outputs) {
      EXPECT_EQ(ReadFile(folder / name), ReadFile(reference / name)) << name;
    }
  }
}

}  // namespace
}  // namespace quarvel
