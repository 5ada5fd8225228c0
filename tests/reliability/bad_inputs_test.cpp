// Bad text in every box: empty, text, 1e400, negative and zero values. The solve and the studies
// follow the fault rules (no message, non-finite results stored as computed, "-" in a label
// whose value has no meaning; checked by the solve fuzz target's own rules) and never crash or
// hang; quarvel-cli refuses what is not one whole number or has no physical meaning, and
// follows the fault rules for the rest. Tiny records, Euler.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "../../fuzz/solve_check.h"
#include "experiments/experiment_file.h"
#include "reliability_support.h"
#include "solve/solve_experiments.h"
#include "studies/parametric_loop.h"
#include "support/command_runner.h"

namespace quarvel::reliability {
namespace {

using test::CliRun;
using test::RunCli;

using Inputs = MainWindowInputs;

// Solves without a message but the reversal-weight fault (which the all-reversal rule may
// raise); every record follows the fault rules. Returns the period labels (that each is "-" or
// a number: the solve fuzz target's check, and the period label rows of tests/solve).
PeriodLabelTexts SolveFollowsTheFaultRules(Workbench& bench) {
  struct : SilentUserInterface {
    void ShowMessage(const std::string& text, MessageIcon) override {
      EXPECT_EQ(text, kMessageWeightFault);
    }
  } ui;
  EXPECT_TRUE(SolveExperiments(bench, ui, true).solved);
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    EXPECT_STREQ(fuzz::FaultRulesBroken(bench.experiments.At(k), bench.results.At(k)), nullptr);
  }
  return PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
}

// Every model box with every bad text: solved in process (the window's reading), and through
// quarvel-cli: refused as a usage error naming the option and the text (every option refuses
// what is not a finite number; `refusedNumbers` lists the numbers it refuses too), or solved
// with labels and swept by a
// three-value study of another box.
const char* const kBadTexts[] = {"", "abc", "1,5", "1e400", "-1e400",
                                 "-1", "0", "-0.5", "1e300", "1e-300"};

const std::set<std::string> kNotFiniteNumbers = {"", "abc", "1,5", "1e400", "-1e400"};

struct Box {
  const char* name;
  std::string Inputs::*text;
  const char* option;
  std::set<std::string> refusedNumbers = {};
  const char* method = "euler";  // the method under which the box matters
};

const Box kBoxes[] = {
    {.name = "A", .text = &Inputs::txtAlphaCap, .option = "--A"},
    {.name = "Beta", .text = &Inputs::txtBetaSmall, .option = "--beta"},
    {.name = "Gamma", .text = &Inputs::txtGammaSmall, .option = "--gamma"},
    {.name = "N", .text = &Inputs::txtNee, .option = "--n", .refusedNumbers = {"-1", "0", "-0.5"}},
    {.name = "Alpha", .text = &Inputs::txtAlphaSmall, .option = "--alpha"},
    {.name = "C", .text = &Inputs::txtCharlieSmall, .option = "--c",
     .refusedNumbers = {"-1", "-0.5"}},
    {.name = "Fy", .text = &Inputs::txtFy, .option = "--Fy", .refusedNumbers = {"-1", "0", "-0.5"}},
    {.name = "Uy", .text = &Inputs::txtUy, .option = "--Uy", .refusedNumbers = {"-1", "0", "-0.5"}},
    {.name = "P", .text = &Inputs::txtP, .option = "--P"},
    {.name = "ThresholdZ", .text = &Inputs::txtThresholdZ, .option = "--threshold-z"},
    {.name = "Mass", .text = &Inputs::txtMass, .option = "--mass", .refusedNumbers = {"0"}},
    {.name = "Eps", .text = &Inputs::txtEps1, .option = "--eps", .refusedNumbers = {"-1", "-0.5"},
     .method = "euler-doubling"},
    {.name = "EulerSteps", .text = &Inputs::txtSolutionEulerSteps, .option = "--euler-steps"},
};

class BadBoxTest : public testing::TestWithParam<Box> {};

TEST_P(BadBoxTest, SolveAndStudyFollowTheFaultRules) {
  const Box& box = GetParam();
  ScratchFolder folder;  // the records of EulerBench(40) as a file
  ASSERT_TRUE(WriteExperimentFile((folder / "tiny.quarvel").string(), EulerBench(40).experiments));
  for (const std::string bad : kBadTexts) {
    SCOPED_TRACE(bad);
    Workbench bench = EulerBench(40);
    bench.inputs.optSolutionEuler = std::string(box.method) == "euler";
    bench.inputs.optSolutionEulerStepDoubling = !bench.inputs.optSolutionEuler;
    bench.inputs.*box.text = bad;
    SolveFollowsTheFaultRules(bench);

    // quarvel-cli: a refused text is a usage error naming the option and the text; an accepted
    // one is solved at every value of a study of another box.
    const std::string common = "--load tiny.quarvel --method " + std::string(box.method) + " " +
                               box.option + " " + Quote(bad);
    if (kNotFiniteNumbers.contains(bad) || box.refusedNumbers.contains(bad)) {
      const CliRun solve = RunCli(folder.Path(), "solve " + common);
      EXPECT_EQ(solve.status, 2) << solve.err;
      EXPECT_EQ(solve.err.rfind(std::string(box.option) + ": \"" + bad + "\"", 0), 0u) << solve.err;
      EXPECT_EQ(solve.out, "");
      continue;
    }
    const CliRun loop = RunCli(
        folder.Path(), "loop " + common + " --from 1 --to 1.2 --step 0.1 --vary elastic --by " +
                           (box.text == &Inputs::txtUy ? "fy" : "uy"));
    EXPECT_EQ(loop.status, 0) << loop.err;
    EXPECT_NE(loop.out.find("Study written to ./lresults.out (3 values, "), std::string::npos)
        << loop.out;
  }
}

INSTANTIATE_TEST_SUITE_P(Boxes, BadBoxTest, testing::ValuesIn(kBoxes),
                         [](const auto& row) { return std::string(row.param.name); });

// Single bad values whose results are not finite: stored as computed, labelled "-" where they
// have no value. (Bad time steps of the records are seeds of the solve fuzz target.)
TEST(BadValueConsequences, NonFiniteResultsAreStoredAndLabelledAsHavingNoValue) {
  // The period labels, and whether some F of the original is not finite.
  const struct { std::string Inputs::*box; const char *text, *elastic, *plastic; bool nonFinite; }
      rows[] = {
      // Uy 0: the post-yield stiffness a Fy / Uy is infinite; the periods are 2 pi sqrt(0).
      {&Inputs::txtUy, "0", "0", "0", true},
      // Infinite periods have no value; no stiffness and no z rate: the responses stay finite.
      {&Inputs::txtUy, "1e400", "-", "-", false},
      {&Inputs::txtMass, "1e400", "-", "-", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    Workbench bench = EulerBench(40);
    bench.inputs.*row.box = row.text;
    const PeriodLabelTexts periods = SolveFollowsTheFaultRules(bench);
    EXPECT_EQ(periods.elastic, row.elastic);
    EXPECT_EQ(periods.plastic, row.plastic);
    bool nonFinite = false;
    for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
      for (const double f : bench.results.At(k).original.F) nonFinite |= !std::isfinite(f);
    }
    EXPECT_EQ(nonFinite, row.nonFinite);
  }
}

// The study range of quarvel-cli, for an elastic-period study by Fy: Fy = Uy m / (x / 2 / pi)^2,
// infinite at x = 0. Status 0 for a study of that many values, 2 for nothing to do or a text
// that is not one finite number, 1 for a range too large or a value without meaning.
TEST(StudyRange, RefusesOrRunsTheRange) {
  const struct { const char *from, *to, *step; int status, values; } rows[] = {
      {"", "", "", 2, 0},  {"1", "1.2", "-0.1", 2, 0},  {"1.2", "1", "0.1", 2, 0},
      {"-1.2", "-1", "0.1", 0, 3},  {"1", "1.2", "1e-300", 1, 0},  // too many values
      // x = 0 (infinite Fy) after one value; one value over the limit.
      {"-0.1", "0.1", "0.1", 1, 1},  {"0", "1000001", "1", 1, 0},
  };
  ScratchFolder folder;
  ASSERT_TRUE(WriteExperimentFile((folder / "tiny.quarvel").string(), EulerBench(40).experiments));
  for (const auto& c : rows) {
    SCOPED_TRACE(std::string(c.from) + " " + c.to + " " + c.step);
    const CliRun run = RunCli(
        folder.Path(), "loop --load tiny.quarvel --method euler --vary elastic --by fy --from " +
                           Quote(c.from) + " --to " + Quote(c.to) + " --step " + Quote(c.step));
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out.find("Study written to ./lresults.out (" + std::to_string(c.values) +
                           " values") != std::string::npos, c.status == 0) << run.out;
  }
}

}  // namespace
}  // namespace quarvel::reliability
