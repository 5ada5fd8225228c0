#include "report/report_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "solve/solve_experiments.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

// A three-sample pulse (force -5 at sample 2) solved with one Euler step per sample.
Workbench SolvedPulse(bool lastReversalRule) {
  Workbench bench;
  Experiment pulse;
  pulse.name = "Pulse";
  pulse.weight = 1;
  pulse.mass = 2.86;
  pulse.timeStep = 0.02;
  pulse.counter = 3;
  pulse.dataType = ExperimentDataType::Force;
  pulse.force = {0, 0, -5, 0};
  bench.experiments.Append(pulse);
  bench.SelectFirst(0, 1);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.optALLREV = !lastReversalRule;
  bench.inputs.optReversalLast = lastReversalRule;
  SilentUserInterface ui;
  EXPECT_TRUE(SolveExperiments(bench, ui, false).solved);
  return bench;
}

class ReportWriterTest : public testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(folder_); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  const std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() /
      ("quarvel-report-" + std::to_string(::getpid()) + "-" +
       testing::UnitTest::GetInstance()->current_test_info()->name());
  const std::string path_ = (folder_ / "report.txt").string();
};

// The whole text, by hand: the force -5 reaches the mass at sample 2 (acceleration -5 / 2.86)
// and gives it the velocity 0.02 * -5 / 2.86 at sample 3; nothing else moves. "Mass =" shows
// the mass text; the rule line names the rule (none for all reversal points).
TEST_F(ReportWriterTest, SolvedPulseGivesTheHandComputedText) {
  const std::string zero = " 0.000000000000E+00";
  const std::string acceleration = FormatReportScientific(-5.0 / 2.86);
  ASSERT_EQ(acceleration, "-1.748251748252E+00");
  const std::string velocity = FormatReportScientific(0.02 * (-(1 / 2.86) * (0.0 - -5.0)));
  const auto row = [&](const char* k, const char* t, const std::string& uDot,
                       const std::string& uDotDot, const std::string& fext) {
    return std::string(k) + "\t" + t + "\t" + zero + "\t" + uDot + "\t" + uDotDot + "\t" + zero +
           "\t" + zero + "\t" + fext + "\t" + zero + "\t" + zero + "\t" + zero;
  };
  std::string original, modified;
  for (const std::string& line : {row("1", "0", zero, zero, zero),
                                  row("2", "0.02", zero, acceleration, "-5.000000000000E+00"),
                                  row("3", "0.04", velocity, zero, zero)}) {
    original += line + "\r\n";
    modified += line + "\t0\t0\t0\t0\r\n";
  }
  const std::string header =
      "#\tT\tU                \tU_DOT            \tU_DOT_DOT        \tF                \t"
      "Z                \tFext             \tFh               \tEt               \t"
      "Eh               ";
  for (const bool last : {false, true}) {
    const Workbench bench = SolvedPulse(last);
    ASSERT_TRUE(WriteReport(path_, bench.experiments, bench.results, bench.parameters, "-1").ok);
    EXPECT_EQ(Read(),
              "Bouc-Wen model modification\r\nParameters:\r\nA = 1\r\nbeta = 0.1\r\n"
              "gamma = 0.9\r\nn = 2\r\nc = 0\r\nFy = 2.86\r\nUy = 0.111\r\nP = 2\r\n"
              "Mass =-1\r\n\r\nPulse\r\nParameters:\r\nDefault mass in the excitation = 2.86\r\n"
              "Initial U = 0\r\nInitial U_DOT = 0\r\nInitial Z = 0\r\n\r\n"
              "Original Bouc-Wen model\r\n" + header + "\r\n" + original +
                  "\r\nModified Bouc-Wen model\r\n" +
                  (last ? "using last observed reversal point\r\n" : "") + header +
                  "\tPLast+\tPlast-\tPMax+\tPMax-\r\n" + modified + "\r\n");
  }
}

TEST_F(ReportWriterTest, NoExperimentsWritesNothing) {
  EXPECT_TRUE(WriteReport(path_, ExperimentSet{}, ResultSet{}, ModelParameters{}, "-1").ok);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

// Mend: a fault is reported with the file name and the reason, keeping what was written.
TEST_F(ReportWriterTest, FaultsNameTheFileAndKeepWhatWasWritten) {
  ExperimentSet set;
  Experiment unsolved;
  unsolved.name = "Unsolved";
  unsolved.counter = 3;
  set.Append(unsolved);
  const FileResult unsolvedFault = WriteReport(path_, set, ResultSet{}, ModelParameters{}, "-1");
  EXPECT_FALSE(unsolvedFault.ok);
  EXPECT_EQ(unsolvedFault.Describe(),
            path_ + ": experiment \"Unsolved\" has no results to export (solve the experiments "
                    "first)");
  EXPECT_NE(Read().find("Original Bouc-Wen model"), std::string::npos);

  const Workbench bench = SolvedPulse(false);
  for (const auto& [path, reason] :
       {std::pair<std::string, const char*>{"/dev/full", "No space left on device"},
        {folder_.string(), "Is a directory"},
        {(folder_ / "missing" / "report.txt").string(), "No such file or directory"}}) {
    const FileResult fault =
        WriteReport(path, bench.experiments, bench.results, bench.parameters, "-1");
    EXPECT_FALSE(fault.ok) << path;
    EXPECT_EQ(fault.Describe(), path + ": " + reason);
  }
}

}  // namespace
}  // namespace quarvel
