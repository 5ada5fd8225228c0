#pragma once
// Options shared by the subcommands of quarvel-cli: where the experiments come from and every
// main-window input, taken as text exactly as a user would type it into the window.

#include <CLI/CLI.hpp>
#include <string>

#include "solve/main_window_inputs.h"

namespace quarvel::cli {

enum class ExperimentSource { Create, Load, Sine, Dc1, Dc2 };

struct CommonOptions {
  ExperimentSource source = ExperimentSource::Create;
  std::string loadFile;     // --load FILE
  std::string sineTexts;    // --sine MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP
  int experiment = 1;       // --experiment K (1-based)
  MainWindowInputs inputs;  // the window's inputs with their defaults
  std::string method;       // --method euler|euler-doubling|rk|rk-doubling
  std::string rule;         // --rule all|last|max|last-max
  std::string skipInDominanceZone;  // --skip-in-dominance-zone yes|no
  std::string vary;         // --vary mass|elastic|plastic|none
  std::string by;           // --by mass|fy|uy
};

// Adds the experiment-source and input options to a subcommand.
void AddCommonOptions(CLI::App& command, CommonOptions& options);

// Turns the choice options (method, rule, vary, by, skip) into the inputs' option states.
// Call after parsing.
void ApplyChoices(CommonOptions& options);

}  // namespace quarvel::cli
