#pragma once
// Parametric studies: sweep the mass, the elastic period or the plastic period over a range by
// rewriting one of the window's inputs (mass, Fy or Uy), re-solve both models at every value
// and write one tab-separated line of results per value (CR LF line ends).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"
#include "solve/main_window_inputs.h"
#include "solve/solve_pool.h"
#include "solve/stop_token.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/envelopes.h"

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

// A number as the study files write it: rounded to 6 decimals, default form ("inf", "nan").
std::string StudyNumber(double value);
inline constexpr const char* kStudyHeader =
    "Varying Qty\tOrig Peak U\tMod Peak U\tAbs Peak U Err\tRel Peak U Err\t"
    "Orig Peak Eh\tMod Peak Eh\tAbs Peak Eh Err\tRel Peak Eh Err";

// Most values one study may sweep; a range beyond it is refused before anything is written.
inline constexpr int32_t kMaxStudyValues = 1'000'000;

enum class StudyStatus {
  Completed,      // every value of the range was solved
  Aborted,        // the stop token ended the study after a value, or a cancelled solve ended
                  // it during one (that value is not taken)
  NothingToDo,    // step <= 0 or from > to: nothing written, nothing to show
  NoExperiments,  // no selected experiment: nothing written
  RangeTooLarge,  // the range holds more than kMaxStudyValues values (or is not finite)
  WriteFailed,    // the study file could not be created or written completely
  InvalidValue,   // a rewritten input came out infinite or not a number
  SolveRefused,   // the solve showed a message and solved nothing (weights adding up to 0)
};

// A swept value whose solve met evaluations of the all-reversal weight that faulted ("ERRRR").
struct FaultedValue {
  int32_t index = 0;         // 0-based in the range
  double x = 0.0;            // the swept value
  int64_t evaluations = 0;   // the faulting evaluations
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
  std::vector<FaultedValue> faultedValues;  // in value order
  int32_t valuesWithRunFault = 0;  // swept values whose selected experiment met a run fault

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

// The eight results of a study line at full precision, in the order of its columns: the
// selected experiment's peaks and errors.
struct StudyPeaks {
  double originalPeakU = 0.0;
  double modifiedPeakU = 0.0;
  double absErrorU = 0.0;
  double relErrorU = 0.0;
  double originalPeakEh = 0.0;
  double modifiedPeakEh = 0.0;
  double absErrorEh = 0.0;
  double relErrorEh = 0.0;

  static StudyPeaks Of(const ExperimentResults& results);
  // The eight in column order.
  std::array<double, 8> Values() const;
};

// One swept value as the study took it, for an observer that keeps every value: the values
// whose line the threshold left out included.
struct StudyValueResult {
  int32_t index = 0;        // 0-based in the range
  double x = 0.0;           // the swept value
  std::string rewritten;    // the text the mode's input held for it; empty when none is rewritten
  bool filtered = false;    // both peaks at or below the threshold: no line in the study file
  StudyPeaks peaks;
  RunFault fault;           // the earlier run fault of the two models; none when neither met one
};
using StudyValueObserver = std::function<void(const StudyValueResult&)>;

// One study: where its file goes and what it gathers besides.
struct StudyRequest {
  std::string folder;          // the folder of the study file
  std::string outputName;      // its name; empty for kDefaultStudyFileName
  double threshold = 0.0;      // a value whose peaks are both at or below threshold * Uy: no line
  Envelopes* envelopes = nullptr;  // updated at each line's index; nullptr for none
  StudyProgressObserver progress;  // after each value, in value order
  StudyValueObserver onValue;      // after each value taken into the study, in value order, on
                                   // the calling thread (before progress)
};

// How each swept value is solved: the whole set, as the window does, or only the selected
// experiment (a study line and the envelopes read nothing else).
enum class StudySolve { AllExperiments, SelectedExperiment };

// How a study spreads its work. By default every value is solved in turn on the bench itself,
// with the display update, as the window runs it.
struct StudyWork {
  // Values solved side by side on the pool's threads, each on a copy of the bench as it stood
  // at the start; nullptr (or a pool of one thread) for one at a time on the bench itself.
  SolvePool* pool = nullptr;
  int32_t shard = 1;       // this run's part, 1..shardCount
  int32_t shardCount = 1;  // the values (advanced study: the files) are dealt out in turn:
                           // part I takes the I-th, the (I + shardCount)-th, ...
  StudySolve solve = StudySolve::AllExperiments;

  bool Sharded() const { return shardCount > 1; }
  bool SideBySide() const { return pool != nullptr && pool->ThreadCount() > 1; }
};

// Runs one study over the current experiment set. Reads m (the mass text, or the selected
// experiment's mass when that is <= 0), Fy, Uy, a and the range from bench.inputs; writes the
// study file afresh with the mode's title line, the header and one line per value whose peaks
// are not both at or below threshold * Uy. Every number is rounded to 6 decimals. Per value:
// rewrites the mode's input (6 decimals), tells `ui` which value it solves (ShowStudyValue),
// solves with the display update, lets events run once, then writes the line, updates the
// envelopes at the value's index, reports progress and ends the study if `stop` asks. The
// rewritten input keeps the last value. A file fault or an input computed as infinite or not a
// number ends the study there, keeping the lines written so far.
//
// With work side by side the file, the envelopes, the progress and the messages (shown on `ui`
// in value order) are those of one value at a time, byte for byte; a stop request hands out no
// more values, and the values in progress are finished and written. The experiments' results
// are then not those of any value. A shard solves only its values and writes them, each with its
// index, to ShardFileName(name, I, N) (solve/shard_file.h), ended by a line saying how it ended.
StudyOutcome RunParametricLoop(Workbench& bench, UserInterface& ui, const StopToken& stop,
                               const StudyRequest& request, const StudyWork& work = {});

// The Loop command: with no experiments shows kMessageNoExperiments (exclamation) and returns
// NoExperiments; otherwise the study into the default file, threshold 0, no envelopes.
StudyOutcome RunLoopCommand(Workbench& bench, UserInterface& ui, const StopToken& stop,
                            const std::string& folder, const StudyProgressObserver& progress = {});

}  // namespace quarvel
