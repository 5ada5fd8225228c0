#include "cli/experiment_source.h"

#include <iostream>
#include <utility>
#include <vector>

#include "cli/option_checks.h"
#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "io/file_reader.h"
#include "records/record_file.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

std::string LoadSine(const std::string& texts, ExperimentSet& set) {
  const std::vector<std::string> parts = SplitAtCommas(texts);
  if (parts.size() != 5) {
    return "--sine needs five values: MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP";
  }
  SinusoidDialogTexts dialog;
  dialog.mass = parts[0];
  dialog.amplitude = parts[1];
  dialog.period = parts[2];
  dialog.cycles = parts[3];
  dialog.timeStep = parts[4];
  const FileResult result = CreateSinusoidalDisplacementExperiment(dialog, set);
  return result.ok ? std::string() : "--sine: " + result.reason;
}

}  // namespace

void PrintRecordWarnings(const CheckedLoad& checked) {
  for (const RecordWarning& warning : checked.warnings) {
    std::cerr << DescribeWarning(checked.load.fileName, warning) << '\n';
  }
  const auto shown = static_cast<int64_t>(checked.warnings.size());
  if (checked.warningCount > shown) {
    std::cerr << checked.load.fileName << ": " << checked.warningCount - shown
              << " more warning(s) not shown\n";
  }
  if (!checked.hint.empty()) std::cerr << checked.load.fileName << ": " << checked.hint << '\n';
}

std::string CheckedLoadFailure(const CheckedLoad& checked, bool strict) {
  if (!checked.load.ok) {
    return std::string(kLoadErrorMessage) + "\n" + checked.load.Describe();
  }
  if (strict && checked.warningCount > 0) {
    return checked.load.fileName + ": " + std::to_string(checked.warningCount) +
           " warning(s): the file is refused under --strict";
  }
  return {};
}

std::string ReadSourceFile(const std::string& file, const RecordOptions& recordOptions,
                           bool strict, RecordSet& records) {
  std::string head;
  const FileResult headRead = ReadFileHead(file, head);
  const RecordFormat format = recordOptions.format.value_or(DetectRecordFormat(head, file));
  if (headRead && format != RecordFormat::Quarvel) {
    const FileResult read = ReadRecordFile(file, recordOptions, records);
    if (read) return {};
    std::string failure = std::string(kLoadErrorMessage) + "\n" + read.Describe();
    if (!recordOptions.timeStep && QuestionsOf(head, file).needsTimeStep) {
      failure += "\nGive the time step with --dt SECONDS.";
    }
    return failure;
  }
  ExperimentSet set;
  const CheckedLoad checked = LoadCheckedExperimentFile(file, set);
  PrintRecordWarnings(checked);
  if (std::string failure = CheckedLoadFailure(checked, strict); !failure.empty()) return failure;
  for (Experiment& experiment : set.Records()) {
    records.provenance.push_back(ProvenanceOf(experiment, file));
    records.experiments.push_back(std::move(experiment));
  }
  return {};
}

std::string LoadExperiments(const CommonOptions& options, Workbench& bench,
                            std::vector<RecordProvenance>* provenance) {
  ExperimentSet& set = bench.experiments;
  switch (options.source) {
    case ExperimentSource::Create:
      CreateSineForceExperiments(set);
      break;
    case ExperimentSource::Load: {
      const RecordOptions recordOptions =
          RecordOptionsOf(options.record, Val(bench.inputs.txtMass));
      RecordSet records;
      for (const std::string& file : options.loadFiles) {
        if (std::string failure = ReadSourceFile(file, recordOptions, options.strict, records);
            !failure.empty()) {
          set.Clear();
          return failure;
        }
      }
      set.Assign(std::move(records.experiments));
      if (provenance != nullptr) *provenance = std::move(records.provenance);
      break;
    }
    case ExperimentSource::Sine:
      if (std::string error = LoadSine(options.sineTexts, set); !error.empty()) return error;
      break;
    case ExperimentSource::Dc1:
      SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, Val(bench.inputs.txtUy), set);
      break;
    case ExperimentSource::Dc2:
      SetDisplacementProtocolExperiment(DisplacementProtocol::Dc2, Val(bench.inputs.txtUy), set);
      break;
  }
  bench.SelectFirst(options.source == ExperimentSource::Create ? SetSource::BuiltIn
                                                                : SetSource::Other);
  return {};
}

}  // namespace quarvel::cli
