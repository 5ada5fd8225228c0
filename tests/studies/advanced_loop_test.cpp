#include "studies/advanced_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "study_test_support.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::ReadLines;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::SineBench;
using testing::SplitTabs;
using testing::WriteForceExperimentFile;

// A series file holding two cycles of a sinusoidal force of the given amplitude.
void WriteSineFile(const ScratchFolder& folder, const std::string& name, double amplitude) {
  Workbench source = SineBench(amplitude);
  WriteForceExperimentFile(folder / name, source.experiments.At(1));
}

// Mass swept over 2, 2.5, 3 with the window's other defaults, solved by Euler.
Workbench StudyBench() {
  Workbench bench;
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  ClickStudyOption(bench.inputs, StudyOption::VaryMass);
  bench.inputs.txtFrom = "2";
  bench.inputs.txtTo = "3";
  bench.inputs.txtStep = "0.5";
  return bench;
}

// The envelope lines the study files imply: per swept value the largest (Pos) or smallest
// (Neg) relative error of column `column` over the files, where it is not 0.
std::vector<std::string> ExpectedEnvelope(const std::vector<fs::path>& studies, int column,
                                          bool positive) {
  std::map<std::string, std::pair<double, std::string>> extremes;  // x text -> value, text
  std::vector<std::string> order;
  for (const fs::path& study : studies) {
    const std::vector<std::string> lines = ReadLines(study);
    for (std::size_t k = 2; k < lines.size(); ++k) {
      const std::vector<std::string> fields = SplitTabs(lines[k]);
      const double value = Val(fields[column]);
      auto [it, added] = extremes.try_emplace(fields[0], 0.0, "");
      if (added) order.push_back(fields[0]);
      if (positive ? value > it->second.first : value < it->second.first) {
        it->second = {value, fields[column]};
      }
    }
  }
  std::sort(order.begin(), order.end(),
            [](const std::string& a, const std::string& b) { return Val(a) < Val(b); });
  std::vector<std::string> expected;
  for (const std::string& x : order) {
    if (extremes[x].first != 0) expected.push_back(x + "\t" + extremes[x].second);
  }
  return expected;
}

TEST(AdvancedLoop, StudiesTheSeriesInOrderUntilANumberIsMissing) {
  ScratchFolder folder;
  WriteSineFile(folder, "1 a.quarvel", 20.0);
  WriteSineFile(folder, "2 b.quarvel", 15.0);
  WriteSineFile(folder, "4 c.quarvel", 20.0);
  WriteSineFile(folder, "1.quarvel", 20.0);
  Workbench bench = StudyBench();
  RecordingUserInterface ui(bench);
  std::vector<std::string> started;
  int loadedWithGuardSet = 0;
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [&](int32_t k, const std::string& name) {
    started.push_back(std::to_string(k) + ":" + name);
  };
  hooks.onSetLoaded = [&] {
    const bool selected = bench.currentExperiment == 1 && bench.graphXQuantity == 1 &&
                          bench.graphYQuantity == 4;
    if (bench.reactionGuard.IsSet() && selected) ++loadedWithGuardSet;
  };

  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), 1.0, hooks);

  EXPECT_TRUE(outcome.ran);
  EXPECT_FALSE(outcome.Failed()) << outcome.problems.front();
  EXPECT_EQ(started, (std::vector<std::string>{"1:1 a.quarvel", "2:2 b.quarvel"}));
  EXPECT_EQ(loadedWithGuardSet, 2);
  EXPECT_FALSE(bench.reactionGuard.IsSet());
  ASSERT_EQ(outcome.files.size(), 2u);
  EXPECT_EQ(outcome.files[1].study.status, StudyStatus::Completed);
  EXPECT_TRUE(fs::exists(folder / "1 a.quarvel.out"));
  EXPECT_TRUE(fs::exists(folder / "2 b.quarvel.out"));
  EXPECT_FALSE(fs::exists(folder / "4 c.quarvel.out"));
  EXPECT_FALSE(fs::exists(folder / "1.quarvel.out"));
  EXPECT_FALSE(fs::exists(folder / "lresults.out"));
  // Each file's study: its first experiment solved once before, then once per value.
  EXPECT_EQ(ui.solves(), 2 * (1 + 3));

  const std::vector<fs::path> studies = {folder / "1 a.quarvel.out", folder / "2 b.quarvel.out"};
  for (const fs::path& study : studies) {
    const std::vector<std::string> lines = ReadLines(study);
    ASSERT_EQ(lines.size(), 5u) << study;
    EXPECT_EQ(lines[0], "Varying mass by changing mass");
    EXPECT_EQ(SplitTabs(lines[2])[0], "2");
    EXPECT_EQ(SplitTabs(lines[4])[0], "3");
  }
  // Column 4 holds the relative error of the peak displacement, column 8 that of Eh.
  const std::vector<std::string> uNeg = ExpectedEnvelope(studies, 4, false);
  const std::vector<std::string> ehPos = ExpectedEnvelope(studies, 8, true);
  EXPECT_FALSE(uNeg.empty());
  EXPECT_FALSE(ehPos.empty());
  EXPECT_EQ(ReadLines(folder / "EnvRelErrorUPos.out"), ExpectedEnvelope(studies, 4, true));
  EXPECT_EQ(ReadLines(folder / "EnvRelErrorUNeg.out"), uNeg);
  EXPECT_EQ(ReadLines(folder / "EnvRelErrorEhPos.out"), ehPos);
  EXPECT_EQ(ReadLines(folder / "EnvRelErrorEhNeg.out"), ExpectedEnvelope(studies, 8, false));
  EXPECT_EQ(outcome.envelopeFiles.size(), 4u);
}

TEST(AdvancedLoop, EscapeEndsTheCurrentFilesStudyOnly) {
  ScratchFolder folder;
  WriteSineFile(folder, "1 a.quarvel", 20.0);
  WriteSineFile(folder, "2 b.quarvel", 20.0);
  Workbench bench = StudyBench();
  RecordingUserInterface ui(bench);
  // Pumps of file 1: after its first solve (1), then per value at the end of the solve and in
  // the loop: Escape during the first value's solve.
  ui.abortOnPump = 3;
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), 1.0);
  ASSERT_EQ(outcome.files.size(), 2u);
  EXPECT_EQ(outcome.files[0].study.status, StudyStatus::Aborted);
  EXPECT_EQ(ReadLines(folder / "1 a.quarvel.out").size(), 3u);
  EXPECT_EQ(outcome.files[1].study.status, StudyStatus::Completed);
  EXPECT_EQ(ReadLines(folder / "2 b.quarvel.out").size(), 5u);
}

TEST(AdvancedLoop, FileThatFailsToLoadIsReportedAndLeavesTheEnvelopes) {
  ScratchFolder folder;
  WriteSineFile(folder, "1 a.quarvel", 20.0);
  { std::ofstream(folder / "2 bad.quarvel", std::ios::binary) << "0\r\n"; }
  WriteSineFile(folder, "3 c.quarvel", 15.0);
  ScratchFolder control("-control");  // the same series without the bad file
  const fs::path controlFolder = control / "";
  fs::copy_file(folder / "1 a.quarvel", controlFolder / "1 a.quarvel");
  fs::copy_file(folder / "3 c.quarvel", controlFolder / "2 c.quarvel");

  Workbench bench = StudyBench();
  SilentUserInterface ui;
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), 1.0);
  Workbench controlBench = StudyBench();
  const AdvancedStudyOutcome controlOutcome =
      RunAdvancedLoop(controlBench, ui, controlFolder.string(), 1.0);

  ASSERT_EQ(outcome.files.size(), 3u);
  EXPECT_FALSE(outcome.files[1].load.ok);
  ASSERT_EQ(outcome.problems.size(), 1u);
  EXPECT_EQ(outcome.problems[0], outcome.files[1].load.Describe());
  EXPECT_NE(outcome.problems[0].find("2 bad.quarvel: "), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "2 bad.quarvel.out"));
  EXPECT_TRUE(fs::exists(folder / "3 c.quarvel.out"));
  EXPECT_EQ(bench.experiments.Count(), 1);  // the last file of the series

  EXPECT_FALSE(controlOutcome.Failed());
  EXPECT_EQ(bench.envelopes.uNeg, controlBench.envelopes.uNeg);
  EXPECT_EQ(bench.envelopes.ehPos, controlBench.envelopes.ehPos);
  for (const char* name : kEnvelopeFileNames) {
    EXPECT_EQ(ReadFile(folder / name), ReadFile(controlFolder / name)) << name;
  }
}

TEST(AdvancedLoop, PeaksWithinTheThresholdAddNoLinesAndLeaveTheEnvelopesEmpty) {
  ScratchFolder folder;
  WriteSineFile(folder, "1 small.quarvel", 0.01);  // peaks far below Uy = 0.111
  Workbench bench = StudyBench();
  SilentUserInterface ui;
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), 1.0);
  EXPECT_FALSE(outcome.Failed());
  EXPECT_EQ(ReadLines(folder / "1 small.quarvel.out").size(), 2u);
  for (const char* name : kEnvelopeFileNames) {
    EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_EQ(ReadFile(folder / name), "") << name;
  }
}

TEST(AdvancedLoop, WithoutFileNumberOneWritesEmptyEnvelopeFilesOnly) {
  ScratchFolder folder;
  WriteSineFile(folder, "2 b.quarvel", 20.0);
  Workbench bench = StudyBench();
  RecordingUserInterface ui(bench);
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), 1.0);
  EXPECT_TRUE(outcome.ran);
  EXPECT_TRUE(outcome.files.empty());
  EXPECT_EQ(ui.solves(), 0);
  EXPECT_FALSE(fs::exists(folder / "2 b.quarvel.out"));
  EXPECT_EQ(bench.envelopes.uPos, std::vector<double>(3, 0.0));
  for (const char* name : kEnvelopeFileNames) EXPECT_EQ(ReadFile(folder / name), "") << name;
}

struct RefusedRow {
  const char* name;
  double threshold;
  const char* step;
};

class AdvancedLoopRefused : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(AdvancedLoopRefused, DoesNothing) {
  const RefusedRow& row = GetParam();
  ScratchFolder folder;
  WriteSineFile(folder, "1 a.quarvel", 20.0);
  Workbench bench = StudyBench();
  bench.inputs.txtStep = row.step;
  bench.envelopes.Reset(1);
  bench.envelopes.uNeg[1] = -0.5;
  RecordingUserInterface ui(bench);
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), row.threshold);
  EXPECT_FALSE(outcome.ran);
  EXPECT_FALSE(outcome.Failed());
  EXPECT_EQ(ui.solves(), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(bench.envelopes.uNeg, (std::vector<double>{0.0, -0.5}));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.str())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"1 a.quarvel"});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AdvancedLoopRefused,
    ::testing::Values(RefusedRow{"ZeroThreshold", 0.0, "0.5"},
                      RefusedRow{"ThresholdNotANumber", std::numeric_limits<double>::quiet_NaN(),
                                 "0.5"},
                      RefusedRow{"ZeroStep", 1.0, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

struct AnswerRow {
  const char* name;
  const char* answer;
  std::optional<double> threshold;
};

class ThresholdAnswer : public ::testing::TestWithParam<AnswerRow> {};

TEST_P(ThresholdAnswer, IsReadByTheNumberParseAndMustBePositive) {
  EXPECT_EQ(ReadThresholdAnswer(GetParam().answer), GetParam().threshold);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ThresholdAnswer,
    ::testing::Values(AnswerRow{"Default", "1", 1.0},
                      AnswerRow{"LeadingNumberOfText", " 0.5 of Uy", 0.5},
                      AnswerRow{"CancelledBox", "", std::nullopt},
                      AnswerRow{"Zero", "0", std::nullopt},
                      AnswerRow{"NoNumber", "abc", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct SeriesRow {
  const char* name;
  std::vector<std::string> files;
  int32_t k;
  std::optional<std::string> expected;
};

class SeriesFileLookup : public ::testing::TestWithParam<SeriesRow> {};

TEST_P(SeriesFileLookup, TakesTheFirstMatchInNameOrder) {
  const SeriesRow& row = GetParam();
  ScratchFolder folder;
  for (const std::string& name : row.files) {
    if (name.back() == '/') {
      fs::create_directories(folder / name.substr(0, name.size() - 1));
    } else {
      std::ofstream(folder / name) << "1\n";
    }
  }
  std::string error;
  EXPECT_EQ(FindSeriesFile(folder.str(), row.k, error), row.expected);
  EXPECT_EQ(error, "");
}

using Names = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Rows, SeriesFileLookup,
    ::testing::Values(
        SeriesRow{"NumberBeforeTheBlank", Names{"2 b.quarvel", "1 a.quarvel"}, 2, "2 b.quarvel"},
        SeriesRow{"FirstInNameOrderWins", Names{"1 b.quarvel", "1 a.quarvel"}, 1, "1 a.quarvel"},
        SeriesRow{"LeadingZeros", Names{"01 x.quarvel"}, 1, "01 x.quarvel"},
        SeriesRow{"NumberFollowedByLetters", Names{"1st run.quarvel"}, 1, "1st run.quarvel"},
        SeriesRow{"ExtensionInCapitals", Names{"1 A.QUARVEL"}, 1, "1 A.QUARVEL"},
        SeriesRow{"NoBlank", Names{"1.quarvel", "1_a.quarvel"}, 1, std::nullopt},
        SeriesRow{"OtherExtension", Names{"1 a.txt", "1 a.quarvel.out"}, 1, std::nullopt},
        SeriesRow{"LeadingBlank", Names{" 1 a.quarvel"}, 1, std::nullopt},
        SeriesRow{"Folder", Names{"1 a.quarvel/"}, 1, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EnvelopeFiles, HoldOneLinePerNonZeroEntry) {
  ScratchFolder folder;
  Envelopes envelopes;
  envelopes.Reset(4);
  envelopes.uPos = {0.0, 0.5, 0.0, 0.0, 1e-7};  // a tiny entry is written, rounded to 0
  envelopes.uNeg = {-0.25, 0.0, 0.0, -1.2345678, 0.0};
  envelopes.ehNeg = {0.0, 0.0, -0.0, 0.0, 0.0};  // -0 is 0: no line
  std::vector<std::string> written;
  const std::vector<std::string> faults =
      WriteEnvelopeFiles(envelopes, folder.str(), 0.1, 0.01, &written);
  EXPECT_TRUE(faults.empty());
  EXPECT_EQ(written.size(), 4u);
  // x_i = i * 0.01 + 0.1, rounded to 6 decimals.
  EXPECT_EQ(ReadFile(folder / "EnvRelErrorUPos.out"), "0.11\t0.5\r\n0.14\t0\r\n");
  EXPECT_EQ(ReadFile(folder / "EnvRelErrorUNeg.out"), "0.1\t-0.25\r\n0.13\t-1.234568\r\n");
  EXPECT_EQ(ReadFile(folder / "EnvRelErrorEhPos.out"), "");
  EXPECT_EQ(ReadFile(folder / "EnvRelErrorEhNeg.out"), "");
}

TEST(EnvelopeFiles, OneThatCannotBeWrittenIsReportedAndTheOthersAreWritten) {
  ScratchFolder folder;
  fs::create_directories(folder / "EnvRelErrorUNeg.out");
  Envelopes envelopes;
  envelopes.Reset(0);
  envelopes.ehPos[0] = 0.5;
  std::vector<std::string> written;
  const std::vector<std::string> faults =
      WriteEnvelopeFiles(envelopes, folder.str(), 1.0, 1.0, &written);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].rfind((folder / "EnvRelErrorUNeg.out").string() + ": ", 0), 0u)
      << faults[0];
  EXPECT_EQ(written.size(), 3u);
  EXPECT_EQ(ReadFile(folder / "EnvRelErrorEhPos.out"), "1\t0.5\r\n");
  EXPECT_TRUE(fs::exists(folder / "EnvRelErrorEhNeg.out"));
}

TEST(AdvancedLoop, StudyFileThatCannotBeWrittenIsReportedAndTheSeriesGoesOn) {
  ScratchFolder folder;
  WriteSineFile(folder, "1 a.quarvel", 20.0);
  WriteSineFile(folder, "2 b.quarvel", 20.0);
  fs::create_directories(folder / "1 a.quarvel.out");
  Workbench bench = StudyBench();
  SilentUserInterface ui;
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, folder.str(), 1.0);
  ASSERT_EQ(outcome.problems.size(), 1u);
  EXPECT_EQ(outcome.problems[0].rfind((folder / "1 a.quarvel.out").string() + ": ", 0), 0u)
      << outcome.problems[0];
  ASSERT_EQ(outcome.files.size(), 2u);
  EXPECT_EQ(outcome.files[0].study.status, StudyStatus::WriteFailed);
  EXPECT_EQ(ReadLines(folder / "2 b.quarvel.out").size(), 5u);
  EXPECT_NE(ReadFile(folder / "EnvRelErrorUNeg.out"), "");
}

TEST(AdvancedLoop, FolderThatCannotBeListedIsReported) {
  ScratchFolder folder;
  const std::string missing = (folder / "missing").string();
  Workbench bench = StudyBench();
  SilentUserInterface ui;
  const AdvancedStudyOutcome outcome = RunAdvancedLoop(bench, ui, missing, 1.0);
  ASSERT_EQ(outcome.problems.size(), 5u);  // the listing, then the four envelope files
  EXPECT_EQ(outcome.problems[0].rfind(missing + ": ", 0), 0u) << outcome.problems[0];
  EXPECT_TRUE(outcome.files.empty());
}

}  // namespace
}  // namespace quarvel
