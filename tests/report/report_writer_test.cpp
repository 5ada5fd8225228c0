#include "report/report_writer.h"

#include "solve/solve_experiments.h"
#include "text/number_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarvel {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ReportWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("quarvel-report-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // One experiment of two samples with hand-set responses.
  static ExperimentSet TwoSampleSet() {
    Experiment e;
    e.name = "Pulse";
    e.mass = 2.86;
    e.initialU = -0.5;
    e.counter = 2;
    for (ResponseHistory* h : {&e.original, &e.modified}) {
      h->Reset(2);
      h->T = {0, 0, 0.02};
      h->U = {0, 0, 0.0015};
      h->U_DOT = {0, 0, -0.25};
    }
    e.reversalLastPlus = {0, 0, 1};
    e.reversalLastMinus = {0, 0, 0};
    e.reversalMaxPlus = {0, 0, 1};
    e.reversalMaxMinus = {0, 0, 0};
    ExperimentSet set;
    set.Append(e);
    return set;
  }

  std::filesystem::path folder_;
};

TEST_F(ReportWriterTest, WritesTheLayoutWithCrLfLineEnds) {
  ModelParameters solved;
  solved.reversalRule = ReversalRule::LastReversal;
  const auto path = folder_ / "report.txt";
  ASSERT_TRUE(WriteReport(path.string(), TwoSampleSet(), solved, "-1").ok);

  const std::string zeros =
      " 0.000000000000E+00\t 0.000000000000E+00\t 0.000000000000E+00\t 0.000000000000E+00\t"
      " 0.000000000000E+00\t 0.000000000000E+00\t 0.000000000000E+00";
  const std::string header =
      "#\tT\tU                \tU_DOT            \tU_DOT_DOT        \tF                \t"
      "Z                \tFext             \tFh               \tEt               \t"
      "Eh               ";
  const std::string row1 = "1\t0\t 0.000000000000E+00\t 0.000000000000E+00\t" + zeros;
  const std::string row2 = "2\t0.02\t 1.500000000000E-03\t-2.500000000000E-01\t" + zeros;
  const std::string expected =
      "Bouc-Wen model modification\r\nParameters:\r\nA = 1\r\nbeta = 0.1\r\ngamma = 0.9\r\n"
      "n = 2\r\nc = 0\r\nFy = 2.86\r\nUy = 0.111\r\nP = 2\r\nMass =-1\r\n\r\n"
      "Pulse\r\nParameters:\r\nDefault mass in the excitation = 2.86\r\nInitial U =-0.5\r\n"
      "Initial U_DOT = 0\r\nInitial Z = 0\r\n\r\nOriginal Bouc-Wen model\r\n" +
      header + "\r\n" + row1 + "\r\n" + row2 + "\r\n\r\nModified Bouc-Wen model\r\n" +
      "using last observed reversal point\r\n" + header + "\tPLast+\tPlast-\tPMax+\tPMax-\r\n" +
      row1 + "\t0\t0\t0\t0\r\n" + row2 + "\t1\t0\t1\t0\r\n\r\n";
  EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ReportWriterTest, AllReversalsWritesNoRuleLine) {
  const auto path = folder_ / "report.txt";
  ASSERT_TRUE(WriteReport(path.string(), TwoSampleSet(), ModelParameters{}, "2").ok);
  const std::string text = ReadFile(path);
  EXPECT_NE(text.find("Mass = 2\r\n"), std::string::npos);
  EXPECT_NE(text.find("Modified Bouc-Wen model\r\n#\tT"), std::string::npos);
}

TEST_F(ReportWriterTest, NoExperimentsWritesNothing) {
  const auto path = folder_ / "report.txt";
  EXPECT_TRUE(WriteReport(path.string(), ExperimentSet{}, ModelParameters{}, "-1").ok);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ReportWriterTest, UnsolvedExperimentIsReportedAndKeepsWhatWasWritten) {
  ExperimentSet set;
  Experiment unsolved;
  unsolved.name = "Unsolved";
  unsolved.counter = 3;
  set.Append(unsolved);
  const auto path = folder_ / "report.txt";
  const ReportOutcome outcome = WriteReport(path.string(), set, ModelParameters{}, "-1");
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.error.find(path.string()), std::string::npos);
  EXPECT_NE(outcome.error.find("Unsolved"), std::string::npos);
  EXPECT_NE(ReadFile(path).find("Original Bouc-Wen model"), std::string::npos);
}

TEST_F(ReportWriterTest, WriteFailuresNameTheFileAndTheReason) {
  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {
      {"/dev/full", "No space left on device"},
      {folder_.string(), "Is a directory"},
      {(folder_ / "missing" / "report.txt").string(), "No such file or directory"},
  };
  for (const Case& c : cases) {
    const ReportOutcome outcome = WriteReport(c.path, TwoSampleSet(), ModelParameters{}, "-1");
    EXPECT_FALSE(outcome.ok) << c.path;
    EXPECT_EQ(outcome.error, c.path + ": " + c.reason);
  }
}

}  // namespace
}  // namespace quarvel

namespace quarvel {
namespace {

// A three-sample pulse solved with one Euler step per sample, by hand: the force 5 reaches the
// mass at sample 2 (acceleration 5 / 2.86) and gives it the velocity 0.02 * 5 / 2.86 at sample
// 3; nothing else moves.
TEST_F(ReportWriterTest, SolvedPulseGivesTheHandComputedReport) {
  Workbench bench;
  Experiment pulse;
  pulse.name = "Pulse";
  pulse.weight = 1;
  pulse.mass = 2.86;
  pulse.timeStep = 0.02;
  pulse.counter = 3;
  pulse.dataType = ExperimentDataType::Force;
  pulse.force = {0, 0, 5, 0};
  bench.experiments.Append(pulse);
  bench.SelectFirst(0, 1);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  SilentUserInterface ui;
  ASSERT_TRUE(SolveExperiments(bench, ui, false).solved);

  const auto path = folder_ / "pulse.txt";
  ASSERT_TRUE(WriteReport(path.string(), bench.experiments, bench.parameters, "-1").ok);

  const std::string zero = " 0.000000000000E+00";
  const std::string acceleration = FormatReportScientific(5.0 / 2.86);
  const std::string velocity = FormatReportScientific(0.02 * (-(1 / 2.86) * (0.0 - 5.0)));
  ASSERT_EQ(acceleration, " 1.748251748252E+00");
  auto row = [&](const char* k, const char* t, const std::string& uDot, const std::string& uDotDot,
                 const std::string& fext) {
    return std::string(k) + "\t" + t + "\t" + zero + "\t" + uDot + "\t" + uDotDot + "\t" + zero +
           "\t" + zero + "\t" + fext + "\t" + zero + "\t" + zero + "\t" + zero;
  };
  const std::string text = ReadFile(path);
  std::string expectedRows;
  std::string expectedModified;
  for (const std::string& line : {row("1", "0", zero, zero, zero),
                                  row("2", "0.02", zero, acceleration, " 5.000000000000E+00"),
                                  row("3", "0.04", velocity, zero, zero)}) {
    expectedRows += line + "\r\n";
    expectedModified += line + "\t0\t0\t0\t0\r\n";
  }
  EXPECT_NE(text.find("Original Bouc-Wen model\r\n"), std::string::npos);
  EXPECT_NE(text.find("Eh               \r\n" + expectedRows + "\r\nModified Bouc-Wen model\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("PMax-\r\n" + expectedModified + "\r\n"), std::string::npos);
  EXPECT_EQ(text.size(), text.find("PMax-\r\n") + 7 + expectedModified.size() + 2);
}

}  // namespace
}  // namespace quarvel
