// Bad text in every box: empty, text, 1e400, negative and zero values. The solve and the studies
// follow the fault rules (no message, non-finite results stored as computed, "-" in a label
// whose value has no meaning) and never crash or hang; quarvel-cli refuses what is not one
// whole number or has no physical meaning, and follows the fault rules for the rest. Tiny
// records, Euler.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "reliability_support.h"
#include "solve/labels.h"
#include "solve/solve_experiments.h"
#include "solve/workbench.h"
#include "studies/parametric_loop.h"
#include "text/number_text.h"

namespace quarvel::reliability {
namespace {

using Inputs = MainWindowInputs;

// The three records of 40 samples, and an elastic-period study by Fy.
Workbench TinyBench() {
  Workbench bench = EulerBench(40);
  bench.inputs.optVaryPlasticPeriod = bench.inputs.optChangeMass = false;
  bench.inputs.optVaryElasticPeriod = bench.inputs.optChangeFy = true;
  return bench;
}

// The same records as a file for quarvel-cli, with `timeStep` as every time-step line if given.
std::string TinyFile(const char* timeStep = nullptr) {
  std::string text = "3\n";
  const Workbench bench = EulerBench(40);
  for (const Experiment& e : bench.experiments.Records()) {
    const char* type[] = {"Acceleration", "Force", "Displacement"};
    text += e.name + "\n1\n2.86\n0\n0\n0\n" + type[int(e.dataType)] + "\n" +
            (e.unitsOfG ? "units of g" : "none") + "\n" +
            (timeStep ? timeStep : FormatDefault(e.timeStep)) + "\n40\n";
    for (int32_t i = 1; i <= 40; ++i) text += FormatDefault(SamplesOf(e)[i]) + "\n";
  }
  return text;
}

// The largest |value| that is not a NaN: a NaN never passes "greater than the peak".
double PeakOf(const std::vector<double>& values) {
  double peak = 0.0;
  for (std::size_t j = 1; j < values.size(); ++j) peak = std::max(peak, std::fabs(values[j]));
  return peak;
}

bool SameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// What the fault rules promise about a solved record, whatever the inputs were.
void ExpectFaultRulesHold(const Experiment& experiment, const ExperimentResults& e) {
  SCOPED_TRACE(experiment.name);
  const auto n = static_cast<std::size_t>(experiment.counter) + 1;
  for (const ResponseHistory* r : {&e.original, &e.modified}) {
    for (const auto* a :
         {&r->T, &r->U, &r->U_DOT, &r->U_DOT_DOT, &r->F, &r->Fext, &r->Z, &r->Fh, &r->Et, &r->Eh}) {
      EXPECT_EQ(a->size(), n);
    }
  }
  const ReversalIndexHistory& reversals = e.reversalIndices;
  for (const auto* a :
       {&reversals.lastPlus, &reversals.lastMinus, &reversals.maxPlus, &reversals.maxMinus}) {
    EXPECT_EQ(a->size(), n);
  }
  // Peaks: the largest magnitude reached, infinite included, never NaN and never negative.
  EXPECT_EQ(e.originalPeakU, PeakOf(e.original.U));
  EXPECT_EQ(e.modifiedPeakU, PeakOf(e.modified.U));
  EXPECT_EQ(e.originalPeakEh, PeakOf(e.original.Eh));
  EXPECT_EQ(e.modifiedPeakEh, PeakOf(e.modified.Eh));
  // Errors as computed, non-finite included; a relative error without an original peak is 0.
  EXPECT_TRUE(SameValue(e.absErrorU, std::fabs(e.originalPeakU - e.modifiedPeakU)));
  EXPECT_TRUE(SameValue(e.absErrorEh, std::fabs(e.originalPeakEh - e.modifiedPeakEh)));
  EXPECT_TRUE(e.originalPeakU > 0 || e.relErrorU == 0.0);
  EXPECT_TRUE(e.originalPeakEh > 0 || e.relErrorEh == 0.0);
  // Labels: a number where the value has one, "-" where it has none.
  const ErrorLabelTexts labels = ErrorLabels(e.absErrorU, e.relErrorU, e.absErrorEh, e.relErrorEh);
  for (const auto& [text, value, percent] : {std::tuple{labels.absoluteU, e.absErrorU, false},
                                             {labels.relativeU, e.relErrorU, true},
                                             {labels.absoluteEh, e.absErrorEh, false},
                                             {labels.relativeEh, e.relErrorEh, true}}) {
    const bool finite = std::isfinite(value) && std::isfinite(100 * value);
    EXPECT_EQ(text, finite ? FormatLabel(percent ? 100 * value : value) + (percent ? "%" : "")
                           : kNoValueText);
  }
}

// Solves promptly, without a message but the reversal-weight fault (which the all-reversal
// rule may raise), and every record follows the fault rules.
void SolveFollowsTheFaultRules(Workbench& bench) {
  struct : SilentUserInterface {
    void ShowMessage(const std::string& text, MessageIcon) override {
      EXPECT_EQ(text, kMessageWeightFault);
    }
  } ui;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(SolveExperiments(bench, ui, true).solved);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            kUnderSanitizer ? 30.0 : 5.0);
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    ExpectFaultRulesHold(bench.experiments.At(k), bench.results.At(k));
  }
}

// A label text is "-" or a number that is not negative.
bool IsLabel(const std::string& text) {
  const ParsedNumber parsed = ParseLeadingNumber(text);
  return text == kNoValueText || (parsed.found && std::isfinite(parsed.value) && parsed.value >= 0);
}

// ---------------------------------------------------------------------------------------------
// Every model box with every bad text: solved in process, swept by a three-value study, and run
// through quarvel-cli solve and loop.

// The values quarvel-cli refuses for a box beyond texts that are not one finite number.
enum class Meaning { Any, AboveZero, NotNegative, NotZero };

struct Box {
  const char* name;
  std::string Inputs::*text;
  const char* option;  // quarvel-cli's option for the box
  Meaning meaning;
  const char* method = "euler";  // the method under which the box matters
};

const Box kBoxes[] = {
    {"A", &Inputs::txtAlphaCap, "--A", Meaning::Any},
    {"Beta", &Inputs::txtBetaSmall, "--beta", Meaning::Any},
    {"Gamma", &Inputs::txtGammaSmall, "--gamma", Meaning::Any},
    {"N", &Inputs::txtNee, "--n", Meaning::AboveZero},
    {"Alpha", &Inputs::txtAlphaSmall, "--alpha", Meaning::Any},
    {"C", &Inputs::txtCharlieSmall, "--c", Meaning::NotNegative},
    {"Fy", &Inputs::txtFy, "--Fy", Meaning::AboveZero},
    {"Uy", &Inputs::txtUy, "--Uy", Meaning::AboveZero},
    {"P", &Inputs::txtP, "--P", Meaning::Any},
    {"ThresholdZ", &Inputs::txtThresholdZ, "--threshold-z", Meaning::Any},
    {"Mass", &Inputs::txtMass, "--mass", Meaning::NotZero},
    {"Eps", &Inputs::txtEps1, "--eps", Meaning::NotNegative, "euler-doubling"},
    {"EulerSteps", &Inputs::txtSolutionEulerSteps, "--euler-steps", Meaning::Any},
};

struct BadText {
  const char* name;
  const char* text;
  bool number;  // one finite number, the whole text
  double value;
};

const BadText kBadTexts[] = {
    {"Empty", "", false, 0},         {"Text", "abc", false, 0},
    {"Comma", "1,5", false, 0},      {"Overflow", "1e400", false, 0},
    {"NegativeOverflow", "-1e400", false, 0},
    {"MinusOne", "-1", true, -1},    {"Zero", "0", true, 0},
    {"NegativeHalf", "-0.5", true, -0.5}, {"Huge", "1e300", true, 1e300},
    {"Tiny", "1e-300", true, 1e-300},
};

bool RefusedByTheCommandLine(const Box& box, const BadText& bad) {
  if (!bad.number) return true;
  switch (box.meaning) {
    case Meaning::AboveZero: return !(bad.value > 0);
    case Meaning::NotNegative: return bad.value < 0;
    case Meaning::NotZero: return bad.value == 0;
    default: return false;
  }
}

void PrintTo(const Box& box, std::ostream* os) { *os << box.name; }

using BadBox = std::tuple<Box, BadText>;
class BadBoxTest : public testing::TestWithParam<BadBox> {};

// Solved in process (the window's reading), and through quarvel-cli: refused as a usage error
// naming the option and the text, or solved and swept by a three-value study, which runs every
// value or stops at a value the formulas cannot give.
TEST_P(BadBoxTest, SolveAndStudyFollowTheFaultRules) {
  const auto& [box, bad] = GetParam();
  Workbench bench = TinyBench();
  bench.inputs.optSolutionEuler = std::string(box.method) == "euler";
  bench.inputs.optSolutionEulerStepDoubling = !bench.inputs.optSolutionEuler;
  bench.inputs.*box.text = bad.text;
  SolveFollowsTheFaultRules(bench);
  const PeriodLabelTexts periods = PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
  EXPECT_TRUE(IsLabel(periods.elastic)) << periods.elastic;
  EXPECT_TRUE(IsLabel(periods.plastic)) << periods.plastic;

  ScratchFolder folder;
  folder.Write("tiny.quarvel", TinyFile());
  const std::string common = "--load tiny.quarvel --method " + std::string(box.method) + " " +
                             box.option + " " + Quote(bad.text);
  const CliRun solve = RunCli(folder.Path(), "solve " + common);
  if (RefusedByTheCommandLine(box, bad)) {
    EXPECT_EQ(solve.status, 2) << solve.err;
    EXPECT_EQ(solve.err.rfind(std::string(box.option) + ": \"" + bad.text + "\"", 0), 0u)
        << solve.err;
    EXPECT_EQ(solve.out, "");
    return;
  }
  EXPECT_EQ(solve.status, 0) << solve.err;
  for (const std::string label :
       {"Absolute U :\t", "Relative Eh :\t", "T elastic :\t", "T plastic :\t"}) {
    const std::size_t at = solve.out.find(label), from = at + label.size();
    ASSERT_NE(at, std::string::npos) << label;
    const std::string text = solve.out.substr(from, solve.out.find('\n', at) - from);
    EXPECT_TRUE(text == kNoValueText || ParseLeadingNumber(text).found) << label << text;
  }
  // The study rewrites another box than the bad one.
  const CliRun loop = RunCli(
      folder.Path(), "loop " + common + " --from 1 --to 1.2 --step 0.1 --vary elastic --by " +
                         (box.text == &Inputs::txtUy ? "fy" : "uy"));
  const std::string study = ReadWholeFile(folder / kDefaultStudyFileName);
  if (loop.status == 0) {
    // Every value solved; the title, the header and the lines that passed the threshold.
    const std::size_t at = loop.out.find("Study written to ./lresults.out (3 values, ");
    ASSERT_NE(at, std::string::npos) << loop.out;
    EXPECT_EQ(std::count(study.begin(), study.end(), '\n'),
              2 + std::atoi(loop.out.c_str() + at + 43));
  } else {
    EXPECT_EQ(loop.status, 1) << loop.err;
    EXPECT_NE(loop.err.find("The study stopped at the swept value"), std::string::npos) << loop.err;
    EXPECT_EQ(loop.out.find("Study written to"), std::string::npos) << loop.out;
    EXPECT_GE(std::count(study.begin(), study.end(), '\n'), 2);  // the lines written are kept
  }
}

INSTANTIATE_TEST_SUITE_P(Boxes, BadBoxTest,
                         testing::Combine(testing::ValuesIn(kBoxes), testing::ValuesIn(kBadTexts)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

// Named consequences of single bad values, from the formulas by hand.
TEST(BadValueConsequences, NonFiniteResultsAreStoredAndLabelledAsHavingNoValue) {
  struct Row {
    const char* name;
    std::string Inputs::*box;
    const char* text;
    const char* elastic;  // period label texts; the mass box is -1: the records' mass 2.86
    const char* plastic;
    bool nonFiniteForce;  // some F of the original response is not finite
  };
  const Row rows[] = {
      // Uy 0: the post-yield stiffness a Fy / Uy is infinite; the periods are 2 pi sqrt(0).
      {"Uy zero", &Inputs::txtUy, "0", "0", "0", true},
      {"Uy negative", &Inputs::txtUy, "-1", "-", "-", false},  // no real square root
      // Infinite periods have no value; no stiffness and no z rate: the responses stay finite.
      {"Uy overflow", &Inputs::txtUy, "1e400", "-", "-", false},
      {"Fy zero", &Inputs::txtFy, "0", "-", "-", false},  // Fy <= 0: no period
      {"Fy text", &Inputs::txtFy, "abc", "-", "-", false},
      // a = 0: no plastic period; 2 pi sqrt(2.86 x 0.111 / 2.86) = 2.0933.
      {"alpha zero", &Inputs::txtAlphaSmall, "0", "2.093", "-", false},
      {"mass overflow", &Inputs::txtMass, "1e400", "-", "-", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Workbench bench = TinyBench();
    bench.inputs.*row.box = row.text;
    SolveFollowsTheFaultRules(bench);
    const PeriodLabelTexts periods = PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
    EXPECT_EQ(periods.elastic, row.elastic);
    EXPECT_EQ(periods.plastic, row.plastic);
    bool nonFinite = false;
    for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
      for (const double f : bench.results.At(k).original.F) nonFinite = nonFinite || !std::isfinite(f);
    }
    EXPECT_EQ(nonFinite, row.nonFiniteForce);
  }
}

// The time step of a record, bad in the file.
TEST(BadTimeStep, SolveFollowsTheFaultRules) {
  ScratchFolder folder;
  for (const char* text : {"", "abc", "0", "-0.02", "1e-300", "1e300", "-1e300"}) {
    SCOPED_TRACE(text);
    Workbench bench = TinyBench();
    for (Experiment& e : bench.experiments.Records()) e.timeStep = Val(text);
    SolveFollowsTheFaultRules(bench);
    folder.Write("tiny.quarvel", TinyFile(text));
    const CliRun run = RunCli(folder.Path(), "solve --method euler --load tiny.quarvel");
    EXPECT_EQ(run.status, 0) << run.err;
  }
}

// The study range boxes, for an elastic-period study by Fy: Fy = Uy m / (x / 2 / pi)^2,
// infinite at x = 0. quarvel-cli: status 0 for a study, 2 for nothing to do or a text that is
// not one finite number, 1 for a refusal.
struct RangeCase {
  const char* name;
  const char* from;
  const char* to;
  const char* step;
  StudyStatus status;
  int32_t values;  // values solved
};

const RangeCase kRangeCases[] = {
    {"AllEmpty", "", "", "", StudyStatus::NothingToDo, 0},
    {"StepText", "1", "1.2", "abc", StudyStatus::NothingToDo, 0},
    {"StepZero", "1", "1.2", "0", StudyStatus::NothingToDo, 0},
    {"StepNegative", "1", "1.2", "-0.1", StudyStatus::NothingToDo, 0},
    {"FromAboveTo", "1.2", "1", "0.1", StudyStatus::NothingToDo, 0},
    {"FromText", "abc", "0.2", "0.1", StudyStatus::InvalidValue, 0},  // x = 0: infinite Fy
    {"FromEqualsTo", "1", "1", "0.1", StudyStatus::Completed, 1},
    {"NegativeRange", "-1.2", "-1", "0.1", StudyStatus::Completed, 3},
    {"StepOverflow", "1", "1.2", "1e400", StudyStatus::InvalidValue, 0},  // x = 0 x inf: NaN
    {"StepTiny", "1", "1.2", "1e-300", StudyStatus::RangeTooLarge, 0},
    {"ToOverflow", "1", "1e400", "0.1", StudyStatus::RangeTooLarge, 0},
    {"FromNegativeOverflow", "-1e400", "1", "0.1", StudyStatus::RangeTooLarge, 0},
    {"BothOverflow", "1e400", "1e400", "1", StudyStatus::RangeTooLarge, 0},
    {"HugeStepOneValue", "1", "1.2", "1e300", StudyStatus::Completed, 1},
    {"JustOverTheLimit", "0", "1000001", "1", StudyStatus::RangeTooLarge, 0},
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class RangeTest : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeTest, StudyRefusesOrRunsTheRange) {
  const RangeCase& c = GetParam();
  Workbench bench = TinyBench();
  bench.inputs.txtFrom = c.from;
  bench.inputs.txtTo = c.to;
  bench.inputs.txtStep = c.step;
  ScratchFolder folder;
  SilentUserInterface ui;
  StudyRequest request;
  request.folder = folder.Path().string();
  const StudyOutcome outcome = RunParametricLoop(bench, ui, StopToken{}, request);
  EXPECT_EQ(outcome.status, c.status) << outcome.Describe();
  EXPECT_EQ(outcome.valuesSolved, c.values);
  const bool refused =
      c.status == StudyStatus::InvalidValue || c.status == StudyStatus::RangeTooLarge;
  EXPECT_EQ(outcome.Failed(), refused);
  EXPECT_EQ(fs::exists(folder / kDefaultStudyFileName),
            c.status == StudyStatus::Completed || c.status == StudyStatus::InvalidValue);

  folder.Write("tiny.quarvel", TinyFile());
  const CliRun run = RunCli(
      folder.Path(), "loop --load tiny.quarvel --method euler --vary elastic --by fy --from " +
                         Quote(c.from) + " --to " + Quote(c.to) + " --step " + Quote(c.step));
  const bool numbers = ParseWholeNumber(c.from) && ParseWholeNumber(c.to) &&
                       ParseWholeNumber(c.step);
  const int expected = !numbers ? 2 : c.status == StudyStatus::Completed ? 0 : refused ? 1 : 2;
  EXPECT_EQ(run.status, expected) << run.err;
  EXPECT_EQ(run.out.find("Study written to") != std::string::npos, expected == 0) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Ranges, RangeTest, testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The sinusoid's boxes through --sine (mass, amplitude, period, cycles, time step): a text that
// is not five finite numbers, a period or time step not above 0 and negative cycles are usage
// errors (status 2); too many samples is refused by the generator (status 1); both start with
// "--sine".
TEST(BadSinusoidTexts, RefusedWithAReasonOrSolved) {
  const std::pair<const char*, int> rows[] = {
      {",,,,", 2},
      {"abc,abc,abc,abc,abc", 2},
      {"1,1,0,1,0.02", 2},        // no period
      {"1,1,1,1,0", 2},           // no time step
      {"1,1,-1,1,0.02", 2},       // negative period
      {"1,1,1,-1,0.02", 2},       // negative cycles
      {"1,1,1,1e400,0.02", 2},    // infinitely many samples
      {"1,1,1e400,1,0.02", 2},    // infinite period
      {"1e400,0.1,1,1,0.02", 2},  // infinite mass
      {"1,1,1,1,1e-300", 1},      // too many samples
      {"-1,0.1,1,1,0.02", 0},     // negative mass
      {"0,0,1,1,0.02", 0},        // nothing moves
      {"1,0.1,1,0,0.02", 0},      // zero cycles: one sample
  };
  ScratchFolder folder;
  for (const auto& [texts, status] : rows) {
    const CliRun run =
        RunCli(folder.Path(), "solve --method euler --mass -1 --sine " + Quote(texts));
    EXPECT_EQ(run.status, status) << texts << run.err;
    EXPECT_EQ(run.err.rfind("--sine", 0) == 0, status != 0) << texts << run.err;
  }
}

}  // namespace
}  // namespace quarvel::reliability
