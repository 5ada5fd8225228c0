#pragma once
// Everything the main window owns between commands: its inputs, the experiment set with the
// selection and the results of the last solve, the parameters of the last solve, the reaction
// guard.

#include <cstdint>

#include "experiments/experiment.h"
#include "solve/experiment_results.h"
#include "model/model_parameters.h"
#include "solve/main_window_inputs.h"
#include "solve/reaction_guard.h"

namespace quarvel {

// Where a new experiment set came from, which decides the graph quantities it is first shown
// with.
enum class SetSource {
  BuiltIn,  // the built-in experiments (Create): T against U
  Other,    // a file, a generated experiment, a file of an advanced study: U against F
};

struct Workbench {
  MainWindowInputs inputs;
  ExperimentSet experiments;
  ResultSet results;              // beside the set: results.At(k) of experiments.At(k)
  int32_t currentExperiment = 0;  // 1-based selection in the experiment list; 0 for none
  int32_t graphXQuantity = -1;    // 0..9, -1 for no selection
  int32_t graphYQuantity = -1;
  // Settings of the last solve. The sub-step count and the tolerance keep the value of the
  // last solve that set them (0 at start).
  ModelParameters parameters;
  ReactionGuard reactionGuard;

  // The selected experiment, or nullptr when the selection is outside the set.
  Experiment* CurrentExperiment();
  const Experiment* CurrentExperiment() const;
  // The selected experiment's results, or nullptr when the selection is outside the set.
  const ExperimentResults* CurrentResults() const;

  // Selects experiment 1 and the given pair of graph quantities after a load or generation,
  // and forgets the results of the set that was replaced.
  void SelectFirst(int32_t xQuantity, int32_t yQuantity);
  // Selects experiment 1 and the quantities a new set from `source` is first shown with.
  void SelectFirst(SetSource source);
};

}  // namespace quarvel
