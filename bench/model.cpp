// Speed of the model: derivative evaluations per second for each pass and reversal rule, and
// whole solves (original and modified pass) of the six built-in sinusoidal force records
// with each scheme.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/integration.h"
#include "model/model_run.h"
#include "model/state_derivative.h"

namespace quarvel {
namespace {

struct SineRecord {
  double period;
  double amplitude;
};

// The built-in set: 10 cycles at a 0.02 s step, mass 2.86, from rest.
constexpr SineRecord kBuiltIn[] = {{1, 5}, {2, 5}, {3, 5}, {1, 20}, {2, 20}, {3, 20}};
constexpr double kTimeStep = 0.02;
constexpr double kMass = 2.86;

// Samples 1..counter (1-based), counter = round(cycles * period / dt) + 1, force sample i =
// amplitude * sin(w * dt * (i - 1)) with w = 2 pi / period and w * dt formed first.
std::vector<double> SineForce(const SineRecord& record) {
  const double omega = 2.0 * 3.14159265358979 / record.period;
  const auto counter = static_cast<int>(std::nearbyint(10.0 * record.period / kTimeStep)) + 1;
  std::vector<double> force(static_cast<std::size_t>(counter) + 1, 0.0);
  for (int i = 1; i <= counter; ++i) {
    force[static_cast<std::size_t>(i)] = record.amplitude * std::sin(omega * kTimeStep * (i - 1));
  }
  return force;
}

const std::vector<std::vector<double>>& BuiltInForces() {
  static const std::vector<std::vector<double>> forces = [] {
    std::vector<std::vector<double>> out;
    for (const SineRecord& record : kBuiltIn) out.push_back(SineForce(record));
    return out;
  }();
  return forces;
}

ModelParameters Settings(SolutionMethod method, ReversalRule rule) {
  ModelParameters p;  // model defaults
  p.solutionMethod = method;
  p.reversalRule = rule;
  const bool doubling = method == SolutionMethod::EulerStepDoubling ||
                        method == SolutionMethod::RungeKuttaStepDoubling;
  p.eulerSteps = doubling ? 128 : 1;
  p.eps = 1e-9;
  return p;
}

void Load(ModelRun& run, const std::vector<double>& force) {
  run.excitation.Assign(force, static_cast<int32_t>(force.size()) - 1, kTimeStep);
}

// StateDerivative over the states of a solved response of "T=1, Amp=5", with the reversal
// memory as the run left it.
void BM_StateDerivative(benchmark::State& state) {
  const auto pass = static_cast<ModelPass>(state.range(0));
  const auto rule = static_cast<ReversalRule>(state.range(1));
  ModelRun run;
  run.parameters = Settings(SolutionMethod::RungeKuttaStepDoubling, rule);
  run.mass = kMass;
  run.pass = pass;
  Load(run, BuiltInForces()[0]);
  IntegrateResponse(run);
  const ResponseHistory& h = run.history;
  const int32_t n = h.SampleCount();
  int32_t i = 1;
  for (auto _ : state) {
    const auto at = static_cast<std::size_t>(i);
    const StateVector dy = StateDerivative(run, h.T[at], {h.U[at], h.U_DOT[at], h.Z[at]});
    benchmark::DoNotOptimize(dy);
    i = i == n ? 1 : i + 1;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::string(pass == ModelPass::Original ? "Original" : "Modified") + "/" +
                 (rule == ReversalRule::AllReversals    ? "AllReversals"
                  : rule == ReversalRule::LastReversal ? "LastReversal"
                  : rule == ReversalRule::MaxReversal  ? "MaxReversal"
                                                       : "LastAndMaxReversal"));
}
BENCHMARK(BM_StateDerivative)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3}})
    ->ArgNames({"pass", "rule"});

// One solve of the six records: Original then Modified pass of each, as the solve driver
// runs them, with the default all-reversal rule.
void BM_SolveBuiltInSet(benchmark::State& state) {
  const auto method = static_cast<SolutionMethod>(state.range(0));
  ModelRun run;
  run.parameters = Settings(method, ReversalRule::AllReversals);
  run.mass = kMass;
  int64_t evaluations = 0;
  for (auto _ : state) {
    run.derivativeEvaluations = 0;
    for (const std::vector<double>& force : BuiltInForces()) {
      Load(run, force);
      for (ModelPass pass : {ModelPass::Original, ModelPass::Modified}) {
        run.pass = pass;
        IntegrateResponse(run);
        benchmark::DoNotOptimize(run.history.U.data());
      }
    }
    evaluations = run.derivativeEvaluations;
  }
  state.counters["evaluations"] = static_cast<double>(evaluations);
  state.counters["evaluations/s"] = benchmark::Counter(
      static_cast<double>(evaluations) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SolveBuiltInSet)
    ->Arg(static_cast<int>(SolutionMethod::Euler))
    ->Arg(static_cast<int>(SolutionMethod::EulerStepDoubling))
    ->Arg(static_cast<int>(SolutionMethod::RungeKutta))
    ->Arg(static_cast<int>(SolutionMethod::RungeKuttaStepDoubling))
    ->ArgName("method")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarvel
