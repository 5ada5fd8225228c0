#include "solve/solve_experiments.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "model/displacement_controlled.h"
#include "model/integration.h"
#include "model/model_run.h"
#include "solve/model_settings.h"

namespace quarvel {
namespace {

bool IsForceDriven(ExperimentDataType type) {
  return type == ExperimentDataType::Acceleration || type == ExperimentDataType::Force;
}

// A run of the experiment with the given settings and mass, writing into the storage of
// `previous` (the earlier results), which it takes over.
void StartRun(ModelRun& run, const ModelParameters& parameters, double mass,
              ResponseHistory& previous) {
  run.parameters = parameters;
  run.mass = mass;
  std::swap(run.history, previous);
}

// Hands both runs' responses and the modified run's index histories to the results (the runs
// take the results' old arrays, whose storage the next solve reuses).
void StoreResponses(ModelRun& original, ModelRun& modified, ExperimentResults& r) {
  std::swap(r.original, original.history);
  std::swap(r.modified, modified.history);
  std::swap(r.reversalIndices, modified.reversalIndices);
}

// The excitation table X[1..N] of a force-driven experiment (the force samples, or the force of
// the ground acceleration on the run's mass) and its initial state.
void SetForceDrivenInputs(ModelRun& run, const Experiment& e) {
  const std::span<const double> samples(SamplesOf(e));
  if (e.dataType == ExperimentDataType::Force) {
    run.excitation.Assign(samples, e.counter, e.timeStep);
  } else {
    run.excitation.AssignGroundAcceleration(samples, e.counter, e.timeStep, run.mass,
                                            e.unitsOfG);
  }
  run.initialU = e.initialU;
  run.initialUDot = e.initialUDot;
  run.initialZ = e.initialZ;
}

void SolveForceDriven(ModelRun& original, ModelRun& modified, const Experiment& e,
                      ExperimentResults& r) {
  SetForceDrivenInputs(original, e);
  modified.excitation = original.excitation;
  modified.initialU = e.initialU;
  modified.initialUDot = e.initialUDot;
  modified.initialZ = e.initialZ;
  IntegrateBothPasses(original, modified);
  StoreResponses(original, modified, r);
}

void SolveDisplacementControlled(ModelRun& original, ModelRun& modified, const Experiment& e,
                                 ExperimentResults& r) {
  const std::span<const double> displacement(SamplesOf(e));
  DisplacementControlledResponse(original, displacement, e.counter, e.timeStep);
  DisplacementControlledModifiedResponse(modified, displacement, e.counter, e.timeStep,
                                         e.initialU, e.initialZ, original.history.Z);
  StoreResponses(original, modified, r);
}

// Signed difference over the original peak; 0 when the original has no positive peak.
double RelativeError(double originalPeak, double modifiedPeak) {
  if (originalPeak > 0.0) return (modifiedPeak - originalPeak) / std::abs(originalPeak);
  return 0.0;
}

void StorePeaksAndErrors(ExperimentResults& r) {
  r.originalPeakU = PeakOfAbsolute(r.original.U);
  r.modifiedPeakU = PeakOfAbsolute(r.modified.U);
  r.absErrorU = std::abs(r.originalPeakU - r.modifiedPeakU);
  r.relErrorU = RelativeError(r.originalPeakU, r.modifiedPeakU);

  r.originalPeakEh = PeakOfAbsolute(r.original.Eh);
  r.modifiedPeakEh = PeakOfAbsolute(r.modified.Eh);
  r.absErrorEh = std::abs(r.originalPeakEh - r.modifiedPeakEh);
  r.relErrorEh = RelativeError(r.originalPeakEh, r.modifiedPeakEh);
}

bool WeightsAddUpToZero(const ExperimentSet& experiments) {
  double sum = 0.0;
  for (const Experiment& e : experiments.Records()) sum += e.weight;
  return sum == 0.0;
}

}  // namespace

double PeakOfAbsolute(const std::vector<double>& values) {
  double peak = 0.0;
  for (std::size_t j = 1; j < values.size(); ++j) {
    if (std::abs(values[j]) > peak) peak = std::abs(values[j]);
  }
  return peak;
}

void SolveOriginalPass(const Experiment& e, const ModelParameters& parameters, ModelRun& run) {
  run.parameters = parameters;
  run.mass = EffectiveMass(parameters.mass, e.mass);
  SetForceDrivenInputs(run, e);
  run.pass = ModelPass::Original;
  IntegrateResponse(run);
}

int64_t SolveExperiment(const Experiment& e, const ModelParameters& parameters,
                        ExperimentResults& results, ExperimentCost* cost, RunMonitor* monitor) {
  if (monitor != nullptr && monitor->Cancelled()) return 0;
  const double mass = EffectiveMass(parameters.mass, e.mass);
  ModelRun original;
  ModelRun modified;
  StartRun(original, parameters, mass, results.original);
  StartRun(modified, parameters, mass, results.modified);
  int32_t firstFaultSample = 0;
  for (ModelRun* run : {&original, &modified}) {
    run->onWeightFault = [run, &firstFaultSample] {
      if (firstFaultSample == 0) firstFaultSample = run->sample;
    };
    run->monitor = monitor;
  }

  if (e.counter < 1) {
    // Nothing to solve: no samples, empty responses.
    original.history.Reset(0);
    modified.history.Reset(0);
    modified.reversalIndices = ReversalIndexHistory{};
    StoreResponses(original, modified, results);
  } else if (IsForceDriven(e.dataType)) {
    SolveForceDriven(original, modified, e, results);
  } else {
    SolveDisplacementControlled(original, modified, e, results);
  }
  if (original.cancelled || modified.cancelled) return 0;
  if (monitor != nullptr) {
    // The samples of the last stride of each pass, which no pass reported.
    monitor->Report(2 * static_cast<int64_t>(std::max(e.counter, 0)) -
                    original.samplesReported - modified.samplesReported);
  }

  const bool fromOrigin = IsForceDriven(e.dataType);
  results.original.ComputeEnergies(fromOrigin);
  results.modified.ComputeEnergies(fromOrigin);
  StorePeaksAndErrors(results);
  results.originalFault = FindRunFault(results.original, original.stoppedByFault, original.sample);
  results.modifiedFault = FindRunFault(results.modified, modified.stoppedByFault, modified.sample);
  const int64_t faults = original.weightFaults + modified.weightFaults;
  if (cost != nullptr) {
    cost->weightFaults = faults;
    cost->derivativeEvaluations = original.derivativeEvaluations + modified.derivativeEvaluations;
    cost->firstFaultSample = firstFaultSample;
  }
  return faults;
}

namespace {

// Below this many samples in the whole set a solve stays on the calling thread: waking the
// pool would cost about as much as the work it shares out.
constexpr int64_t kSamplesWorthSharing = 2000;

// Experiment indices, the costliest first, so that the last to start are the cheapest and the
// threads finish together. The cost is the time the previous solve on the pool took when it
// solved the same records (a set solved again: Solve Now, a study): one short record under
// large amplitudes can cost more than three long ones. Otherwise it is the sample count.
std::vector<int32_t> CostliestFirst(std::span<const Experiment> records,
                                    const SolveTimings& timings) {
  bool timed = timings.seconds.size() == records.size();
  for (std::size_t k = 0; timed && k < records.size(); ++k) {
    timed = timings.counters[k] == records[k].counter && timings.seconds[k] > 0.0;
  }
  std::vector<double> cost(records.size());
  for (std::size_t k = 0; k < records.size(); ++k) {
    cost[k] = timed ? timings.seconds[k] : static_cast<double>(records[k].counter);
  }
  std::vector<int32_t> order(records.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int32_t>(k);
  std::stable_sort(order.begin(), order.end(), [&cost](int32_t a, int32_t b) {
    return cost[static_cast<std::size_t>(a)] > cost[static_cast<std::size_t>(b)];
  });
  return order;
}

// Solves the records side by side on the pool, the costliest first, and keeps in the pool how
// long each took.
void SolveOnPool(std::span<const Experiment> records, const ModelParameters& parameters,
                 std::span<ExperimentResults> results, std::vector<ExperimentCost>& costs,
                 SolvePool& pool, RunMonitor* monitor) {
  const std::vector<int32_t> order = CostliestFirst(records, pool.timings);
  std::vector<double> seconds(records.size());
  pool.ForEach(order, [&](int32_t k) {
    const auto at = static_cast<std::size_t>(k);
    const auto started = std::chrono::steady_clock::now();
    SolveExperiment(records[at], parameters, results[at], &costs[at], monitor);
    seconds[at] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  });
  if (monitor != nullptr && monitor->Cancelled()) return;  // the times say nothing
  pool.timings.seconds = std::move(seconds);
  pool.timings.counters.resize(records.size());
  for (std::size_t k = 0; k < records.size(); ++k) pool.timings.counters[k] = records[k].counter;
}

bool WorthSharing(std::span<const Experiment> records, const SolvePool* pool) {
  if (pool == nullptr || pool->ThreadCount() < 2 || records.size() < 2) return false;
  int64_t samples = 0;
  for (const Experiment& e : records) samples += e.counter > 0 ? e.counter : 0;
  return samples >= kSamplesWorthSharing;
}

}  // namespace

namespace {

// What every solve does before it solves: the two refusals with their messages, then the
// settings. False when it refused.
bool StartSolve(Workbench& bench, UserInterface& ui) {
  if (bench.experiments.Count() == 0) {
    ui.ShowMessage(kMessageNoExperiments, MessageIcon::Exclamation);
    return false;
  }
  if (WeightsAddUpToZero(bench.experiments)) {
    ui.ShowMessage(kMessageZeroWeights, MessageIcon::Exclamation);
    return false;
  }
  ReadModelParameters(bench.inputs, bench.parameters);
  bench.results.Resize(bench.experiments.Count());
  return true;
}

// What every solve does after it: "ERRRR" once for the faults, in experiment order, then the
// events and the refresh.
// costs[k] belongs to experiment firstExperiment + k.
SolveOutcome FinishSolve(Workbench& bench, UserInterface& ui, bool updateDisplay,
                         const std::vector<ExperimentCost>& costs, int32_t firstExperiment = 1) {
  SolveOutcome outcome;
  for (std::size_t k = 0; k < costs.size(); ++k) {
    const ExperimentCost& cost = costs[k];
    // A blown-up response can fault at every evaluation: one message per solve is enough.
    if (cost.weightFaults > 0 && outcome.weightFaults == 0) {
      ui.ShowMessage(kMessageWeightFault, MessageIcon::None);
      outcome.firstFaultExperiment = firstExperiment + static_cast<int32_t>(k);
      outcome.firstFaultSample = cost.firstFaultSample;
    }
    outcome.weightFaults += cost.weightFaults;
    outcome.derivativeEvaluations += cost.derivativeEvaluations;
  }
  outcome.solved = true;

  ui.ProcessEvents();
  if (updateDisplay) {
    ui.UpdateErrorLabels();
    ui.UpdatePeriodLabels();
    if (const Experiment* current = bench.CurrentExperiment()) {
      ui.UpdateGraph(current->counter, true);
    }
  }
  return outcome;
}

// A solve cancelled while it ran leaves no results (some would be incomplete); they are
// forgotten where the solve ran, as freeing the arrays of a long record takes a while.
bool ForgetIfCancelled(Workbench& bench, const RunMonitor* monitor) {
  if (monitor == nullptr || !monitor->Cancelled()) return false;
  bench.results.Clear();
  return true;
}

SolveOutcome CancelledSolve() {
  SolveOutcome outcome;
  outcome.cancelled = true;
  return outcome;
}

}  // namespace

SolveOutcome SolveExperiments(Workbench& bench, UserInterface& ui, bool updateDisplay,
                              SolvePool* pool) {
  if (!StartSolve(bench, ui)) return SolveOutcome{};
  const std::span<const Experiment> records = bench.experiments.Records();
  const std::span<ExperimentResults> results = bench.results.Records();
  std::vector<ExperimentCost> costs(records.size());
  bool cancelled = false;
  ui.RunSolve([&](RunMonitor* monitor) {
    if (WorthSharing(records, pool)) {
      SolveOnPool(records, bench.parameters, results, costs, *pool, monitor);
    } else {
      for (std::size_t k = 0; k < records.size(); ++k) {
        SolveExperiment(records[k], bench.parameters, results[k], &costs[k], monitor);
      }
    }
    cancelled = ForgetIfCancelled(bench, monitor);
  });
  if (cancelled) return CancelledSolve();
  return FinishSolve(bench, ui, updateDisplay, costs);
}

SolveOutcome SolveSelectedExperiment(Workbench& bench, UserInterface& ui, bool updateDisplay) {
  if (!StartSolve(bench, ui)) return SolveOutcome{};
  std::vector<ExperimentCost> costs(1);
  bool cancelled = false;
  if (const Experiment* selected = bench.CurrentExperiment()) {
    ExperimentResults& results = bench.results.At(bench.currentExperiment);
    ui.RunSolve([&](RunMonitor* monitor) {
      SolveExperiment(*selected, bench.parameters, results, &costs.front(), monitor);
      cancelled = ForgetIfCancelled(bench, monitor);
    });
  }
  if (cancelled) return CancelledSolve();
  return FinishSolve(bench, ui, updateDisplay, costs, bench.currentExperiment);
}

}  // namespace quarvel
