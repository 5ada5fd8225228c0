// Studies whose values are solved side by side or split into shards, against the study solved
// one value at a time on the bench, which is the reference: the same study file, byte for byte,
// whatever the number of jobs, whether each value solves the whole set or only the selected
// experiment, and after splitting into shards and merging; the same outcome, envelopes and
// faulted values; the same files for the advanced study; and what the merge refuses.

#include "studies/study_shards.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "studies/advanced_loop.h"
#include "study_test_support.h"

namespace quarvel {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::Request;
using testing::ScratchFolder;

struct StudyCase {
  const char *name, *from, *to, *step;
  StudyOption vary, by;
  double threshold;
  int32_t selected = 2;
  const char* p = "2.0";  // P = -1 makes some evaluations of the all-reversal weight fault
};

// The last stops the study: x = 0 makes the rewritten Fy infinite at the third value.
const StudyCase kStudies[] = {
    {"PlasticPeriodByMass", "0.5", "3", "0.1", StudyOption::VaryPlasticPeriod,
     StudyOption::ChangeMass, 0.0},
    {"ThresholdDropsSomeValues", "0.5", "3", "0.1", StudyOption::VaryPlasticPeriod,
     StudyOption::ChangeMass, 4.0},
    {"ElasticPeriodByFy", "0.5", "3", "0.1", StudyOption::VaryElasticPeriod,
     StudyOption::ChangeFy, 0.0},
    {"FaultingWeights", "2", "4", "0.25", StudyOption::VaryMass, StudyOption::ChangeMass, 0.0, 3,
     "-1"},
    {"InvalidValueStopsTheStudy", "-0.2", "0.3", "0.1", StudyOption::VaryElasticPeriod,
     StudyOption::ChangeFy, 0.0},
};

// Three sine records, the second or the third selected (so that solving only the selected
// experiment is a different amount of work from solving the set), Euler steps for speed.
Workbench BenchFor(const StudyCase& c) {
  ExperimentSet set;
  AddSineForceExperiment("Small", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 5.0, 2.0, set);
  AddSineForceExperiment("Large", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 20.0, 2.0, set);
  AddSineForceExperiment("Long", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, 5.0, 10.0, set);
  Workbench bench = testing::EulerBench(std::move(set));
  bench.currentExperiment = c.selected;
  bench.inputs.txtFrom = c.from;
  bench.inputs.txtTo = c.to;
  bench.inputs.txtStep = c.step;
  bench.inputs.txtP = c.p;
  ClickStudyOption(bench.inputs, c.vary);
  ClickStudyOption(bench.inputs, c.by);
  return bench;
}

auto Tied(const Envelopes& e) { return std::tie(e.uPos, e.uNeg, e.ehPos, e.ehNeg); }

std::vector<std::tuple<int32_t, double, int64_t>> Tied(const std::vector<FaultedValue>& values) {
  std::vector<std::tuple<int32_t, double, int64_t>> tied;
  for (const FaultedValue& v : values) tied.emplace_back(v.index, v.x, v.evaluations);
  return tied;
}

struct Reference {
  Workbench bench;
  Envelopes envelopes;
  StudyOutcome outcome;
  std::string file;
};

Reference SequentialStudy(const StudyCase& c, const ScratchFolder& folder) {
  Reference r{BenchFor(c), {}, {}, {}};
  r.envelopes.Reset(30);
  RecordingUserInterface ui(r.bench);
  r.outcome = RunParametricLoop(r.bench, ui, ui.stop,
                                Request(folder.str(), "reference.out", c.threshold, &r.envelopes));
  r.file = ReadFile(folder / "reference.out");
  return r;
}

// Runs part `shard` of `count` of study `c` as `name` on two threads; returns the outcome.
StudyOutcome RunShard(const StudyCase& c, const ScratchFolder& folder, const char* name,
                      int32_t shard, int32_t count, int abortOnPump = 0) {
  Workbench bench = BenchFor(c);
  RecordingUserInterface ui(bench);
  ui.abortOnPump = abortOnPump;
  SolvePool pool(2);
  StudyWork work;
  work.pool = &pool;
  work.shard = shard;
  work.shardCount = count;
  return RunParametricLoop(bench, ui, ui.stop, Request(folder.str(), name, c.threshold), work);
}

class BatchStudy : public ::testing::TestWithParam<StudyCase> {};

// Whatever the jobs and whether each value solves the set or only the selected experiment: the
// outcome, file, envelopes, faulted values, rewritten input and progress (in value order) of
// the study solved one value at a time on the bench.
TEST_P(BatchStudy, WritesTheSequentialStudyFile) {
  const StudyCase& c = GetParam();
  ScratchFolder folder;
  const Reference reference = SequentialStudy(c, folder);
  EXPECT_EQ(reference.outcome.faultedValues.empty(), *c.p != '-');
  for (const int32_t jobs : {1, 2, 3}) {
    for (const auto solve : {StudySolve::AllExperiments, StudySolve::SelectedExperiment}) {
      SCOPED_TRACE(std::to_string(jobs) + " jobs, solve " + std::to_string(int(solve)));
      Workbench bench = BenchFor(c);
      RecordingUserInterface ui(bench);
      SolvePool pool(static_cast<unsigned>(jobs));
      StudyWork work;
      work.pool = &pool;
      work.solve = solve;
      Envelopes envelopes;
      envelopes.Reset(30);
      std::vector<int32_t> progress;
      const StudyOutcome outcome = RunParametricLoop(
          bench, ui, ui.stop,
          Request(folder.str(), "batch.out", c.threshold, &envelopes,
                  [&progress](const StudyProgress& p) { progress.push_back(p.index); }),
          work);
      EXPECT_EQ(ReadFile(folder / "batch.out"), reference.file);
      EXPECT_EQ(outcome.status, reference.outcome.status);
      EXPECT_EQ(outcome.Describe(), reference.outcome.Describe());
      EXPECT_EQ(outcome.valuesSolved, reference.outcome.valuesSolved);
      EXPECT_EQ(outcome.linesWritten, reference.outcome.linesWritten);
      EXPECT_EQ(Tied(outcome.faultedValues), Tied(reference.outcome.faultedValues));
      EXPECT_TRUE(Tied(envelopes) == Tied(reference.envelopes));
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

TEST(MergeStudyShards, RefusesIncompleteOrMismatchedShards) {
  ScratchFolder folder;
  std::vector<std::string> paths;
  for (int32_t part = 1; part <= 3; ++part) {
    paths.push_back(RunShard(kStudies[0], folder, "study.out", part, 3).filePath);
  }
  const std::string other = RunShard(kStudies[2], folder, "other.out", 3, 3).filePath;
  const std::string aborted = RunShard(kStudies[0], folder, "aborted.out", 2, 3, 2).filePath;
  std::ofstream(folder / "plain.out") << "Varying Qty\r\n";
  // Mend: counts beyond any study once made the merge write outside its arrays or ask for
  // gigabytes, and a value line without its tab ended it; they are refused, and a long list of
  // missing shards is cut short.
  const auto written = [&folder](const char* name, const char* text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  };
  const std::string beyond32Bits = written(
      "wide", "#quarvel-envelope-shard\t1/1\t3000000000\t0x1p+0\t0x1p+0\r\n"
              "5\t0x1p+0\t0x0p+0\t0x0p+0\t0x0p+0\r\n#end\tcomplete\r\n");
  const std::string manyValues = written(
      "many", "#quarvel-envelope-shard\t1/1\t900000000\t0x1p+0\t0x1p+0\r\n#end\tcomplete\r\n");
  const std::string manyShards =
      written("shards", "#quarvel-study-shard\t1/2000000000\t5\tx.out\r\n#end\tcomplete\r\n");
  const std::string noTab =
      written("notab", "#quarvel-study-shard\t2/3\t10\tx.out\r\n1\r\n#end\tcomplete\r\n");
  const std::string oneOf50 =
      written("one", "#quarvel-study-shard\t1/50\t5\tx.out\r\n#end\tcomplete\r\n");

  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{paths[0], paths[2]}, "shard(s) 2/3 missing"},
      {{paths[0], paths[1], paths[1], paths[2]}, "given twice"},
      {{paths[0], aborted, paths[2]}, "interrupted"},
      {{paths[0], paths[1], other}, "missing"},  // a part of another study
      {{(folder / "plain.out").string()}, "not a shard file"},
      {{(folder / "none.out.shard-1-of-1").string()}, "cannot be opened"},
      {{beyond32Bits}, "does not name the shard"},
      {{manyValues}, "does not name the shard"},
      {{manyShards}, "does not name the shard"},
      {{noTab}, "line 2 is unreadable"},
      {{oneOf50}, "shard(s) 2/50, 3/50, 4/50, 5/50, 6/50, 7/50, 8/50, 9/50, 10/50, 11/50 and 39 "
                  "more missing"},
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
  ASSERT_TRUE(RunAdvancedLoop(referenceBench, ui, StopToken{}, reference.str(), 0.5).ran);

  for (const int32_t shards : {1, 2}) {
    SCOPED_TRACE(shards);
    ScratchFolder folder("-" + std::to_string(shards));
    std::vector<std::string> envelopeShards;
    for (int32_t part = 1; part <= shards; ++part) {
      Workbench bench = prepare(folder);
      SolvePool pool(3);
      StudyWork work;
      work.pool = &pool;
      work.shard = part;
      work.shardCount = shards;
      const AdvancedStudyOutcome outcome =
          RunAdvancedLoop(bench, ui, StopToken{}, folder.str(), 0.5, {}, work);
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
