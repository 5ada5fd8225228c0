#include "studies/parametric_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "solve/solve_experiments.h"
#include "studies/study_detail.h"
#include "study_test_support.h"

namespace quarvel {
namespace {

using testing::PulseBench;
using testing::ReadLines;
using testing::RecordingUserInterface;
using testing::Request;
using testing::ScratchFolder;
using testing::SplitTabs;

// The six study options, by the codes the tables below use ("ve cf": vary the elastic period by
// changing Fy).
const std::pair<bool MainWindowInputs::*, const char*> kOptions[] = {
    {&MainWindowInputs::optVaryMass, "vm"},   {&MainWindowInputs::optVaryElasticPeriod, "ve"},
    {&MainWindowInputs::optVaryPlasticPeriod, "vp"}, {&MainWindowInputs::optChangeMass, "cm"},
    {&MainWindowInputs::optChangeFy, "cf"},   {&MainWindowInputs::optChangeUy, "cu"}};

void SetMode(MainWindowInputs& in, const std::string& code) {
  for (const auto& [option, token] : kOptions) in.*option = code.find(token) != std::string::npos;
}

std::string ModeOf(const MainWindowInputs& in) {
  std::string code;
  for (const auto& [option, token] : kOptions) {
    if (in.*option) code += (code.empty() ? "" : " ") + std::string(token);
  }
  return code;
}

void SetRange(MainWindowInputs& inputs, const char* from, const char* to, const char* step) {
  inputs.txtFrom = from;
  inputs.txtTo = to;
  inputs.txtStep = step;
}

StudyOutcome Loop(Workbench& bench, RecordingUserInterface& ui, const ScratchFolder& folder) {
  return RunParametricLoop(bench, ui, ui.stop, Request(folder.str()));
}

TEST(ParametricLoop, DefaultRangeSweeps991ValuesUnderTheTitle) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  RecordingUserInterface ui(bench);
  std::vector<StudyProgress> progress;
  const StudyOutcome outcome = RunParametricLoop(
      bench, ui, ui.stop,
      Request(folder.str(), "", 0.0, nullptr,
              [&](const StudyProgress& p) { progress.push_back(p); }));

  EXPECT_EQ(outcome.status, StudyStatus::Completed);
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
  EXPECT_EQ(ui.inputsAtSolve.front(), "0.000653 2.86 0.111");
  EXPECT_EQ(ui.inputsAtSolve.back(), "6.526545 2.86 0.111");
  EXPECT_TRUE(ui.messages.empty());
  ASSERT_EQ(progress.size(), 991u);
  EXPECT_EQ(progress.back().index, 990);
  EXPECT_EQ(progress.back().count, 991);
  EXPECT_EQ(detail::StudyNumber(progress.back().x), "10");
}

// A refused range writes and solves nothing; from = to is one value. Escape ends the study
// after the value being solved (each value pumps twice: at the end of its solve and in the
// loop).
TEST(ParametricLoop, RangeAndEscapeSetTheValuesSolved) {
  struct Row {
    const char *name, *from, *to, *step;
    int abortOnPump;
    StudyStatus status;
    int values;
  };
  const Row rows[] = {
      {"FromEqualsTo", "2.5", "2.5", "0.01", 0, StudyStatus::Completed, 1},
      {"ZeroStep", "0.1", "10", "0", 0, StudyStatus::NothingToDo, 0},
      {"NegativeStep", "0.1", "10", "-0.01", 0, StudyStatus::NothingToDo, 0},
      {"FromAboveTo", "10", "0.1", "0.01", 0, StudyStatus::NothingToDo, 0},
      {"InfiniteTo", "0", "1E+999", "1", 0, StudyStatus::RangeTooLarge, 0},
      {"EscapeDuringFirstSolve", "1", "2", "0.1", 1, StudyStatus::Aborted, 1},
      {"EscapeDuringThirdSolve", "1", "2", "0.1", 5, StudyStatus::Aborted, 3},
      {"EscapeAfterThirdSolve", "1", "2", "0.1", 6, StudyStatus::Aborted, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchFolder folder(row.name);
    Workbench bench = PulseBench();
    SetRange(bench.inputs, row.from, row.to, row.step);
    RecordingUserInterface ui(bench);
    ui.abortOnPump = row.abortOnPump;
    const StudyOutcome outcome = Loop(bench, ui, folder);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.Failed(), row.status == StudyStatus::RangeTooLarge);
    EXPECT_EQ(ui.solves(), row.values);
    EXPECT_EQ(outcome.linesWritten, row.values);
    EXPECT_TRUE(ui.messages.empty());
    if (row.values == 0) {
      EXPECT_FALSE(std::filesystem::exists(folder / "lresults.out"));
      EXPECT_EQ(bench.inputs.txtMass, "-1");
      continue;
    }
    const std::vector<std::string> lines = ReadLines(folder / "lresults.out");
    ASSERT_EQ(lines.size(), 2u + row.values);
    EXPECT_EQ(SplitTabs(lines[2])[0], row.from);
  }
}

TEST(ParametricLoop, RewrittenFyIsRoundedTo6DecimalsAndSolvedAsWritten) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  SetMode(bench.inputs, "ve cf");
  bench.inputs.txtMass = "2.86";
  SetRange(bench.inputs, "1", "1", "1");
  RecordingUserInterface ui(bench);
  Loop(bench, ui, folder);
  // Uy * m / (1/2/pi)^2 = 0.111 * 2.86 * 4 pi^2 = 12.53281845.. (50-digit decimal arithmetic).
  EXPECT_EQ(ui.inputsAtSolve, std::vector<std::string>{"2.86 12.532818 0.111"});
  EXPECT_EQ(bench.parameters.Fy, 12.532818);
}

// The input each mode rewrites, at x = 2 pi and 4 pi as typed (x/2/pi is then exactly 1 and 2),
// with Fy = 2, Uy = 0.5, a = 0.25 and the mass text 4; the expected texts are hand calculations.
TEST(ParametricLoop, EachModeRewritesItsInput) {
  struct Row {
    const char *mode, *massText;
    double experimentMass;
    const char* title;                  // "" for no title line
    std::vector<std::string> atSolves;  // "mass Fy Uy" at the two solves
    std::size_t lines;  // a mass of 0 leaves no peak, and threshold 0 drops the line
  };
  const Row rows[] = {
      {"vm cm", "4", 9, "Varying mass by changing mass", {"6.283185 2 0.5", "12.566371 2 0.5"}, 2},
      // (x/2/pi)^2 * Fy / Uy
      {"ve cm", "4", 9, "Varying elastic period by changing mass", {"4 2 0.5", "16 2 0.5"}, 2},
      // Uy * m / (x/2/pi)^2
      {"ve cf", "4", 9, "Varying elastic period by changing Fy", {"4 2 0.5", "4 0.5 0.5"}, 2},
      // (x/2/pi)^2 * Fy / m
      {"ve cu", "4", 9, "Varying elastic period by changing Uy", {"4 2 0.5", "4 2 2"}, 2},
      // (x/2/pi)^2 * (a * Fy) / Uy
      {"vp cm", "4", 9, "Varying plastic period by changing mass", {"1 2 0.5", "4 2 0.5"}, 2},
      // Uy * m / (x/2/pi)^2 / a
      {"vp cf", "4", 9, "Varying plastic period by changing Fy", {"4 8 0.5", "4 2 0.5"}, 2},
      // (x/2/pi)^2 * (a * Fy) / m
      {"vp cu", "4", 9, "Varying plastic period by changing Uy", {"4 2 0.125", "4 2 0.5"}, 2},
      // A mass text <= 0 takes the selected experiment's mass (4) into the formulas; the solve
      // itself runs with the mass 0 of the text.
      {"ve cf", "0", 4, "Varying elastic period by changing Fy", {"0 2 0.5", "0 0.5 0.5"}, 0},
      {"vm cf", "4", 9, "", {"4 2 0.5", "4 2 0.5"}, 2},
      {"cm", "4", 9, "", {"4 2 0.5", "4 2 0.5"}, 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.mode) + " mass " + row.massText);
    ScratchFolder folder;
    Workbench bench = PulseBench(5.0, row.experimentMass);
    SetMode(bench.inputs, row.mode);
    bench.inputs.txtMass = row.massText;
    bench.inputs.txtFy = "2";
    bench.inputs.txtUy = "0.5";
    bench.inputs.txtAlphaSmall = "0.25";
    SetRange(bench.inputs, "6.28318530717958", "12.6", "6.28318530717958");
    RecordingUserInterface ui(bench);
    EXPECT_EQ(Loop(bench, ui, folder).status, StudyStatus::Completed);
    EXPECT_EQ(ui.inputsAtSolve, row.atSolves);

    std::vector<std::string> lines = ReadLines(folder / "lresults.out");
    if (*row.title != '\0') {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines[0], row.title);
      lines.erase(lines.begin());
    }
    ASSERT_EQ(lines.size(), 1 + row.lines);
    EXPECT_EQ(lines[0], kStudyHeader);
    if (row.lines == 2) {
      EXPECT_EQ(SplitTabs(lines[1])[0], "6.283185");
      EXPECT_EQ(SplitTabs(lines[2])[0], "12.566371");
    }
  }
}

// A value is written (and enters the envelopes) unless both peaks are at or below threshold * Uy.
TEST(ParametricLoop, ThresholdDropsValuesWhosePeaksAreBothAtOrBelowIt) {
  Workbench bench = testing::SineBench();
  SetMode(bench.inputs, "vm cf");  // nothing rewritten
  bench.inputs.txtUy = "1";
  SetRange(bench.inputs, "1", "1", "1");
  SilentUserInterface silent;
  ASSERT_TRUE(SolveExperiments(bench, silent, false).solved);
  const ExperimentResults& e = *bench.CurrentResults();
  const double low = std::min(e.originalPeakU, e.modifiedPeakU);
  const double high = std::max(e.originalPeakU, e.modifiedPeakU);
  ASSERT_GT(low, 0.0);
  ASSERT_LT(low, high);
  ASSERT_NE(e.relErrorU, 0.0);

  ScratchFolder folder;
  for (const auto& [threshold, written] :
       {std::pair{low, true}, std::pair{(low + high) / 2, true}, std::pair{high, false}}) {
    SCOPED_TRACE(threshold);
    Envelopes envelopes;
    envelopes.Reset(0);
    const StudyOutcome outcome = RunParametricLoop(
        bench, silent, StopToken{}, Request(folder.str(), "", threshold, &envelopes));
    EXPECT_EQ(outcome.status, StudyStatus::Completed);
    EXPECT_EQ(outcome.linesWritten, written ? 1 : 0);
    EXPECT_EQ(ReadLines(folder / "lresults.out").size(), written ? 2u : 1u);
    EXPECT_EQ(envelopes.uPos[0] != 0 || envelopes.uNeg[0] != 0, written);
  }
}

// Mend: a rewritten input that comes out infinite or NaN stops the study with a message naming
// the value, keeping the lines written so far.
TEST(ParametricLoop, InvalidRewrittenValueStopsWithAMessage) {
  struct Row {
    const char *mode, *massText, *fy, *uy, *a, *from;
    int linesBefore;
    const char* message;
  };
  const Row rows[] = {
      // x = -1 is solved, x = 0 divides by (0/2/pi)^2 = 0.
      {"ve cf", "2.86", "2.86", "0.111", "0.1", "-1", 1,
       "The study stopped at the swept value 0: the computed Fy is inf."},
      {"ve cu", "0", "2.86", "0.111", "0.1", "1", 0,
       "The study stopped at the swept value 1: the computed Uy is inf."},
      {"ve cm", "1", "0", "0", "0.1", "1", 0,
       "The study stopped at the swept value 1: the computed mass is nan."},
      {"vp cf", "2.86", "2.86", "0.111", "0", "1", 0,
       "The study stopped at the swept value 1: the computed Fy is inf."}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    ScratchFolder folder;
    Workbench bench = PulseBench(5.0, 0.0);
    SetMode(bench.inputs, row.mode);
    bench.inputs.txtMass = row.massText;
    bench.inputs.txtFy = row.fy;
    bench.inputs.txtUy = row.uy;
    bench.inputs.txtAlphaSmall = row.a;
    SetRange(bench.inputs, row.from, "1", "1");
    RecordingUserInterface ui(bench);
    const StudyOutcome outcome = Loop(bench, ui, folder);
    EXPECT_EQ(outcome.status, StudyStatus::InvalidValue);
    EXPECT_EQ(outcome.message, row.message);
    EXPECT_EQ(ui.solves(), row.linesBefore);
    EXPECT_EQ(outcome.linesWritten, row.linesBefore);
    EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 2u + row.linesBefore);
  }
}

// The results in header order, each rounded to 6 decimals in the default form; non-finite
// results as inf, -inf and nan.
TEST(ParametricLoop, StudyLineHoldsTheResultsInHeaderOrder) {
  ExperimentResults r;
  r.originalPeakU = 1.23456789;
  r.modifiedPeakU = 2;
  r.absErrorU = 1.5e-6;
  r.relErrorU = 5e-7;  // half a millionth goes to the even 0
  r.originalPeakEh = std::numeric_limits<double>::infinity();
  r.modifiedPeakEh = -r.originalPeakEh;
  r.absErrorEh = std::numeric_limits<double>::quiet_NaN();
  r.relErrorEh = -0.25;
  EXPECT_EQ(detail::StudyLine(0.1, r), "0.1\t1.234568\t2\t2E-06\t0\tinf\t-inf\tnan\t-0.25");
}

TEST(ParametricLoop, NonFiniteResultsAreWrittenAndTheStudyGoesOn) {
  ScratchFolder folder;
  Workbench bench = PulseBench(1e300);  // the response overflows
  SetMode(bench.inputs, "vm cf");
  SetRange(bench.inputs, "1", "3", "1");
  RecordingUserInterface ui(bench);
  EXPECT_EQ(Loop(bench, ui, folder).status, StudyStatus::Completed);
  const std::vector<std::string> lines = ReadLines(folder / "lresults.out");
  ASSERT_EQ(lines.size(), 4u);
  const std::vector<std::string> fields = SplitTabs(lines[1]);
  EXPECT_TRUE(std::any_of(fields.begin(), fields.end(), [](const std::string& f) {
    return f == "inf" || f == "-inf" || f == "nan";
  })) << lines[1];
}

TEST(ParametricLoop, RefusedSolveStopsTheStudyAfterOneMessage) {
  ScratchFolder folder;
  Workbench bench = PulseBench();
  bench.experiments.At(1).weight = 0;
  RecordingUserInterface ui(bench);
  const StudyOutcome outcome = Loop(bench, ui, folder);
  EXPECT_EQ(outcome.status, StudyStatus::SolveRefused);
  EXPECT_TRUE(outcome.Failed());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].first, kMessageZeroWeights);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 2u);
}

// Mend: a study file that cannot be created (nothing is solved) or written is reported by name.
TEST(ParametricLoop, StudyFileFaultsAreReportedWithTheFileName) {
  ScratchFolder folder;
  { std::ofstream(folder / "plain"); }
  const std::string badFolder = (folder / "plain" / "sub").string();
  Workbench bench = PulseBench();
  RecordingUserInterface ui(bench);
  StudyOutcome outcome = RunParametricLoop(bench, ui, ui.stop, Request(badFolder));
  EXPECT_EQ(outcome.status, StudyStatus::WriteFailed);
  EXPECT_EQ(outcome.Describe().rfind(badFolder + "/lresults.out: ", 0), 0u) << outcome.Describe();
  EXPECT_EQ(ui.solves(), 0);
  EXPECT_EQ(bench.inputs.txtMass, "-1");
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  SetRange(bench.inputs, "1", "1.1", "0.1");
  outcome = RunParametricLoop(bench, ui, ui.stop, Request("/dev", "full"));
  EXPECT_EQ(outcome.status, StudyStatus::WriteFailed);
  EXPECT_EQ(outcome.Describe(), "/dev/full: No space left on device");
}

// The loop command writes the default file; without experiments it shows the message only.
TEST(LoopCommand, WritesTheDefaultFileOrShowsTheMessage) {
  ScratchFolder folder;
  Workbench empty;
  RecordingUserInterface ui(empty);
  EXPECT_EQ(RunLoopCommand(empty, ui, ui.stop, folder.str()).status, StudyStatus::NoExperiments);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], std::pair(std::string(kMessageNoExperiments), MessageIcon::Exclamation));
  EXPECT_TRUE(std::filesystem::is_empty(folder.str()));

  Workbench bench = PulseBench();
  SetRange(bench.inputs, "1", "1.2", "0.1");
  SilentUserInterface silent;
  EXPECT_EQ(RunLoopCommand(bench, silent, StopToken{}, folder.str()).status,
            StudyStatus::Completed);
  EXPECT_EQ(ReadLines(folder / "lresults.out").size(), 5u);
}

TEST(StudyOptionClick, FollowsTheGroupRules) {
  struct Row {
    const char* before;
    StudyOption click;
    const char* after;
  };
  const Row rows[] = {{"ve cf", StudyOption::VaryMass, "vm cm"},
                      {"vm cm", StudyOption::ChangeFy, "vm cm"},  // Mass goes with mass only
                      {"vp cm", StudyOption::ChangeFy, "vp cf"},
                      {"vm cm", StudyOption::VaryElasticPeriod, "ve cm"},
                      {"ve cu", StudyOption::VaryPlasticPeriod, "vp cu"}};
  for (const Row& row : rows) {
    MainWindowInputs in;
    SetMode(in, row.before);
    ClickStudyOption(in, row.click);
    EXPECT_EQ(ModeOf(in), row.after) << row.before << ", click " << static_cast<int>(row.click);
  }
}

}  // namespace
}  // namespace quarvel
