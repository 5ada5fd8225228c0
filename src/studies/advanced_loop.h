#pragma once
// The advanced study: the parametric study repeated over a numbered series of experiment files
// ("1 first.quarvel", "2 second.quarvel", ...), gathering for every swept value the largest and
// the smallest relative errors of the peak displacement and of the peak hysteretic energy over
// all files, written to four envelope files.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment_file.h"
#include "io/file_result.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/parametric_loop.h"

namespace quarvel {

// The input box that asks for the threshold.
inline constexpr const char* kThresholdBoxTitle = "Peak U/Uy Threshold";
inline constexpr const char* kThresholdBoxPrompt =
    "Filter out the results in which the peak displacement over the yield displacement of "
    "either the original or the modified model is smaller than...";
inline constexpr const char* kThresholdBoxDefault = "1";

// The threshold typed into the input box (leading-number parse); nullopt when it is not
// positive, which includes a cancelled box (empty answer): the study is then not run.
std::optional<double> ReadThresholdAnswer(std::string_view answer);

// Envelope files in the order they are written, with the array each one holds.
inline constexpr std::array<const char*, 4> kEnvelopeFileNames = {
    "EnvRelErrorUPos.out",   // envelopes.uPos
    "EnvRelErrorUNeg.out",   // envelopes.uNeg
    "EnvRelErrorEhPos.out",  // envelopes.ehPos
    "EnvRelErrorEhNeg.out",  // envelopes.ehNeg
};

// Sequence number of a file name of the series: the text before the first blank read by the
// leading-number parse; nullopt for a name without a blank.
std::optional<double> SeriesNumber(std::string_view fileName);

// The file of the series with sequence number k in `folder`: among the regular files whose
// name ends in ".quarvel" (any case), taken in file-name order so that the series is the same
// on every machine, the first whose name holds a blank and whose sequence number is k.
// nullopt when there is none, or when the folder cannot be listed (`listing` then holds the
// folder and the reason).
std::optional<std::string> FindSeriesFile(const std::string& folder, int32_t k,
                                          FileResult& listing);

// What became of one file of the series.
struct SeriesFileOutcome {
  int32_t sequenceNumber = 0;
  std::string fileName;  // name inside the folder
  LoadResult load;       // a failed load skips the study
  StudyOutcome study;
};

struct AdvancedStudyOutcome {
  bool ran = false;  // false when the threshold or the range stopped it before any work
  std::vector<SeriesFileOutcome> files;    // in series order
  std::vector<std::string> envelopeFiles;  // paths of the envelope files written completely
  // One line per fault, in the order met: files that failed to load, studies that failed,
  // envelope files that could not be written, a folder that could not be listed.
  std::vector<std::string> problems;

  bool Failed() const { return !problems.empty(); }
};

// Optional observers of an advanced study, for the desktop app and the command line.
struct AdvancedLoopHooks {
  // Before loading each file of the series.
  std::function<void(int32_t sequenceNumber, const std::string& fileName)> onFileStarted;
  // After a file has loaded and experiment 1 is selected with the quantities of
  // SetSource::Other, while the reaction guard is set: refill the experiment list and the
  // details panel here.
  std::function<void()> onSetLoaded;
  // After each swept value of each file's study.
  StudyProgressObserver progress;
  // Asked before each file: true ends the series there (the envelope files are still written
  // with what the finished files gave them).
  std::function<bool()> stopRequested;
};

// Runs the advanced study over the series in `folder`: with a threshold > 0 and a range that
// can be swept (bench.inputs), resets bench.envelopes to one zero entry per value, then for
// k = 1, 2, 3, ... until a number is missing: loads the file (a file that fails to load is
// reported and skipped, leaving the envelopes as they are), selects its first experiment,
// solves, lets events run, and runs the parametric study into "<file name>.out" in `folder`
// with the envelopes updated. Last writes the four envelope files into `folder`. A fault in one
// file does not stop the others.
AdvancedStudyOutcome RunAdvancedLoop(Workbench& bench, UserInterface& ui,
                                     const std::string& folder, double threshold,
                                     const AdvancedLoopHooks& hooks = {});

// Writes the four envelope files into `folder`, each closed before the next is opened: for
// every non-zero entry i one line "x_i TAB entry", both rounded to 6 decimals, x_i = i * step +
// from. Returns the faults; a faulty file keeps what was written and the others are still
// written. `written` receives the paths written completely.
std::vector<FileResult> WriteEnvelopeFiles(const Envelopes& envelopes, const std::string& folder,
                                           double from, double step,
                                           std::vector<std::string>* written = nullptr);

namespace detail {

// The checks before an advanced study: the threshold above 0 and a range that can be swept.
// Returns the range, with outcome.ran set and bench.envelopes reset to one zero entry per
// value; nullopt (with the range's message in outcome.problems) when the study cannot run.
std::optional<StudyRange> StartAdvancedStudy(Workbench& bench, double threshold,
                                             AdvancedStudyOutcome& outcome);

// The study of one file of the series, its study file named `outputName`.
using SeriesFileStudy = std::function<StudyOutcome(const std::string& outputName)>;

// Walks the series in `folder` for k = 1, 2, ... until a number is missing or the hooks ask
// to stop. Each file that `takesFile(k)` accepts is loaded (a failed load is reported and
// skipped), its first experiment selected, the set solved and events let run; then `study`
// runs with "<file name>.out". Every file's outcome and fault goes into `outcome`.
void StudySeriesFiles(Workbench& bench, UserInterface& ui, const std::string& folder,
                      const AdvancedLoopHooks& hooks,
                      const std::function<bool(int32_t k)>& takesFile,
                      const SeriesFileStudy& study, AdvancedStudyOutcome& outcome);

}  // namespace detail

}  // namespace quarvel
