#pragma once
// The comparison: both models over every experiment of the set, energies, peaks and errors.

#include <cstdint>
#include <vector>

#include "model/model_parameters.h"
#include "model/model_run.h"
#include "solve/solve_pool.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace quarvel {

struct SolveOutcome {
  bool solved = false;       // false when a message stopped the solve before any experiment
  int64_t weightFaults = 0;  // faulting all-reversal weight evaluations ("ERRRR" shown once)
  int64_t derivativeEvaluations = 0;  // made by the passes (a step shared by both makes none)
  // Where the first faulting evaluation was met: the experiment (1-based) and the sample being
  // computed; 0 without a fault.
  int32_t firstFaultExperiment = 0;
  int32_t firstFaultSample = 0;
  // The monitor of UserInterface::RunSolve was cancelled while the solve ran: the results are
  // forgotten (every experiment's), no message is shown and nothing is refreshed.
  bool cancelled = false;
};

// What solving one experiment cost.
struct ExperimentCost {
  int64_t weightFaults = 0;
  int64_t derivativeEvaluations = 0;
  int32_t firstFaultSample = 0;  // the sample being computed at the first fault; 0 for none
};

// Reads the settings from bench.inputs into bench.parameters and solves experiments
// 1..Count(), storing both responses, energies, peaks and errors in bench.results. With no
// experiments, or weights adding up to 0, shows the message and returns. After the last
// experiment lets pending events run once, then, with updateDisplay, refreshes the error
// labels, the period labels and the graph (counter of the selected experiment, titles).
//
// With a pool of more than one thread the experiments are solved side by side; results,
// messages and their order are those of the solve in index order ("ERRRR" at most once, when
// the first experiment with a faulting weight evaluation is reached, before the refresh).
// A set too small to gain from it is solved on the calling thread. The solving itself goes
// through ui.RunSolve, whose monitor can cancel it.
SolveOutcome SolveExperiments(Workbench& bench, UserInterface& ui, bool updateDisplay,
                              SolvePool* pool = nullptr);

// SolveExperiments for a batch study that reads only the selected experiment's results: the
// same checks, messages and refresh, but only the experiment at bench.currentExperiment is
// solved (the others' results stay as they are), so "ERRRR" reflects its faults alone.
SolveOutcome SolveSelectedExperiment(Workbench& bench, UserInterface& ui, bool updateDisplay);

// Solves one experiment with the given settings (mass: the mass text's value, negative for the
// experiment's own) into `results`, reusing the storage of what they held. Touches nothing but
// `results`, so one record may be solved on several threads at once, under other settings or
// into other results. Returns the number of faulting all-reversal weight evaluations; `cost`
// (if given) receives the counts. With a monitor, both passes count their samples to it (2 N in
// all once solved) and a cancel ends them early, leaving incomplete results (nothing is solved
// once it has been asked for).
int64_t SolveExperiment(const Experiment& experiment, const ModelParameters& parameters,
                        ExperimentResults& results, ExperimentCost* cost = nullptr,
                        RunMonitor* monitor = nullptr);

// The original model alone over a force-driven experiment (Force or Acceleration): run.history
// receives exactly the response SolveExperiment stores as results.original, before the
// energies (Et and Eh stay zero). The mass is chosen as SolveExperiment chooses it. The run's
// storage is reused, so a caller that solves one record many times keeps one run.
void SolveOriginalPass(const Experiment& experiment, const ModelParameters& parameters,
                       ModelRun& run);

// Largest |value| over samples 1..N (index 0 is not a sample); a value that is not a number
// never replaces the peak. The peaks of the results are taken this way; the results' RunFault
// counts the samples that are not finite, so that no output passes over them silently.
double PeakOfAbsolute(const std::vector<double>& values);

}  // namespace quarvel
