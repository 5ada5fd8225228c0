#include "studies/parametric_loop.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "io/file_writer.h"
#include "solve/solve_experiments.h"
#include "special/pi.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

// The text box a mode rewrites, with the name used in messages; nullptr for None.
struct RewrittenInput {
  std::string MainWindowInputs::*text = nullptr;
  const char* name = "";
};

RewrittenInput InputOf(StudyMode mode) {
  switch (mode) {
    case StudyMode::MassByMass:
    case StudyMode::ElasticPeriodByMass:
    case StudyMode::PlasticPeriodByMass:
      return {&MainWindowInputs::txtMass, "mass"};
    case StudyMode::ElasticPeriodByFy:
    case StudyMode::PlasticPeriodByFy:
      return {&MainWindowInputs::txtFy, "Fy"};
    case StudyMode::ElasticPeriodByUy:
    case StudyMode::PlasticPeriodByUy:
      return {&MainWindowInputs::txtUy, "Uy"};
    case StudyMode::None:
      break;
  }
  return {};
}

void SelectVary(MainWindowInputs& inputs, StudyOption option) {
  inputs.optVaryMass = option == StudyOption::VaryMass;
  inputs.optVaryElasticPeriod = option == StudyOption::VaryElasticPeriod;
  inputs.optVaryPlasticPeriod = option == StudyOption::VaryPlasticPeriod;
}

void SelectChange(MainWindowInputs& inputs, StudyOption option) {
  inputs.optChangeMass = option == StudyOption::ChangeMass;
  inputs.optChangeFy = option == StudyOption::ChangeFy;
  inputs.optChangeUy = option == StudyOption::ChangeUy;
}

// Running extremes at index i: the Pos arrays keep maxima, the Neg arrays minima (both start
// at 0, so a Pos entry never drops below 0 and a Neg entry never rises above it).
void UpdateEnvelopes(Envelopes& envelopes, int32_t i, double relErrorU, double relErrorEh) {
  const auto k = static_cast<std::size_t>(i);
  if (k >= envelopes.uPos.size() || k >= envelopes.uNeg.size() ||
      k >= envelopes.ehPos.size() || k >= envelopes.ehNeg.size()) {
    return;
  }
  if (relErrorU > envelopes.uPos[k]) envelopes.uPos[k] = relErrorU;
  if (relErrorU < envelopes.uNeg[k]) envelopes.uNeg[k] = relErrorU;
  if (relErrorEh > envelopes.ehPos[k]) envelopes.ehPos[k] = relErrorEh;
  if (relErrorEh < envelopes.ehNeg[k]) envelopes.ehNeg[k] = relErrorEh;
}

std::string StoppedAt(double x) {
  return "The study stopped at the swept value " + detail::StudyNumber(x) + ": ";
}

}  // namespace

std::string StudyOutcome::Describe() const {
  if (file) return message;
  return message.empty() ? file.Describe() : message + "\n" + file.Describe();
}

StudyMode SelectStudyMode(const MainWindowInputs& in) {
  if (in.optVaryMass) return in.optChangeMass ? StudyMode::MassByMass : StudyMode::None;
  if (in.optVaryElasticPeriod) {
    if (in.optChangeMass) return StudyMode::ElasticPeriodByMass;
    if (in.optChangeFy) return StudyMode::ElasticPeriodByFy;
    if (in.optChangeUy) return StudyMode::ElasticPeriodByUy;
    return StudyMode::None;
  }
  if (in.optVaryPlasticPeriod) {
    if (in.optChangeMass) return StudyMode::PlasticPeriodByMass;
    if (in.optChangeFy) return StudyMode::PlasticPeriodByFy;
    if (in.optChangeUy) return StudyMode::PlasticPeriodByUy;
  }
  return StudyMode::None;
}

std::string_view StudyTitle(StudyMode mode) {
  switch (mode) {
    case StudyMode::MassByMass: return "Varying mass by changing mass";
    case StudyMode::ElasticPeriodByMass: return "Varying elastic period by changing mass";
    case StudyMode::ElasticPeriodByFy: return "Varying elastic period by changing Fy";
    case StudyMode::ElasticPeriodByUy: return "Varying elastic period by changing Uy";
    case StudyMode::PlasticPeriodByMass: return "Varying plastic period by changing mass";
    case StudyMode::PlasticPeriodByFy: return "Varying plastic period by changing Fy";
    case StudyMode::PlasticPeriodByUy: return "Varying plastic period by changing Uy";
    case StudyMode::None: break;
  }
  return {};
}

void ClickStudyOption(MainWindowInputs& inputs, StudyOption clicked) {
  switch (clicked) {
    case StudyOption::VaryMass:
      SelectVary(inputs, clicked);
      SelectChange(inputs, StudyOption::ChangeMass);
      break;
    case StudyOption::VaryElasticPeriod:
    case StudyOption::VaryPlasticPeriod:
      SelectVary(inputs, clicked);
      break;
    case StudyOption::ChangeMass:
    case StudyOption::ChangeFy:
    case StudyOption::ChangeUy:
      SelectChange(inputs, inputs.optVaryMass ? StudyOption::ChangeMass : clicked);
      break;
  }
}

namespace detail {

StudyRange ReadStudyRange(const MainWindowInputs& inputs) {
  StudyRange range;
  range.from = Val(inputs.txtFrom);
  range.to = Val(inputs.txtTo);
  range.step = Val(inputs.txtStep);
  if (range.step <= 0 || range.from > range.to) {
    range.refusal = StudyStatus::NothingToDo;
    return range;
  }
  const double n = RoundHalfEven((range.to - range.from) / range.step);
  // n >= 0 here unless it is not a number (infinite ends of the range).
  if (!(n >= 0 && n < kMaxStudyValues)) {
    range.refusal = StudyStatus::RangeTooLarge;
    range.message = "The study range from " + FormatDefault(range.from) + " to " +
                    FormatDefault(range.to) + " in steps of " + FormatDefault(range.step) +
                    " holds more than " + std::to_string(kMaxStudyValues) +
                    " values or is not finite.";
    return range;
  }
  range.lastIndex = static_cast<int32_t>(n);
  return range;
}

double RewrittenValue(StudyMode mode, double x, double m, double fy, double uy, double a) {
  // (x / 2 / pi)^2 in that order: x divided by 2, then by pi, then squared. t * t is the
  // correctly rounded square; pow(t, 2.0) is not always (and the compiler may or may not
  // replace it by t * t).
  const double t = x / 2.0 / kPi;
  const double square = t * t;
  switch (mode) {
    case StudyMode::ElasticPeriodByMass: return square * fy / uy;
    case StudyMode::ElasticPeriodByFy: return uy * m / square;
    case StudyMode::ElasticPeriodByUy: return square * fy / m;
    case StudyMode::PlasticPeriodByMass: return square * (a * fy) / uy;
    case StudyMode::PlasticPeriodByFy: return uy * m / square / a;
    case StudyMode::PlasticPeriodByUy: return square * (a * fy) / m;
    case StudyMode::MassByMass:
    case StudyMode::None: break;
  }
  return x;
}

std::string StudyNumber(double value) { return FormatDefault(RoundToDecimals(value, 6)); }

std::string StudyFilePath(const std::string& folder, const std::string& outputName) {
  return (std::filesystem::path(folder) /
          (outputName.empty() ? kDefaultStudyFileName : outputName))
      .string();
}

std::vector<std::string_view> StudyHead(StudyMode mode) {
  std::vector<std::string_view> head;
  if (const std::string_view title = StudyTitle(mode); !title.empty()) head.push_back(title);
  head.push_back(kStudyHeader);
  return head;
}

std::string StudyLine(double x, const ExperimentResults& r) {
  std::string line = StudyNumber(x);
  for (const double value : {r.originalPeakU, r.modifiedPeakU, r.absErrorU, r.relErrorU,
                             r.originalPeakEh, r.modifiedPeakEh, r.absErrorEh, r.relErrorEh}) {
    line += '\t';
    line += StudyNumber(value);
  }
  return line;
}

}  // namespace detail

namespace detail {

StudyStart ReadStudyStart(const Workbench& bench) {
  StudyStart start;
  const Experiment* selected = bench.CurrentExperiment();
  // The quantities the formulas use are those of the start; only Uy is read again per value,
  // for the threshold filter.
  start.m = Val(bench.inputs.txtMass);
  if (start.m <= 0 && selected != nullptr) start.m = selected->mass;
  start.fy = Val(bench.inputs.txtFy);
  start.uy = Val(bench.inputs.txtUy);
  start.a = Val(bench.inputs.txtAlphaSmall);
  start.range = ReadStudyRange(bench.inputs);
  start.mode = SelectStudyMode(bench.inputs);
  const RewrittenInput input = InputOf(start.mode);
  start.input = input.text;
  start.inputName = input.name;
  return start;
}

StudyValue SolveStudyValue(Workbench& bench, UserInterface& ui, const StudyStart& start,
                           int32_t i, double threshold, StudySolve solve) {
  StudyValue value;
  const double x = start.range.X(i);
  value.x = x;
  if (start.input != nullptr) {
    const double rewritten = RewrittenValue(start.mode, x, start.m, start.fy, start.uy, start.a);
    if (!std::isfinite(rewritten)) {
      value.kind = StudyValue::Kind::InvalidValue;
      value.message = StoppedAt(x) + "the computed " + start.inputName + " is " +
                      FormatDefault(rewritten) + ".";
      return value;
    }
    bench.inputs.*start.input = FormatDefault(RoundToDecimals(rewritten, 6));
  }
  ui.ShowStudyValue(i, start.range.lastIndex + 1, x);

  const SolveOutcome solved = solve == StudySolve::SelectedExperiment
                                  ? SolveSelectedExperiment(bench, ui, true)
                                  : SolveExperiments(bench, ui, true);
  ui.ProcessEvents();
  const ExperimentResults* results = bench.CurrentResults();
  if (!solved.solved || results == nullptr) {
    // The solve has shown its message; the results left in the bench are not those of
    // this value, and every further value would show the message again.
    value.kind = StudyValue::Kind::SolveRefused;
    value.message = StoppedAt(x) + "the experiments could not be solved.";
    return value;
  }

  const double limit = threshold * Val(bench.inputs.txtUy);  // the new Uy when it is swept
  const bool belowThreshold =
      limit >= results->originalPeakU && limit >= results->modifiedPeakU;
  value.kind = belowThreshold ? StudyValue::Kind::Filtered : StudyValue::Kind::Line;
  if (!belowThreshold) value.line = StudyLine(x, *results);
  value.relErrorU = results->relErrorU;
  value.relErrorEh = results->relErrorEh;
  return value;
}

std::optional<StudyStart> StartParametricStudy(const Workbench& bench, StudyOutcome& outcome) {
  if (bench.CurrentExperiment() == nullptr) {
    outcome.status = StudyStatus::NoExperiments;
    return std::nullopt;
  }
  StudyStart start = ReadStudyStart(bench);
  if (!start.range.Valid()) {
    outcome.status = start.range.refusal;
    outcome.message = start.range.message;
    return std::nullopt;
  }
  return start;
}

bool CommitStudyValue(int32_t i, const StudyValue& value, std::string_view linePrefix,
                      bool updateEnvelopes, TextFileWriter& writer, Envelopes& envelopes,
                      StudyOutcome& outcome) {
  if (value.kind == StudyValue::Kind::InvalidValue || value.kind == StudyValue::Kind::SolveRefused) {
    outcome.status = value.kind == StudyValue::Kind::InvalidValue ? StudyStatus::InvalidValue
                                                                   : StudyStatus::SolveRefused;
    outcome.message = value.message;
    return false;
  }
  ++outcome.valuesSolved;
  if (value.kind == StudyValue::Kind::Line) {
    writer.WriteLine(std::string(linePrefix) + value.line);
    if (writer.Failed()) return false;
    ++outcome.linesWritten;
    if (updateEnvelopes) UpdateEnvelopes(envelopes, i, value.relErrorU, value.relErrorEh);
  }
  return true;
}

void CloseStudyFile(TextFileWriter& writer, StudyOutcome& outcome) {
  outcome.file = writer.Close();
  // What was written stays in the file; the study is not reported as saved.
  if (!outcome.file) outcome.status = StudyStatus::WriteFailed;
}

}  // namespace detail

StudyOutcome RunParametricLoop(Workbench& bench, UserInterface& ui, const std::string& folder,
                               const std::string& outputName, double threshold,
                               bool updateEnvelopes, const StudyProgressObserver& progress) {
  StudyOutcome outcome;
  const std::optional<detail::StudyStart> start = detail::StartParametricStudy(bench, outcome);
  if (!start) return outcome;

  const std::string path = detail::StudyFilePath(folder, outputName);
  TextFileWriter writer;
  if (!writer.Open(path)) {
    outcome.status = StudyStatus::WriteFailed;
    outcome.file = writer.Result();
    return outcome;
  }
  outcome.filePath = path;
  for (const std::string_view line : detail::StudyHead(start->mode)) writer.WriteLine(line);

  outcome.status = StudyStatus::Completed;
  bench.loopAbortRequested = false;
  const int32_t count = start->range.lastIndex + 1;
  for (int32_t i = 0; i < count && !writer.Failed(); ++i) {
    const detail::StudyValue value = detail::SolveStudyValue(bench, ui, *start, i, threshold);
    if (!detail::CommitStudyValue(i, value, "", updateEnvelopes, writer, bench.envelopes,
                                  outcome)) {
      break;
    }
    if (progress) progress(StudyProgress{i, count, value.x});
    if (bench.loopAbortRequested) {
      outcome.status = StudyStatus::Aborted;
      break;
    }
  }
  detail::CloseStudyFile(writer, outcome);
  return outcome;
}

StudyOutcome RunLoopCommand(Workbench& bench, UserInterface& ui, const std::string& folder,
                            const StudyProgressObserver& progress) {
  if (bench.CurrentExperiment() == nullptr) {
    ui.ShowMessage(kMessageNoExperiments, MessageIcon::Exclamation);
    StudyOutcome outcome;
    outcome.status = StudyStatus::NoExperiments;
    return outcome;
  }
  return RunParametricLoop(bench, ui, folder, std::string(), 0.0, false, progress);
}

}  // namespace quarvel
