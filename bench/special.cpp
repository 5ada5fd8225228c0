// Cost of the unloading factor 2F1(1, 1/n; 1 + 1/n; x) of the modified model, which is
// evaluated at every reversal point and at every state: x = (beta - gamma) |z|^n, between
// -0.8 and 0.5 for the usual parameters.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "special/hypergeometric.h"

namespace {

double UnloadingFactor(double n, double x) {
  double result = 0.0;
  quarvel::HypergeometricF(1.0, 1.0 / n, 1.0 + 1.0 / n, x, result);
  return result;
}

// Note on DoNotOptimize: with the installed Google Benchmark (1.7) and GCC 12 at -O3, the
// overload for a non-const lvalue ("+m,r" constraint) zeroes a double. Arguments are made
// opaque through a volatile read instead, and results are passed as const values.

// One argument per run: -0.8 and -0.6 go through the Pfaff transformation into the series,
// the others straight into the series (0 is the one-term case).
void BM_UnloadingFactorAt(benchmark::State& state, double n, double x) {
  volatile double opaqueArgument = x;
  for (auto _ : state) {
    const double value = UnloadingFactor(n, opaqueArgument);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_minus0_8, 2.0, -0.8);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_minus0_6, 2.0, -0.6);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_minus0_5, 2.0, -0.5);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_minus0_25, 2.0, -0.25);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_0, 2.0, 0.0);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_0_25, 2.0, 0.25);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_0_5, 2.0, 0.5);
// Beyond 0.5 the logarithmic case sums digamma values: table look-ups for n = 2, a series of
// 100000 terms per value for n = 3.
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n2_x_0_9_logarithmic, 2.0, 0.9);
BENCHMARK_CAPTURE(BM_UnloadingFactorAt, n3_x_0_9_logarithmic, 3.0, 0.9)
    ->Unit(benchmark::kMillisecond);

// A sweep of 1000 evenly spaced arguments from -0.8 to 0.5, as a response history visits them.
void BM_UnloadingFactorSweep(benchmark::State& state) {
  const double n = 2.0;
  constexpr int kPoints = 1000;
  std::vector<double> arguments(kPoints);
  for (int i = 0; i < kPoints; ++i) arguments[i] = -0.8 + 1.3 * i / (kPoints - 1);
  for (auto _ : state) {
    double total = 0.0;
    for (const double x : arguments) total += UnloadingFactor(n, x);
    const double result = total;
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPoints));
}
BENCHMARK(BM_UnloadingFactorSweep);

}  // namespace
