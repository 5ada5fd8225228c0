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

constexpr double kGravity = 9.81;

bool IsForceDriven(ExperimentDataType type) {
  return type == ExperimentDataType::Acceleration || type == ExperimentDataType::Force;
}

// The excitation table X[1..N] of a force-driven experiment (index 0 unused).
std::vector<double> ExcitationTable(const Experiment& e, double mass) {
  const auto size = static_cast<std::size_t>(e.counter) + 1;
  std::vector<double> x(size, 0.0);
  const std::vector<double>& samples = SamplesOf(e);
  const std::size_t available = std::min(size, samples.size());
  if (e.dataType == ExperimentDataType::Force) {
    for (std::size_t j = 1; j < available; ++j) x[j] = samples[j];
  } else if (e.unitsOfG == 1) {
    for (std::size_t j = 1; j < available; ++j) x[j] = -samples[j] * mass * kGravity;
  } else if (e.unitsOfG == 0) {
    for (std::size_t j = 1; j < available; ++j) x[j] = -samples[j] * mass;
  }
  return x;
}

// Hands the run's index histories to the experiment (the run takes the experiment's old
// arrays, whose storage the next solve reuses).
void StoreReversalHistories(ReversalIndexHistory& indices, Experiment& e) {
  std::swap(e.reversalLastPlus, indices.lastPlus);
  std::swap(e.reversalLastMinus, indices.lastMinus);
  std::swap(e.reversalMaxPlus, indices.maxPlus);
  std::swap(e.reversalMaxMinus, indices.maxMinus);
}

// A run of the experiment with the given settings and mass, writing into the storage of
// `previous` (the experiment's earlier results), which it takes over.
void StartRun(ModelRun& run, const ModelParameters& parameters, double mass,
              ResponseHistory& previous) {
  run.parameters = parameters;
  run.mass = mass;
  std::swap(run.history, previous);
}

void SolveForceDriven(ModelRun& original, ModelRun& modified, Experiment& e) {
  ExcitationForce& excitation = original.excitation;
  excitation.X = ExcitationTable(e, original.mass);
  excitation.sampleCount = e.counter;
  excitation.timeStep = e.timeStep;
  modified.excitation = excitation;
  for (ModelRun* run : {&original, &modified}) {
    run->initialU = e.initialU;
    run->initialUDot = e.initialUDot;
    run->initialZ = e.initialZ;
  }

  IntegrateBothPasses(original, modified);
  std::swap(e.original, original.history);
  std::swap(e.modified, modified.history);
  StoreReversalHistories(modified.reversalIndices, e);
}

void SolveDisplacementControlled(ModelRun& original, ModelRun& modified, Experiment& e) {
  const std::span<const double> displacement(SamplesOf(e));
  DisplacementControlledResponse(original, displacement, e.counter, e.timeStep);
  std::swap(e.original, original.history);

  DisplacementControlledModifiedResponse(modified, displacement, e.counter, e.timeStep,
                                         e.initialU, e.initialZ, e.original.Z);
  std::swap(e.modified, modified.history);
  StoreReversalHistories(modified.reversalIndices, e);
}

// Largest |value| over samples 1..N; non-finite values never replace the peak.
double PeakOfAbsolute(const std::vector<double>& values) {
  double peak = 0.0;
  for (std::size_t j = 1; j < values.size(); ++j) {
    if (std::abs(values[j]) > peak) peak = std::abs(values[j]);
  }
  return peak;
}

// Signed difference over the original peak; 0 when the original has no positive peak.
double RelativeError(double originalPeak, double modifiedPeak) {
  if (originalPeak > 0.0) return (modifiedPeak - originalPeak) / std::abs(originalPeak);
  return 0.0;
}

void StorePeaksAndErrors(Experiment& e) {
  e.originalPeakU = PeakOfAbsolute(e.original.U);
  e.modifiedPeakU = PeakOfAbsolute(e.modified.U);
  e.absErrorU = std::abs(e.originalPeakU - e.modifiedPeakU);
  e.relErrorU = RelativeError(e.originalPeakU, e.modifiedPeakU);

  e.originalPeakEh = PeakOfAbsolute(e.original.Eh);
  e.modifiedPeakEh = PeakOfAbsolute(e.modified.Eh);
  e.absErrorEh = std::abs(e.originalPeakEh - e.modifiedPeakEh);
  e.relErrorEh = RelativeError(e.originalPeakEh, e.modifiedPeakEh);
}

bool WeightsAddUpToZero(const ExperimentSet& experiments) {
  double sum = 0.0;
  for (const Experiment& e : experiments.Records()) sum += e.weight;
  return sum == 0.0;
}

}  // namespace

int64_t SolveExperiment(Experiment& e, const ModelParameters& parameters, ExperimentCost* cost) {
  const auto started = std::chrono::steady_clock::now();
  const double mass = EffectiveMass(parameters.mass, e.mass);
  ModelRun original;
  ModelRun modified;
  StartRun(original, parameters, mass, e.original);
  StartRun(modified, parameters, mass, e.modified);

  if (e.counter < 1) {
    // Nothing to solve: no samples, empty responses.
    std::swap(e.original, original.history);
    std::swap(e.modified, modified.history);
    e.original.Reset(0);
    e.modified.Reset(0);
    ReversalIndexHistory none;
    StoreReversalHistories(none, e);
  } else if (IsForceDriven(e.dataType)) {
    SolveForceDriven(original, modified, e);
  } else {
    SolveDisplacementControlled(original, modified, e);
  }

  const bool fromOrigin = IsForceDriven(e.dataType);
  e.original.ComputeEnergies(fromOrigin);
  e.modified.ComputeEnergies(fromOrigin);
  StorePeaksAndErrors(e);
  const int64_t faults = original.weightFaults + modified.weightFaults;
  if (cost != nullptr) {
    cost->weightFaults = faults;
    cost->derivativeEvaluations = original.derivativeEvaluations + modified.derivativeEvaluations;
  }
  e.solveSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return faults;
}

namespace {

// Below this many samples in the whole set a solve stays on the calling thread: waking the
// pool would cost about as much as the work it shares out.
constexpr int64_t kSamplesWorthSharing = 2000;

// Experiment indices, the costliest first, so that the last to start are the cheapest and the
// threads finish together. The cost is the time the previous solve took when every experiment
// has one (a set solved again: Solve Now, a study): one short record under large amplitudes can
// cost more than three long ones. Otherwise it is the sample count.
std::vector<int32_t> CostliestFirst(std::span<const Experiment> records) {
  const bool timed = std::all_of(records.begin(), records.end(),
                                 [](const Experiment& e) { return e.solveSeconds > 0.0; });
  std::vector<double> cost(records.size());
  for (std::size_t k = 0; k < records.size(); ++k) {
    cost[k] = timed ? records[k].solveSeconds : static_cast<double>(records[k].counter);
  }
  std::vector<int32_t> order(records.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int32_t>(k);
  std::stable_sort(order.begin(), order.end(), [&cost](int32_t a, int32_t b) {
    return cost[static_cast<std::size_t>(a)] > cost[static_cast<std::size_t>(b)];
  });
  return order;
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
  return true;
}

// What every solve does after it: "ERRRR" once for the faults, in experiment order, then the
// events and the refresh.
SolveOutcome FinishSolve(Workbench& bench, UserInterface& ui, bool updateDisplay,
                         const std::vector<ExperimentCost>& costs) {
  SolveOutcome outcome;
  for (const ExperimentCost& cost : costs) {
    // A blown-up response can fault at every evaluation: one message per solve is enough.
    if (cost.weightFaults > 0 && outcome.weightFaults == 0) {
      ui.ShowMessage(kMessageWeightFault, MessageIcon::None);
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

}  // namespace

SolveOutcome SolveExperiments(Workbench& bench, UserInterface& ui, bool updateDisplay,
                              SolvePool* pool) {
  if (!StartSolve(bench, ui)) return SolveOutcome{};
  const std::span<Experiment> records = bench.experiments.Records();
  std::vector<ExperimentCost> costs(records.size());
  if (WorthSharing(records, pool)) {
    const ModelParameters& parameters = bench.parameters;
    pool->ForEach(CostliestFirst(records), [&](int32_t k) {
      const auto at = static_cast<std::size_t>(k);
      SolveExperiment(records[at], parameters, &costs[at]);
    });
  } else {
    for (std::size_t k = 0; k < records.size(); ++k) {
      SolveExperiment(records[k], bench.parameters, &costs[k]);
    }
  }
  return FinishSolve(bench, ui, updateDisplay, costs);
}

SolveOutcome SolveSelectedExperiment(Workbench& bench, UserInterface& ui, bool updateDisplay) {
  if (!StartSolve(bench, ui)) return SolveOutcome{};
  std::vector<ExperimentCost> costs(1);
  if (Experiment* selected = bench.CurrentExperiment()) {
    SolveExperiment(*selected, bench.parameters, &costs.front());
  }
  return FinishSolve(bench, ui, updateDisplay, costs);
}

SolvePool::SolvePool(unsigned threads)
    : threads_(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads) {}

SolvePool::~SolvePool() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void SolvePool::ForEach(const std::vector<int32_t>& order,
                        const std::function<void(int32_t)>& task) {
  if (order.empty()) return;
  // The threads start with the first work, so that a pool never used costs nothing.
  if (workers_.empty() && threads_ > 1) {
    workers_.reserve(threads_ - 1);
    for (unsigned k = 1; k < threads_; ++k) workers_.emplace_back([this] { WorkerLoop(); });
  }
  {
    const std::lock_guard lock(mutex_);
    order_ = &order;
    task_ = &task;
    next_ = 0;
    finished_ = 0;
    failure_ = nullptr;
    ++generation_;
  }
  wake_.notify_all();
  RunTasks();
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return finished_ == order_->size(); });
  order_ = nullptr;
  task_ = nullptr;
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void SolvePool::RunTasks() {
  std::unique_lock lock(mutex_);
  while (order_ != nullptr && next_ < order_->size()) {
    const int32_t k = (*order_)[next_++];
    const std::function<void(int32_t)>& task = *task_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      task(k);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    if (failure && !failure_) failure_ = failure;
    if (++finished_ == order_->size()) done_.notify_all();
  }
}

void SolvePool::WorkerLoop() {
  uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
    if (stopping_) return;
    seen = generation_;
    lock.unlock();
    RunTasks();
    lock.lock();
  }
}

}  // namespace quarvel
