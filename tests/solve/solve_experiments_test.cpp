#include "solve/solve_experiments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "experiments/generated_experiments.h"
#include "recording_user_interface.h"

namespace quarvel {
namespace {

using testing_support::RecordingUserInterface;

// A force record of `samples` (1-based in the record) at 0.02 s, mass 2.86, weight 1.
Experiment ForceExperiment(std::vector<double> samples) {
  Experiment e;
  e.name = "Pulse";
  e.weight = 1;
  e.mass = 2.86;
  e.timeStep = 0.02;
  e.dataType = ExperimentDataType::Force;
  e.counter = static_cast<int32_t>(samples.size());
  e.force.assign(1, 0.0);
  e.force.insert(e.force.end(), samples.begin(), samples.end());
  return e;
}

// `experiments` solved without a display refresh, the first selected; by one Euler sub-step per
// sample when `euler`, else by the window's default method.
Workbench Solved(std::vector<Experiment> experiments, bool euler = false,
                 const char* massText = "-1") {
  Workbench bench;
  bench.experiments.Assign(std::move(experiments));
  bench.SelectFirst(0, 1);
  bench.inputs.txtMass = massText;
  if (euler) {
    bench.inputs.optSolutionRKStepDoubling = false;
    bench.inputs.optSolutionEuler = true;
    bench.inputs.txtSolutionEulerSteps = "1";
  }
  RecordingUserInterface ui;
  EXPECT_TRUE(SolveExperiments(bench, ui, false).solved);
  return bench;
}

TEST(SolveExperimentsTest, RefusedSolveShowsItsMessageOnly) {
  Experiment minus = ForceExperiment({0, 5, 0});
  minus.weight = -1;
  struct Row {
    std::vector<Experiment> experiments;
    const char* message;
  };
  for (const Row& row : {Row{{}, "Please load a set of experiments!"},
                         Row{{ForceExperiment({0, 5, 0}), minus},
                             "The weights of the experiments are zero!"}}) {
    // The set replaces a solved one: none of the old results may show as the new set's.
    Workbench bench = Solved({ForceExperiment({0, 5, 0}), ForceExperiment({0, 5, 0})});
    bench.experiments.Assign(row.experiments);
    bench.SelectFirst(0, 1);
    RecordingUserInterface ui;
    EXPECT_FALSE(SolveExperiments(bench, ui, true).solved);
    EXPECT_EQ(ui.calls, std::vector<std::string>{std::string("message:") + row.message});
    EXPECT_EQ(ui.icons, std::vector<MessageIcon>{MessageIcon::Exclamation});
    for (int32_t k = 1; k <= 2; ++k) EXPECT_TRUE(bench.results.At(k).original.U.empty());
  }
}

// With the display refresh the labels and the graph follow the single event pump.
TEST(SolveExperimentsTest, RefreshesTheDisplayAfterOneEventPump) {
  Workbench bench = Solved({ForceExperiment({0, 5, 0}), ForceExperiment({0, 1, 2, 3})});
  bench.currentExperiment = 2;
  for (const bool update : {true, false}) {
    RecordingUserInterface ui;
    SolveExperiments(bench, ui, update);
    const std::vector<std::string> refresh = {"errorLabels", "periodLabels", "graph:4,titles"};
    std::vector<std::string> expected = {"events"};
    if (update) expected.insert(expected.end(), refresh.begin(), refresh.end());
    EXPECT_EQ(ui.calls, expected);
  }
}

// Hand integration of a three-sample pulse with one Euler step per sample: the force reaches
// the mass at sample 2, so only U_DOT_DOT(2) and U_DOT(3) differ from zero.
TEST(SolveExperimentsTest, ThreeSamplePulseWithOneEulerStep) {
  const Workbench bench = Solved({ForceExperiment({0, 5, 0})}, true);
  const ExperimentResults& e = bench.results.At(1);
  const double m = 2.86;
  for (const ResponseHistory* h : {&e.original, &e.modified}) {
    EXPECT_EQ(h->T, (std::vector<double>{0, 0, 0.02, 0.04}));
    EXPECT_EQ(h->U, (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(h->U_DOT, (std::vector<double>{0, 0, 0, 0 + 0.02 * (-(1 / m) * (0.0 - 5.0))}));
    EXPECT_EQ(h->U_DOT_DOT, (std::vector<double>{0, 0, (5.0 - 0 - 0 * 0) / m, 0}));
    EXPECT_EQ(h->Fext, (std::vector<double>{0, 0, 5, 0}));
    EXPECT_EQ(h->Z, (std::vector<double>{0, 0, 0, 0}));
  }
  EXPECT_EQ(e.originalPeakU, 0.0);
  EXPECT_EQ(e.relErrorU, 0.0);  // no original peak: the relative error stays 0
}

// A mass text < 0 takes the experiment's mass; 0 is used as typed: 1 / 0 times a zero force is
// not a number, which the solve stores and goes on. The acceleration at sample 2 is 5 / m.
TEST(SolveExperimentsTest, MassTextSelectsTheMass) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& [text, mass] : {std::pair{"-1", 2.86}, std::pair{"-0.5", 2.86},
                                   std::pair{"4", 4.0}, std::pair{"0", nan}}) {
    const Workbench bench = Solved({ForceExperiment({0, 5, 0})}, true, text);
    const ResponseHistory& h = bench.results.At(1).original;
    EXPECT_EQ(h.U.size(), 4u) << text;
    if (std::isnan(mass)) {
      EXPECT_TRUE(std::isnan(h.U_DOT_DOT[2])) << text;
    } else {
      EXPECT_EQ(h.U_DOT_DOT[2], 5.0 / mass) << text;
    }
  }
}

// Acceleration 0.5, mass 2: in g -0.5 * 2 * 9.81, without unit -0.5 * 2, other unit none.
TEST(SolveExperimentsTest, AccelerationRecordsAreScaledByUnits) {
  for (const auto& [unitsOfG, fext] :
       {std::pair{1, -0.5 * 2 * 9.81}, std::pair{0, -0.5 * 2}, std::pair{2, 0.0}}) {
    Experiment e = ForceExperiment({0.5, 0.5});
    e.dataType = ExperimentDataType::Acceleration;
    e.acceleration.swap(e.force);
    e.mass = 2;
    e.unitsOfG = unitsOfG;
    const Workbench bench = Solved({e});
    EXPECT_EQ(bench.results.At(1).original.Fext[1], fext) << unitsOfG;
    EXPECT_EQ(bench.results.At(1).modified.Fext[2], fext) << unitsOfG;
  }
}

TEST(SolveExperimentsTest, EnergyStartsFromTheOriginForAForceRecord) {
  Experiment e = ForceExperiment({0, 0, 0});
  e.initialU = 0.05;
  const Workbench bench = Solved({e});
  const ResponseHistory& h = bench.results.At(1).original;
  EXPECT_NE(h.Et[1], 0.0);
  EXPECT_EQ(h.Et[1], 0.0 + 0.5 * (h.U[1] - 0.0) * (h.F[1] + 0.0));
  EXPECT_EQ(h.Eh[1], 0.0 + 0.5 * (h.U[1] - 0.0) * (h.Fh[1] + 0.0));
}

TEST(SolveExperimentsTest, NegativeOnlyResponseHasPositivePeak) {
  const Workbench bench = Solved({ForceExperiment({0, -5, -5, -5, -5})});
  const ExperimentResults& e = bench.results.At(1);
  EXPECT_GT(e.originalPeakU, 0.0);
  EXPECT_EQ(e.originalPeakU, std::abs(e.original.U[5]));
  EXPECT_GE(e.absErrorU, 0.0);
}

TEST(SolveExperimentsTest, DisplacementRecordGetsItsOwnForceAndCarriesTheLastRate) {
  ExperimentSet set;
  SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, 0.111, set);
  const Workbench bench = Solved({set.At(1)});
  const ExperimentResults& e = bench.results.At(1);
  const int32_t n = bench.experiments.At(1).counter;
  ASSERT_EQ(n, 1647);
  for (const ResponseHistory* h : {&e.original, &e.modified}) {
    ASSERT_EQ(h->Fext.size(), static_cast<std::size_t>(n) + 1);
    EXPECT_EQ(h->U_DOT[n], h->U_DOT[n - 1]);
    EXPECT_EQ(h->U_DOT_DOT[n], h->U_DOT_DOT[n - 1]);
    EXPECT_EQ(h->Et[1], 0.0);
    EXPECT_EQ(h->Eh[1], 0.0);
    EXPECT_EQ(h->Z[1], 0.0);
    // The force that the prescribed motion needs.
    EXPECT_EQ(h->Fext[10], 2.86 * h->U_DOT_DOT[10] + h->F[10] + 0.0 * h->U_DOT[10]);
  }
  EXPECT_GT(e.originalPeakEh, 0.0);
}

// Regression (fixed fault): a displacement record after a longer force record got a Fext left
// over from the earlier experiment instead of one of its own length.
TEST(SolveExperimentsTest, ResultsDoNotDependOnEarlierExperiments) {
  ExperimentSet dc;
  SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, 0.111, dc);
  const Workbench alone = Solved({dc.At(1)});
  const Workbench after = Solved({ForceExperiment(std::vector<double>(3000, 1.0)), dc.At(1)});
  EXPECT_EQ(alone.results.At(1).modified.Fext, after.results.At(2).modified.Fext);
  EXPECT_EQ(alone.results.At(1).modified.Z, after.results.At(2).modified.Z);
}

}  // namespace
}  // namespace quarvel
