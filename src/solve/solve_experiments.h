#pragma once
// The comparison: both models over every experiment of the set, energies, peaks and errors.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "model/model_parameters.h"
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
};

// What solving one experiment cost.
struct ExperimentCost {
  int64_t weightFaults = 0;
  int64_t derivativeEvaluations = 0;
  int32_t firstFaultSample = 0;  // the sample being computed at the first fault; 0 for none
};

// How long each experiment of the last set shared out on a pool took, by position, with its
// sample count. The next solve of the same set hands out the costliest first; no result
// depends on it.
struct SolveTimings {
  std::vector<int32_t> counters;
  std::vector<double> seconds;
};

// A few threads kept for solving experiments side by side, started by the first solve that
// shares work and reused by every later one. The calling thread takes part in the work, so a
// pool of `threads` keeps threads - 1 of its own; a pool of 1 works on the caller's thread
// alone. One ForEach at a time (the pool is not re-entrant).
class SolvePool {
 public:
  // threads = 0 takes the number of hardware threads (at least 1).
  explicit SolvePool(unsigned threads = 0);
  ~SolvePool();
  SolvePool(const SolvePool&) = delete;
  SolvePool& operator=(const SolvePool&) = delete;

  unsigned ThreadCount() const { return threads_; }

  // Runs task(order[k]) for every k, each exactly once, on the pool's threads and the caller's;
  // returns when all have finished. Tasks are taken in the order given. An exception thrown by
  // a task is rethrown here (the first one; the other tasks still run).
  void ForEach(const std::vector<int32_t>& order, const std::function<void(int32_t)>& task);

  SolveTimings timings;  // kept by SolveExperiments between the solves it shares out here

 private:
  void WorkerLoop();
  void RunTasks();

  unsigned threads_;                  // the caller's and the workers'
  std::vector<std::thread> workers_;  // started by the first ForEach
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  // The job in progress, guarded by mutex_.
  const std::vector<int32_t>* order_ = nullptr;
  const std::function<void(int32_t)>* task_ = nullptr;
  std::size_t next_ = 0;      // next position of order_ to hand out
  std::size_t finished_ = 0;  // tasks finished
  uint64_t generation_ = 0;   // grows with every job, so sleeping workers see a new one
  bool stopping_ = false;
  std::exception_ptr failure_;
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
// A set too small to gain from it is solved on the calling thread.
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
// (if given) receives the counts.
int64_t SolveExperiment(const Experiment& experiment, const ModelParameters& parameters,
                        ExperimentResults& results, ExperimentCost* cost = nullptr);

}  // namespace quarvel
