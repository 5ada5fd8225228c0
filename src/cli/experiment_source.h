#pragma once
// Filling the workbench's experiment set from the command line's experiment-source options.

#include <string>

#include "cli/cli_options.h"
#include "solve/workbench.h"

namespace quarvel::cli {

// Replaces bench.experiments from the chosen source and selects the first experiment with the
// graph quantities the window would select. Returns an error text (empty on success).
std::string LoadExperiments(const CommonOptions& options, Workbench& bench);

}  // namespace quarvel::cli
