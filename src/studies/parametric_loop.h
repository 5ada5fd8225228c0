#pragma once
// Parametric studies: sweep the mass, the elastic period or the plastic period over a range by
// rewriting one of the window's inputs (mass, Fy or Uy), re-solve both models at every value
// and write one tab-separated line of results per value (CR LF line ends).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"
#include "io/file_writer.h"
#include "solve/main_window_inputs.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace quarvel {

// What a study sweeps and which input it rewrites to do so.
enum class StudyMode {
  None,                 // no title line, nothing rewritten (no option, or Mass with Fy or Uy)
  MassByMass,           // txtMass = x
  ElasticPeriodByMass,  // txtMass = (x / 2 / pi)^2 * Fy / Uy
  ElasticPeriodByFy,    // txtFy = Uy * m / (x / 2 / pi)^2
  ElasticPeriodByUy,    // txtUy = (x / 2 / pi)^2 * Fy / m
  PlasticPeriodByMass,  // txtMass = (x / 2 / pi)^2 * (a * Fy) / Uy
  PlasticPeriodByFy,    // txtFy = Uy * m / (x / 2 / pi)^2 / a
  PlasticPeriodByUy,    // txtUy = (x / 2 / pi)^2 * (a * Fy) / m
};

// The mode chosen by the "Vary :" and "By changing :" options. Should several options of a
// group be set, the first in the order Mass, Elastic, Plastic / Mass, Fy, Uy counts.
StudyMode SelectStudyMode(const MainWindowInputs& inputs);

// Title line of a study file ("Varying plastic period by changing mass"); empty for None.
std::string_view StudyTitle(StudyMode mode);

// The option buttons of the two groups.
enum class StudyOption { VaryMass, VaryElasticPeriod, VaryPlasticPeriod, ChangeMass, ChangeFy, ChangeUy };

// A click on one option: selects it alone in its group, then applies the groups' rule: varying
// the mass is only done by changing the mass, so Vary Mass selects Change Mass, and Change Fy or
// Change Uy while Vary Mass is selected goes back to Change Mass.
void ClickStudyOption(MainWindowInputs& inputs, StudyOption clicked);

inline constexpr const char* kDefaultStudyFileName = "lresults.out";
inline constexpr const char* kStudyHeader =
    "Varying Qty\tOrig Peak U\tMod Peak U\tAbs Peak U Err\tRel Peak U Err\t"
    "Orig Peak Eh\tMod Peak Eh\tAbs Peak Eh Err\tRel Peak Eh Err";

// Most values one study may sweep; a range beyond it is refused before anything is written.
inline constexpr int32_t kMaxStudyValues = 1'000'000;

enum class StudyStatus {
  Completed,      // every value of the range was solved
  Aborted,        // loopAbortRequested ended the study after a value
  NothingToDo,    // step <= 0 or from > to: nothing written, nothing to show
  NoExperiments,  // no selected experiment: nothing written
  RangeTooLarge,  // the range holds more than kMaxStudyValues values (or is not finite)
  WriteFailed,    // the study file could not be created or written completely
  InvalidValue,   // a rewritten input came out infinite or not a number
  SolveRefused,   // the solve showed a message and solved nothing (weights adding up to 0)
};

struct StudyOutcome {
  StudyStatus status = StudyStatus::NothingToDo;
  // Why the study could not run or stopped early, ready for a message box or stderr: a range
  // too large, an invalid rewritten input, a refused solve. Empty when nothing went wrong, and
  // for NoExperiments (the Loop command has already shown its message).
  std::string message;
  FileResult file;           // the study file: done, or why it could not be written completely
  std::string filePath;      // the study file, once it was created
  int32_t valuesSolved = 0;  // swept values whose solve ran
  int32_t linesWritten = 0;  // result lines written (values that passed the threshold filter)

  // True when there is something to tell: the message, a file fault, or both.
  bool Failed() const { return !message.empty() || !file; }
  // The message, then the file fault ("<file>: <reason>") on a line of its own.
  std::string Describe() const;
};

// Progress after each swept value: value `index` (0-based) of `count`, at swept value x.
struct StudyProgress {
  int32_t index = 0;
  int32_t count = 0;
  double x = 0.0;
};
using StudyProgressObserver = std::function<void(const StudyProgress&)>;

// Runs one study over the current experiment set. Reads m (the mass text, or the selected
// experiment's mass when that is <= 0), Fy, Uy, a and the range from bench.inputs; writes
// `folder`/`outputName` (kDefaultStudyFileName when empty) afresh with the mode's title line,
// the header and one line per value whose peaks are not both at or below threshold * Uy.
// Every number is rounded to 6 decimals. Per value: rewrites the mode's input (6 decimals),
// solves with the display update, lets events run once, then writes the line and, with
// updateEnvelopes, updates bench.envelopes at the value's index. Escape (loopAbortRequested,
// cleared at the start) ends it after the current value. The rewritten input keeps the last
// value. A file fault or an input computed as infinite or not a number ends the study there,
// keeping the lines written so far.
StudyOutcome RunParametricLoop(Workbench& bench, UserInterface& ui, const std::string& folder,
                               const std::string& outputName, double threshold,
                               bool updateEnvelopes, const StudyProgressObserver& progress = {});

// The Loop command: with no experiments shows kMessageNoExperiments (exclamation) and returns
// NoExperiments; otherwise the study into the default file, threshold 0, no envelopes.
StudyOutcome RunLoopCommand(Workbench& bench, UserInterface& ui, const std::string& folder,
                            const StudyProgressObserver& progress = {});

namespace detail {

// The range of a study read from txtFrom, txtTo and txtStep: values x_i = i * step + from for
// i = 0..lastIndex, lastIndex = round-half-even((to - from) / step).
struct StudyRange {
  double from = 0.0;
  double to = 0.0;
  double step = 0.0;
  int32_t lastIndex = -1;
  // Completed when the range can be swept; NothingToDo (step <= 0 or from > to) or
  // RangeTooLarge (with `message`) otherwise.
  StudyStatus refusal = StudyStatus::Completed;
  std::string message;

  bool Valid() const { return refusal == StudyStatus::Completed; }
  double X(int32_t i) const { return static_cast<double>(i) * step + from; }
};

StudyRange ReadStudyRange(const MainWindowInputs& inputs);

// The value the mode writes into its input for swept value x (not yet rounded); x itself for
// MassByMass and None.
double RewrittenValue(StudyMode mode, double x, double m, double fy, double uy, double a);

// One result line: x and the eight results of `results`, each rounded to 6 decimals, in the
// default number form ("inf", "-inf", "nan" for non-finite values), TAB-separated.
std::string StudyLine(double x, const ExperimentResults& results);

// A number as the study files write it: rounded to 6 decimals, default form.
std::string StudyNumber(double value);

// `folder`/`outputName`, or `folder`/kDefaultStudyFileName when the name is empty.
std::string StudyFilePath(const std::string& folder, const std::string& outputName);

// The lines a study file starts with: the mode's title line (if any) and the header.
std::vector<std::string_view> StudyHead(StudyMode mode);

// What a study reads once, when it starts: m (the mass text, or the selected experiment's mass
// when that is <= 0), Fy, Uy, a, the range, the mode and the input it rewrites.
struct StudyStart {
  double m = 0.0;
  double fy = 0.0;
  double uy = 0.0;
  double a = 0.0;
  StudyRange range;
  StudyMode mode = StudyMode::None;
  std::string MainWindowInputs::*input = nullptr;  // nullptr for None
  const char* inputName = "";
};

StudyStart ReadStudyStart(const Workbench& bench);

// How each swept value is solved: the whole set, as the window does, or only the selected
// experiment (a study line and the envelopes read nothing else).
enum class StudySolve { AllExperiments, SelectedExperiment };

// One swept value as a study does it.
struct StudyValue {
  enum class Kind {
    Line,          // `line` is to be written
    Filtered,      // both peaks at or below the threshold: no line
    InvalidValue,  // the rewritten input came out infinite or NaN (`message`); nothing solved
    SolveRefused,  // the solve showed its message and solved nothing (`message`)
  };
  Kind kind = Kind::Filtered;
  double x = 0.0;
  std::string line;
  std::string message;
  double relErrorU = 0.0;
  double relErrorEh = 0.0;
};

// Value i of the study on `bench`: rewrites the mode's input for x_i (6 decimals), tells `ui`
// which value it solves (ShowStudyValue), solves with the display update, lets events run once,
// and reads the selected experiment's results. What it does depends only on `start`, i, the
// threshold and the bench's inputs and experiments as they were when the study started (a solve
// reads the inputs afresh, and a value rewrites the same input every time), so values may be
// solved in any order, each on a copy of that bench.
StudyValue SolveStudyValue(Workbench& bench, UserInterface& ui, const StudyStart& start,
                           int32_t i, double threshold,
                           StudySolve solve = StudySolve::AllExperiments);

// The checks before a parametric study: an experiment selected and a range that can be swept.
// nullopt, with outcome.status (and outcome.message) saying why, when the study cannot run.
std::optional<StudyStart> StartParametricStudy(const Workbench& bench, StudyOutcome& outcome);

// Takes swept value i into the study: an invalid value or a refused solve stops the study with
// the value's message; otherwise the value counts, and its line (after `linePrefix`) is written
// and, with updateEnvelopes, enters the running extremes at index i. False when the study
// stops here (also when the line could not be written).
bool CommitStudyValue(int32_t i, const StudyValue& value, std::string_view linePrefix,
                      bool updateEnvelopes, TextFileWriter& writer, Envelopes& envelopes,
                      StudyOutcome& outcome);

// Closes the study file. A fault makes the study WriteFailed with the file's fault beside any
// message the study already had; what was written stays in the file.
void CloseStudyFile(TextFileWriter& writer, StudyOutcome& outcome);

}  // namespace detail

}  // namespace quarvel
