#pragma once
// The options of quarvel-cli's subcommands, in groups: where the experiments come from, the
// model inputs (every main-window box, taken as text as a user types it into the window, but
// checked to be a whole number with a physical meaning), and the study range. Each subcommand
// adds only the groups it uses.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "records/record_file.h"
#include "solve/main_window_inputs.h"
#include "solve/model_inputs.h"
#include "spectra/engineering_inputs.h"

namespace quarvel::cli {

enum class ExperimentSource { Create, Load, Sine, Dc1, Dc2 };

// What record files (AT2, columns, CSV) leave open, as typed; checked by the options.
struct RecordChoices {
  std::string format;               // --format quarvel|at2|columns|csv; empty: recognised
  std::string type;                 // --type acceleration|force|displacement; empty: open
  std::string units;                // --units g|m/s2|cm/s2|mm/s2; empty: open
  std::string name;                 // --name; empty: from the file
  std::string timeStep;             // --dt [s]; empty: none
  std::string column;               // --column NAME|NUMBER of a CSV file; empty: the first
  std::string scale;                // --scale FACTOR for every sample; empty: 1
  std::string mass;                 // convert's --mass [kg]; empty: 1
};

// The record options from the typed choices. The records' own mass is choices.mass when given,
// else `mass` (the model's mass) when it is above 0, else the default.
RecordOptions RecordOptionsOf(const RecordChoices& choices, double mass);

struct CommonOptions {
  ExperimentSource source = ExperimentSource::Create;
  std::vector<std::string> loadFiles;  // --load FILE, once per file: together one set
  RecordChoices record;     // what the loaded records leave open
  std::string sineTexts;    // --sine MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP
  int experiment = 1;       // --experiment K (1-based)
  bool allExperiments = false;  // --experiment all (where the command takes it)
  bool strict = false;      // --strict: a warning about the loaded file fails the load
  MainWindowInputs inputs;  // the window's inputs with their defaults
  // --method, --rule, --skip-in-dominance-zone, --vary, --by
  ModelChoices choices;
  // The engineering inputs as typed (empty: not given), and which raw inputs were typed.
  std::string period;         // --period T
  std::string dampingRatio;   // --damping-ratio ZETA
  std::string strengthRatio;  // --strength-ratio CY
  bool massGiven = false, dampingGiven = false, fyGiven = false, uyGiven = false;
  std::string summary;      // --summary FILE.json; empty: none
  std::vector<std::string> arguments;  // the command line after the program's name
};

// Whether --experiment takes "all" besides a number.
enum class ExperimentChoice { One, OneOrAll };

// --create, --load, --sine, --dc1, --dc2, --experiment and --strict, and the record options.
void AddExperimentOptions(CLI::App& command, CommonOptions& options,
                          ExperimentChoice choice = ExperimentChoice::One);

// What record files leave open: --format, --type, --units, --name, --dt, --column, --scale, and
// with `withMass` --mass (the records' own mass, for convert).
void AddRecordOptions(CLI::App& command, RecordChoices& record, bool withMass);

// --summary FILE.json.
void AddSummaryOption(CLI::App& command, std::string& summary);

// The model boxes (--A ... --euler-steps) and --method, --rule, --skip-in-dominance-zone;
// AddModelOptions adds the oscillator's (--c, --Fy, --Uy, --mass and the engineering inputs
// --period, --damping-ratio, --strength-ratio) too, AddModelBoxes the others alone.
void AddModelOptions(CLI::App& command, CommonOptions& options);
void AddModelBoxes(CLI::App& command, CommonOptions& options);

// The options' texts as engineering inputs (each checked while parsing).
EngineeringInputs EngineeringInputsOf(const CommonOptions& options);

// Empty when the raw and engineering inputs typed fit together, else the usage error naming
// the options that conflict and what to do.
std::string EngineeringConflict(const CommonOptions& options);

// The study range and what it varies: --from, --to, --step, --vary, --by.
void AddStudyOptions(CLI::App& command, CommonOptions& options);

// Turns the choice options (method, rule, vary, by, skip) into the inputs' option states.
// Call after parsing.
void ApplyChoices(CommonOptions& options);

}  // namespace quarvel::cli
