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

// A force record with the given samples (1-based in the record), mass 2.86, weight 1.
Experiment ForceExperiment(std::vector<double> samples, double dt = 0.02) {
  Experiment e;
  e.name = "Pulse";
  e.weight = 1;
  e.mass = 2.86;
  e.timeStep = dt;
  e.dataType = ExperimentDataType::Force;
  e.counter = static_cast<int32_t>(samples.size());
  e.force.assign(1, 0.0);
  e.force.insert(e.force.end(), samples.begin(), samples.end());
  return e;
}

Workbench BenchWith(std::vector<Experiment> experiments) {
  Workbench bench;
  bench.experiments.Assign(std::move(experiments));
  bench.SelectFirst(0, 1);
  return bench;
}

void UseEulerOneStep(MainWindowInputs& inputs) {
  inputs.optSolutionRKStepDoubling = false;
  inputs.optSolutionEuler = true;
  inputs.txtSolutionEulerSteps = "1";
}

TEST(SolveExperimentsTest, EmptySetShowsMessageAndNothingElse) {
  Workbench bench;
  RecordingUserInterface ui;
  EXPECT_FALSE(SolveExperiments(bench, ui, true).solved);
  EXPECT_EQ(ui.calls, std::vector<std::string>{"message:Please load a set of experiments!"});
  EXPECT_EQ(ui.icons.front(), MessageIcon::Exclamation);
}

TEST(SolveExperimentsTest, WeightsAddingUpToZeroSolveNothing) {
  Experiment plus = ForceExperiment({0, 5, 0});
  Experiment minus = plus;
  minus.weight = -1;
  Workbench bench = BenchWith({plus, minus});
  RecordingUserInterface ui;
  EXPECT_FALSE(SolveExperiments(bench, ui, true).solved);
  EXPECT_EQ(ui.calls,
            std::vector<std::string>{"message:The weights of the experiments are zero!"});
  EXPECT_TRUE(bench.experiments.At(1).original.U.empty());
}

TEST(SolveExperimentsTest, RefreshesLabelsAndGraphAfterOneEventPump) {
  Workbench bench = BenchWith({ForceExperiment({0, 5, 0}), ForceExperiment({0, 1, 2, 3})});
  bench.currentExperiment = 2;
  RecordingUserInterface ui;
  EXPECT_TRUE(SolveExperiments(bench, ui, true).solved);
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"events", "errorLabels", "periodLabels",
                                                "graph:4,titles"}));
  RecordingUserInterface quiet;
  SolveExperiments(bench, quiet, false);
  EXPECT_EQ(quiet.calls, std::vector<std::string>{"events"});
}

// Hand integration of a three-sample pulse with one Euler step per sample: the force reaches
// the mass at sample 2, so only U_DOT_DOT(2) and U_DOT(3) differ from zero.
TEST(SolveExperimentsTest, ThreeSamplePulseWithOneEulerStep) {
  Workbench bench = BenchWith({ForceExperiment({0, 5, 0})});
  UseEulerOneStep(bench.inputs);
  RecordingUserInterface ui;
  SolveExperiments(bench, ui, false);
  const Experiment& e = bench.experiments.At(1);
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

TEST(SolveExperimentsTest, MassTextSelectsTheMass) {
  struct Case {
    const char* massText;
    double expectedMass;
  };
  // The acceleration at sample 2 is X / m with X = 5 and no spring force yet.
  for (const Case c : {Case{"-1", 2.86}, Case{"-0.5", 2.86}, Case{"4", 4.0}}) {
    Workbench bench = BenchWith({ForceExperiment({0, 5, 0})});
    UseEulerOneStep(bench.inputs);
    bench.inputs.txtMass = c.massText;
    RecordingUserInterface ui;
    SolveExperiments(bench, ui, false);
    EXPECT_EQ(bench.experiments.At(1).original.U_DOT_DOT[2], 5.0 / c.expectedMass) << c.massText;
  }
  Workbench massless = BenchWith({ForceExperiment({0, 5, 0})});
  UseEulerOneStep(massless.inputs);
  massless.inputs.txtMass = "0";
  RecordingUserInterface ui;
  SolveExperiments(massless, ui, false);
  // 1 / 0 times a zero force is not a number: the solve stores it and goes on.
  EXPECT_TRUE(std::isnan(massless.experiments.At(1).original.U_DOT_DOT[2]));
  EXPECT_EQ(massless.experiments.At(1).original.U.size(), 4u);
}

TEST(SolveExperimentsTest, AccelerationRecordsAreScaledByUnits) {
  struct Case {
    int32_t unitsOfG;
    double expectedFext;
  };
  // acceleration 0.5, mass 2: in g -0.5 * 2 * 9.81, without unit -0.5 * 2, unknown unit none.
  for (const Case c : {Case{1, -0.5 * 2 * 9.81}, Case{0, -0.5 * 2}, Case{2, 0.0}}) {
    Experiment e = ForceExperiment({0.5, 0.5});
    e.dataType = ExperimentDataType::Acceleration;
    e.acceleration = e.force;
    e.force.clear();
    e.mass = 2;
    e.unitsOfG = c.unitsOfG;
    Workbench bench = BenchWith({e});
    RecordingUserInterface ui;
    SolveExperiments(bench, ui, false);
    EXPECT_EQ(bench.experiments.At(1).original.Fext[1], c.expectedFext) << c.unitsOfG;
    EXPECT_EQ(bench.experiments.At(1).modified.Fext[2], c.expectedFext) << c.unitsOfG;
  }
}

TEST(SolveExperimentsTest, EnergyStartsFromTheOriginForAForceRecord) {
  Experiment e = ForceExperiment({0, 0, 0});
  e.initialU = 0.05;
  Workbench bench = BenchWith({e});
  RecordingUserInterface ui;
  SolveExperiments(bench, ui, false);
  const ResponseHistory& h = bench.experiments.At(1).original;
  EXPECT_NE(h.Et[1], 0.0);
  EXPECT_EQ(h.Et[1], 0.0 + 0.5 * (h.U[1] - 0.0) * (h.F[1] + 0.0));
  EXPECT_EQ(h.Eh[1], 0.0 + 0.5 * (h.U[1] - 0.0) * (h.Fh[1] + 0.0));
}

TEST(SolveExperimentsTest, NegativeOnlyResponseHasPositivePeak) {
  Workbench bench = BenchWith({ForceExperiment({0, -5, -5, -5, -5})});
  RecordingUserInterface ui;
  SolveExperiments(bench, ui, false);
  const Experiment& e = bench.experiments.At(1);
  EXPECT_GT(e.originalPeakU, 0.0);
  EXPECT_EQ(e.originalPeakU, std::abs(e.original.U[5]));
  EXPECT_GE(e.absErrorU, 0.0);
}

TEST(SolveExperimentsTest, DisplacementRecordGetsItsOwnForceAndCarriesTheLastRate) {
  ExperimentSet set;
  SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, 0.111, set);
  Workbench bench;
  bench.experiments = set;
  bench.SelectFirst(1, 4);
  RecordingUserInterface ui;
  SolveExperiments(bench, ui, false);
  const Experiment& e = bench.experiments.At(1);
  const int32_t n = e.counter;
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

TEST(SolveExperimentsTest, ResultsDoNotDependOnEarlierExperiments) {
  // A displacement record after a longer force record must get a Fext of its own length.
  ExperimentSet dc;
  SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, 0.111, dc);
  Experiment displacement = dc.At(1);
  Workbench alone = BenchWith({displacement});
  Workbench after = BenchWith({ForceExperiment(std::vector<double>(3000, 1.0)), displacement});
  RecordingUserInterface ui;
  SolveExperiments(alone, ui, false);
  SolveExperiments(after, ui, false);
  EXPECT_EQ(alone.experiments.At(1).modified.Fext, after.experiments.At(2).modified.Fext);
  EXPECT_EQ(alone.experiments.At(1).modified.Z, after.experiments.At(2).modified.Z);
}

}  // namespace
}  // namespace quarvel
