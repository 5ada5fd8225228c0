#include "studies/parametric_loop.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/file_writer.h"
#include "solve/solve_experiments.h"
#include "special/pi.h"
#include "studies/study_detail.h"
#include "studies/study_shards.h"
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

std::string StoppedAt(double x) {
  return "The study stopped at the swept value " + StudyNumber(x) + ": ";
}

}  // namespace

StudyPeaks StudyPeaks::Of(const ExperimentResults& r) {
  return {r.originalPeakU,  r.modifiedPeakU,  r.absErrorU,  r.relErrorU,
          r.originalPeakEh, r.modifiedPeakEh, r.absErrorEh, r.relErrorEh};
}

std::array<double, 8> StudyPeaks::Values() const {
  return {originalPeakU,  modifiedPeakU,  absErrorU,  relErrorU,
          originalPeakEh, modifiedPeakEh, absErrorEh, relErrorEh};
}

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

std::string StudyNumber(double value) { return FormatDefault(RoundToDecimals(value, 6)); }

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
  for (const double value : StudyPeaks::Of(r).Values()) {
    line += '\t';
    line += StudyNumber(value);
  }
  return line;
}

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

std::string StudyStart::RewrittenText(int32_t i) const {
  return FormatDefault(RoundToDecimals(RewrittenValue(mode, range.X(i), m, fy, uy, a), 6));
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
    bench.inputs.*start.input = start.RewrittenText(i);
  }
  ui.ShowStudyValue(i, start.range.lastIndex + 1, x);

  const SolveOutcome solved = solve == StudySolve::SelectedExperiment
                                  ? SolveSelectedExperiment(bench, ui, true)
                                  : SolveExperiments(bench, ui, true);
  if (solved.cancelled) {
    value.kind = StudyValue::Kind::Cancelled;
    return value;
  }
  ui.ProcessEvents();
  value.weightFaults = solved.weightFaults;
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
  value.peaks = StudyPeaks::Of(*results);
  value.fault = EarlierFault(results->originalFault, results->modifiedFault);
  return value;
}

}  // namespace detail

namespace {

// The checks before a parametric study: an experiment selected and a range that can be swept.
// nullopt, with outcome.status (and outcome.message) saying why, when the study cannot run.
std::optional<detail::StudyStart> StartParametricStudy(const Workbench& bench,
                                                       StudyOutcome& outcome) {
  if (bench.CurrentExperiment() == nullptr) {
    outcome.status = StudyStatus::NoExperiments;
    return std::nullopt;
  }
  detail::StudyStart start = detail::ReadStudyStart(bench);
  if (!start.range.Valid()) {
    outcome.status = start.range.refusal;
    outcome.message = start.range.message;
    return std::nullopt;
  }
  return start;
}

// Takes swept value i into the study: an invalid value or a refused solve stops the study with
// the value's message; otherwise the value counts (with its faults), and its line is written
// and enters the envelopes at index i. False when the study stops here (also when the line
// could not be written).
bool CommitStudyValue(int32_t i, const detail::StudyValue& value, const StudyFileLayout& layout,
                      Envelopes* envelopes, FileWriter& writer, StudyOutcome& outcome) {
  using Kind = detail::StudyValue::Kind;
  if (value.kind == Kind::Cancelled) {
    outcome.status = StudyStatus::Aborted;
    return false;
  }
  if (value.kind == Kind::InvalidValue || value.kind == Kind::SolveRefused) {
    outcome.status = value.kind == Kind::InvalidValue ? StudyStatus::InvalidValue
                                                      : StudyStatus::SolveRefused;
    outcome.message = value.message;
    return false;
  }
  ++outcome.valuesSolved;
  if (value.weightFaults > 0) outcome.faultedValues.push_back({i, value.x, value.weightFaults});
  if (value.fault.Any()) ++outcome.valuesWithRunFault;
  if (value.kind == Kind::Line) {
    // Each committed line reaches the file at once: a study killed outright keeps its values,
    // and its progress can be followed in the file.
    writer.WriteLine(layout.Line(i, value.line));
    writer.Flush();
    if (writer.Failed()) return false;
    ++outcome.linesWritten;
    if (envelopes != nullptr) {
      envelopes->Widen(static_cast<std::size_t>(i), value.peaks.relErrorU, value.peaks.relErrorU,
                       value.peaks.relErrorEh, value.peaks.relErrorEh);
    }
  }
  return true;
}

// Closes the study file. A fault makes the study WriteFailed with the file's fault beside any
// message the study already had; what was written stays in the file.
void CloseStudyFile(FileWriter& writer, StudyOutcome& outcome) {
  outcome.file = writer.Close();
  if (!outcome.file) outcome.status = StudyStatus::WriteFailed;
}

// A user interface for values solved away from the caller's thread: remembers the messages to
// show them later, in value order, on the real one; everything else has no meaning there.
class MessageRecorder : public UserInterface {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  void ProcessEvents() override {}
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {}

  std::vector<std::pair<std::string, MessageIcon>> messages;
};

struct SolvedValue {
  detail::StudyValue value;
  std::vector<std::pair<std::string, MessageIcon>> messages;  // still to be shown
};

// Where one thread solves its values: the caller's bench and interface, or a copy of the bench
// as it stood at the start with a recorder that keeps the messages for the caller.
class StudyWorker {
 public:
  StudyWorker(Workbench& bench, UserInterface& ui) : bench_(&bench), ui_(&ui) {}
  explicit StudyWorker(const Workbench& snapshot)
      : copy_(std::make_unique<Workbench>(snapshot)),
        recorder_(std::make_unique<MessageRecorder>()),
        bench_(copy_.get()),
        ui_(recorder_.get()) {}

  SolvedValue Solve(const detail::StudyStart& start, int32_t i, double threshold,
                    StudySolve solve) {
    SolvedValue solved{detail::SolveStudyValue(*bench_, *ui_, start, i, threshold, solve), {}};
    if (recorder_) solved.messages = std::exchange(recorder_->messages, {});
    return solved;
  }

 private:
  std::unique_ptr<Workbench> copy_;
  std::unique_ptr<MessageRecorder> recorder_;
  Workbench* bench_;
  UserInterface* ui_;
};

// A copy of the bench for the workers: inputs, selection, settings and the experiments'
// records, without the results (every value solves afresh, and a response of a long record
// weighs hundreds of megabytes).
Workbench WithoutResults(Workbench& bench) {
  ResultSet held = std::move(bench.results);
  bench.results = ResultSet{};
  Workbench copy = bench;
  bench.results = std::move(held);
  return copy;
}

}  // namespace

StudyOutcome RunParametricLoop(Workbench& bench, UserInterface& ui, const StopToken& stop,
                               const StudyRequest& request, const StudyWork& work) {
  StudyOutcome outcome;
  const std::optional<detail::StudyStart> started = StartParametricStudy(bench, outcome);
  if (!started) return outcome;
  const detail::StudyStart& start = *started;
  const int32_t count = start.range.lastIndex + 1;
  std::vector<int32_t> indices;  // the values of this run (of its shard)
  for (int32_t i = work.shard - 1; i < count; i += work.shardCount) indices.push_back(i);

  const StudyFileLayout layout(work, count, request.folder, request.outputName);
  FileWriter writer;
  if (!writer.Open(layout.Path())) {
    outcome.status = StudyStatus::WriteFailed;
    outcome.file = writer.Result();
    return outcome;
  }
  outcome.filePath = layout.Path();
  for (const std::string& line : layout.Head(start.mode)) writer.WriteLine(line);
  if (writer.Failed()) indices.clear();  // no value is solved for a file that takes no line

  outcome.status = StudyStatus::Completed;
  int32_t stoppedAt = -1;
  int32_t lastRewritten = -1;  // the last value whose input was rewritten
  const bool sideBySide = work.SideBySide();
  const std::optional<Workbench> snapshot =
      sideBySide ? std::optional<Workbench>(WithoutResults(bench)) : std::nullopt;
  SolveInOrder(
      work.pool, static_cast<int32_t>(indices.size()),
      sideBySide ? static_cast<int32_t>(work.pool->ThreadCount()) : 1,
      [&] { return snapshot ? StudyWorker(*snapshot) : StudyWorker(bench, ui); },
      [&](StudyWorker& worker, int32_t k) {
        return worker.Solve(start, indices[static_cast<std::size_t>(k)], request.threshold,
                            work.solve);
      },
      [&](int32_t k, SolvedValue& solved) {
        const int32_t i = indices[static_cast<std::size_t>(k)];
        for (const auto& [text, icon] : solved.messages) ui.ShowMessage(text, icon);
        using Kind = detail::StudyValue::Kind;
        if (solved.value.kind != Kind::InvalidValue && solved.value.kind != Kind::Cancelled) {
          lastRewritten = i;
        }
        if (!CommitStudyValue(i, solved.value, layout, request.envelopes, writer, outcome)) {
          if (!writer.Failed()) stoppedAt = i;
          return AfterCommit::Stop;
        }
        if (request.onValue) {
          request.onValue(StudyValueResult{
              i, solved.value.x, start.input != nullptr ? start.RewrittenText(i) : std::string(),
              solved.value.kind == detail::StudyValue::Kind::Filtered, solved.value.peaks,
              solved.value.fault});
        }
        if (request.progress) request.progress(StudyProgress{i, count, solved.value.x});
        if (sideBySide) ui.ProcessEvents();  // once per value on this thread too
        if (stop.StudyStopRequested()) {
          outcome.status = StudyStatus::Aborted;
          return AfterCommit::FinishStarted;
        }
        return AfterCommit::GoOn;
      });

  // The rewritten input keeps the last value (values solved on copies rewrote theirs).
  if (lastRewritten >= 0 && start.input != nullptr) {
    bench.inputs.*start.input = start.RewrittenText(lastRewritten);
  }
  if (!writer.Failed()) {
    if (const std::optional<std::string> end = layout.End(outcome, stoppedAt)) {
      writer.WriteLine(*end);
    }
  }
  CloseStudyFile(writer, outcome);
  return outcome;
}

StudyOutcome RunLoopCommand(Workbench& bench, UserInterface& ui, const StopToken& stop,
                            const std::string& folder, const StudyProgressObserver& progress) {
  if (bench.CurrentExperiment() == nullptr) {
    ui.ShowMessage(kMessageNoExperiments, MessageIcon::Exclamation);
    StudyOutcome outcome;
    outcome.status = StudyStatus::NoExperiments;
    return outcome;
  }
  StudyRequest request;
  request.folder = folder;
  request.progress = progress;
  return RunParametricLoop(bench, ui, stop, request);
}

}  // namespace quarvel
