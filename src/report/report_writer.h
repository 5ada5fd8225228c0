#pragma once
// The result report: the model parameters of the last solve and, for every experiment, its
// initial state and the full time histories of both models, tab-separated, CR LF line ends.

#include <string>
#include <string_view>

#include "experiments/experiment.h"
#include "model/model_parameters.h"
#include "solve/experiment_results.h"

namespace quarvel {

struct ReportOutcome {
  bool ok = true;
  std::string error;  // "<file>: <reason>" when the report could not be written completely
};

// Writes the report of `experiments` with their `results` to `path` (created or overwritten).
// `lastSolve` holds the parameters of
// the last solve, `massText` the mass box's text at export time. With no experiments nothing
// is written. On a failure the file keeps what was written so far and is closed.
ReportOutcome WriteReport(const std::string& path, const ExperimentSet& experiments,
                          const ResultSet& results, const ModelParameters& lastSolve,
                          std::string_view massText);

// The line naming the reversal rule in a modified-model section; empty for all reversal points.
std::string ReversalRuleLine(ReversalRule rule);

}  // namespace quarvel
