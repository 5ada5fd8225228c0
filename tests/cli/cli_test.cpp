// End-to-end tests: run quarvel-cli in a temporary folder and check its output, files and exit
// status.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("quarvel-cli-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs quarvel-cli with `arguments` (already quoted for the shell) inside the folder.
  CliRun Run(const std::string& arguments) {
    const fs::path out = folder_ / "stdout.txt";
    const fs::path err = folder_ / "stderr.txt";
    const std::string command = "cd '" + folder_.string() + "' && '" QUARVEL_CLI "' " +
                                arguments + " > '" + out.string() + "' 2> '" + err.string() +
                                "' < /dev/null";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    return run;
  }

  // Runs a shell command inside the folder.
  CliRun RunShell(const std::string& command) {
    const fs::path out = folder_ / "stdout.txt";
    const fs::path err = folder_ / "stderr.txt";
    const std::string line = "cd '" + folder_.string() + "' && " + command + " > '" +
                             out.string() + "' 2> '" + err.string() + "' < /dev/null";
    const int raw = std::system(line.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    return run;
  }

  void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }

  fs::path folder_;
};

TEST_F(CliTest, SolvePrintsDetailsLabelsAndOneLinePerExperiment) {
  const CliRun run = Run("solve --mass 1");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Data type :\tForce\n"), std::string::npos);
  EXPECT_NE(run.out.find("Counter :\t501\n"), std::string::npos);
  EXPECT_NE(run.out.find("T elastic :\t1.238\n"), std::string::npos);
  EXPECT_NE(run.out.find("T plastic :\t3.914\n"), std::string::npos);
  EXPECT_NE(run.out.find("Relative U :\t"), std::string::npos);
  for (const char* name : {"T=1, Amp=5\t", "T=2, Amp=5\t", "T=3, Amp=5\t", "T=1, Amp=20\t",
                           "T=2, Amp=20\t", "T=3, Amp=20\t"}) {
    EXPECT_NE(run.out.find(std::string("\n") + name), std::string::npos) << name;
  }
}

TEST_F(CliTest, SolveSelectsTheRequestedExperimentOfALoadedFile) {
  WriteText("pulse.quarvel",
            "2\r\nFirst\r\n1\r\n2.86\r\n0\r\n0\r\n0\r\nForce\r\nnone\r\n0.02\r\n3\r\n0\r\n5\r\n0\r\n"
            "Second\r\n1\r\n1\r\n0\r\n0\r\n0\r\nDisplacement\r\nnone\r\n0.05\r\n4\r\n0\r\n0.1\r\n"
            "0.2\r\n0.1\r\n");
  const CliRun run = Run("solve --load pulse.quarvel --experiment 2 --method euler");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Data type :\tDisplacement\n"), std::string::npos);
  EXPECT_NE(run.out.find("Counter :\t4\n"), std::string::npos);
}

TEST_F(CliTest, ReportWritesTheReportFile) {
  const CliRun run = Run("report --dc1 -o out.txt");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = ReadFile(folder_ / "out.txt");
  EXPECT_EQ(text.rfind("Bouc-Wen model modification\r\nParameters:\r\n", 0), 0u);
  EXPECT_NE(text.find("Temp DC 1\r\n"), std::string::npos);
}

TEST_F(CliTest, DemoWritesTheReportIntoItsFolder) {
  const CliRun run = Run("demo --dir results");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder_ / "results" / "quarvel-report.txt"));
  EXPECT_NE(run.out.find("quarvel-report.txt"), std::string::npos);
}

TEST_F(CliTest, LoopWritesTheStudyFileForAShortRange) {
  const CliRun run = Run("loop --from 1 --to 1.02 --step 0.01 --dir studies -o short.out");
  ASSERT_EQ(run.status, 1) << "the folder does not exist yet: " << run.err;
  EXPECT_NE(run.err.find("short.out"), std::string::npos);

  std::filesystem::create_directories(folder_ / "studies");
  const CliRun again = Run("loop --from 1 --to 1.02 --step 0.01 --dir studies -o short.out");
  ASSERT_EQ(again.status, 0) << again.err;
  const std::string text = ReadFile(folder_ / "studies" / "short.out");
  EXPECT_EQ(text.rfind("Varying plastic period by changing mass\r\nVarying Qty\t", 0), 0u);
  EXPECT_NE(text.find("\r\n1\t"), std::string::npos);
  EXPECT_NE(text.find("\r\n1.01\t"), std::string::npos);
  EXPECT_NE(text.find("\r\n1.02\t"), std::string::npos);
  EXPECT_EQ(text.find("\r\n1.03\t"), std::string::npos);
}

TEST_F(CliTest, AdvancedLoopStudiesTheNumberedSeriesAndWritesEnvelopes) {
  const std::string record =
      "1\nRamp\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n6\n0\n20\n40\n40\n20\n0\n";
  for (const char* name : {"1 a.quarvel", "2 b.quarvel", "4 c.quarvel", "1.quarvel"}) {
    WriteText(name, record);
  }
  const CliRun run =
      Run("advanced-loop --dir . --threshold 0.001 --from 1 --to 1.1 --step 0.05 --method euler");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder_ / "1 a.quarvel.out"));
  EXPECT_TRUE(fs::exists(folder_ / "2 b.quarvel.out"));
  EXPECT_FALSE(fs::exists(folder_ / "4 c.quarvel.out"));
  EXPECT_FALSE(fs::exists(folder_ / "1.quarvel.out"));
  for (const char* envelope : {"EnvRelErrorUPos.out", "EnvRelErrorUNeg.out",
                               "EnvRelErrorEhPos.out", "EnvRelErrorEhNeg.out"}) {
    EXPECT_TRUE(fs::exists(folder_ / envelope)) << envelope;
  }
}

// The study of the loop with the default mode over a short range, run in one process with one
// job, with several jobs, and as shards run side by side by GNU parallel and merged: the same
// file, byte for byte.
TEST_F(CliTest, LoopJobsAndMergedShardsWriteTheSameStudy) {
  const std::string range = "loop --from 3 --to 4.5 --step 0.05 ";
  for (const char* folder : {"one", "two", "all", "shards"}) fs::create_directories(folder_ / folder);
  const CliRun one = Run(range + "--dir one --jobs 1");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_NE(one.out.find("(31 values, 31 lines)"), std::string::npos) << one.out;
  const CliRun two = Run(range + "--dir two --jobs 2");
  ASSERT_EQ(two.status, 0) << two.err;
  const CliRun all = Run(range + "--dir all --jobs 3 --all-experiments");
  ASSERT_EQ(all.status, 0) << all.err;
  const std::string expected = ReadFile(folder_ / "one" / "lresults.out");
  EXPECT_EQ(expected.rfind("Varying plastic period by changing mass\r\n", 0), 0u);
  EXPECT_EQ(ReadFile(folder_ / "two" / "lresults.out"), expected);
  EXPECT_EQ(ReadFile(folder_ / "all" / "lresults.out"), expected);

  if (std::system("command -v parallel > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel is not installed";
  }
  const CliRun shards = RunShell("parallel --will-cite --halt now,fail=1 '" QUARVEL_CLI "' " +
                                 range + "--dir shards --jobs 1 --shard {}/4 ::: 1 2 3 4");
  ASSERT_EQ(shards.status, 0) << shards.err;
  EXPECT_FALSE(fs::exists(folder_ / "shards" / "lresults.out"));
  const CliRun merged = Run("merge shards/lresults.out.shard-1-of-4 shards/lresults.out.shard-2-of-4 "
                            "shards/lresults.out.shard-3-of-4 shards/lresults.out.shard-4-of-4");
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(ReadFile(folder_ / "shards" / "lresults.out"), expected);

  const CliRun incomplete = Run("merge shards/lresults.out.shard-1-of-4");
  EXPECT_EQ(incomplete.status, 1);
  EXPECT_NE(incomplete.err.find("2/4, 3/4, 4/4 missing"), std::string::npos) << incomplete.err;
}

// Ctrl-C during a loop with two jobs: the values in progress are finished, the study file holds
// the lines of the values finished in order (a prefix of the whole study, every line whole),
// and the exit status is 130.
TEST_F(CliTest, InterruptedLoopKeepsTheValuesFinishedInOrder) {
  const std::string range = "loop --from 0.1 --to 0.6 --step 0.01 ";
  fs::create_directories(folder_ / "whole");
  fs::create_directories(folder_ / "cut");
  const CliRun whole = Run(range + "--dir whole --jobs 2");
  ASSERT_EQ(whole.status, 0) << whole.err;
  const CliRun cut = RunShell("{ '" QUARVEL_CLI "' " + range +
                              "--dir cut --jobs 2 & pid=$!; sleep 0.3; kill -INT $pid; wait $pid; }");
  const std::string expected = ReadFile(folder_ / "whole" / "lresults.out");
  const std::string written = ReadFile(folder_ / "cut" / "lresults.out");
  if (cut.status == 0) GTEST_SKIP() << "the study finished before the interrupt";
  EXPECT_EQ(cut.status, 130) << cut.err;
  EXPECT_NE(cut.err.find("Interrupted"), std::string::npos) << cut.err;
  EXPECT_LT(written.size(), expected.size());
  EXPECT_EQ(expected.compare(0, written.size(), written), 0) << "not a prefix of the study";
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ(written.substr(written.size() - 2), "\r\n");
}

// The advanced study split by files over three shards run by GNU parallel: each file's study
// and, once merged, the four envelope files are those of one run.
TEST_F(CliTest, AdvancedLoopShardsMergeIntoTheEnvelopesOfOneRun) {
  if (std::system("command -v parallel > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel is not installed";
  }
  const double amplitudes[] = {20.0, 15.0, 30.0, 10.0, 25.0};
  for (const char* folder : {"single", "sharded"}) {
    fs::create_directories(folder_ / folder);
    for (int k = 0; k < 5; ++k) {
      // Two cycles of a sinusoidal force of period 1 s.
      std::string text = "1\nSine\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n101\n";
      for (int i = 0; i <= 100; ++i) {
        char sample[40];
        std::snprintf(sample, sizeof sample, "%.17g\n",
                      amplitudes[k] * std::sin(2.0 * 3.14159265358979 * 0.02 * i));
        text += sample;
      }
      WriteText(std::string(folder) + "/" + std::to_string(k + 1) + " sine.quarvel", text);
    }
  }
  const std::string study = "advanced-loop --threshold 0.5 --from 3 --to 3.5 --step 0.05 ";
  const CliRun single = Run(study + "--dir single --jobs 2");
  ASSERT_EQ(single.status, 0) << single.err;
  const CliRun shards = RunShell("parallel --will-cite --halt now,fail=1 '" QUARVEL_CLI "' " + study +
                                 "--dir sharded --jobs 1 --shard {}/3 ::: 1 2 3");
  ASSERT_EQ(shards.status, 0) << shards.err;
  const CliRun merged = Run("merge sharded/EnvRelError.out.shard-1-of-3 "
                            "sharded/EnvRelError.out.shard-2-of-3 sharded/EnvRelError.out.shard-3-of-3");
  ASSERT_EQ(merged.status, 0) << merged.err;
  for (int k = 1; k <= 5; ++k) {
    const std::string name = std::to_string(k) + " sine.quarvel.out";
    EXPECT_EQ(ReadFile(folder_ / "sharded" / name), ReadFile(folder_ / "single" / name)) << name;
  }
  std::string allEnvelopes;
  for (const char* envelope : {"EnvRelErrorUPos.out", "EnvRelErrorUNeg.out",
                               "EnvRelErrorEhPos.out", "EnvRelErrorEhNeg.out"}) {
    const std::string expected = ReadFile(folder_ / "single" / envelope);
    allEnvelopes += expected;
    EXPECT_EQ(ReadFile(folder_ / "sharded" / envelope), expected) << envelope;
  }
  EXPECT_FALSE(allEnvelopes.empty());
}

struct ErrorCase {
  const char* name;
  const char* arguments;
  int status;
  const char* message;
};

const ErrorCase kErrorCases[] = {
    {"missing_file", "solve --load missing.quarvel", 1, "Error while loading the file!"},
    {"bad_file", "solve --load bad.quarvel", 1, "Error while loading the file!"},
    {"bad_file_reason", "solve --load bad.quarvel", 1, "bad.quarvel: line 1"},
    {"report_to_full_disk", "report -o /dev/full", 1, "/dev/full: No space left on device"},
    {"report_to_directory", "report -o .", 1, "Is a directory"},
    {"zero_weights", "solve --load zero.quarvel", 1, "The weights of the experiments are zero!"},
    {"experiment_out_of_range", "solve --experiment 7", 2, "--experiment 7"},
    {"unknown_option", "solve --no-such-option", 2, ""},
    {"bad_method", "solve --method fast", 2, ""},
    {"no_subcommand", "", 2, ""},
    {"advanced_loop_without_folder", "advanced-loop", 2, "--dir"},
    {"advanced_loop_zero_threshold", "advanced-loop --dir . --threshold 0", 2, "threshold"},
    {"loop_into_full_disk", "loop --to 0.1 --dir /dev -o full", 1, "/dev/full"},
    {"bad_shard", "loop --shard 3/2", 2, "--shard 3/2"},
    {"merge_not_a_shard", "merge bad.quarvel", 1, "not a shard file"},
};

class CliErrorTest : public CliTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(CliErrorTest, FailsWithStatusAndMessage) {
  WriteText("bad.quarvel", "zero experiments\n");
  WriteText("zero.quarvel",
            "1\nNo weight\n0\n1\n0\n0\n0\nForce\nnone\n0.02\n2\n0\n1\n");
  const ErrorCase& c = GetParam();
  const CliRun run = Run(c.arguments);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, CliErrorTest, testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
