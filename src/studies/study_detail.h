#pragma once
// Inside the studies: the range, the rewritten input and the lines of a study file, and one
// swept value solved as a study does it. For the studies' own files and their tests.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace quarvel::detail
