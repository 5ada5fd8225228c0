#include "cli/experiment_source.h"

#include <sstream>
#include <vector>

#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, ',')) parts.push_back(part);
  return parts;
}

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

std::string LoadExperiments(const CommonOptions& options, Workbench& bench) {
  ExperimentSet& set = bench.experiments;
  switch (options.source) {
    case ExperimentSource::Create:
      CreateSineForceExperiments(set);
      break;
    case ExperimentSource::Load: {
      const LoadResult result = LoadExperimentFile(options.loadFile, set);
      if (!result.ok) return std::string(kLoadErrorMessage) + "\n" + result.Describe();
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
