#include "experiments/generated_experiments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace quarvel {
namespace {

TEST(SineForceExperiments, CreateSixFreshOnesAndAddMore) {
  struct Row {
    const char* name;
    double period, amplitude;
    int32_t counter;  // round(10 x period / 0.02) + 1
  };
  const Row rows[] = {{"T=1, Amp=5", 1, 5, 501},   {"T=2, Amp=5", 2, 5, 1001},
                      {"T=3, Amp=5", 3, 5, 1501},  {"T=1, Amp=20", 1, 20, 501},
                      {"T=2, Amp=20", 2, 20, 1001}, {"T=3, Amp=20", 3, 20, 1501}};
  ExperimentSet set;
  Experiment stale;  // an earlier set in units of g: nothing of it may survive
  stale.unitsOfG = 1;
  stale.acceleration = {0, 1};
  for (int k = 0; k < 8; ++k) set.Append(stale);
  CreateSineForceExperiments(set);
  ASSERT_EQ(set.Count(), 6);
  for (int32_t k = 1; k <= 6; ++k) {
    const Row& row = rows[k - 1];
    SCOPED_TRACE(row.name);
    const Experiment& e = set.At(k);
    EXPECT_EQ(e.name, row.name);
    EXPECT_EQ(e.dataType, ExperimentDataType::Force);
    EXPECT_EQ(e.unitsOfG, 0);
    EXPECT_TRUE(e.acceleration.empty());
    EXPECT_EQ(e.counter, row.counter);
    ASSERT_EQ(e.force.size(), static_cast<std::size_t>(row.counter) + 1);
    EXPECT_EQ(e.mass, 2.86);
    EXPECT_EQ(e.force[1], 0.0);
    // Sample 6 lies at t = 0.1 s.
    EXPECT_NEAR(e.force[6], row.amplitude * std::sin(2 * 3.14159265358979 * 0.1 / row.period),
                1e-13);
  }
  // To the last bit: omega = 2 pi / period, times the time step, times (i - 1). Forming
  // 2 pi x 0.1 directly differs in the last bit for this sample.
  EXPECT_EQ(set.At(1).force[6], 5 * std::sin(2 * 3.14159265358979 / 1 * 0.02 * 5));
  // Adding one appends after the existing records.
  ASSERT_TRUE(AddSineForceExperiment("extra", 2, 3, 0.1, 0.2, 0.3, 0.01, 0.5, 1, 2, set));
  ASSERT_EQ(set.Count(), 7);
  EXPECT_EQ(set.At(6).name, "T=3, Amp=20");
  EXPECT_EQ(set.At(7).initialZ, 0.3);
  EXPECT_EQ(set.At(7).counter, 101);
}

TEST(SineSampleCount, CountsOrRefuses) {
  const struct {
    const char* name;
    double cycles, period, timeStep;
    int32_t counter;  // 0: refused
  } rows[] = {
      {"dialog defaults", 3, 4, 0.02, 601},
      {"2.5 rounds to 2", 2.5, 1, 1, 3},
      {"3.5 rounds to 4", 3.5, 1, 1, 5},
      {"zero cycles", 0, 4, 0.02, 1},
      {"largest count", 1, kMaxGeneratedSamples - 1, 1, kMaxGeneratedSamples},
      {"one too many", 1, kMaxGeneratedSamples, 1, 0},
      {"zero time step", 3, 4, 0, 0},
      {"negative time step", 3, 4, -0.02, 0},
      {"zero period", 3, 0, 0.02, 0},
      {"negative period", 3, -4, 0.02, 0},
      {"negative cycles", -3, 4, 0.02, 0},
      {"infinite cycles", INFINITY, 4, 0.02, 0},
      {"tiny time step", 3, 4, 1e-300, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    int32_t counter = -7;
    const FileResult result = SineSampleCount(row.cycles, row.period, row.timeStep, counter);
    EXPECT_EQ(result.ok, row.counter != 0);
    EXPECT_EQ(result.reason.empty(), row.counter != 0);
    EXPECT_EQ(counter, row.counter != 0 ? row.counter : -7);
  }
  // The refusal names the count the inputs give and the limit it is compared with.
  int32_t counter = 0;
  EXPECT_EQ(SineSampleCount(1, kMaxGeneratedSamples, 1, counter).reason,
            "cycles x period / time step gives 10000001 samples (one per time step, and the "
            "first); between 1 and 10000000 are allowed");
}

TEST(SinusoidDialog, NameAsTypedAndNumbersByLeadingParse) {
  struct Row {
    const char* name;
    SinusoidDialogTexts texts;
    const char* expectedName;
    double mass, amplitude, period, cycles, timeStep;
  };
  const Row rows[] = {
      {"defaults", {}, "m=2.86, T=4, Amp=0.111, Cycl=3, TS=0.02", 2.86, 0.111, 4, 3, 0.02},
      {"distinct values", {"1", "2", "3", "4", "5"}, "m=1, T=3, Amp=2, Cycl=4, TS=5", 1, 2, 3, 4, 5},
      {"texts as typed",
       {" 2,50 kg", "1E-1", "4.", "", "0.0200"},
       "m= 2,50 kg, T=4., Amp=1E-1, Cycl=, TS=0.0200",
       2, 0.1, 4, 0, 0.02},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SinusoidDialogInput input = ReadSinusoidDialog(row.texts);
    EXPECT_EQ(input.name, row.expectedName);
    EXPECT_EQ(input.mass, row.mass);
    EXPECT_EQ(input.amplitude, row.amplitude);
    EXPECT_EQ(input.period, row.period);
    EXPECT_EQ(input.cycles, row.cycles);
    EXPECT_EQ(input.timeStep, row.timeStep);
  }
}

TEST(SinusoidDialog, OkReplacesTheSetOrRefusesBadInput) {
  ExperimentSet set;
  CreateSineForceExperiments(set);
  // A zero time step (or an empty text) would give an unbounded sample count.
  EXPECT_FALSE(CreateSinusoidalDisplacementExperiment({"2.86", "0.111", "4", "3", ""}, set));
  EXPECT_EQ(set.Count(), 6);

  ASSERT_TRUE(CreateSinusoidalDisplacementExperiment(SinusoidDialogTexts{}, set));
  ASSERT_EQ(set.Count(), 1);
  const Experiment& e = set.At(1);
  EXPECT_EQ(e.name, "m=2.86, T=4, Amp=0.111, Cycl=3, TS=0.02");
  EXPECT_EQ(e.dataType, ExperimentDataType::Displacement);
  EXPECT_EQ(e.counter, 601);
  ASSERT_EQ(e.displacement.size(), 602u);
  EXPECT_TRUE(e.force.empty());
  EXPECT_EQ(e.weight, 1.0);
  EXPECT_NEAR(e.displacement[51], 0.111, 1e-15);  // a quarter of the 4 s period: the crest
}

TEST(DisplacementProtocol, RampsReachTheirLevels) {
  struct Level {
    int32_t sample;
    double level;  // multiples of Uy
  };
  struct Row {
    DisplacementProtocol protocol;
    const char* name;
    int32_t counter;
    std::vector<Level> levels;  // ends of the ramps; the last six steps fall past the end
  };
  const Row rows[] = {
      {DisplacementProtocol::Dc1, "Temp DC 1", 1647,  // ramps of 300, 449, 301, 201, 401 steps
       {{301, 1.5}, {750, -0.745}, {1051, 0.76}, {1252, -0.245}, {1647, 1.73}}},
      {DisplacementProtocol::Dc2, "Temp DC 2", 2399,  // ramps of 800, 601, 401, 201, 401 steps
       {{801, 4.0}, {1402, 0.995}, {1803, 3.0}, {2004, 1.995}, {2399, 3.97}}},
  };
  constexpr double uy = 0.111;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ExperimentSet set;
    CreateSineForceExperiments(set);
    SetDisplacementProtocolExperiment(row.protocol, uy, set);
    ASSERT_EQ(set.Count(), 1);
    const Experiment& e = set.At(1);
    EXPECT_EQ(e.name, row.name);
    EXPECT_EQ(e.dataType, ExperimentDataType::Displacement);
    EXPECT_EQ(e.timeStep, 0.05);
    ASSERT_EQ(e.counter, row.counter);
    ASSERT_EQ(e.displacement.size(), static_cast<std::size_t>(row.counter) + 1);
    EXPECT_EQ(e.displacement[1], 0.0);
    for (const Level& level : row.levels) {
      EXPECT_NEAR(e.displacement[level.sample], level.level * uy, 1e-12) << level.sample;
    }
    for (int32_t i = 1; i < row.counter; ++i) {
      ASSERT_NEAR(std::abs(e.displacement[i + 1] - e.displacement[i]), 0.005 * uy, 1e-15) << i;
    }
  }
}

}  // namespace
}  // namespace quarvel
