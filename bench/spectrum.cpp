// The constant-ductility spectrum (MU = 4, 5 % damping, default model) of the El Centro 1940 NS
// record over 60 periods from 0.05 to 3 s, written to its two tables as `quarvel-cli spectrum`
// writes them, on one thread and on a pool of two. Wall time and the CPU time of the whole
// process (all threads) are reported; counters: points per second and the original-model
// passes the strength search took per point.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "experiments/experiment_file.h"
#include "solve/model_settings.h"
#include "spectra/periods.h"
#include "spectra/spectrum_run.h"

namespace quarvel {
namespace {

SpectrumPlan ElCentroDuctilityPlan(ExperimentSet& set) {
  if (!LoadExperimentFile(
          std::string(QUARVEL_SOURCE_DIR) + "/tests/experiments/data/elcentro-1940-ns.quarvel",
          set)) {
    return {};
  }
  SpectrumPlan plan;
  plan.records = set.Records();
  std::string error;
  plan.periods = ParsePeriods("0.05:3:0.05", error).value_or(std::vector<double>{});
  plan.settings.kind = SpectrumKind::Ductility;
  plan.settings.target = 4.0;
  plan.settings.dampingRatio = 0.05;
  ReadModelParameters(MainWindowInputs{}, plan.settings.model);
  return plan;
}

void BM_ElCentroDuctilitySpectrum(benchmark::State& state) {
  ExperimentSet set;
  const SpectrumPlan plan = ElCentroDuctilityPlan(set);
  if (plan.records.empty() || plan.periods.size() != 60) {
    state.SkipWithError("the El Centro record or the periods could not be read");
    return;
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("quarvel-bench-spectrum-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  SolvePool pool(static_cast<unsigned>(state.range(0)));
  SpectrumOutput output;
  output.rowsPath = (folder / "spectrum.csv").string();
  output.statisticsPath = (folder / "spectrum-stats.csv").string();
  output.pool = &pool;
  const StopToken stop;
  for (auto _ : state) {
    const SpectrumOutcome outcome = RunSpectrum(plan, output, stop);
    if (outcome.Failed() || outcome.pointsWritten != 60) state.SkipWithError("spectrum failed");
  }
  std::filesystem::remove_all(folder);

  SpectrumSolver solver;  // the search's passes, counted once outside the timing
  double passes = 0.0;
  for (const double period : plan.periods) {
    passes += solver.Solve(plan.records[0], 1, period, plan.settings).searchPasses;
  }
  state.counters["search passes/point"] = passes / 60.0;
  state.counters["points/s"] = benchmark::Counter(60.0 * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ElCentroDuctilitySpectrum)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);

}  // namespace
}  // namespace quarvel
