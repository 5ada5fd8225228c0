// Bad text in every box: empty, text, 1e400, negative and zero values. The solve, the studies
// and quarvel-cli follow the fault rules (no message, non-finite results stored as computed,
// "-" in a label whose value has no meaning) and never crash or hang. Tiny records, Euler.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <ostream>
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

constexpr int32_t kSamples = 40;
constexpr double kSolveSeconds = kUnderSanitizer ? 30.0 : 5.0;

class CountingUserInterface : public SilentUserInterface {
 public:
  void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// A force, a displacement and a ground-acceleration record, Euler with one sub-step.
Workbench TinyBench() {
  Workbench bench;
  bench.experiments.Assign(
      {ForceRecord(kSamples), DisplacementRecord(kSamples), AccelerationRecord(kSamples)});
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.txtSolutionEulerSteps = "1";
  return bench;
}

// The file of the same three records, for quarvel-cli.
std::string TinyFile() {
  std::string text = "3\n";
  for (const Experiment& e :
       {ForceRecord(kSamples), DisplacementRecord(kSamples), AccelerationRecord(kSamples)}) {
    const char* type = e.dataType == ExperimentDataType::Force          ? "Force"
                       : e.dataType == ExperimentDataType::Displacement ? "Displacement"
                                                                        : "Acceleration";
    text += e.name + "\n1\n2.86\n0\n0\n0\n" + type + "\n" + (e.unitsOfG ? "units of g" : "none") +
            "\n" + FormatDefault(e.timeStep) + "\n" + std::to_string(e.counter) + "\n";
    for (int32_t i = 1; i <= e.counter; ++i) text += FormatDefault(SamplesOf(e)[i]) + "\n";
  }
  return text;
}

// The largest |value| that is not a NaN: a NaN never passes "greater than the peak".
double PeakOf(const std::vector<double>& values) {
  double peak = 0.0;
  for (std::size_t j = 1; j < values.size(); ++j) {
    if (std::fabs(values[j]) > peak) peak = std::fabs(values[j]);
  }
  return peak;
}

bool SameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// What the fault rules promise about a solved record, whatever the inputs were.
void ExpectFaultRulesHold(const Experiment& e) {
  SCOPED_TRACE(e.name);
  const auto length = static_cast<std::size_t>(e.counter) + 1;
  for (const ResponseHistory* r : {&e.original, &e.modified}) {
    for (const auto* array :
         {&r->T, &r->U, &r->U_DOT, &r->U_DOT_DOT, &r->F, &r->Fext, &r->Z, &r->Fh, &r->Et, &r->Eh}) {
      EXPECT_EQ(array->size(), length);
    }
  }
  for (const auto* array :
       {&e.reversalLastPlus, &e.reversalLastMinus, &e.reversalMaxPlus, &e.reversalMaxMinus}) {
    EXPECT_EQ(array->size(), length);
  }
  // Peaks: the largest magnitude reached, infinite included, never NaN and never negative.
  EXPECT_EQ(e.originalPeakU, PeakOf(e.original.U));
  EXPECT_EQ(e.modifiedPeakU, PeakOf(e.modified.U));
  EXPECT_EQ(e.originalPeakEh, PeakOf(e.original.Eh));
  EXPECT_EQ(e.modifiedPeakEh, PeakOf(e.modified.Eh));
  // Errors as computed, non-finite included; a relative error without an original peak is 0.
  EXPECT_TRUE(SameValue(e.absErrorU, std::fabs(e.originalPeakU - e.modifiedPeakU)));
  EXPECT_TRUE(SameValue(e.absErrorEh, std::fabs(e.originalPeakEh - e.modifiedPeakEh)));
  if (!(e.originalPeakU > 0)) {
    EXPECT_EQ(e.relErrorU, 0.0);
  }
  if (!(e.originalPeakEh > 0)) {
    EXPECT_EQ(e.relErrorEh, 0.0);
  }

  // Labels: a number where the value has one, "-" where it has none.
  const ErrorLabelTexts labels = ErrorLabels(e.absErrorU, e.relErrorU, e.absErrorEh, e.relErrorEh);
  for (const auto& [text, value, percent] : {std::tuple{labels.absoluteU, e.absErrorU, false},
                                             {labels.relativeU, e.relErrorU, true},
                                             {labels.absoluteEh, e.absErrorEh, false},
                                             {labels.relativeEh, e.relErrorEh, true}}) {
    if (std::isfinite(value) && std::isfinite(100 * value)) {
      EXPECT_EQ(text, FormatLabel(percent ? 100 * value : value) + (percent ? "%" : ""));
    } else {
      EXPECT_EQ(text, kNoValueText);
    }
  }
}

// A period label is "-" or a number that is not negative.
void ExpectPeriodText(const std::string& text) {
  if (text == kNoValueText) return;
  const ParsedNumber parsed = ParseLeadingNumber(text);
  EXPECT_TRUE(parsed.found && std::isfinite(parsed.value) && parsed.value >= 0) << text;
}

// ---------------------------------------------------------------------------------------------
// Every model box with every bad text.

struct Box {
  const char* name;  // for the test name
  std::string MainWindowInputs::*text;
  const char* option;  // quarvel-cli's option for the box
  const char* method;  // the method under which the box matters
};

const Box kBoxes[] = {
    {"A", &MainWindowInputs::txtAlphaCap, "--A", "euler"},
    {"Beta", &MainWindowInputs::txtBetaSmall, "--beta", "euler"},
    {"Gamma", &MainWindowInputs::txtGammaSmall, "--gamma", "euler"},
    {"N", &MainWindowInputs::txtNee, "--n", "euler"},
    {"Alpha", &MainWindowInputs::txtAlphaSmall, "--alpha", "euler"},
    {"C", &MainWindowInputs::txtCharlieSmall, "--c", "euler"},
    {"Fy", &MainWindowInputs::txtFy, "--Fy", "euler"},
    {"Uy", &MainWindowInputs::txtUy, "--Uy", "euler"},
    {"P", &MainWindowInputs::txtP, "--P", "euler"},
    {"ThresholdZ", &MainWindowInputs::txtThresholdZ, "--threshold-z", "euler"},
    {"Mass", &MainWindowInputs::txtMass, "--mass", "euler"},
    {"Eps", &MainWindowInputs::txtEps1, "--eps", "euler-doubling"},
    {"EulerSteps", &MainWindowInputs::txtSolutionEulerSteps, "--euler-steps", "euler"},
};

struct BadText {
  const char* name;
  const char* text;
};

const BadText kBadTexts[] = {
    {"Empty", ""},      {"Text", "abc"}, {"Overflow", "1e400"},    {"NegativeOverflow", "-1e400"},
    {"MinusOne", "-1"}, {"Zero", "0"},   {"NegativeHalf", "-0.5"}, {"Huge", "1e300"},
    {"Tiny", "1e-300"},
};

struct BadBoxCase {
  Box box;
  BadText bad;
};

std::vector<BadBoxCase> AllBadBoxCases() {
  std::vector<BadBoxCase> cases;
  for (const Box& box : kBoxes) {
    for (const BadText& bad : kBadTexts) cases.push_back({box, bad});
  }
  return cases;
}

void UseMethod(MainWindowInputs& inputs, const std::string& method) {
  inputs.optSolutionEuler = method == "euler";
  inputs.optSolutionEulerStepDoubling = method == "euler-doubling";
  inputs.optSolutionRK45 = method == "rk";
  inputs.optSolutionRKStepDoubling = method == "rk-doubling";
}

// Test names in ctest's listing: the row name, not the bytes of the row.
void PrintTo(const BadBoxCase& c, std::ostream* os) {
  *os << std::string(c.box.name) + "_" + c.bad.name;
}

class BadBoxTest : public testing::TestWithParam<BadBoxCase> {};

TEST_P(BadBoxTest, SolveFollowsTheFaultRules) {
  const BadBoxCase& c = GetParam();
  Workbench bench = TinyBench();
  UseMethod(bench.inputs, c.box.method);
  bench.inputs.*c.box.text = c.bad.text;
  CountingUserInterface ui;

  const auto start = std::chrono::steady_clock::now();
  const SolveOutcome outcome = SolveExperiments(bench, ui, true);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            kSolveSeconds);
  EXPECT_TRUE(outcome.solved);
  // No message but the reversal-weight fault, which the all-reversal rule may raise.
  for (const std::string& message : ui.messages) EXPECT_EQ(message, kMessageWeightFault);
  for (const Experiment& e : bench.experiments.Records()) ExpectFaultRulesHold(e);

  const PeriodLabelTexts periods = PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
  ExpectPeriodText(periods.elastic);
  ExpectPeriodText(periods.plastic);
}

TEST_P(BadBoxTest, StudyEndsWithLinesOrAMessage) {
  const BadBoxCase& c = GetParam();
  Workbench bench = TinyBench();
  UseMethod(bench.inputs, c.box.method);
  bench.inputs.*c.box.text = c.bad.text;
  bench.inputs.txtFrom = "1";
  bench.inputs.txtTo = "1.2";
  bench.inputs.txtStep = "0.1";
  // Sweep by rewriting another box than the bad one.
  const bool uyIsBad = c.box.text == &MainWindowInputs::txtUy;
  bench.inputs.optVaryPlasticPeriod = false;
  bench.inputs.optVaryElasticPeriod = true;
  bench.inputs.optChangeMass = false;
  bench.inputs.optChangeUy = !uyIsBad;
  bench.inputs.optChangeFy = uyIsBad;
  ScratchFolder folder;
  CountingUserInterface ui;

  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.Path().string(), "", 0.0, false);
  const std::string file = ReadWholeFile(folder / kDefaultStudyFileName);
  int lines = 0;
  for (std::size_t at = file.find("\r\n"); at != std::string::npos;
       at = file.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 2 + outcome.linesWritten);  // the title, the header and the result lines
  if (outcome.status == StudyStatus::Completed) {
    EXPECT_EQ(outcome.valuesSolved, 3);
    EXPECT_FALSE(outcome.Failed());
  } else {
    // Only a value the formulas cannot give may stop it, and it says so.
    EXPECT_EQ(outcome.status, StudyStatus::InvalidValue) << outcome.message;
    EXPECT_NE(outcome.message.find("The study stopped at the swept value"), std::string::npos);
  }
  if (outcome.valuesSolved > 0) {
    for (const Experiment& e : bench.experiments.Records()) ExpectFaultRulesHold(e);
  }
}

TEST_P(BadBoxTest, CommandLineSolvesAndStudies) {
  const BadBoxCase& c = GetParam();
  ScratchFolder folder;
  folder.Write("tiny.quarvel", TinyFile());
  const std::string common = "--load tiny.quarvel --method " + std::string(c.box.method) + " " +
                             c.box.option + " " + Quote(c.bad.text);

  const CliRun solve = RunCli(folder.Path(), "solve " + common);
  ASSERT_FALSE(solve.timedOut);
  EXPECT_EQ(solve.status, 0) << solve.err;
  for (const char* label :
       {"Absolute U :\t", "Relative Eh :\t", "T elastic :\t", "T plastic :\t"}) {
    const std::size_t at = solve.out.find(label);
    ASSERT_NE(at, std::string::npos) << label;
    const std::string text = solve.out.substr(at + std::strlen(label),
                                              solve.out.find('\n', at) - at - std::strlen(label));
    EXPECT_TRUE(text == kNoValueText || ParseLeadingNumber(text).found) << label << text;
  }

  const CliRun loop = RunCli(
      folder.Path(), "loop " + common + " --from 1 --to 1.2 --step 0.1 --vary elastic --by " +
                         (std::string(c.box.name) == "Uy" ? "fy" : "uy"));
  ASSERT_FALSE(loop.timedOut);
  if (loop.status == 0) {
    EXPECT_NE(loop.out.find("Study written to"), std::string::npos);
  } else {
    EXPECT_EQ(loop.status, 1) << loop.err;
    EXPECT_NE(loop.err.find("The study stopped at the swept value"), std::string::npos) << loop.err;
    EXPECT_EQ(loop.out.find("Study written to"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Boxes, BadBoxTest, testing::ValuesIn(AllBadBoxCases()),
                         [](const auto& info) {
                           return std::string(info.param.box.name) + "_" + info.param.bad.name;
                         });

// ---------------------------------------------------------------------------------------------
// Named consequences of single bad values, from the formulas by hand.

TEST(BadValueConsequences, NonFiniteResultsAreStoredAndLabelledAsHavingNoValue) {
  struct Row {
    const char* name;
    std::string MainWindowInputs::*box;
    const char* text;
    const char* elastic;  // period label texts; the mass box is -1: the records' mass 2.86
    const char* plastic;
    bool nonFiniteForce;  // some F of the original response is not finite
  };
  const Row rows[] = {
      // Uy 0: the post-yield stiffness a Fy / Uy is infinite; the periods are 2 pi sqrt(0).
      {"Uy zero", &MainWindowInputs::txtUy, "0", "0", "0", true},
      // Uy < 0: no real square root.
      {"Uy negative", &MainWindowInputs::txtUy, "-1", "-", "-", false},
      // Uy too large for a double reads as infinity: infinite periods have no value; the
      // spring has no stiffness and z no rate, so the responses stay finite.
      {"Uy overflow", &MainWindowInputs::txtUy, "1e400", "-", "-", false},
      // Fy <= 0: neither period exists.
      {"Fy zero", &MainWindowInputs::txtFy, "0", "-", "-", false},
      {"Fy text", &MainWindowInputs::txtFy, "abc", "-", "-", false},
      // a = 0: no plastic period; 2 pi sqrt(2.86 x 0.111 / 2.86) = 2.0933.
      {"alpha zero", &MainWindowInputs::txtAlphaSmall, "0", "2.093", "-", false},
      // An infinite mass: infinite periods.
      {"mass overflow", &MainWindowInputs::txtMass, "1e400", "-", "-", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Workbench bench = TinyBench();
    bench.inputs.*row.box = row.text;
    CountingUserInterface ui;
    ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
    const PeriodLabelTexts periods = PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
    EXPECT_EQ(periods.elastic, row.elastic);
    EXPECT_EQ(periods.plastic, row.plastic);
    bool nonFinite = false;
    for (const Experiment& e : bench.experiments.Records()) {
      for (const double f : e.original.F) nonFinite = nonFinite || !std::isfinite(f);
      ExpectFaultRulesHold(e);
    }
    EXPECT_EQ(nonFinite, row.nonFiniteForce);
  }
}

TEST(BadValueConsequences, SubStepTextsAreBroughtIntoRange) {
  // 0 gives 1, 500 gives 128, 2.5 gives 2, 3.5 gives 4, text gives 1, and a count beyond a
  // 32-bit integer keeps the previous count (1 here, from the first solve).
  const std::pair<const char*, int32_t> rows[] = {
      {"0", 1}, {"500", 128}, {"2.5", 2},   {"3.5", 4},    {"abc", 1},
      {"", 1},  {"-1", 1},    {"1e400", 1}, {"-1e400", 1}, {"3e9", 1},
  };
  for (const auto& [text, steps] : rows) {
    SCOPED_TRACE(text);
    Workbench bench = TinyBench();
    CountingUserInterface ui;
    ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
    bench.inputs.txtSolutionEulerSteps = text;
    ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
    EXPECT_EQ(bench.parameters.eulerSteps, steps);
  }
}

// ---------------------------------------------------------------------------------------------
// The time step of a record, bad in the file.

TEST(BadTimeStep, SolveFollowsTheFaultRules) {
  for (const char* text : {"", "abc", "0", "-0.02", "1e-300", "1e300", "-1e300"}) {
    SCOPED_TRACE(text);
    Workbench bench = TinyBench();
    for (Experiment& e : bench.experiments.Records()) e.timeStep = Val(text);
    CountingUserInterface ui;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SolveExperiments(bench, ui, true).solved);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              kSolveSeconds);
    for (const Experiment& e : bench.experiments.Records()) ExpectFaultRulesHold(e);

    ScratchFolder folder;
    std::string file = TinyFile();
    for (std::size_t at = file.find("\n0.02\n"); at != std::string::npos;
         at = file.find("\n0.02\n")) {
      file.replace(at, 6, "\n" + std::string(text) + "\n");
    }
    for (std::size_t at = file.find("\n0.05\n"); at != std::string::npos;
         at = file.find("\n0.05\n")) {
      file.replace(at, 6, "\n" + std::string(text) + "\n");
    }
    folder.Write("tiny.quarvel", file);
    const CliRun run = RunCli(folder.Path(), "solve --method euler --load tiny.quarvel");
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 0) << run.err;
  }
}

// ---------------------------------------------------------------------------------------------
// The study range boxes.

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
  // Elastic period by Fy: Fy = Uy m / (x / 2 / pi)^2, infinite at x = 0.
  bench.inputs.optVaryPlasticPeriod = false;
  bench.inputs.optVaryElasticPeriod = true;
  bench.inputs.optChangeMass = false;
  bench.inputs.optChangeFy = true;
  ScratchFolder folder;
  CountingUserInterface ui;
  const StudyOutcome outcome = RunParametricLoop(bench, ui, folder.Path().string(), "", 0.0, false);
  EXPECT_EQ(outcome.status, c.status) << outcome.message;
  EXPECT_EQ(outcome.valuesSolved, c.values);
  EXPECT_EQ(outcome.Failed(),
            c.status == StudyStatus::InvalidValue || c.status == StudyStatus::RangeTooLarge);
  EXPECT_EQ(fs::exists(folder / kDefaultStudyFileName),
            c.status == StudyStatus::Completed || c.status == StudyStatus::InvalidValue);

  folder.Write("tiny.quarvel", TinyFile());
  const CliRun run =
      RunCli(folder.Path(),
             "loop --load tiny.quarvel --method euler --vary elastic --by fy"
             " --from " +
                 Quote(c.from) + " --to " + Quote(c.to) + " --step " + Quote(c.step));
  ASSERT_FALSE(run.timedOut);
  const int expected = c.status == StudyStatus::Completed     ? 0
                       : c.status == StudyStatus::NothingToDo ? 2
                                                              : 1;
  EXPECT_EQ(run.status, expected) << run.err;
  EXPECT_EQ(run.out.find("Study written to") != std::string::npos, expected == 0) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Ranges, RangeTest, testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The sinusoid dialog's boxes, through quarvel-cli's --sine.

TEST(BadSinusoidTexts, RefusedWithAReasonOrSolved) {
  struct Row {
    const char* texts;  // mass, amplitude, period, cycles, time step
    bool solves;
  };
  const Row rows[] = {
      {",,,,", false},
      {"abc,abc,abc,abc,abc", false},
      {"1,1,0,1,0.02", false},       // no period
      {"1,1,1,1,0", false},          // no time step
      {"1,1,-1,1,0.02", false},      // negative period
      {"1,1,1,-1,0.02", false},      // no sample
      {"1,1,1,1e400,0.02", false},   // infinitely many samples
      {"1,1,1,1,1e-300", false},     // too many samples
      {"1,1,1e400,1,0.02", false},   // infinite period
      {"1e400,0.1,1,1,0.02", true},  // infinite mass: solved, labels "-"
      {"1,1e400,1,1,0.02", true},    // infinite amplitude: non-finite samples
      {"-1,0.1,1,1,0.02", true},     // negative mass
      {"0,0,1,1,0.02", true},        // nothing moves
      {"1,0.1,1,0,0.02", true},      // zero cycles: one sample
  };
  ScratchFolder folder;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.texts);
    const CliRun run = RunCli(
        folder.Path(), std::string("solve --method euler --mass -1 --sine ") + Quote(row.texts));
    ASSERT_FALSE(run.timedOut);
    if (row.solves) {
      EXPECT_EQ(run.status, 0) << run.err;
    } else {
      EXPECT_EQ(run.status, 1) << run.err;
      EXPECT_EQ(run.err.rfind("--sine", 0), 0u) << run.err;
    }
  }
}

}  // namespace
}  // namespace quarvel::reliability
