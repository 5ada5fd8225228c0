// Studies solved side by side or split into shards against the study solved one value at a time
// on the bench, and what the merge refuses. (The advanced study's shards: tests/cli.)

#include "studies/study_shards.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "study_test_support.h"

namespace quarvel {
namespace {

using namespace testing;

const std::vector<ShardKind> kStudyKinds = {StudyShardKind(), EnvelopeShardKind()};

struct StudyCase {
  const char *name, *from, *to, *step;
  StudyOption vary, by;
  double threshold;
  int32_t selected = 2;
  const char* p = "2.0";  // P = -1 makes some evaluations of the all-reversal weight fault
};

// The last stops the study: x = 0 makes the rewritten Fy infinite at the third value.
using enum StudyOption;
const StudyCase kStudies[] = {
    {"PlasticPeriodByMass", "0.5", "3", "0.1", VaryPlasticPeriod, ChangeMass, 0.0},
    {"ThresholdDropsSomeValues", "0.5", "3", "0.1", VaryPlasticPeriod, ChangeMass, 4.0},
    {"FaultingWeights", "2", "4", "0.25", VaryMass, ChangeMass, 0.0, 3, "-1"},
    {"InvalidValueStopsTheStudy", "-0.2", "0.3", "0.1", VaryElasticPeriod, ChangeFy, 0.0},
};

// Everything a study run leaves.
struct StudyRun {
  StudyOutcome outcome;
  Envelopes envelopes;
  std::string file, rewrittenFy;
  std::vector<int32_t> progress;
};

// Each thing `run` leaves is what `reference` left.
void ExpectSameRun(const StudyRun& run, const StudyRun& reference) {
  EXPECT_EQ(run.file, reference.file);
  EXPECT_EQ(run.outcome.status, reference.outcome.status);
  EXPECT_EQ(run.outcome.Describe(), reference.outcome.Describe());
  EXPECT_EQ(run.outcome.valuesSolved, reference.outcome.valuesSolved);
  EXPECT_EQ(run.outcome.linesWritten, reference.outcome.linesWritten);
  EXPECT_EQ(run.envelopes.uPos, reference.envelopes.uPos);
  EXPECT_EQ(run.envelopes.uNeg, reference.envelopes.uNeg);
  EXPECT_EQ(run.envelopes.ehPos, reference.envelopes.ehPos);
  EXPECT_EQ(run.envelopes.ehNeg, reference.envelopes.ehNeg);
  EXPECT_EQ(run.rewrittenFy, reference.rewrittenFy);
  EXPECT_EQ(run.progress, reference.progress);
  const std::vector<FaultedValue>& faults = reference.outcome.faultedValues;
  ASSERT_EQ(run.outcome.faultedValues.size(), faults.size());
  for (std::size_t k = 0; k < faults.size(); ++k) {
    EXPECT_EQ(run.outcome.faultedValues[k].index, faults[k].index);
    EXPECT_EQ(run.outcome.faultedValues[k].x, faults[k].x);
    EXPECT_EQ(run.outcome.faultedValues[k].evaluations, faults[k].evaluations);
  }
}

// Study `c` as `name` in `folder`, with `work`; a stop asked on the `abortOnPump`-th pump. Three
// sine records, the second or the third selected (so that solving only the selected experiment
// is a different amount of work from solving the set), Euler steps for speed.
StudyRun RunStudy(const StudyCase& c, const ScratchFolder& folder, const char* name,
                  const StudyWork& work = {}, int abortOnPump = 0) {
  StudyRun run;
  ExperimentSet set;
  AddSine(set, 5.0, "Small");
  AddSine(set, 20.0, "Large");
  AddSine(set, 5.0, "Long", 10.0);
  Workbench bench = EulerBench(std::move(set), c.from, c.to, c.step);
  bench.currentExperiment = c.selected;
  bench.inputs.txtP = c.p;
  ClickStudyOption(bench.inputs, c.vary);
  ClickStudyOption(bench.inputs, c.by);
  RecordingUserInterface ui(bench);
  ui.abortOnPump = abortOnPump;
  run.envelopes.Reset(30);
  const auto progress = [&run](const StudyProgress& p) { run.progress.push_back(p.index); };
  run.outcome = RunParametricLoop(
      bench, ui, ui.stop,
      StudyRequest{folder.Path().string(), name, c.threshold, &run.envelopes, progress, {}}, work);
  run.file = folder.Read(name);
  run.rewrittenFy = bench.inputs.txtFy;
  return run;
}

class BatchStudy : public ::testing::TestWithParam<StudyCase> {};

// Whatever the jobs and whether each value solves the set or only the selected experiment: the
// outcome, file, envelopes, faulted values, rewritten input and progress (in value order) of
// the study solved one value at a time on the bench. Split into 1 to 40 shards and merged: its
// file, and the message of a study that stopped.
TEST_P(BatchStudy, WritesTheSequentialStudyFileWholeOrInShards) {
  const StudyCase& c = GetParam();
  ScratchFolder folder;
  const StudyRun reference = RunStudy(c, folder, "reference.out");
  for (const unsigned jobs : {1u, 2u, 3u}) {
    for (const auto solve : {StudySolve::AllExperiments, StudySolve::SelectedExperiment}) {
      SCOPED_TRACE(std::to_string(jobs) + " jobs, solving " +
                   (solve == StudySolve::AllExperiments ? "every experiment" : "the selected one"));
      SolvePool pool(jobs);
      ExpectSameRun(RunStudy(c, folder, "batch.out", StudyWork{&pool, 1, 1, solve}), reference);
    }
  }
  for (const int32_t count : {1, 2, 3, 7, 40}) {
    SCOPED_TRACE(count);
    ScratchFolder shards;
    std::vector<std::string> paths;
    SolvePool pool(2);
    for (int32_t part = 1; part <= count; ++part) {
      paths.push_back(
          RunStudy(c, shards, "study.out", StudyWork{&pool, part, count}).outcome.filePath);
    }
    if (count > 1) {
      const MergeOutcome merged = MergeShardFiles(paths, shards.Path().string(), kStudyKinds);
      EXPECT_TRUE(merged.problems.empty()) << merged.problems.front().Describe();
      const bool stopped = reference.outcome.status == StudyStatus::InvalidValue;
      EXPECT_EQ(merged.stops, stopped ? std::vector<std::string>{reference.outcome.message}
                                      : std::vector<std::string>{});
    }
    EXPECT_EQ(shards.Read("study.out"), reference.file);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, BatchStudy, ::testing::ValuesIn(kStudies),
                         [](const auto& row) { return std::string(row.param.name); });

// Shards of another study, twice, missing or interrupted are refused; a long list of missing
// shards is cut short. (Mend: counts beyond any study, which once made the merge write outside
// its arrays or ask for gigabytes, and a value line without its tab: fuzz/regressions/study_shard,
// replayed by tests/reliability.)
TEST(MergeShardFiles, RefusesIncompleteOrMismatchedStudyShards) {
  ScratchFolder folder;
  SolvePool pool(2);
  const auto shard = [&](const StudyCase& c, const char* name, int32_t part, int abortOnPump = 0) {
    return RunStudy(c, folder, name, StudyWork{&pool, part, 3}, abortOnPump).outcome.filePath;
  };
  const std::string parts[] = {shard(kStudies[0], "study.out", 1),
                               shard(kStudies[0], "study.out", 2),
                               shard(kStudies[0], "study.out", 3)};
  const auto written = [&folder](const char* name, const char* text) {
    return folder.Write(name, text).string();
  };
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{parts[0], parts[2]}, "shard(s) 2/3 missing"},
      {{parts[0], parts[1], parts[1], parts[2]}, "given twice"},
      {{parts[0], shard(kStudies[0], "aborted.out", 2, 2), parts[2]}, "interrupted"},
      {{parts[0], parts[1], shard(kStudies[2], "other.out", 3)}, "missing"},  // another study's
      {{written("other", "#quarvel-study-shard\t2/3\t10\tx.out\r\n0\tx\r\n#end\tcomplete\r\n")},
       "line 2 is not one of the shard's values"},  // value 0 belongs to shard 1
      {{written("one", "#quarvel-study-shard\t1/50\t5\tx.out\r\n#end\tcomplete\r\n")},
       "shard(s) 2/50, 3/50, 4/50, 5/50, 6/50, 7/50, 8/50, 9/50, 10/50, 11/50 and 39 more "
       "missing"},
      // A whole set beside a file that is no shard: nothing is merged.
      {{parts[0], parts[1], parts[2], written("plain", "#plain\t1/1\r\n#end\tcomplete\r\n")},
       "not a shard file"},
  };
  for (const auto& [shards, problem] : rows) {
    SCOPED_TRACE(problem);
    const MergeOutcome merged = MergeShardFiles(shards, folder.Path().string(), kStudyKinds);
    ASSERT_FALSE(merged.problems.empty());
    EXPECT_NE(merged.problems.front().Describe().find(problem), std::string::npos)
        << merged.problems.front().Describe();
  }
  EXPECT_FALSE(fs::exists(folder / "study.out"));
}

TEST(ShardLabel, ParsesShards) {
  // parsed: accepted; refused, the shard stays 1/1.
  const struct { const char* text; bool parsed; int32_t shard, count; } rows[] = {
      {"1/1", true, 1, 1},  {"3/4", true, 3, 4},  {"4/4", true, 4, 4},  {"0/4", false, 1, 1},
      {"5/4", false, 1, 1}, {"1/0", false, 1, 1}, {"1", false, 1, 1},   {"a/b", false, 1, 1},
      {"1/2x", false, 1, 1}, {"-1/2", false, 1, 1}};
  for (const auto& row : rows) {
    StudyWork work;
    EXPECT_EQ(ParseShardLabel(row.text, work.shard, work.shardCount), row.parsed) << row.text;
    EXPECT_EQ(work.shard, row.shard) << row.text;
    EXPECT_EQ(work.shardCount, row.count) << row.text;
  }
}

}  // namespace
}  // namespace quarvel
