#pragma once
// The subcommands of quarvel-cli and what they share. Each command returns the exit status.

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "export/summary_json.h"
#include "records/record_file.h"
#include "solve/workbench.h"

namespace quarvel::cli {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

struct SolveOptions {
  std::string history;  // --history DIR: one CSV of time histories per experiment; empty: none
};

struct ReportOptions {
  std::string output;
};

struct ConvertOptions {
  std::vector<std::string> inputs;  // record or experiment files, in order: one set
  std::string output;               // the .quarvel file written
  RecordChoices record;             // what the record files leave open
  bool strict = false;              // a warning about a .quarvel input fails the conversion
};

struct DemoOptions {
  std::string folder = ".";
};

struct CheckOptions {
  std::vector<std::string> files;
  RecordChoices record;  // what the record files leave open
  bool strict = false;   // a warning makes the exit status 1
  bool json = false;     // print the checks as one JSON document
  std::vector<std::string> arguments;  // the command line after the program's name
};

int RunSolveCommand(CommonOptions& options, const SolveOptions& solve);
int RunReportCommand(CommonOptions& options, const ReportOptions& report);
int RunDemoCommand(CommonOptions& options, const DemoOptions& demo);
// Loads each file as --load does and prints the warnings and each experiment's record data and
// measures (or, with json, all of it as JSON), without solving. Exit status 1 when a file fails
// to load (or, with strict, has a warning), 2 when an option contradicts a file.
int RunCheckCommand(const CheckOptions& check);
// Reads the input files into one set and writes it as one .quarvel file, which the window and
// --load read back to the same records.
int RunConvertCommand(const ConvertOptions& convert);

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
// exit status when that fails. `provenance` (if given) receives where the loaded experiments
// came from.
int PrepareBench(CommonOptions& options, Workbench& bench,
                 std::vector<RecordProvenance>* provenance = nullptr);

// Writes the JSON summary of `command` when --summary was given, and says where; the failure
// status (with the reason printed) when it could not be written, else 0. The engineering inputs
// given (--period, --damping-ratio, --strength-ratio) and those of `engineering` are among the
// inputs used, as numbers.
int WriteSummaryIfAsked(const CommonOptions& options, const std::string& command,
                        const Workbench& bench, Json records, Json results,
                        Json engineering = Json::object());

// Solves the set; prints the fault warning; returns 1 when a message stopped the solve.
int SolveBench(Workbench& bench, CliUserInterface& ui);

}  // namespace quarvel::cli
