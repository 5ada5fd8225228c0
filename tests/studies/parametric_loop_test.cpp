#include "studies/parametric_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "solve/solve_experiments.h"
#include "studies/study_detail.h"
#include "study_test_support.h"

namespace quarvel {
namespace {

using namespace testing;

// The six study options, by the codes the tables below use ("ve cf": vary the elastic period by
// changing Fy).
const std::pair<bool MainWindowInputs::*, const char*> kOptions[] = {
    {&MainWindowInputs::optVaryMass, "vm"},   {&MainWindowInputs::optVaryElasticPeriod, "ve"},
    {&MainWindowInputs::optVaryPlasticPeriod, "vp"}, {&MainWindowInputs::optChangeMass, "cm"},
    {&MainWindowInputs::optChangeFy, "cf"},   {&MainWindowInputs::optChangeUy, "cu"}};

void SetMode(MainWindowInputs& in, const std::string& code) {
  for (const auto& [option, token] : kOptions) in.*option = code.find(token) != std::string::npos;
}

// The inputs of a study as one text: mode code, mass, Fy, Uy, a, from, to, step.
void SetInputs(MainWindowInputs& in, const char* texts) {
  std::string mode;
  std::istringstream(texts) >> mode >> in.txtMass >> in.txtFy >> in.txtUy >> in.txtAlphaSmall >>
      in.txtFrom >> in.txtTo >> in.txtStep;
  SetMode(in, mode);
}

// How a study ends, on a pulse of experiment mass 0 (other refused ranges: tests/reliability): a
// step of 0 or a range too large writes and solves nothing; Escape ends the study after
// the value being solved (each value pumps twice: at the end of its solve and in the loop); a
// refused solve stops it after one message, as does the command without experiments.
// Mend: a rewritten input that comes out infinite or NaN stops the study with a message naming
// the value, keeping the lines written so far (below x = -1 is solved, x = 0 divides by
// (0/2/pi)^2 = 0).
TEST(ParametricLoop, HowTheStudyEnds) {
  using enum StudyStatus;
  // values: solved, and lines written; message: the start of outcome.message; shown: messages
  struct Row { const char* inputs; int abortOnPump; StudyStatus status; int values;
               const char* message; std::size_t shown; };
  const Row rows[] = {{"vpcm -1 2.86 0.111 0.1 1 2 0.1", 0, NoExperiments, 0, "", 1},
                      {"vpcm -1 2.86 0.111 0.1 0.1 10 0", 0, NothingToDo, 0, "", 0},
                      {"vpcm -1 2.86 0.111 0.1 0 1E+999 1", 0, RangeTooLarge, 0,
                       "The study range from 0 to inf", 0},
                      {"vpcm -1 2.86 0.111 0.1 1 2 0.1", 6, Aborted, 3, "", 0},
                      {"vpcm -1 2.86 0.111 0.1 1 2 0.1", 0, SolveRefused, 0,
                       "The study stopped at the swept value 1: the experiments could", 1},
                      {"vecf 2.86 2.86 0.111 0.1 -1 1 1", 0, InvalidValue, 1,
                       "The study stopped at the swept value 0: the computed Fy is inf.", 0},
                      {"vecm 1 0 0 0.1 1 1 1", 0, InvalidValue, 0,
                       "The study stopped at the swept value 1: the computed mass is nan.", 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.inputs);
    ScratchFolder folder;
    Workbench bench = PulseBench(5.0, 0.0);
    bench.experiments.At(1).weight = row.status == SolveRefused ? 0 : 1;
    if (row.status == NoExperiments) bench = Workbench{};
    SetInputs(bench.inputs, row.inputs);
    const std::string massText = bench.inputs.txtMass;
    RecordingUserInterface ui(bench);
    ui.abortOnPump = row.abortOnPump;
    const StudyOutcome outcome = RunLoopCommand(bench, ui, ui.stop, folder.Path().string());
    EXPECT_EQ(outcome.message.rfind(row.message, 0), 0u) << outcome.message;
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.Failed(), *row.message != '\0');
    EXPECT_EQ(ui.solves(), row.values);
    EXPECT_EQ(ui.messages.size(), row.shown);
    const std::vector<std::string> lines = ReadLines(folder / "lresults.out");
    if (row.status == RangeTooLarge || row.status == NoExperiments || row.status == NothingToDo) {
      EXPECT_FALSE(fs::exists(folder / "lresults.out"));
      EXPECT_EQ(bench.inputs.txtMass, massText);
    } else {
      ASSERT_EQ(lines.size(), 2u + row.values);
      if (row.values > 0) { EXPECT_EQ(Field(lines[2], 0), bench.inputs.txtFrom); }
    }
  }
}

// The input each mode rewrites (rounded to 6 decimals), at x = 2 pi and 4 pi as typed (x/2/pi
// is then exactly 1 and 2), with Fy = 2, Uy = 0.5, a = 0.25 and the mass text 4; the expected
// texts are hand calculations. A mass text <= 0 takes the selected experiment's mass (4) into
// the formulas; the solve itself runs with the mass 0 of the text (no peak: threshold 0 drops
// the lines).
TEST(ParametricLoop, EachModeRewritesItsInput) {
  const struct {
    const char *inputs, *title;         // no title: ""
    std::vector<std::string> atSolves;  // "mass Fy Uy" at the two solves
  } rows[] = {
      {"vmcm 4", "Varying mass by changing mass", {"6.283185 2 0.5", "12.566371 2 0.5"}},
      // (x/2/pi)^2 * Fy / Uy
      {"vecm 4", "Varying elastic period by changing mass", {"4 2 0.5", "16 2 0.5"}},
      // Uy * m / (x/2/pi)^2
      {"vecf 4", "Varying elastic period by changing Fy", {"4 2 0.5", "4 0.5 0.5"}},
      // (x/2/pi)^2 * Fy / m
      {"vecu 4", "Varying elastic period by changing Uy", {"4 2 0.5", "4 2 2"}},
      // (x/2/pi)^2 * (a * Fy) / Uy
      {"vpcm 4", "Varying plastic period by changing mass", {"1 2 0.5", "4 2 0.5"}},
      // Uy * m / (x/2/pi)^2 / a
      {"vpcf 4", "Varying plastic period by changing Fy", {"4 8 0.5", "4 2 0.5"}},
      // (x/2/pi)^2 * (a * Fy) / m
      {"vpcu 4", "Varying plastic period by changing Uy", {"4 2 0.125", "4 2 0.5"}},
      {"vecf 0", "Varying elastic period by changing Fy", {"0 2 0.5", "0 0.5 0.5"}},
      {"vmcf 4", "", {"4 2 0.5", "4 2 0.5"}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.inputs);
    ScratchFolder folder;
    const bool massZero = std::string(row.inputs).ends_with(" 0");
    Workbench bench = PulseBench(5.0, massZero ? 4 : 9);
    SetInputs(
        bench.inputs,
        (row.inputs + std::string(" 2 0.5 0.25 6.28318530717958 12.6 6.28318530717958")).c_str());
    RecordingUserInterface ui(bench);
    RunLoopCommand(bench, ui, ui.stop, folder.Path().string());
    EXPECT_EQ(ui.inputsAtSolve, row.atSolves);
    EXPECT_EQ(bench.parameters.Fy, std::stod(bench.inputs.txtFy));  // solved as written
    std::vector<std::string> expected = {kStudyHeader};
    if (*row.title != '\0') expected.insert(expected.begin(), row.title);
    if (!massZero) expected.insert(expected.end(), {"6.283185", "12.566371"});
    std::vector<std::string> lines = ReadLines(folder / "lresults.out");
    for (std::string& line : lines) line = line == kStudyHeader ? line : Field(line, 0);
    EXPECT_EQ(lines, expected);
  }
}

// A value is written (and enters the envelopes) unless both peaks are at or below threshold * Uy.
TEST(ParametricLoop, ThresholdDropsValuesWhosePeaksAreBothAtOrBelowIt) {
  ExperimentSet set;
  AddSine(set, 20.0);
  Workbench bench = EulerBench(std::move(set), "1", "1", "1");
  SetMode(bench.inputs, "vm cf");  // nothing rewritten
  bench.inputs.txtUy = "1";
  SilentUserInterface silent;
  ASSERT_TRUE(SolveExperiments(bench, silent, false).solved);
  const ExperimentResults& e = *bench.CurrentResults();
  const double low = std::min(e.originalPeakU, e.modifiedPeakU);
  const double high = std::max(e.originalPeakU, e.modifiedPeakU);
  ASSERT_GT(low, 0);
  ASSERT_LT(low, high);
  ScratchFolder folder;
  for (const auto& [threshold, written] :
       {std::pair{low, true}, std::pair{(low + high) / 2, true}, std::pair{high, false}}) {
    SCOPED_TRACE(threshold);
    Envelopes envelopes;
    envelopes.Reset(0);
    const StudyOutcome outcome =
        RunParametricLoop(bench, silent, StopToken{},
                          StudyRequest{folder.Path().string(), "", threshold, &envelopes, {}, {}});
    EXPECT_EQ(outcome.status, StudyStatus::Completed);
    EXPECT_EQ(outcome.linesWritten, written ? 1 : 0);
    EXPECT_EQ(envelopes.uPos[0] != 0 || envelopes.uNeg[0] != 0, written);
  }
}

// The results in header order, each rounded to 6 decimals (half to even) in the default form;
// non-finite results as inf, -inf and nan.
TEST(ParametricLoop, StudyLineHoldsTheResultsInHeaderOrder) {
  const double inf = std::numeric_limits<double>::infinity();
  ExperimentResults r;
  std::tie(r.originalPeakU, r.modifiedPeakU, r.absErrorU, r.relErrorU, r.originalPeakEh,
           r.modifiedPeakEh, r.absErrorEh, r.relErrorEh) =
      std::tuple(1.23456789, 2.0, 1.5e-6, 5e-7, inf, -inf, std::nan(""), -0.25);
  EXPECT_EQ(detail::StudyLine(0.1, r), "0.1\t1.234568\t2\t2E-06\t0\tinf\t-inf\tnan\t-0.25");
}

}  // namespace
}  // namespace quarvel
