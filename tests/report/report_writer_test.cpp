#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "experiments/experiment_file.h"
#include "solve/solve_experiments.h"
#include "support/scratch_folder.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;

// The whole text, by hand: the force -5 reaches the mass at sample 2 (acceleration -5 / 2.86 =
// -1.748251748252) and gives it the velocity 0.02 * -5 / 2.86 = -0.034965034965 at sample 3;
// nothing else moves. "Mass =" shows the mass text at export (not the solve's mass); the rule
// line names the rule (none for all reversal points). One Euler step per sample.
TEST(ReportWriterTest, SolvedPulseGivesTheHandComputedText) {
  const ScratchFolder folder;
  const std::string path = (folder / "report.txt").string();
  const std::string zero = "\t 0.000000000000E+00", head =
      "#\tT\tU                \tU_DOT            \tU_DOT_DOT        \tF                \t"
      "Z                \tFext             \tFh               \tEt               \t"
      "Eh               ";
  const std::string rows[] = {
      "1\t0" + zero + zero + zero + zero + zero + zero + zero + zero + zero,
      "2\t0.02" + zero + zero + "\t-1.748251748252E+00" + zero + zero +
          "\t-5.000000000000E+00" + zero + zero + zero,
      "3\t0.04" + zero + "\t-3.496503496503E-02" + zero + zero + zero + zero + zero + zero + zero};
  for (const bool last : {false, true}) {
    Workbench bench;
    ASSERT_TRUE(LoadExperimentText("1\nPulse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n-5\n0\n",
                                   bench.experiments));
    bench.SelectFirst(0, 1);
    bench.inputs.optSolutionRKStepDoubling = false;
    bench.inputs.optSolutionEuler = true;
    bench.inputs.optALLREV = !last;
    bench.inputs.optReversalLast = last;
    SilentUserInterface ui;
    ASSERT_TRUE(SolveExperiments(bench, ui, false).solved);
    ASSERT_TRUE(WriteReport(path, bench.experiments, bench.results, bench.parameters, "4.5").ok);
    std::string expected =
        "Bouc-Wen model modification\r\nParameters:\r\nA = 1\r\nbeta = 0.1\r\ngamma = 0.9\r\n"
        "n = 2\r\nc = 0\r\nFy = 2.86\r\nUy = 0.111\r\nP = 2\r\nMass = 4.5\r\n\r\nPulse\r\n"
        "Parameters:\r\nDefault mass in the excitation = 2.86\r\nInitial U = 0\r\n"
        "Initial U_DOT = 0\r\nInitial Z = 0\r\n\r\nOriginal Bouc-Wen model\r\n" + head + "\r\n";
    for (const std::string& row : rows) expected += row + "\r\n";
    expected += "\r\nModified Bouc-Wen model\r\n";
    if (last) expected += "using last observed reversal point\r\n";
    expected += head + "\tPLast+\tPlast-\tPMax+\tPMax-\r\n";
    for (const std::string& row : rows) expected += row + "\t0\t0\t0\t0\r\n";
    EXPECT_EQ(folder.Read("report.txt"), expected + "\r\n");
  }
}

// No experiments: nothing is written. Mend: an experiment without results is reported with the
// file name and the reason, keeping what was written. (Files that cannot be written:
// tests/reliability/write_faults_test.cpp.)
TEST(ReportWriterTest, WritesNothingWithoutExperimentsAndNamesAnUnsolvedOne) {
  const ScratchFolder folder;
  const std::string path = (folder / "report.txt").string();
  EXPECT_TRUE(WriteReport(path, ExperimentSet{}, ResultSet{}, ModelParameters{}, "-1").ok);
  EXPECT_FALSE(fs::exists(path));
  ExperimentSet unsolved;
  unsolved.Append(Experiment{}).name = "Unsolved";
  unsolved.At(1).counter = 3;
  EXPECT_EQ(WriteReport(path, unsolved, ResultSet{}, ModelParameters{}, "-1").Describe(),
            path + ": experiment \"Unsolved\" has no results to export (solve the experiments "
                    "first)");
  EXPECT_NE(folder.Read("report.txt").find("Original Bouc-Wen model"), std::string::npos);
}

}  // namespace
}  // namespace quarvel
