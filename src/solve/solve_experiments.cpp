#include "solve/solve_experiments.h"

#include <cmath>
#include <span>
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

void StoreReversalHistories(const ReversalIndexHistory& indices, Experiment& e) {
  e.reversalLastPlus = indices.lastPlus;
  e.reversalLastMinus = indices.lastMinus;
  e.reversalMaxPlus = indices.maxPlus;
  e.reversalMaxMinus = indices.maxMinus;
}

void SolveForceDriven(ModelRun& run, Experiment& e) {
  run.excitation.Assign(ExcitationTable(e, run.mass), e.counter, e.timeStep);
  run.initialU = e.initialU;
  run.initialUDot = e.initialUDot;
  run.initialZ = e.initialZ;

  run.pass = ModelPass::Original;
  IntegrateResponse(run);
  e.original = run.history;

  run.pass = ModelPass::Modified;
  IntegrateResponse(run);
  e.modified = run.history;
  StoreReversalHistories(run.reversalIndices, e);
}

void SolveDisplacementControlled(ModelRun& run, Experiment& e) {
  const std::span<const double> displacement(SamplesOf(e));
  run.pass = ModelPass::Original;
  DisplacementControlledResponse(run, displacement, e.counter, e.timeStep);
  e.original = run.history;

  run.pass = ModelPass::Modified;
  DisplacementControlledModifiedResponse(run, displacement, e.counter, e.timeStep, e.initialU,
                                         e.initialZ, e.original.Z);
  e.modified = run.history;
  StoreReversalHistories(run.reversalIndices, e);
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

int64_t SolveExperiment(Experiment& e, const ModelParameters& parameters) {
  ModelRun run;
  run.parameters = parameters;
  run.mass = EffectiveMass(parameters.mass, e.mass);

  if (e.counter < 1) {
    // Nothing to solve: no samples, empty responses.
    e.original.Reset(0);
    e.modified.Reset(0);
    StoreReversalHistories(ReversalIndexHistory{}, e);
  } else if (IsForceDriven(e.dataType)) {
    SolveForceDriven(run, e);
  } else {
    SolveDisplacementControlled(run, e);
  }

  const bool fromOrigin = IsForceDriven(e.dataType);
  e.original.ComputeEnergies(fromOrigin);
  e.modified.ComputeEnergies(fromOrigin);
  StorePeaksAndErrors(e);
  return run.weightFaults;
}

SolveOutcome SolveExperiments(Workbench& bench, UserInterface& ui, bool updateDisplay) {
  SolveOutcome outcome;
  if (bench.experiments.Count() == 0) {
    ui.ShowMessage(kMessageNoExperiments, MessageIcon::Exclamation);
    return outcome;
  }
  if (WeightsAddUpToZero(bench.experiments)) {
    ui.ShowMessage(kMessageZeroWeights, MessageIcon::Exclamation);
    return outcome;
  }

  ReadModelParameters(bench.inputs, bench.parameters);
  for (Experiment& e : bench.experiments.Records()) {
    const int64_t faults = SolveExperiment(e, bench.parameters);
    // A blown-up response can fault at every evaluation: one message per solve is enough.
    if (faults > 0 && outcome.weightFaults == 0) {
      ui.ShowMessage(kMessageWeightFault, MessageIcon::None);
    }
    outcome.weightFaults += faults;
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

}  // namespace quarvel
