#pragma once
// Inside the studies: the range, the rewritten input and the lines of a study file, one swept
// value solved as a study does it, and a shard file as the merge reads it. For the studies' own
// files, their tests and the fuzz target of the shard reader.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/file_result.h"
#include "solve/experiment_results.h"
#include "solve/main_window_inputs.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/parametric_loop.h"

namespace quarvel::detail {

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

  // The text the mode's input holds for value i (6 decimals).
  std::string RewrittenText(int32_t i) const;
};

StudyStart ReadStudyStart(const Workbench& bench);

// One swept value as a study does it.
struct StudyValue {
  enum class Kind {
    Line,          // `line` is to be written
    Filtered,      // both peaks at or below the threshold: no line
    InvalidValue,  // the rewritten input came out infinite or NaN (`message`); nothing solved
    SolveRefused,  // the solve showed its message and solved nothing (`message`)
    Cancelled,     // the solve was cancelled before it ended: the value is not taken
  };
  Kind kind = Kind::Filtered;
  double x = 0.0;
  std::string line;
  std::string message;
  StudyPeaks peaks;          // of a Line or a Filtered value
  int64_t weightFaults = 0;  // faulting evaluations of the all-reversal weight in the solve
  RunFault fault;            // the earlier run fault of the two models, of a Line or Filtered
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

// One shard file as the merge reads it (the marks are described in study_shards.cpp).
struct ShardFile {
  std::string path;
  bool envelope = false;
  int32_t shard = 0;
  int32_t shardCount = 0;
  int64_t values = 0;                                  // at most kMaxStudyValues
  std::string target;                                  // study shards
  std::vector<std::string> head;                       // study shards
  std::vector<std::pair<int64_t, std::string>> lines;  // study shards: index, study line
  std::string end;                                     // "complete" or "stopped"
  int64_t stoppedAt = -1;
  std::string stopMessage;
  double from = 0.0;  // envelope shards
  double step = 0.0;
  std::vector<std::pair<int64_t, std::array<double, 4>>> entries;
};

// The TAB-separated fields of a line ("a\tb" -> "a", "b"; "" -> one empty field).
std::vector<std::string> SplitTabs(std::string_view line);
// The lines of the file at `path` (LinesOf: LF, CR or CR LF): done, or why it could not be read.
FileResult ReadTextFileLines(const std::string& path, std::vector<std::string>& lines);

// Reads the lines of shard file `path` into `shard`: done, or a failure of `path` when they
// are not one complete shard of a study: marks, shard label, value count (at most
// kMaxStudyValues), indices (ascending, below the count, of this shard) or numbers unreadable;
// lines after the end; no end line (the run did not finish) or an interrupted one.
FileResult ParseShardFile(const std::vector<std::string>& lines, const std::string& path,
                          ShardFile& shard);

}  // namespace quarvel::detail
