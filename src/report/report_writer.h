#pragma once
// The result report: the model parameters of the last solve and, for every experiment, its
// initial state and the full time histories of both models, tab-separated, CR LF line ends.

#include <string>
#include <string_view>

#include "experiments/experiment.h"
#include "io/file_result.h"
#include "model/model_parameters.h"
#include "solve/experiment_results.h"

namespace quarvel {

// Writes the report of `experiments` with their `results` to `path` (created or overwritten).
// `lastSolve` holds the parameters of
// the last solve, `massText` the mass box's text at export time. With no experiments nothing
// is written. On a failure (the file's fault, or an experiment without results) the file keeps
// what was written so far and is closed.
FileResult WriteReport(const std::string& path, const ExperimentSet& experiments,
                       const ResultSet& results, const ModelParameters& lastSolve,
                       std::string_view massText);

// The line naming the reversal rule in a modified-model section; empty for all reversal points.
std::string ReversalRuleLine(ReversalRule rule);

}  // namespace quarvel
