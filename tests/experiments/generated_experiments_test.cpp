// The generators' exact protocols. Every sample of the built-in set, DC 1 and DC 2 also enters
// the solve digests (as Fext or U), to the last bit.

#include "experiments/generated_experiments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "text/number_text.h"

namespace quarvel {
namespace {

// Names, counters (round(10 x period / 0.02) + 1) and types of the six; nothing of an earlier set
// in units of g survives. (Their samples enter the solve digests to the last bit.)
TEST(SineForceExperiments, CreateSixFreshOnesAndAddMore) {
  ExperimentSet set;
  Experiment stale;
  stale.unitsOfG = 1;
  stale.acceleration = {0, 1};
  for (int k = 0; k < 8; ++k) set.Append(stale);
  CreateSineForceExperiments(set);
  std::string made;
  for (const Experiment& e : set.Records()) {
    made += e.name + " " + std::to_string(e.counter) + " " + std::to_string(e.force.size()) +
            std::to_string(static_cast<int>(e.dataType)) + std::to_string(e.unitsOfG) +
            std::to_string(e.acceleration.size()) + " " + FormatDefault(e.mass) + "; ";
  }
  EXPECT_EQ(made,
            "T=1, Amp=5 501 502100 2.86; T=2, Amp=5 1001 1002100 2.86; T=3, Amp=5 1501 1502100 "
            "2.86; T=1, Amp=20 501 502100 2.86; T=2, Amp=20 1001 1002100 2.86; T=3, Amp=20 1501 "
            "1502100 2.86; ");
  ASSERT_TRUE(AddSineForceExperiment("extra", 2, 3, 0.1, 0.2, 0.3, 0.01, 0.5, 1, 2, set));
  const Experiment& x = set.At(7);  // appended after the six
  EXPECT_EQ(std::tuple(x.name, x.weight, x.mass, x.initialU, x.initialUDot, x.initialZ, x.timeStep,
                       x.counter),
            std::tuple("extra", 2.0, 3.0, 0.1, 0.2, 0.3, 0.01, 101));
}

// round-half-even(cycles x period / time step) + 1. Mend: a count beyond the limit, or from a
// time step or period that is not a positive number, is refused before any storage is sized.
TEST(SineSampleCount, CountsOrRefuses) {
  const struct {
    double cycles, period, timeStep;
    int32_t counter;  // 0: refused
  } rows[] = {{3, 4, 0.02, 601},  {2.5, 1, 1, 3},   {3.5, 1, 1, 5},       {0, 4, 0.02, 1},
              {1, kMaxGeneratedSamples - 1, 1, kMaxGeneratedSamples},    {3, 4, 0, 0},
              {3, 4, -0.02, 0},   {3, 0, 0.02, 0},  {3, -4, 0.02, 0},     {-3, 4, 0.02, 0},
              {INFINITY, 4, 0.02, 0},               {3, 4, 1e-300, 0}};
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
// replaces the set by one displacement sinusoid, or refuses bad input and keeps the set.
TEST(SinusoidDialog, OkReplacesTheSetOrRefusesBadInput) {
  const SinusoidDialogInput typed = ReadSinusoidDialog({" 2,50 kg", "1E-1", "4.", "", "0.0200"});
  EXPECT_EQ(typed.name, "m= 2,50 kg, T=4., Amp=1E-1, Cycl=, TS=0.0200");
  EXPECT_EQ(std::vector({typed.mass, typed.amplitude, typed.period, typed.cycles, typed.timeStep}),
            std::vector({2.0, 0.1, 4.0, 0.0, 0.02}));
  ExperimentSet set;
  CreateSineForceExperiments(set);
  EXPECT_FALSE(CreateSinusoidalDisplacementExperiment({"2.86", "0.111", "4", "3", ""}, set));
  EXPECT_EQ(set.Count(), 6);
  ASSERT_TRUE(CreateSinusoidalDisplacementExperiment(SinusoidDialogTexts{}, set));
  ASSERT_EQ(set.Count(), 1);
  const Experiment& e = set.At(1);
  EXPECT_EQ(std::tuple(e.name, e.dataType, e.counter, e.displacement.size() + e.force.size(),
                       e.weight, e.mass, e.timeStep),
            std::tuple("m=2.86, T=4, Amp=0.111, Cycl=3, TS=0.02", ExperimentDataType::Displacement,
                       601, 602u, 1.0, 2.86, 0.02));
  EXPECT_EQ(e.displacement[51], 0.111 * std::sin(2 * 3.14159265358979 / 4 * 0.02 * 50));
}

// The ramp protocols replace the set by one displacement record in multiples of Uy (their
// samples enter the solve digests).
TEST(DisplacementProtocol, ReplacesTheSet) {
  for (const auto& [protocol, made] :
       {std::pair{DisplacementProtocol::Dc1, "Temp DC 1 2 1647 0.05 2.86 1 0 0.222"},
        {DisplacementProtocol::Dc2, "Temp DC 2 2 2399 0.05 2.86 1 0 0.222"}}) {
    ExperimentSet set;
    CreateSineForceExperiments(set);
    SetDisplacementProtocolExperiment(protocol, 2, set);
    ASSERT_EQ(set.Count(), 1);
    const Experiment& e = set.At(1);
    EXPECT_EQ(e.name + " " + std::to_string(static_cast<int>(e.dataType)) + " " +
                  std::to_string(e.counter) + " " + FormatDefault(e.timeStep) + " " +
                  FormatDefault(e.mass) + " " + FormatDefault(e.weight) + " " +
                  FormatDefault(e.displacement[1]) + " " + FormatDefault(e.displacement[3] * 11.1),
              made);
  }
}

}  // namespace
}  // namespace quarvel
