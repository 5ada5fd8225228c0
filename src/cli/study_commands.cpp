#include "cli/study_commands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

#include "cli/commands.h"
#include "cli/experiment_source.h"
#include "cli/option_checks.h"
#include "cli/progress_bar.h"
#include "export/study_csv.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "spectra/spectrum_shards.h"
#include "studies/study_shards.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

// The work of a study run from its options, its values solved side by side on `pool`; false
// (with the reason printed) for a bad --shard.
bool ReadBatchOptions(const BatchOptions& options, SolvePool& pool, StudyWork& work) {
  if (!options.shard.empty() && !ParseShardLabel(options.shard, work.shard, work.shardCount)) {
    std::cerr << "--shard " << options.shard << ": expected I/N with 1 <= I <= N <= "
              << kMaxShardCount << '\n';
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

// A shard holds part of the values; its companion would too.
bool RefuseCsvOfShard(bool csv, const StudyWork& work) {
  if (!csv || !work.Sharded()) return false;
  std::cerr << "--csv needs the whole study: run it without --shard\n";
  return true;
}

// Says where a companion went, or why it was not written completely; false for the latter.
bool ReportCompanion(const CompanionFile& file, const char* written, const char* failed) {
  if (!file.result) {
    std::cerr << failed << " was not written completely: " << file.result.Describe() << '\n';
    return false;
  }
  std::cout << written << " written to " << file.path << '\n';
  return true;
}

// Writes the companion of every study file that was created; false when one failed.
bool WriteStudyCompanions(const StudyCompanions& companions,
                          const std::vector<SeriesFileOutcome>& files,
                          std::vector<CompanionFile>& written) {
  bool done = true;
  for (std::size_t j = 0; j < files.size(); ++j) {
    if (files[j].study.filePath.empty()) continue;
    written.push_back(companions.WriteStudy(j, files[j].study.filePath));
    done = ReportCompanion(written.back(), "Study CSV", "The study's CSV") && done;
  }
  return done;
}

// The files of --records in the order given, each read as --load reads it; `contradicted` is
// set when an option contradicts a file (a usage error).
SeriesSource RecordSeries(const std::vector<std::string>& files, const RecordOptions& options,
                          const RecordChoices& choices, std::vector<RecordProvenance>& provenance,
                          bool& contradicted) {
  return [&, options](int32_t k, FileResult&) -> std::optional<SeriesFile> {
    if (k < 1 || static_cast<std::size_t>(k) > files.size()) return std::nullopt;
    const std::string path = files[static_cast<std::size_t>(k) - 1];
    return SeriesFile{std::filesystem::path(path).filename().string(),
                      [&, path, options](ExperimentSet& set) {
                        RecordLoad load = LoadRecordFile(path, options);
                        PrintRecordWarnings(load);
                        if (const std::string option = ContradictingOption(load, choices);
                            !option.empty()) {
                          load.result.reason += " (" + option + " contradicts it)";
                          contradicted = true;
                        }
                        if (!load.result) return load.result;
                        set.Assign(std::move(load.records.experiments));
                        provenance = std::move(load.records.provenance);
                        return load.result;
                      }};
  };
}

// Two records of the same file name would write the same study file.
bool RefuseSameRecordNames(const std::vector<std::string>& files) {
  std::vector<std::string> names;
  for (const std::string& file : files) {
    const std::string name = std::filesystem::path(file).filename().string();
    if (std::find(names.begin(), names.end(), name) != names.end()) {
      std::cerr << "--records: two files are named " << name
                << ", and each record's study file is named after it; rename one\n";
      return true;
    }
    names.push_back(name);
  }
  return false;
}

}  // namespace

void AddCsvOption(CLI::App& command, bool& csv) {
  command
      .add_flag("--csv", csv,
                "Also write beside each study file a CSV with a header: every swept value with "
                "every column at full precision, values the threshold leaves out marked "
                "filtered (advanced-loop: and EnvRelError.csv, every swept value's envelopes "
                "with the record that set each)")
      ->group("Outputs");
}

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
  if (RefuseCsvOfShard(loop.csv, work)) return kExitUsage;
  Workbench bench;
  std::vector<RecordProvenance> provenance;
  if (const int status = PrepareBench(options, bench, &provenance); status != 0) return status;
  const Json records = RecordsJson(bench.experiments, provenance);
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;
  std::error_code ignored;  // a folder that cannot be made fails at the study file, named there
  std::filesystem::create_directories(loop.folder, ignored);

  ProgressBar bar;
  StudyCompanions companions(SelectStudyMode(bench.inputs));
  StudyRequest request;
  request.folder = loop.folder;
  request.outputName = loop.output;
  request.progress = [&bar](const StudyProgress& progress) { bar.Update(progress); };
  if (loop.csv) request.onValue = [&](const StudyValueResult& v) { companions.Take(v); };
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
  int status = 0;
  std::optional<CompanionFile> csv;
  if (loop.csv) {
    csv = companions.WriteStudy(0, outcome.filePath);
    if (!ReportCompanion(*csv, "Study CSV", "The study's CSV")) status = kExitFailure;
  }
  const Json results = StudyResultsJson(outcome, csv ? &*csv : nullptr);
  if (const int written = WriteSummaryIfAsked(options, "loop", bench, records, results);
      written != 0) {
    status = written;
  }
  if (outcome.status == StudyStatus::Aborted) {
    std::cerr << "Interrupted: the study stopped after value " << outcome.valuesSolved << '\n';
    return kExitInterrupted;
  }
  return status;
}

int RunAdvancedLoopCommand(CommonOptions& options, const AdvancedLoopOptions& advanced) {
  SolvePool pool(static_cast<unsigned>(advanced.batch.jobs));
  StudyWork work;
  if (!ReadBatchOptions(advanced.batch, pool, work)) return kExitUsage;
  if (const int status = RefuseEngineeringConflict(options); status != 0) return status;
  if (RefuseCsvOfShard(advanced.csv, work)) return kExitUsage;
  if (advanced.folder.empty() && advanced.records.empty()) {
    std::cerr << "advanced-loop needs --dir FOLDER (the numbered series) or --records FILE...\n";
    return kExitUsage;
  }
  if (RefuseSameRecordNames(advanced.records)) return kExitUsage;
  const bool ownRecords = !advanced.records.empty();
  const std::string folder = advanced.folder.empty() ? "." : advanced.folder;
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
  std::string current;  // the file being studied
  ProgressBar bar;
  StudyCompanions companions(SelectStudyMode(bench.inputs));
  std::vector<RecordProvenance> provenance;  // of the record just read (--records)
  bool contradicted = false;                 // an option contradicts a file of --records
  Json records = Json::array();
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [&](int32_t, const std::string& fileName) {
    bar.Finish();
    bar = ProgressBar();
    prefix = fileName + ": ";
    current = fileName;
    companions.StartStudy(fileName);
    provenance.clear();
  };
  hooks.onSetLoaded = [&] {
    if (!ownRecords) {
      const std::string path = (std::filesystem::path(folder) / current).string();
      for (const Experiment& e : bench.experiments.Records()) {
        provenance.push_back(ProvenanceOf(e, path));
      }
    }
    records.push_back(
        {{"file", current}, {"experiments", RecordsJson(bench.experiments, provenance)}});
  };
  hooks.progress = [&](const StudyProgress& progress) { bar.Update(progress, prefix); };
  hooks.onValue = [&](const StudyValueResult& value) {
    if (advanced.csv) companions.Take(value);
  };
  RecordOptions recordOptions = RecordOptionsOf(advanced.record, Val(bench.inputs.txtMass));
  recordOptions.strict = advanced.strict;

  // Ctrl-C ends the whole series: the current file's study after its values in progress, and
  // no file after it (the envelope files are still written).
  const AdvancedStudyOutcome outcome =
      ownRecords
          ? RunAdvancedStudy(bench, ui, InterruptToken(),
                             RecordSeries(advanced.records, recordOptions, advanced.record,
                                          provenance, contradicted),
                             folder, *threshold, hooks, work)
          : RunAdvancedLoop(bench, ui, InterruptToken(), folder, *threshold, hooks, work);
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
  bool failed = outcome.Failed();
  std::vector<CompanionFile> csv;
  if (advanced.csv) {
    failed = !WriteStudyCompanions(companions, outcome.files, csv) || failed;
    csv.push_back(companions.WriteEnvelopes(folder, outcome.envelopes.uPos.size(),
                                            Val(bench.inputs.txtFrom), Val(bench.inputs.txtStep)));
    failed = !ReportCompanion(csv.back(), "Envelope CSV", "The envelope CSV") || failed;
  }
  if (WriteSummaryIfAsked(options, "advanced-loop", bench, std::move(records),
                          AdvancedStudyResultsJson(outcome, advanced.csv ? &csv : nullptr)) != 0) {
    failed = true;
  }
  if (InterruptRequested()) return kExitInterrupted;
  if (contradicted) return kExitUsage;
  if (!failed && !ownRecords && !SeriesHasAFirstFile(folder)) return kExitFailure;
  return failed ? kExitFailure : 0;
}

int RunMergeCommand(const MergeOptions& merge) {
  std::string folder =
      !merge.folder.empty()
          ? merge.folder
          : std::filesystem::path(merge.shards.front()).parent_path().string();
  if (folder.empty()) folder = ".";
  const MergeOutcome outcome = MergeShardFiles(
      merge.shards, folder, {SpectrumShardKind(), StudyShardKind(), EnvelopeShardKind()});
  for (const FileResult& problem : outcome.problems) std::cerr << problem.Describe() << '\n';
  for (const std::string& path : outcome.written) std::cout << "Merged into " << path << '\n';
  for (const std::string& stop : outcome.stops) std::cerr << stop << '\n';
  return outcome.Failed() || !outcome.stops.empty() ? kExitFailure : 0;
}

}  // namespace quarvel::cli
