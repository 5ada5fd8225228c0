#pragma once
// The comparison: both models over every experiment of the set, energies, peaks and errors.

#include <cstdint>

#include "model/model_parameters.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace quarvel {

struct SolveOutcome {
  bool solved = false;       // false when a message stopped the solve before any experiment
  int64_t weightFaults = 0;  // faulting all-reversal weight evaluations ("ERRRR" shown once)
};

// Reads the settings from bench.inputs into bench.parameters and solves experiments
// 1..Count() in order, storing both responses, energies, peaks and errors in each. With no
// experiments, or weights adding up to 0, shows the message and returns. After the last
// experiment lets pending events run once, then, with updateDisplay, refreshes the error
// labels, the period labels and the graph (counter of the selected experiment, titles).
SolveOutcome SolveExperiments(Workbench& bench, UserInterface& ui, bool updateDisplay);

// Solves one experiment with the given settings (mass: the mass text's value, negative for the
// experiment's own). Touches nothing but `experiment`, so experiments may be solved on several
// threads at once. Returns the number of faulting all-reversal weight evaluations.
int64_t SolveExperiment(Experiment& experiment, const ModelParameters& parameters);

}  // namespace quarvel
