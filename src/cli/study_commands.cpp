#include "cli/study_commands.h"

#include <filesystem>
#include <iostream>

#include "cli/commands.h"
#include "cli/option_checks.h"
#include "cli/progress_bar.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "spectra/spectrum_shards.h"
#include "studies/study_shards.h"

namespace quarvel::cli {
namespace {

// The work of a study run from its options, its values solved side by side on `pool`; false
// (with the reason printed) for a bad --shard.
bool ReadBatchOptions(const BatchOptions& options, SolvePool& pool, StudyWork& work) {
  if (!options.shard.empty() && !work.ParseShard(options.shard)) {
    std::cerr << "--shard " << options.shard << ": expected I/N with 1 <= I <= N <= "
              << kMaxStudyValues << '\n';
    return false;
  }
  work.pool = &pool;
  work.solve = options.allExperiments ? StudySolve::AllExperiments : StudySolve::SelectedExperiment;
  return true;
}

// Says when the folder holds no file 1 of the series, so that nothing was studied.
bool SeriesHasAFirstFile(const std::string& folder) {
  FileResult listing;
  if (FindSeriesFile(folder, 1, listing)) return true;
  std::cerr << "No file in " << (folder.empty() ? "." : folder)
            << " fits the series naming: the files are numbered from 1, each name a number, a "
               "blank and any text, ending in .quarvel (\"1 elcentro.quarvel\", \"2 "
               "taft.quarvel\", ...). Nothing was studied; the envelope files are empty.\n";
  return false;
}

// A file whose every swept value fell below the threshold adds nothing to its study file.
void WarnWhenAllFiltered(const SeriesFileOutcome& file, const std::string& threshold) {
  if (file.study.valuesSolved == 0 || file.study.linesWritten > 0) return;
  std::cerr << "warning: " << file.fileName << ": every swept value was left out by --threshold "
            << threshold << " (the peak U / Uy of one model stayed below it), so its study file "
            << "holds no result and it adds nothing to the envelopes\n";
}

}  // namespace

void AddBatchOptions(CLI::App& command, BatchOptions& batch) {
  command
      .add_option("--jobs", batch.jobs,
                  "Swept values solved at once (default: one per hardware thread)")
      ->type_name("N")
      ->check(NumberCheck(NumberRule::Count))
      ->group("Study work");
  command
      .add_option("--shard", batch.shard,
                  "Run only part I of N of the study (every N-th value; for advanced-loop every "
                  "N-th file) into shard files for `merge`")
      ->type_name("I/N")
      ->group("Study work");
  command
      .add_flag("--all-experiments", batch.allExperiments,
                "Solve every experiment of the set per value, as the window does (the study "
                "file only reads the selected one)")
      ->group("Study work");
}

int RunLoopCommand(CommonOptions& options, const LoopOptions& loop) {
  SolvePool pool(static_cast<unsigned>(loop.batch.jobs));  // 0: one per hardware thread
  StudyWork work;
  if (!ReadBatchOptions(loop.batch, pool, work)) return kExitUsage;
  Workbench bench;
  if (const int status = PrepareBench(options, bench); status != 0) return status;
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;
  std::error_code ignored;  // a folder that cannot be made fails at the study file, named there
  std::filesystem::create_directories(loop.folder, ignored);

  ProgressBar bar;
  StudyRequest request;
  request.folder = loop.folder;
  request.outputName = loop.output;
  request.progress = [&bar](const StudyProgress& progress) { bar.Update(progress); };
  const StudyOutcome outcome = RunParametricLoop(bench, ui, InterruptToken(), request, work);
  bar.Finish();
  ui.ReportStudyFaults(outcome);
  if (outcome.Failed()) {
    std::cerr << outcome.Describe() << '\n';
    return kExitFailure;
  }
  if (outcome.status == StudyStatus::NothingToDo) {
    std::cerr << "Nothing to study: the step must be above 0 and From must not exceed To\n";
    return kExitUsage;
  }
  std::cout << (work.Sharded() ? "Shard written to " : "Study written to ") << outcome.filePath
            << " (" << outcome.valuesSolved << " values, " << outcome.linesWritten
            << " lines)\n";
  if (outcome.status == StudyStatus::Aborted) {
    std::cerr << "Interrupted: the study stopped after value " << outcome.valuesSolved << '\n';
    return kExitInterrupted;
  }
  return 0;
}

int RunAdvancedLoopCommand(CommonOptions& options, const AdvancedLoopOptions& advanced) {
  SolvePool pool(static_cast<unsigned>(advanced.batch.jobs));
  StudyWork work;
  if (!ReadBatchOptions(advanced.batch, pool, work)) return kExitUsage;
  if (const int status = RefuseEngineeringConflict(options); status != 0) return status;
  Workbench bench;
  ApplyInputs(options, bench);
  if (NeedsExperimentMass(EngineeringInputsOf(options), bench.inputs)) {
    std::cerr << "--strength-ratio and --damping-ratio need --mass (or --period) here: each file "
                 "of the series has a mass of its own\n";
    return kExitUsage;
  }
  if (const int status = DeriveEngineeringInputs(options, bench); status != 0) return status;
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

  // Ctrl-C ends the whole series: the current file's study after its values in progress, and
  // no file after it (the envelope files are still written).
  const AdvancedStudyOutcome outcome =
      RunAdvancedLoop(bench, ui, InterruptToken(), advanced.folder, *threshold, hooks, work);
  bar.Finish();
  for (const SeriesFileOutcome& file : outcome.files) ui.ReportStudyFaults(file.study);
  for (const std::string& problem : outcome.problems) std::cerr << problem << '\n';
  if (!outcome.ran) {
    if (outcome.problems.empty()) {
      std::cerr << "Nothing to study: the step must be above 0 and From must not exceed To\n";
    }
    return kExitUsage;
  }
  for (const SeriesFileOutcome& file : outcome.files) {
    // A study whose lines were lost on flush has a path but failed: named on stderr only.
    if (!file.study.filePath.empty() && !file.study.Failed()) {
      std::cout << "Study written to " << file.study.filePath << " (" << file.study.valuesSolved
                << " values, " << file.study.linesWritten << " lines)\n";
      WarnWhenAllFiltered(file, advanced.threshold);
    }
  }
  for (const std::string& envelope : outcome.envelopeFiles) {
    std::cout << (work.Sharded() ? "Envelope shard written to " : "Envelope written to ")
              << envelope << '\n';
  }
  if (InterruptRequested()) return kExitInterrupted;
  if (!outcome.Failed() && !SeriesHasAFirstFile(advanced.folder)) return kExitFailure;
  return outcome.Failed() ? kExitFailure : 0;
}

int RunMergeCommand(const MergeOptions& merge) {
  std::string folder =
      !merge.folder.empty()
          ? merge.folder
          : std::filesystem::path(merge.shards.front()).parent_path().string();
  if (folder.empty()) folder = ".";
  std::vector<std::string> studyShards, spectrumShards;
  for (const std::string& path : merge.shards) {
    (IsSpectrumShardFile(path) ? spectrumShards : studyShards).push_back(path);
  }
  bool failed = false;
  if (!spectrumShards.empty()) {
    const SpectrumMergeOutcome outcome = MergeSpectrumShards(spectrumShards, folder);
    for (const FileResult& problem : outcome.problems) std::cerr << problem.Describe() << '\n';
    for (const std::string& path : outcome.written) std::cout << "Merged into " << path << '\n';
    failed = outcome.Failed();
  }
  if (!studyShards.empty()) {
    const MergeOutcome outcome = MergeStudyShards(studyShards, folder);
    for (const FileResult& problem : outcome.problems) std::cerr << problem.Describe() << '\n';
    for (const std::string& path : outcome.written) std::cout << "Merged into " << path << '\n';
    for (const std::string& stop : outcome.stops) std::cerr << stop << '\n';
    failed = failed || outcome.Failed() || !outcome.stops.empty();
  }
  return failed ? kExitFailure : 0;
}

}  // namespace quarvel::cli
