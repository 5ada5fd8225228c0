#pragma once
// The subcommands of quarvel-cli and what they share. Each command returns the exit status.

#include <string>
#include <vector>

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

struct CheckOptions {
  std::vector<std::string> files;
  bool strict = false;  // a warning makes the exit status 1
};

int RunSolveCommand(CommonOptions& options);
int RunReportCommand(CommonOptions& options, const ReportOptions& report);
int RunDemoCommand(CommonOptions& options, const DemoOptions& demo);
// Loads each file with its check and prints the warnings and each experiment's record data,
// without solving. Exit status 1 when a file fails to load (or, with strict, has a warning).
int RunCheckCommand(const CheckOptions& check);

// Applies the options to the bench's inputs (the choices made into option states) and says
// on stderr when a value is not used as typed (the Euler sub-step count is brought into range).
void ApplyInputs(CommonOptions& options, Workbench& bench);

// ApplyInputs, then loads the experiments and selects --experiment. Prints the reason and
// returns a non-zero exit status when that fails.
int PrepareBench(CommonOptions& options, Workbench& bench);

// Solves the set; prints the fault warning; returns 1 when a message stopped the solve.
int SolveBench(Workbench& bench, CliUserInterface& ui);

}  // namespace quarvel::cli
