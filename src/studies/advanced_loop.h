#pragma once
// The advanced study: the parametric study repeated over a numbered series of experiment files
// ("1 first.quarvel", "2 second.quarvel", ...), gathering for every swept value the largest and
// the smallest relative errors of the peak displacement and of the peak hysteretic energy over
// all files, written to four envelope files.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment_file.h"
#include "io/file_result.h"
#include "solve/stop_token.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/envelopes.h"
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
  Envelopes envelopes;                     // one entry per swept value, over the files studied
  std::vector<std::string> envelopeFiles;  // paths of the envelope files written completely
  // One line per fault, in the order met: files that failed to load, studies that failed,
  // envelope files that could not be written, a folder that could not be listed.
  std::vector<std::string> problems;

  bool Failed() const { return !problems.empty(); }
};

// Optional observers of an advanced study, for the desktop app and the command line.
struct AdvancedLoopHooks {
  // Before loading each file of the series (the owner of the stop token may clear a request to
  // end the previous file's study here).
  std::function<void(int32_t sequenceNumber, const std::string& fileName)> onFileStarted;
  // After a file has loaded and experiment 1 is selected with the quantities of
  // SetSource::Other, while the reaction guard is set: refill the experiment list and the
  // details panel here.
  std::function<void()> onSetLoaded;
  // After each swept value of each file's study.
  StudyProgressObserver progress;
  // Each swept value of each file's study as it is taken in (StudyRequest::onValue).
  StudyValueObserver onValue;
};

// One file of a series: its name, after which its study file is named ("<name>.out"), and how
// it replaces the experiment set (a failure leaves the set as the load leaves it).
struct SeriesFile {
  std::string name;
  std::function<LoadResult(ExperimentSet& set)> load;
};

// File k (1, 2, 3, ...) of a series; nullopt after the last. A fault in finding it (a folder
// that cannot be listed) goes into `listing`.
using SeriesSource = std::function<std::optional<SeriesFile>(int32_t k, FileResult& listing)>;

// The advanced study over the files `series` gives, in its order, with the study files and the
// envelope files in `folder`; otherwise as RunAdvancedLoop.
AdvancedStudyOutcome RunAdvancedStudy(Workbench& bench, UserInterface& ui, const StopToken& stop,
                                      const SeriesSource& series, const std::string& folder,
                                      double threshold, const AdvancedLoopHooks& hooks = {},
                                      const StudyWork& work = {});

// Runs the advanced study over the series in `folder`: with a threshold > 0 and a range that
// can be swept (bench.inputs), sizes the envelopes to one zero entry per value, then for
// k = 1, 2, 3, ... until a number is missing: loads the file (a file that fails to load is
// reported and skipped, leaving the envelopes as they are), selects its first experiment,
// solves, lets events run, and runs the parametric study into "<file name>.out" in `folder`
// with the envelopes updated. Last writes the four envelope files into `folder`. A fault in one
// file does not stop the others. `stop` ends each file's study as it ends a study; a request to
// end the run also ends the series before its next file (the envelope files are still written
// with what the finished files gave them).
//
// `work` spreads each file's values as RunParametricLoop does. A shard studies only its files
// (the I-th, the (I + N)-th, ... of the series) and writes its envelope arrays exactly, to
// ShardFileName(kEnvelopeShardTarget, I, N), in place of the four envelope files.
AdvancedStudyOutcome RunAdvancedLoop(Workbench& bench, UserInterface& ui, const StopToken& stop,
                                     const std::string& folder, double threshold,
                                     const AdvancedLoopHooks& hooks = {},
                                     const StudyWork& work = {});

}  // namespace quarvel
