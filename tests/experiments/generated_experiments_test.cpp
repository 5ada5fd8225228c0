// The generators' exact protocols. Every sample of the built-in set, DC 1 and DC 2 also enters
// the solve digests (as Fext or U), to the last bit.

#include "experiments/generated_experiments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>


namespace quarvel {
namespace {

// Six fresh records, of which nothing of an earlier set in units of g survives (their names are
// in the window and command-line tests, their samples in the solve digests); more are added.
TEST(SineForceExperiments, CreateSixFreshOnesAndAddMore) {
  ExperimentSet set;
  Experiment stale;
  stale.unitsOfG = 1;
  stale.acceleration = {0, 1};
  for (int k = 0; k < 8; ++k) set.Append(stale);
  CreateSineForceExperiments(set);
  for (const Experiment& e : set.Records()) {
    EXPECT_EQ(std::tuple(e.unitsOfG, e.acceleration.size(), e.force.size()),
              std::tuple(0, 0u, e.counter + 1u));
  }
  ASSERT_TRUE(AddSineForceExperiment("extra", 2, 3, 0.1, 0.2, 0.3, 0.01, 0.5, 1, 2, set));
  const Experiment& x = set.At(7);  // appended after the six
  EXPECT_EQ(std::tuple(x.name, x.weight, x.mass, x.initialU, x.initialUDot, x.initialZ, x.timeStep,
                       x.counter),
            std::tuple("extra", 2.0, 3.0, 0.1, 0.2, 0.3, 0.01, 101));
}

// round-half-even(cycles x period / time step) + 1. Mend: a count beyond the limit, or from a
// time step or period that is not a positive number, is refused before any storage is sized.
TEST(SineSampleCount, CountsOrRefuses) {
  const struct { double cycles, period, timeStep; int32_t counter; } rows[] = {  // 0: refused
      {3, 4, 0.02, 601},  {2.5, 1, 1, 3},   {3.5, 1, 1, 5},       {0, 4, 0.02, 1},
      {1, kMaxGeneratedSamples - 1, 1, kMaxGeneratedSamples},    {3, 4, 0, 0},
      {3, 0, 0.02, 0},    {-3, 4, 0.02, 0}, {INFINITY, 4, 0.02, 0}, {3, 4, 1e-300, 0}};
  for (const auto& row : rows) {
    int32_t counter = -7;
    const FileResult result = SineSampleCount(row.cycles, row.period, row.timeStep, counter);
    EXPECT_EQ(result.ok, row.counter != 0)
        << row.cycles << " " << row.period << " " << row.timeStep;
    EXPECT_EQ(counter, row.counter != 0 ? row.counter : -7);
  }
  int32_t counter = 0;
  EXPECT_EQ(SineSampleCount(1, kMaxGeneratedSamples, 1, counter).reason,
            "cycles x period / time step gives 10000001 samples (one per time step, and the "
            "first); between 1 and 10000000 are allowed");
}

// The name is built from the texts as typed, the numbers by the leading-number parse; Ok
// replaces the set by one displacement sinusoid. (Refusals: the sample count test above and the
// window's sinusoid dialog test.)
TEST(SinusoidDialog, OkReplacesTheSet) {
  const SinusoidDialogInput typed = ReadSinusoidDialog({" 2,50 kg", "1E-1", "4.", "", "0.0200"});
  EXPECT_EQ(typed.name, "m= 2,50 kg, T=4., Amp=1E-1, Cycl=, TS=0.0200");
  EXPECT_EQ(std::vector({typed.mass, typed.amplitude, typed.period, typed.cycles, typed.timeStep}),
            std::vector({2.0, 0.1, 4.0, 0.0, 0.02}));
  ExperimentSet set;
  CreateSineForceExperiments(set);
  ASSERT_TRUE(CreateSinusoidalDisplacementExperiment(SinusoidDialogTexts{}, set));
  ASSERT_EQ(set.Count(), 1);
  const Experiment& e = set.At(1);
  EXPECT_EQ(std::tuple(e.name, e.dataType, e.counter, e.displacement.size() + e.force.size(),
                       e.weight, e.mass, e.timeStep),
            std::tuple("m=2.86, T=4, Amp=0.111, Cycl=3, TS=0.02", ExperimentDataType::Displacement,
                       601, 602u, 1.0, 2.86, 0.02));
  EXPECT_EQ(e.displacement[51], 0.111 * std::sin(2 * 3.14159265358979 / 4 * 0.02 * 50));
}

}  // namespace
}  // namespace quarvel
