// End-to-end tests: run quarvel-cli in a temporary folder and check its output, files and exit
// status.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

namespace {

namespace fs = std::filesystem;

const std::string kCli = "'" QUARVEL_CLI "' ";
const char* const kEnvelopes[] = {"EnvRelErrorUPos.out", "EnvRelErrorUNeg.out",
                                  "EnvRelErrorEhPos.out", "EnvRelErrorEhNeg.out"};

struct CliRun {
  int status = -1;
  std::string out, err;
};

std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// "WIDTHxHEIGHT" from a PNG file's signature and image header; empty when the bytes are no PNG.
std::string PngSize(const std::string& b) {
  if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0) {
    return "";
  }
  const auto word = [&b](size_t at) {
    uint32_t value = 0;
    for (size_t i = at; i < at + 4; ++i) value = value << 8 | static_cast<unsigned char>(b[i]);
    return std::to_string(value);
  };
  return word(16) + "x" + word(20);
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) c = c == '/' ? '_' : c;
    folder_ =
        fs::temp_directory_path() / ("quarvel-cli-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs a shell command inside the folder, without a display.
  CliRun Shell(const std::string& command) {
    const std::string out = (folder_ / "stdout.txt").string(),
                      err = (folder_ / "stderr.txt").string();
    const int raw = std::system(("cd '" + folder_.string() + "' && unset DISPLAY && " + command +
                                 " > '" + out + "' 2> '" + err + "' < /dev/null")
                                    .c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }
  // Runs quarvel-cli with `arguments` (already quoted for the shell).
  CliRun Run(const std::string& arguments) { return Shell(kCli + arguments); }
  std::string Read(const std::string& name) { return ReadFile(folder_ / name); }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }
  bool HaveParallel() { return std::system("command -v parallel > /dev/null 2>&1") == 0; }

  fs::path folder_;
};

TEST_F(CliTest, SolvePrintsDetailsLabelsAndOneLinePerExperiment) {
  const CliRun run = Run("solve --mass 1");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line :
       {"Data type :\tForce\n", "Counter :\t501\n", "T elastic :\t1.238\n", "T plastic :\t3.914\n",
        "Relative U :\t", "\nT=1, Amp=5\t", "\nT=2, Amp=5\t", "\nT=3, Amp=5\t", "\nT=1, Amp=20\t",
        "\nT=2, Amp=20\t", "\nT=3, Amp=20\t"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
}

TEST_F(CliTest, SolveSelectsTheRequestedExperimentOfALoadedFile) {
  Write("pulse.quarvel",
        "2\r\nFirst\r\n1\r\n2.86\r\n0\r\n0\r\n0\r\nForce\r\nnone\r\n0.02\r\n3\r\n0\r\n5\r\n0\r\n"
        "Second\r\n1\r\n1\r\n0\r\n0\r\n0\r\nDisplacement\r\nnone\r\n0.05\r\n4\r\n0\r\n0.1\r\n"
        "0.2\r\n0.1\r\n");
  const CliRun run = Run("solve --load pulse.quarvel --experiment 2 --method euler");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Data type :\tDisplacement\n"), std::string::npos);
  EXPECT_NE(run.out.find("Counter :\t4\n"), std::string::npos);
}

TEST_F(CliTest, ReportAndDemoWriteTheReport) {
  const CliRun report = Run("report --dc1 -o out.txt");
  ASSERT_EQ(report.status, 0) << report.err;
  EXPECT_EQ(Read("out.txt").rfind("Bouc-Wen model modification\r\nParameters:\r\n", 0), 0u);
  EXPECT_NE(Read("out.txt").find("Temp DC 1\r\n"), std::string::npos);

  const CliRun demo = Run("demo --dir results");
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_TRUE(fs::exists(folder_ / "results" / "quarvel-report.txt"));
  EXPECT_NE(demo.out.find("quarvel-report.txt"), std::string::npos);
}

// Into a folder that does not exist yet (status 1, the file named), then into one that does.
TEST_F(CliTest, LoopWritesTheStudyFileForAShortRange) {
  const std::string loop = "loop --from 1 --to 1.02 --step 0.01 --dir studies -o short.out";
  const CliRun missing = Run(loop);
  ASSERT_EQ(missing.status, 1) << missing.err;
  EXPECT_NE(missing.err.find("short.out"), std::string::npos);

  fs::create_directories(folder_ / "studies");
  const CliRun run = Run(loop);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = Read("studies/short.out");
  EXPECT_EQ(text.rfind("Varying plastic period by changing mass\r\nVarying Qty\t", 0), 0u);
  for (const char* value : {"\r\n1\t", "\r\n1.01\t", "\r\n1.02\t"}) {
    EXPECT_NE(text.find(value), std::string::npos) << value;
  }
  EXPECT_EQ(text.find("\r\n1.03\t"), std::string::npos);
}

TEST_F(CliTest, AdvancedLoopStudiesTheNumberedSeriesAndWritesEnvelopes) {
  for (const char* name : {"1 a.quarvel", "2 b.quarvel", "4 c.quarvel", "1.quarvel"}) {
    Write(name, "1\nRamp\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n6\n0\n20\n40\n40\n20\n0\n");
  }
  const CliRun run =
      Run("advanced-loop --dir . --threshold 0.001 --from 1 --to 1.1 --step 0.05 --method euler");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const auto& [name, written] : {std::pair{"1 a.quarvel.out", true},
                                      {"2 b.quarvel.out", true},
                                      {"4 c.quarvel.out", false},
                                      {"1.quarvel.out", false}}) {
    EXPECT_EQ(fs::exists(folder_ / name), written) << name;
  }
  for (const char* envelope : kEnvelopes) EXPECT_TRUE(fs::exists(folder_ / envelope)) << envelope;
}

// The default study over a short range with one job, several jobs, and as shards run side by
// side by GNU parallel and merged: the same file, byte for byte.
TEST_F(CliTest, LoopJobsAndMergedShardsWriteTheSameStudy) {
  const std::string range = "loop --from 3 --to 4.5 --step 0.05 ";
  for (const char* folder : {"one", "two", "all", "shards"})
    fs::create_directories(folder_ / folder);
  const CliRun one = Run(range + "--dir one --jobs 1");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_NE(one.out.find("(31 values, 31 lines)"), std::string::npos) << one.out;
  ASSERT_EQ(Run(range + "--dir two --jobs 2").status, 0);
  ASSERT_EQ(Run(range + "--dir all --jobs 3 --all-experiments").status, 0);
  const std::string expected = Read("one/lresults.out");
  EXPECT_EQ(expected.rfind("Varying plastic period by changing mass\r\n", 0), 0u);
  EXPECT_EQ(Read("two/lresults.out"), expected);
  EXPECT_EQ(Read("all/lresults.out"), expected);

  if (!HaveParallel()) GTEST_SKIP() << "GNU parallel is not installed";
  const CliRun shards = Shell("parallel --will-cite --halt now,fail=1 " + kCli + range +
                              "--dir shards --jobs 1 --shard {}/4 ::: 1 2 3 4");
  ASSERT_EQ(shards.status, 0) << shards.err;
  EXPECT_FALSE(fs::exists(folder_ / "shards" / "lresults.out"));
  std::string files;
  for (int i = 1; i <= 4; ++i) files += " shards/lresults.out.shard-" + std::to_string(i) + "-of-4";
  const CliRun merged = Run("merge" + files);
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(Read("shards/lresults.out"), expected);

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
  const CliRun cut = Shell("{ " + kCli + range +
                           "--dir cut --jobs 2 & pid=$!; sleep 0.3; kill -INT $pid; wait $pid; }");
  const std::string expected = Read("whole/lresults.out"), written = Read("cut/lresults.out");
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
  if (!HaveParallel()) GTEST_SKIP() << "GNU parallel is not installed";
  const double amplitudes[] = {20.0, 15.0, 30.0, 10.0, 25.0};
  for (const char* folder : {"single", "sharded"}) {
    fs::create_directories(folder_ / folder);
    for (int k = 0; k < 5; ++k) {
      // Two cycles of a sinusoidal force of period 1 s.
      std::string text = "1\nSine\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n101\n";
      for (int i = 0; i <= 100; ++i) {
        char sample[40];
        std::snprintf(sample, sizeof sample, "%.17g\n",
                      amplitudes[k] * std::sin(2 * 3.14159265358979 * 0.02 * i));
        text += sample;
      }
      Write(std::string(folder) + "/" + std::to_string(k + 1) + " sine.quarvel", text);
    }
  }
  const std::string study = "advanced-loop --threshold 0.5 --from 3 --to 3.5 --step 0.05 ";
  const CliRun single = Run(study + "--dir single --jobs 2");
  ASSERT_EQ(single.status, 0) << single.err;
  const CliRun shards = Shell("parallel --will-cite --halt now,fail=1 " + kCli + study +
                              "--dir sharded --jobs 1 --shard {}/3 ::: 1 2 3");
  ASSERT_EQ(shards.status, 0) << shards.err;
  std::string files;
  for (int i = 1; i <= 3; ++i)
    files += " sharded/EnvRelError.out.shard-" + std::to_string(i) + "-of-3";
  const CliRun merged = Run("merge" + files);
  ASSERT_EQ(merged.status, 0) << merged.err;
  for (int k = 1; k <= 5; ++k) {
    const std::string name = std::to_string(k) + " sine.quarvel.out";
    EXPECT_EQ(Read("sharded/" + name), Read("single/" + name)) << name;
  }
  std::string allEnvelopes;
  for (const std::string envelope : kEnvelopes) {
    allEnvelopes += Read("single/" + envelope);
    EXPECT_EQ(Read("sharded/" + envelope), Read("single/" + envelope)) << envelope;
  }
  EXPECT_FALSE(allEnvelopes.empty());
}

// PNG pictures of the requested size; the last playback frame adds the reversal marks.
TEST_F(CliTest, PlotWritesAPngOfTheRequestedSize) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"--rule last-max --x U --y F", "whole.png", "800x600"},
      {"--rule last-max --x U --y F --frame 501", "last.png", "800x600"},
      {"--create --experiment 4 --size 640x480", "small.png", "640x480"},
      {"--create --x Eh --y U_DOT_DOT --size 400x4000", "tall.png", "400x4000"},
  };
  for (const auto& [arguments, file, size] : rows) {
    const CliRun run = Run(std::string("plot ") + arguments + " -o " + file);
    ASSERT_EQ(run.status, 0) << arguments << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PngSize(Read(file)), size) << arguments;
  }
  EXPECT_NE(Read("whole.png"), Read("last.png"));
}

// Failures: the status (1 for a fault, 2 for a usage error), a message on stderr, and no picture.
struct ErrorCase {
  const char *name, *arguments;
  int status;
  const char* message;
};

const ErrorCase kErrorCases[] = {
    {"missing_file", "solve --load missing.quarvel", 1,
     "Error while loading the file!\nmissing.quarvel: "},
    {"bad_file", "solve --load bad.quarvel", 1,
     "Error while loading the file!\nbad.quarvel: line 1"},
    {"zero_weights", "solve --load zero.quarvel", 1, "The weights of the experiments are zero!"},
    {"experiment_out_of_range", "solve --experiment 7", 2, "--experiment 7"},
    {"unknown_option", "solve --no-such-option", 2, ""},
    {"bad_method", "solve --method fast", 2, ""},
    {"no_subcommand", "", 2, ""},
    {"advanced_loop_without_folder", "advanced-loop", 2, "--dir"},
    {"advanced_loop_zero_threshold", "advanced-loop --dir . --threshold 0", 2, "threshold"},
    {"bad_shard", "loop --shard 3/2", 2, "--shard 3/2"},
    {"merge_not_a_shard", "merge bad.quarvel", 1, "not a shard file"},
    {"plot_unknown_quantity", "plot --x Q -o f.png", 2, "--x"},
    {"plot_size_without_height", "plot --size 800 -o f.png", 2, "--size"},
    {"plot_width_too_small", "plot --size 399x600 -o f.png", 2, "--size"},
    {"plot_height_too_small", "plot --size 800x299 -o f.png", 2, "--size"},
    {"plot_size_too_large", "plot --size 800x4001 -o f.png", 2, "--size"},
    {"plot_frame_beyond_the_record", "plot --frame 502 -o f.png", 2, "--frame 502"},
    {"plot_experiment_beyond_the_set", "plot --experiment 7 -o f.png", 2, "--experiment 7"},
    {"plot_without_output", "plot --create", 2, "--output"},
    {"plot_folder_missing", "plot -o missing/f.png", 1, "missing/f.png"},
};

class CliErrorTest : public CliTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(CliErrorTest, FailsWithStatusAndMessage) {
  Write("bad.quarvel", "zero experiments\n");
  Write("zero.quarvel", "1\nNo weight\n0\n1\n0\n0\n0\nForce\nnone\n0.02\n2\n0\n1\n");
  const CliRun run = Run(GetParam().arguments);
  EXPECT_EQ(run.status, GetParam().status) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(folder_ / "f.png"));
}

INSTANTIATE_TEST_SUITE_P(Cases, CliErrorTest, testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
