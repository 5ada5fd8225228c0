// Whole solves through the solve driver, as the window and the command line run them: the six
// built-in experiments with the default settings (on the calling thread and on a pool), under
// each reversal rule and each scheme, the displacement protocols DC 1 and DC 2, and the
// El Centro 1940 NS record (acceleration in g).
//
// Counters, per solve: evaluations (derivative evaluations made; a step the modified pass
// shares with the original makes none), samples (of both passes); and as rates: solves/s,
// evaluations/s, samples/s.
//
// Note on DoNotOptimize: with Google Benchmark 1.7 and GCC 12 at -O3 the overload for a
// non-const lvalue can zero a double; results are passed as const values.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>
#include <string>

#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "solve/solve_experiments.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

enum class Set { BuiltIn, Dc1, Dc2, ElCentro };

bool Load(Set set, Workbench& bench) {
  switch (set) {
    case Set::BuiltIn:
      CreateSineForceExperiments(bench.experiments);
      break;
    case Set::Dc1:
      SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, Val(bench.inputs.txtUy),
                                        bench.experiments);
      break;
    case Set::Dc2:
      SetDisplacementProtocolExperiment(DisplacementProtocol::Dc2, Val(bench.inputs.txtUy),
                                        bench.experiments);
      break;
    case Set::ElCentro:
      if (!LoadExperimentFile(
              std::string(QUARVEL_SOURCE_DIR) + "/tests/experiments/data/elcentro-1940-ns.quarvel",
              bench.experiments)) {
        return false;
      }
      break;
  }
  bench.SelectFirst(0, 1);
  return true;
}

void UseMethod(MainWindowInputs& in, SolutionMethod method) {
  in.optSolutionEuler = method == SolutionMethod::Euler;
  in.optSolutionEulerStepDoubling = method == SolutionMethod::EulerStepDoubling;
  in.optSolutionRK45 = method == SolutionMethod::RungeKutta;
  in.optSolutionRKStepDoubling = method == SolutionMethod::RungeKuttaStepDoubling;
}

void UseRule(MainWindowInputs& in, ReversalRule rule) {
  in.optALLREV = rule == ReversalRule::AllReversals;
  in.optReversalLast = rule == ReversalRule::LastReversal;
  in.optReversalMax = rule == ReversalRule::MaxReversal;
  in.optReversalLastAndMax = rule == ReversalRule::LastAndMaxReversal;
}

// Solves the bench once per iteration and reports the counters.
void RunSolves(benchmark::State& state, Workbench& bench, SolvePool* pool) {
  SilentUserInterface ui;
  SolveOutcome outcome;
  for (auto _ : state) {
    outcome = SolveExperiments(bench, ui, true, pool);
    const double peak = bench.results.At(1).modifiedPeakU;
    benchmark::DoNotOptimize(peak);
  }
  if (!outcome.solved) {
    state.SkipWithError("the solve refused the set");
    return;
  }
  int64_t samples = 0;
  for (const Experiment& e : bench.experiments.Records()) samples += 2 * int64_t{e.counter};
  const auto evaluations = static_cast<double>(outcome.derivativeEvaluations);
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["evaluations"] = evaluations;
  state.counters["samples"] = static_cast<double>(samples);
  state.counters["solves/s"] = benchmark::Counter(iterations, benchmark::Counter::kIsRate);
  state.counters["evaluations/s"] =
      benchmark::Counter(evaluations * iterations, benchmark::Counter::kIsRate);
  state.counters["samples/s"] =
      benchmark::Counter(static_cast<double>(samples) * iterations, benchmark::Counter::kIsRate);
}

// The default solve of the six built-in experiments: RK step doubling, all reversal points.
// Argument: threads (1: the calling thread alone; more: a pool, as Solve Now and
// quarvel-cli solve use).
void BM_SolveBuiltInDefaults(benchmark::State& state) {
  Workbench bench;
  Load(Set::BuiltIn, bench);
  const auto threads = static_cast<unsigned>(state.range(0));
  SolvePool pool(threads);
  RunSolves(state, bench, threads > 1 ? &pool : nullptr);
}
BENCHMARK(BM_SolveBuiltInDefaults)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();

// One short experiment ("T=1, Amp=5", 501 samples) on the calling thread and with a pool at
// hand: a set this small is solved on the calling thread either way, and must not be slower.
void BM_SolveTinySet(benchmark::State& state) {
  Workbench bench;
  Load(Set::BuiltIn, bench);
  bench.experiments.Resize(1);
  const auto threads = static_cast<unsigned>(state.range(0));
  SolvePool pool(threads);
  RunSolves(state, bench, threads > 1 ? &pool : nullptr);
}
BENCHMARK(BM_SolveTinySet)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();

// The built-in set under each reversal rule (RK step doubling).
void BM_SolveBuiltInRule(benchmark::State& state) {
  Workbench bench;
  Load(Set::BuiltIn, bench);
  UseRule(bench.inputs, static_cast<ReversalRule>(state.range(0)));
  RunSolves(state, bench, nullptr);
}
BENCHMARK(BM_SolveBuiltInRule)
    ->ArgName("rule")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

// The built-in set with each scheme (all reversal points). Euler takes one sub-step per sample.
void BM_SolveBuiltInScheme(benchmark::State& state) {
  Workbench bench;
  Load(Set::BuiltIn, bench);
  UseMethod(bench.inputs, static_cast<SolutionMethod>(state.range(0)));
  RunSolves(state, bench, nullptr);
}
BENCHMARK(BM_SolveBuiltInScheme)
    ->ArgName("method")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

// The displacement protocols (one experiment each, evaluated sample by sample).
void BM_SolveDisplacementProtocol(benchmark::State& state) {
  Workbench bench;
  Load(state.range(0) == 1 ? Set::Dc1 : Set::Dc2, bench);
  UseRule(bench.inputs, static_cast<ReversalRule>(state.range(1)));
  RunSolves(state, bench, nullptr);
}
BENCHMARK(BM_SolveDisplacementProtocol)
    ->ArgNames({"dc", "rule"})
    ->ArgsProduct({{1, 2}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);

// The El Centro 1940 NS record with the default settings and with each scheme.
void BM_SolveElCentro(benchmark::State& state) {
  Workbench bench;
  if (!Load(Set::ElCentro, bench)) {
    state.SkipWithError("the El Centro record could not be loaded");
    return;
  }
  UseMethod(bench.inputs, static_cast<SolutionMethod>(state.range(0)));
  RunSolves(state, bench, nullptr);
}
BENCHMARK(BM_SolveElCentro)->ArgName("method")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// A solve into a fresh bench, as a caller that keeps each solve's results makes it (the Python
// module's solve): the set copied in, both responses into new storage. Argument: 0 the built-in
// set, 1 El Centro 1940 NS; default settings, the calling thread.
void BM_SolveFreshBench(benchmark::State& state) {
  Workbench loaded;
  if (!Load(state.range(0) == 0 ? Set::BuiltIn : Set::ElCentro, loaded)) {
    state.SkipWithError("the El Centro record could not be loaded");
    return;
  }
  const std::span<const Experiment> records = loaded.experiments.Records();
  SilentUserInterface ui;
  for (auto _ : state) {
    Workbench bench;
    bench.experiments.Assign({records.begin(), records.end()});
    bench.SelectFirst(0, 1);
    const SolveOutcome outcome = SolveExperiments(bench, ui, false);
    const double peak = bench.results.At(1).modifiedPeakU;
    benchmark::DoNotOptimize(peak);
    benchmark::DoNotOptimize(outcome.solved);
  }
}
BENCHMARK(BM_SolveFreshBench)->ArgName("elcentro")->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarvel
