#pragma once
// The loops subcommand of quarvel-cli: the energy audit of a solve, per experiment the closed
// loops of both models with their work, and which of them break the postulate.

#include <string>

#include "cli/cli_options.h"

namespace quarvel::cli {

struct LoopsOptions {
  std::string csv;  // --csv FILE: every loop as CSV; empty: none
  bool everyExperiment = true;  // no --experiment K was given: audit the whole set
};

// Adds --csv FILE and --summary FILE.json.
void AddLoopsOptions(CLI::App& command, LoopsOptions& loops, CommonOptions& options);

// Solves the set as solve does, then prints per audited experiment the table of its loops and
// their counts, and writes the CSV and the summary when asked.
int RunLoopsCommand(CommonOptions& options, const LoopsOptions& loops);

}  // namespace quarvel::cli
