#include "studies/parametric_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "study_test_support.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

using testing::PulseBench;
using testing::ReadLines;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::SplitTabs;

// 2 pi and 4 pi as typed: x / 2 / pi is then exactly 1 and 2, so every rewritten value below
// is a hand calculation with exact operands.
constexpr const char* kTwoPi = "6.28318530717958";

void SetRange(MainWindowInputs& inputs, const char* from, const char* to, const char* step) {
  inputs.txtFrom = from;
  inputs.txtTo = to;
  inputs.txtStep = step;
}

void SetMode(MainWindowInputs& in, bool vm, bool ve, bool vp, bool cm, bool cf, bool cu) {
  in.optVaryMass = vm;
  in.optVaryElasticPeriod = ve;
  in.optVaryPlasticPeriod = vp;
  in.optChangeMass = cm;
  in.optChangeFy = cf;
  in.optChangeUy = cu;
}

TEST(ParametricLoop, DefaultRangeSweeps991ValuesUnderTheTitle) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  RecordingUserInterface ui(bench);
  std::vector<StudyProgress> progress;
  const StudyOutcome outcome = RunParametricLoop(
      bench, ui, folder.str(), "", 0.0, false,
      [&](const StudyProgress& p) { progress.push_back(p); });

  EXPECT_EQ(outcome.status, StudyStatus::Completed);
  EXPECT_FALSE(outcome.Failed());
  EXPECT_EQ(outcome.valuesSolved, 991);
  EXPECT_EQ(outcome.linesWritten, 991);
  EXPECT_EQ(outcome.filePath, (folder / "lresults.out").string());
  const std::vector<std::string> lines = ReadLines(folder / "lresults.out");
  ASSERT_EQ(lines.size(), 993u);
  EXPECT_EQ(lines[0], "Varying plastic period by changing mass");
  EXPECT_EQ(lines[1], kStudyHeader);
  EXPECT_EQ(SplitTabs(lines[2]).size(), 9u);
  EXPECT_EQ(SplitTabs(lines[2])[0], "0.1");
  EXPECT_EQ(SplitTabs(lines[3])[0], "0.11");
  EXPECT_EQ(SplitTabs(lines[992])[0], "10");
  // Plastic period 0.1 and 10 s with a = 0.1, Fy = 2.86, Uy = 0.111: mass
  // (x/2/pi)^2 * 0.286 / 0.111 = 0.000652654.. and 6.5265447.. (50-digit decimal arithmetic).
  EXPECT_EQ(ui.massAtSolve.front(), "0.000653");
  EXPECT_EQ(bench.inputs.txtMass, "6.526545");
  EXPECT_TRUE(ui.messages.empty());

  ASSERT_EQ(progress.size(), 991u);
  EXPECT_EQ(progress.front().index, 0);
  EXPECT_EQ(progress.back().index, 990);
  EXPECT_EQ(progress.back().count, 991);
  EXPECT_EQ(detail::StudyNumber(progress.back().x), "10");
}

TEST(ParametricLoop, FromEqualToToGivesOneValue) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  SetRange(bench.inputs, "2.5", "2.5", "0.01");
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "one.out", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::Completed);
  EXPECT_EQ(ui.solves(), 1);
  const std::vector<std::string> lines = ReadLines(folder / "one.out");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(SplitTabs(lines[2])[0], "2.5");
}

struct AbortRow {
  const char* name;
  bool flagSetBeforeStart;
  int abortOnPump;  // each value pumps twice: once at the end of its solve, once in the loop
  int expectedLines;
  StudyStatus expectedStatus;
};

class ParametricLoopAbort : public ::testing::TestWithParam<AbortRow> {};

TEST_P(ParametricLoopAbort, StopsAfterTheCurrentValue) {
  const AbortRow& row = GetParam();
  ScratchFolder folder;
  Workbench bench = PulseBench();
  SetRange(bench.inputs, "1", "2", "0.1");  // 11 values
  bench.loopAbortRequested = row.flagSetBeforeStart;
  RecordingUserInterface ui(bench);
  ui.abortOnPump = row.abortOnPump;
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  EXPECT_EQ(outcome.status, row.expectedStatus);
  EXPECT_FALSE(outcome.Failed());
  EXPECT_EQ(outcome.linesWritten, row.expectedLines);
  EXPECT_EQ(ui.solves(), row.expectedLines);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 2u + row.expectedLines);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParametricLoopAbort,
    ::testing::Values(
        AbortRow{"EscapeDuringFirstSolve", false, 1, 1, StudyStatus::Aborted},
        AbortRow{"EscapeDuringThirdSolve", false, 5, 3, StudyStatus::Aborted},
        AbortRow{"EscapeAfterThirdSolve", false, 6, 3, StudyStatus::Aborted},
        AbortRow{"StaleFlagIsClearedAtStart", true, 0, 11, StudyStatus::Completed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParametricLoop, RewrittenFyIsRoundedTo6DecimalsAndSolvedAsWritten) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  SetMode(bench.inputs, false, true, false, false, true, false);
  bench.inputs.txtMass = "2.86";
  SetRange(bench.inputs, "1", "1", "1");
  RecordingUserInterface ui(bench);
  RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  // Uy * m / (1/2/pi)^2 = 0.111 * 2.86 * 4 pi^2 = 12.53281845.. (50-digit decimal arithmetic).
  EXPECT_EQ(bench.inputs.txtFy, "12.532818");
  ASSERT_EQ(ui.fyUsedBySolve.size(), 1u);
  EXPECT_EQ(ui.fyUsedBySolve[0], 12.532818);
  EXPECT_EQ(ReadLines(folder / "lresults.out")[0], "Varying elastic period by changing Fy");
}

struct ModeRow {
  const char* name;
  bool vm, ve, vp, cm, cf, cu;
  const char* massText;
  double experimentMass;
  const char* title;  // "" for no title line
  std::vector<std::string> mass, fy, uy;  // texts at the solves of x = 2 pi and x = 4 pi
  int lines = 2;  // result lines: a mass of 0 leaves no peak, and threshold 0 drops the line
};

class ParametricLoopModes : public ::testing::TestWithParam<ModeRow> {};

// Fy = 2, Uy = 0.5, a = 0.25; (x/2/pi)^2 is 1, then 4.
TEST_P(ParametricLoopModes, RewritesTheInputOfTheMode) {
  const ModeRow& row = GetParam();
  ScratchFolder folder;
  Workbench bench = PulseBench(5.0, row.experimentMass);
  SetMode(bench.inputs, row.vm, row.ve, row.vp, row.cm, row.cf, row.cu);
  bench.inputs.txtMass = row.massText;
  bench.inputs.txtFy = "2";
  bench.inputs.txtUy = "0.5";
  bench.inputs.txtAlphaSmall = "0.25";
  SetRange(bench.inputs, kTwoPi, "12.6", kTwoPi);
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::Completed);
  EXPECT_EQ(ui.massAtSolve, row.mass);
  EXPECT_EQ(ui.fyAtSolve, row.fy);
  EXPECT_EQ(ui.uyAtSolve, row.uy);

  const std::vector<std::string> lines = ReadLines(folder / "lresults.out");
  const std::size_t titleLines = std::string(row.title).empty() ? 0 : 1;
  ASSERT_EQ(lines.size(), titleLines + 1 + row.lines);
  if (titleLines == 1) {
    EXPECT_EQ(lines[0], row.title);
  }
  EXPECT_EQ(lines[titleLines], kStudyHeader);
  if (row.lines == 2) {
    EXPECT_EQ(SplitTabs(lines[titleLines + 1])[0], "6.283185");
    EXPECT_EQ(SplitTabs(lines[titleLines + 2])[0], "12.566371");
  }
}

using V = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Rows, ParametricLoopModes,
    ::testing::Values(
        ModeRow{"MassByMass", true, false, false, true, false, false, "4", 9,
                "Varying mass by changing mass", V{"6.283185", "12.566371"}, V{"2", "2"},
                V{"0.5", "0.5"}},
        // (x/2/pi)^2 * Fy / Uy = 4, 16
        ModeRow{"ElasticByMass", false, true, false, true, false, false, "4", 9,
                "Varying elastic period by changing mass", V{"4", "16"}, V{"2", "2"},
                V{"0.5", "0.5"}},
        // Uy * m / (x/2/pi)^2 = 2, 0.5
        ModeRow{"ElasticByFy", false, true, false, false, true, false, "4", 9,
                "Varying elastic period by changing Fy", V{"4", "4"}, V{"2", "0.5"},
                V{"0.5", "0.5"}},
        // (x/2/pi)^2 * Fy / m = 0.5, 2
        ModeRow{"ElasticByUy", false, true, false, false, false, true, "4", 9,
                "Varying elastic period by changing Uy", V{"4", "4"}, V{"2", "2"},
                V{"0.5", "2"}},
        // (x/2/pi)^2 * (a * Fy) / Uy = 1, 4
        ModeRow{"PlasticByMass", false, false, true, true, false, false, "4", 9,
                "Varying plastic period by changing mass", V{"1", "4"}, V{"2", "2"},
                V{"0.5", "0.5"}},
        // Uy * m / (x/2/pi)^2 / a = 8, 2
        ModeRow{"PlasticByFy", false, false, true, false, true, false, "4", 9,
                "Varying plastic period by changing Fy", V{"4", "4"}, V{"8", "2"},
                V{"0.5", "0.5"}},
        // (x/2/pi)^2 * (a * Fy) / m = 0.125, 0.5
        ModeRow{"PlasticByUy", false, false, true, false, false, true, "4", 9,
                "Varying plastic period by changing Uy", V{"4", "4"}, V{"2", "2"},
                V{"0.125", "0.5"}},
        // A mass text <= 0 takes the selected experiment's mass (4) into the formulas; the
        // solve itself runs with the mass 0 of the text.
        ModeRow{"ElasticByFyZeroMassText", false, true, false, false, true, false, "0", 4,
                "Varying elastic period by changing Fy", V{"0", "0"}, V{"2", "0.5"},
                V{"0.5", "0.5"}, 0},
        ModeRow{"VaryMassByFyRewritesNothing", true, false, false, false, true, false, "4", 9,
                "", V{"4", "4"}, V{"2", "2"}, V{"0.5", "0.5"}},
        ModeRow{"NoVaryOptionRewritesNothing", false, false, false, true, false, false, "4", 9,
                "", V{"4", "4"}, V{"2", "2"}, V{"0.5", "0.5"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the threshold lies among the two peaks of the pulse (which differ between the models).
enum class Threshold { AtSmallerPeak, BetweenPeaks, AtLargerPeak };

struct ThresholdRow {
  const char* name;
  Threshold threshold;
  bool written;
};

class ParametricLoopThreshold : public ::testing::TestWithParam<ThresholdRow> {};

TEST_P(ParametricLoopThreshold, SkipsValuesWhosePeaksAreBothAtOrBelowIt) {
  const ThresholdRow& row = GetParam();
  ScratchFolder folder;
  Workbench bench = testing::SineBench();
  SetMode(bench.inputs, true, false, false, false, true, false);  // nothing rewritten
  bench.inputs.txtUy = "1";  // threshold * Uy is the threshold itself
  SetRange(bench.inputs, "1", "1", "1");
  SilentUserInterface silent;
  RunParametricLoop(bench, silent, folder.str(), "probe.out", 0.0, false);
  const Experiment& e = *bench.CurrentExperiment();
  ASSERT_GT(e.originalPeakU, 0.0);
  ASSERT_NE(e.originalPeakU, e.modifiedPeakU);
  ASSERT_NE(e.relErrorU, 0.0);
  const double larger = std::max(e.originalPeakU, e.modifiedPeakU);
  const double smaller = std::min(e.originalPeakU, e.modifiedPeakU);
  double threshold = 0.0;
  switch (row.threshold) {
    case Threshold::AtSmallerPeak: threshold = smaller; break;
    case Threshold::BetweenPeaks: threshold = (smaller + larger) / 2; break;
    case Threshold::AtLargerPeak: threshold = larger; break;
  }

  RecordingUserInterface ui(bench);
  bench.envelopes.Reset(0);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", threshold, true);
  EXPECT_EQ(outcome.status, StudyStatus::Completed);
  EXPECT_EQ(outcome.linesWritten, row.written ? 1 : 0);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), row.written ? 2u : 1u);
  const bool envelopeTouched = bench.envelopes.uPos[0] != 0 || bench.envelopes.uNeg[0] != 0;
  EXPECT_EQ(envelopeTouched, row.written);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParametricLoopThreshold,
    ::testing::Values(ThresholdRow{"AtTheSmallerPeak", Threshold::AtSmallerPeak, true},
                      ThresholdRow{"BetweenThePeaks", Threshold::BetweenPeaks, true},
                      ThresholdRow{"AtTheLargerPeak", Threshold::AtLargerPeak, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedRangeRow {
  const char* name;
  const char* from;
  const char* to;
  const char* step;
  StudyStatus status;
};

class ParametricLoopRefusedRange : public ::testing::TestWithParam<RefusedRangeRow> {};

TEST_P(ParametricLoopRefusedRange, WritesNothingAndSolvesNothing) {
  const RefusedRangeRow& row = GetParam();
  ScratchFolder folder;
  Workbench bench = PulseBench();
  SetRange(bench.inputs, row.from, row.to, row.step);
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  EXPECT_EQ(outcome.status, row.status);
  EXPECT_EQ(outcome.Failed(), row.status == StudyStatus::RangeTooLarge);
  EXPECT_FALSE(std::filesystem::exists(folder / "lresults.out"));
  EXPECT_EQ(ui.solves(), 0);
  EXPECT_EQ(bench.inputs.txtMass, "-1");
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParametricLoopRefusedRange,
    ::testing::Values(
        RefusedRangeRow{"ZeroStep", "0.1", "10", "0", StudyStatus::NothingToDo},
        RefusedRangeRow{"NegativeStep", "0.1", "10", "-0.01", StudyStatus::NothingToDo},
        RefusedRangeRow{"FromAboveTo", "10", "0.1", "0.01", StudyStatus::NothingToDo},
        RefusedRangeRow{"InfiniteTo", "0", "1E+999", "1", StudyStatus::RangeTooLarge}),
    [](const auto& info) { return std::string(info.param.name); });

struct InvalidValueRow {
  const char* name;
  bool ve, vp, cm, cf, cu;
  const char* massText;
  double experimentMass;
  const char* fy;
  const char* uy;
  const char* a;
  const char* from;
  int linesBefore;
  const char* message;
};

class ParametricLoopInvalidValue : public ::testing::TestWithParam<InvalidValueRow> {};

TEST_P(ParametricLoopInvalidValue, StopsWithAMessageKeepingTheLinesSoFar) {
  const InvalidValueRow& row = GetParam();
  ScratchFolder folder;
  Workbench bench = PulseBench(5.0, row.experimentMass);
  SetMode(bench.inputs, false, row.ve, row.vp, row.cm, row.cf, row.cu);
  bench.inputs.txtMass = row.massText;
  bench.inputs.txtFy = row.fy;
  bench.inputs.txtUy = row.uy;
  bench.inputs.txtAlphaSmall = row.a;
  SetRange(bench.inputs, row.from, "1", "1");
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::InvalidValue);
  EXPECT_TRUE(outcome.Failed());
  EXPECT_EQ(outcome.message, row.message);
  EXPECT_EQ(ui.solves(), row.linesBefore);
  EXPECT_EQ(outcome.linesWritten, row.linesBefore);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 2u + row.linesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParametricLoopInvalidValue,
    ::testing::Values(
        // x = -1 is solved, x = 0 divides by (0/2/pi)^2 = 0.
        InvalidValueRow{"ElasticByFyAtZeroPeriod", true, false, false, true, false, "2.86", 0,
                        "2.86", "0.111", "0.1", "-1", 1,
                        "The study stopped at the swept value 0: the computed Fy is inf."},
        InvalidValueRow{"ElasticByUyWithZeroMass", true, false, false, false, true, "0", 0,
                        "2.86", "0.111", "0.1", "1", 0,
                        "The study stopped at the swept value 1: the computed Uy is inf."},
        InvalidValueRow{"ElasticByMassWithZeroFyAndUy", true, false, true, false, false, "1",
                        0, "0", "0", "0.1", "1", 0,
                        "The study stopped at the swept value 1: the computed mass is nan."},
        InvalidValueRow{"PlasticByFyWithZeroRatio", false, true, false, true, false, "2.86", 0,
                        "2.86", "0.111", "0", "1", 0,
                        "The study stopped at the swept value 1: the computed Fy is inf."}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineRow {
  const char* name;
  double value;
  const char* text;
};

class StudyLineNumbers : public ::testing::TestWithParam<LineRow> {};

TEST_P(StudyLineNumbers, AreRoundedTo6DecimalsInTheDefaultForm) {
  const LineRow& row = GetParam();
  ExperimentResults results;
  results.relErrorEh = row.value;
  const std::vector<std::string> fields = SplitTabs(detail::StudyLine(0.25, results));
  ASSERT_EQ(fields.size(), 9u);
  EXPECT_EQ(fields[0], "0.25");
  EXPECT_EQ(fields[1], "0");
  EXPECT_EQ(fields[8], row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StudyLineNumbers,
    ::testing::Values(LineRow{"HalfAMillionthGoesToEvenZero", 5e-7, "0"},
                      LineRow{"MillionthsInExponentForm", 1.5e-6, "2E-06"},
                      LineRow{"Infinity", std::numeric_limits<double>::infinity(), "inf"},
                      LineRow{"NegativeInfinity", -std::numeric_limits<double>::infinity(),
                              "-inf"},
                      LineRow{"NotANumber", std::numeric_limits<double>::quiet_NaN(), "nan"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParametricLoop, NonFiniteResultsAreWrittenAndTheStudyGoesOn) {
  ScratchFolder folder;
  // A force far beyond the double range makes the response overflow.
  Workbench bench = PulseBench(1e300);
  SetMode(bench.inputs, true, false, false, false, true, false);
  SetRange(bench.inputs, "1", "3", "1");
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::Completed);
  const std::vector<std::string> lines = ReadLines(folder / "lresults.out");
  ASSERT_EQ(lines.size(), 4u);
  bool nonFinite = false;
  for (const std::string& field : SplitTabs(lines[1])) {
    nonFinite = nonFinite || field == "inf" || field == "-inf" || field == "nan";
  }
  EXPECT_TRUE(nonFinite) << lines[1];
}

TEST(ParametricLoop, RefusedSolveStopsTheStudyAfterOneMessage) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  bench.experiments.At(1).weight = 0;
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.str(), "", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::SolveRefused);
  EXPECT_TRUE(outcome.Failed());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].first, kMessageZeroWeights);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 2u);
}

TEST(ParametricLoop, StudyFileThatCannotBeCreatedIsReportedAndNothingIsSolved) {
  ScratchFolder folder;
  { std::ofstream(folder / "plain"); }
  const std::string badFolder = (folder / "plain" / "sub").string();
  Workbench bench = PulseBench();
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, badFolder, "", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::WriteFailed);
  EXPECT_TRUE(outcome.Failed());
  EXPECT_EQ(outcome.message.rfind(badFolder + "/lresults.out: ", 0), 0u) << outcome.message;
  EXPECT_EQ(ui.solves(), 0);
  EXPECT_EQ(bench.inputs.txtMass, "-1");
}

TEST(ParametricLoop, FullDiskIsReportedWithTheFileName) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Workbench bench = PulseBench();
  SetRange(bench.inputs, "1", "1.1", "0.1");
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunParametricLoop(bench, ui, "/dev", "full", 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::WriteFailed);
  EXPECT_EQ(outcome.message.rfind("/dev/full: ", 0), 0u) << outcome.message;
}

TEST(LoopCommand, WithoutExperimentsShowsTheMessageOnly) {
  ScratchFolder folder;
  Workbench bench;
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunLoopCommand(bench, ui, folder.str());
  EXPECT_EQ(outcome.status, StudyStatus::NoExperiments);
  EXPECT_FALSE(outcome.Failed());  // the message has been shown already
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].first, kMessageNoExperiments);
  EXPECT_EQ(ui.messages[0].second, MessageIcon::Exclamation);
  EXPECT_TRUE(std::filesystem::is_empty(folder.str()));
}

TEST(LoopCommand, WritesTheDefaultFileWithoutTouchingTheEnvelopes) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  SetRange(bench.inputs, "1", "1.2", "0.1");
  bench.envelopes.Reset(2);
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = RunLoopCommand(bench, ui, folder.str());
  EXPECT_EQ(outcome.status, StudyStatus::Completed);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 5u);
  EXPECT_EQ(bench.envelopes.uPos, std::vector<double>(3, 0.0));
  EXPECT_EQ(bench.envelopes.ehNeg, std::vector<double>(3, 0.0));
}

struct OptionRow {
  const char* name;
  bool vm, ve, vp, cm, cf, cu;  // before the click
  StudyOption click;
  bool evm, eve, evp, ecm, ecf, ecu;  // after
};

class StudyOptionClick : public ::testing::TestWithParam<OptionRow> {};

TEST_P(StudyOptionClick, FollowsTheGroupRules) {
  const OptionRow& r = GetParam();
  MainWindowInputs in;
  SetMode(in, r.vm, r.ve, r.vp, r.cm, r.cf, r.cu);
  ClickStudyOption(in, r.click);
  EXPECT_EQ(in.optVaryMass, r.evm);
  EXPECT_EQ(in.optVaryElasticPeriod, r.eve);
  EXPECT_EQ(in.optVaryPlasticPeriod, r.evp);
  EXPECT_EQ(in.optChangeMass, r.ecm);
  EXPECT_EQ(in.optChangeFy, r.ecf);
  EXPECT_EQ(in.optChangeUy, r.ecu);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StudyOptionClick,
    ::testing::Values(
        OptionRow{"VaryMassSelectsChangeMass", false, true, false, false, true, false,
                  StudyOption::VaryMass, true, false, false, true, false, false},
        OptionRow{"ChangeFyWhileVaryingMassGoesBack", true, false, false, true, false, false,
                  StudyOption::ChangeFy, true, false, false, true, false, false},
        OptionRow{"ChangeFyWhileVaryingPeriod", false, false, true, true, false, false,
                  StudyOption::ChangeFy, false, false, true, false, true, false},
        OptionRow{"VaryPeriodKeepsTheChangeChoice", true, false, false, true, false, false,
                  StudyOption::VaryElasticPeriod, false, true, false, true, false, false},
        OptionRow{"VaryPlasticKeepsChangeUy", false, true, false, false, false, true,
                  StudyOption::VaryPlasticPeriod, false, false, true, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel
