#pragma once
// The subcommands of quarvel-cli and what they share. Each command returns the exit status.

#include <string>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "solve/workbench.h"

namespace quarvel::cli {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

struct ReportOptions {
  std::string output;
};

struct DemoOptions {
  std::string folder = ".";
};

int RunSolveCommand(CommonOptions& options);
int RunReportCommand(CommonOptions& options, const ReportOptions& report);
int RunDemoCommand(CommonOptions& options, const DemoOptions& demo);

// Applies the options to the bench's inputs, loads the experiments and selects --experiment.
// Prints the reason and returns a non-zero exit status when that fails.
int PrepareBench(CommonOptions& options, Workbench& bench);

// Solves the set; prints the fault warning; returns 1 when a message stopped the solve.
int SolveBench(Workbench& bench, CliUserInterface& ui);

}  // namespace quarvel::cli
