#include "cli/study_commands.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"

namespace quarvel::cli {

int RunLoopCommand(CommonOptions& options, const LoopOptions& loop) {
  Workbench bench;
  if (const int status = PrepareBench(options, bench); status != 0) return status;
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;

  ProgressBar bar;
  const StudyOutcome outcome = RunParametricLoop(
      bench, ui, loop.folder, loop.output, 0.0, false,
      [&bar](const StudyProgress& progress) { bar.Update(progress); });
  bar.Finish();
  if (outcome.Failed()) {
    std::cerr << outcome.message << '\n';
    return kExitFailure;
  }
  if (outcome.status == StudyStatus::NothingToDo) {
    std::cerr << "Nothing to study: the step must be above 0 and From must not exceed To\n";
    return kExitUsage;
  }
  std::cout << "Study written to " << outcome.filePath << " (" << outcome.valuesSolved
            << " values, " << outcome.linesWritten << " lines)\n";
  if (outcome.status == StudyStatus::Aborted) {
    std::cerr << "Interrupted: the study stopped after value " << outcome.valuesSolved << '\n';
    return kExitInterrupted;
  }
  return 0;
}

int RunAdvancedLoopCommand(CommonOptions& options, const AdvancedLoopOptions& advanced) {
  ApplyChoices(options);
  Workbench bench;
  bench.inputs = options.inputs;
  CliUserInterface ui(bench);

  const std::optional<double> threshold = ReadThresholdAnswer(advanced.threshold);
  if (!threshold) {
    std::cerr << "--threshold " << advanced.threshold << ": the threshold must be above 0\n";
    return kExitUsage;
  }

  std::string prefix;
  ProgressBar bar;
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [&](int32_t, const std::string& fileName) {
    bar.Finish();
    bar = ProgressBar();
    prefix = fileName + ": ";
  };
  hooks.progress = [&](const StudyProgress& progress) { bar.Update(progress, prefix); };
  hooks.stopRequested = [] { return InterruptRequested(); };

  const AdvancedStudyOutcome outcome =
      RunAdvancedLoop(bench, ui, advanced.folder, *threshold, hooks);
  bar.Finish();
  for (const std::string& problem : outcome.problems) std::cerr << problem << '\n';
  if (!outcome.ran) {
    if (outcome.problems.empty()) {
      std::cerr << "Nothing to study: the step must be above 0 and From must not exceed To\n";
    }
    return kExitUsage;
  }
  for (const SeriesFileOutcome& file : outcome.files) {
    if (!file.study.filePath.empty()) {
      std::cout << "Study written to " << file.study.filePath << " (" << file.study.valuesSolved
                << " values, " << file.study.linesWritten << " lines)\n";
    }
  }
  for (const std::string& envelope : outcome.envelopeFiles) {
    std::cout << "Envelope written to " << envelope << '\n';
  }
  if (InterruptRequested()) return kExitInterrupted;
  return outcome.Failed() ? kExitFailure : 0;
}

}  // namespace quarvel::cli
