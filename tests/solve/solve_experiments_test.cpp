// What the digests leave open: the refusals, the display refresh, the ground-acceleration units,
// the energy of a force record starting away from the origin, results that must not depend on
// earlier experiments, the scheme's sub-steps and tolerance, and the period labels.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "solve/labels.h"
#include "solve/model_settings.h"
#include "solve/time_left.h"
#include "solve_digest.h"

namespace quarvel {
namespace {

using test::RecordingUserInterface;

// A force record of `samples` (1-based in the record) at 0.02 s, mass 2.86, weight 1.
Experiment ForceExperiment(std::vector<double> samples) {
  samples.insert(samples.begin(), 0.0);
  return {.name = "Pulse", .weight = 1, .mass = 2.86, .timeStep = 0.02,
          .counter = static_cast<int32_t>(samples.size()) - 1, .force = samples,
          .displacement = {}, .acceleration = {}, .dataType = ExperimentDataType::Force};
}

Workbench Solved(std::vector<Experiment> experiments) {
  Workbench bench;
  bench.experiments.Assign(std::move(experiments));
  bench.SelectFirst(0, 1);
  RecordingUserInterface ui;
  EXPECT_TRUE(SolveExperiments(bench, ui, false).solved);
  return bench;
}

// A run fault is where the pass stopped or its first non-finite sample, whichever is first, with
// the count of such samples (hand-made: a NaN Eh at sample 3, an infinite U at the others).
TEST(RunFaults, FirstFaultySampleAndCount) {
  struct Row { const char* name; bool stopped; int32_t stoppedAt; std::vector<int32_t> notFinite;
               int32_t firstSample; int64_t nonFinite; double time; };
  const Row rows[] = {
      {"none", false, 0, {}, 0, 0, 0.0},
      {"energy_then_displacement", false, 0, {3, 4}, 3, 2, 1.0},
      {"stopped_before_a_nan", true, 2, {3}, 2, 1, 0.5},
      {"nan_before_the_stop", true, 3, {2}, 2, 1, 0.5},
      {"stopped_at_a_clean_sample", true, 4, {}, 4, 0, 1.5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResponseHistory h;
    h.Reset(4);
    h.T = {0.0, 0.0, 0.5, 1.0, 1.5};
    for (const int32_t j : row.notFinite) {
      if (j == 3) h.Eh[3] = std::nan("");
      else h.U[static_cast<std::size_t>(j)] = HUGE_VAL;
    }
    const RunFault fault = FindRunFault(h, row.stopped, row.stoppedAt);
    EXPECT_EQ(fault.firstSample, row.firstSample);
    EXPECT_EQ(fault.nonFiniteSamples, row.nonFinite);
    EXPECT_EQ(fault.time, row.time);
  }
}

// An empty set, or weights adding up to 0: the message only, and none of the results of the
// solved set it replaced show as the new set's. Without the display refresh a solve pumps the
// events once and refreshes nothing.
TEST(SolveExperimentsTest, RefusalsShowTheirMessageOnly) {
  Experiment minus = ForceExperiment({0, 5, 0});
  minus.weight = -1;
  const std::pair<std::vector<Experiment>, const char*> rows[] = {
      {{}, kMessageNoExperiments}, {{ForceExperiment({0, 5, 0}), minus}, kMessageZeroWeights}};
  for (const auto& [experiments, message] : rows) {
    Workbench bench = Solved({ForceExperiment({0, 5, 0}), ForceExperiment({0, 5, 0})});
    bench.experiments.Assign(experiments);
    bench.SelectFirst(0, 1);
    RecordingUserInterface ui;
    EXPECT_FALSE(SolveExperiments(bench, ui, true).solved);
    EXPECT_EQ(ui.calls, std::vector<std::string>{std::string("message:") + message});
    EXPECT_EQ(ui.icons, std::vector<MessageIcon>{MessageIcon::Exclamation});
    for (int32_t k = 1; k <= 2; ++k) EXPECT_TRUE(bench.results.At(k).original.U.empty());
  }
  Workbench bench = Solved({ForceExperiment({0, 5, 0})});
  RecordingUserInterface ui;
  SolveExperiments(bench, ui, false);
  EXPECT_EQ(ui.calls, std::vector<std::string>{"events"});
}

// A solve whose monitor was cancelled says so and forgets every result, whether it solved the
// whole set or the selected experiment.
TEST(SolveExperimentsTest, ACancelledSolveForgetsItsResults) {
  struct CancellingInterface : RecordingUserInterface {
    void RunSolve(const std::function<void(RunMonitor*)>& solve) override {
      RunMonitor monitor;
      monitor.Cancel();
      solve(&monitor);
    }
  };
  for (const bool selected : {false, true}) {
    SCOPED_TRACE(selected ? "the selected experiment" : "the whole set");
    Workbench bench = Solved({ForceExperiment({0, 5, 0}), ForceExperiment({0, 5, 0})});
    CancellingInterface ui;
    const SolveOutcome outcome =
        selected ? SolveSelectedExperiment(bench, ui, true) : SolveExperiments(bench, ui, true);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(bench.results.Records().empty());
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
    const ExperimentResults& r = bench.results.At(1);
    EXPECT_EQ(std::pair(r.original.Fext[1], r.modified.Fext[2]), std::pair(fext, fext)) << unitsOfG;
  }
}

// Energies of a force record start from the origin (a displaced start gives Et[1] != 0); those
// of a prescribed displacement from its sample 1 (Et[1] = 0). The model's own sums (trapezoids)
// are pinned by the digests, which start at rest, where both give the same.
TEST(SolveExperimentsTest, EnergyOfAForceRecordStartsFromTheOrigin) {
  for (const auto type : {ExperimentDataType::Force, ExperimentDataType::Displacement}) {
    Experiment e = ForceExperiment({0.05, 0.05, 0.06});
    e.initialU = 0.05;
    e.dataType = type;
    SamplesOf(e) = e.force;
    const Workbench bench = Solved({e});
    const ResponseHistory& h = bench.results.At(1).original;
    const double fromOrigin = type == ExperimentDataType::Force ? 0.5 * h.U[1] : 0.0;
    EXPECT_EQ(h.Et[1], fromOrigin * h.F[1]);
    EXPECT_EQ(h.Eh[1], fromOrigin * h.Fh[1]);
  }
}

// Regression: a displacement record after a longer force record got a Fext left over from the
// earlier experiment instead of one of its own length.
TEST(SolveExperimentsTest, ResultsDoNotDependOnEarlierExperiments) {
  ExperimentSet dc;
  SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, 0.111, dc);
  const Workbench alone = Solved({dc.At(1)});
  const Workbench after = Solved({ForceExperiment(std::vector<double>(3000, 1.0)), dc.At(1)});
  const ResponseHistory &a = alone.results.At(1).modified, &b = after.results.At(2).modified;
  EXPECT_EQ(std::pair(a.Fext, a.Z), std::pair(b.Fext, b.Z));
}

// The scheme's option and the sub-step text read over an earlier solve's parameters (7
// sub-steps, tolerance 0.5; the tolerance text is 1E-06). Euler: the text rounded half to even
// and limited to 1..128, a value beyond int32 keeps the previous count (then limited). Step
// doubling: 128 and the tolerance text. Runge-Kutta keeps what the last solve set, and wins
// over RK doubling.
TEST(ModelSettingsTest, SolutionMethodSetsSubStepsAndTolerance) {
  const auto kEuler = SolutionMethod::Euler;
  const struct { const char *method, *steps; int32_t previous; SolutionMethod expected;
      int32_t eulerSteps; double eps; } rows[] = {
              {"euler", "0", 7, kEuler, 1, 0.5},     {"euler", "500", 7, kEuler, 128, 0.5},
              {"euler", "2.5", 7, kEuler, 2, 0.5},   {"euler", "3.5", 7, kEuler, 4, 0.5},
              {"euler", "1e10", 7, kEuler, 7, 0.5},  {"euler", "1e10", 0, kEuler, 1, 0.5},
              {"euler-doubling", "3", 7, SolutionMethod::EulerStepDoubling, 128, 1e-6},
              {"rk-doubling", "3", 7, SolutionMethod::RungeKuttaStepDoubling, 128, 1e-6},
              {"rk", "3", 7, SolutionMethod::RungeKutta, 7, 0.5}};
  for (const auto& row : rows) {
    MainWindowInputs in;
    test::ApplyDigestSettings(row.method, "all", "", in);
    in.optSolutionRKStepDoubling |= row.expected == SolutionMethod::RungeKutta;
    in.txtSolutionEulerSteps = row.steps;
    in.txtEps1 = "1E-06";
    ModelParameters parameters{.eulerSteps = row.previous, .eps = 0.5};
    ReadModelParameters(in, parameters);
    EXPECT_EQ(std::tuple(parameters.solutionMethod, parameters.eulerSteps, parameters.eps),
              std::tuple(row.expected, row.eulerSteps, row.eps)) << row.method << " " << row.steps;
  }
}

// 2 * 3.14159265358979 * sqrt(m * Uy / Fy [/ a]) by hand, rounded to 3 decimals; "-" where the
// root has no real value or there is no mass. A mass text <= 0 takes the experiment's mass.
TEST(PeriodLabelsTest, ShowsPeriodsOrDash) {
  const struct { const char *mass, *fy, *uy, *alpha; std::optional<double> experimentMass;
                 const char* periods; } rows[] = {
              {"0", "2.86", "0.111", "0.10", 1.0, "1.238 3.914"},
              {"-1", "0", "0.111", "0.10", 1.0, "- -"},
              {"-1", "2.86", "0.111", "0", 1.0, "1.238 -"},
              {"-1", "2.86", "-0.111", "0.10", 1.0, "- -"},
              {"-1", "2.86", "0.111", "0.10", std::nullopt, "- -"},
              {"1", "2.86", "0.111", "0.10", std::nullopt, "1.238 3.914"}};
  for (const auto& row : rows) {
    MainWindowInputs in;
    in.txtMass = row.mass;
    in.txtFy = row.fy;
    in.txtUy = row.uy;
    in.txtAlphaSmall = row.alpha;
    const PeriodLabelTexts texts = PeriodLabels(in, row.experimentMass);
    EXPECT_EQ(texts.elastic + " " + texts.plastic, row.periods)
        << row.mass << " " << row.fy << " " << row.uy << " " << row.alpha;
  }
}

// Whole seconds rounded up; each unit from its first whole second, minute or hour on.
TEST(TimeLeftTest, CountsWholeSecondsMinutesAndHours) {
  const struct { double seconds; const char* text; } rows[] = {
      {12.2, "about 13 s left"},       {59.5, "about 1 min 0 s left"},
      {7500.0, "about 2 h 5 min left"}, {1e300, "about 1000000000 h 0 min left"}};
  for (const auto& row : rows) EXPECT_EQ(TimeLeftText(row.seconds), row.text) << row.seconds;
}

}  // namespace
}  // namespace quarvel
