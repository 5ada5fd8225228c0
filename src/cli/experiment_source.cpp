#include "cli/experiment_source.h"

#include <iostream>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/option_checks.h"
#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
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

void PrintRecordWarnings(const RecordLoad& load) {
  const std::string& file = load.result.fileName;
  for (const RecordWarning& warning : load.warnings) {
    std::cerr << DescribeWarning(file, warning) << '\n';
  }
  const auto shown = static_cast<int64_t>(load.warnings.size());
  if (load.warningCount > shown) {
    std::cerr << file << ": " << load.warningCount - shown << " more warning(s) not shown\n";
  }
  if (!load.hint.empty()) std::cerr << file << ": " << load.hint << '\n';
}

std::string ContradictingOption(const RecordLoad& load, const RecordChoices& choices) {
  switch (load.contradicted) {
    case RecordOption::Type:
      return "--type " + choices.type;
    case RecordOption::Units:
      return "--units " + choices.units;
    default:
      return {};
  }
}

RecordLoad ReadSourceFile(const std::string& file, const RecordOptions& options,
                          const RecordChoices& choices, int& status) {
  RecordLoad load = LoadRecordFile(file, options);
  PrintRecordWarnings(load);
  status = 0;
  if (load.result) return load;
  if (const std::string option = ContradictingOption(load, choices); !option.empty()) {
    std::cerr << option << " contradicts " << load.result.Describe() << '\n';
    status = kExitUsage;
    return load;
  }
  std::cerr << kLoadErrorMessage << '\n' << load.result.Describe() << '\n';
  if (load.needsTimeStep && !options.timeStep) {
    std::cerr << "Give the time step with --dt SECONDS.\n";
  }
  status = kExitFailure;
  return load;
}

int LoadExperiments(const CommonOptions& options, Workbench& bench,
                    std::vector<RecordProvenance>* provenance) {
  ExperimentSet& set = bench.experiments;
  switch (options.source) {
    case ExperimentSource::Create:
      CreateSineForceExperiments(set);
      break;
    case ExperimentSource::Load: {
      RecordOptions recordOptions = RecordOptionsOf(options.record, Val(bench.inputs.txtMass));
      recordOptions.strict = options.strict;
      RecordSet records;
      for (const std::string& file : options.loadFiles) {
        int status = 0;
        RecordLoad load = ReadSourceFile(file, recordOptions, options.record, status);
        if (status != 0) {
          set.Clear();
          return status;
        }
        records.Append(std::move(load.records));
      }
      set.Assign(std::move(records.experiments));
      if (provenance != nullptr) *provenance = std::move(records.provenance);
      break;
    }
    case ExperimentSource::Sine:
      if (std::string error = LoadSine(options.sineTexts, set); !error.empty()) {
        std::cerr << error << '\n';
        return kExitFailure;
      }
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
  return 0;
}

}  // namespace quarvel::cli
