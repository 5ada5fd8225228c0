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

// A usage error (exit status 2, the reason printed) when a raw oscillator input conflicts with
// an engineering input that sets it; 0 otherwise.
int RefuseEngineeringConflict(const CommonOptions& options);

// Sets the mass, c, Fy and Uy texts that the engineering inputs derive, with the selected
// experiment's mass where the formulas need one and the mass text gives none; says on stderr
// what they came to. Prints the reason and returns 1 when they give no oscillator.
int DeriveEngineeringInputs(const CommonOptions& options, Workbench& bench);

// Refuses conflicting engineering inputs, ApplyInputs, loads the experiments, selects
// --experiment and derives the engineering inputs. Prints the reason and returns a non-zero
// exit status when that fails.
int PrepareBench(CommonOptions& options, Workbench& bench);

// Solves the set; prints the fault warning; returns 1 when a message stopped the solve.
int SolveBench(Workbench& bench, CliUserInterface& ui);

}  // namespace quarvel::cli
