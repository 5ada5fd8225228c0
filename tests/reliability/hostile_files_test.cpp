// Hostile experiment files: every one either loads correctly or fails with "Error while
// loading the file!" and a reason; none crashes, hangs or takes memory beyond what the lines
// actually present need. Each case runs through the loader and, when it fails, through
// quarvel-cli. (Long lines that load, NUL bytes and line ends are rows of the loader's table.)

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "../../fuzz/fuzz_check.h"
#include "experiments/experiment_file.h"
#include "reliability_support.h"

namespace quarvel::reliability {
namespace {

using namespace std::string_literals;

constexpr int64_t kMiB = 1024;  // in KiB
// Memory a load may take beyond its records: the line buffer, a read chunk, allocator slack.
constexpr int64_t kLoadOverheadKiB = 64 * kMiB;
// Big files of 200 MB (40 MB under the sanitizers, which are several times slower). The time
// limits are generous, so that a busy machine passes; a hang still fails.
constexpr std::size_t kBigFileBytes = (kUnderSanitizer ? 40u : 200u) << 20;
constexpr double kSmallFileSeconds = kUnderSanitizer ? 20.0 : 5.0;
constexpr double kBigFileSeconds = kUnderSanitizer ? 120.0 : 30.0;
// The valid big file: blocks of 4096 samples of 20 bytes up to the size (one block for the
// head); the lines after the declared count are not read.
constexpr int32_t kBigSamples = static_cast<int32_t>(kBigFileBytes / (4096 * 20) - 1) * 4096;

// A MiB of random bytes, none that could make a number overflow, so that all of it is read.
std::string Garbage(uint32_t seed) {
  std::mt19937 random(seed);
  std::string text(1 << 20, '\0');
  for (char& c : text) {
    c = static_cast<char>(random());
    if (c != '\0' && std::strchr("eEdD", c) != nullptr) c = ' ';
  }
  return text;
}

// The pulse file from its name line on.
const std::string kPulseAfterName = "\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\n0\n";

struct HostileFile {
  const char* name;
  std::string (*head)();  // the file's first bytes; none: not written
  std::string reason;     // what the failure says; empty: the big valid file, which loads
  void (*fill)(std::string&) = nullptr;  // a big file: chunks after the head up to the size
  const char* file = "hostile.quarvel";  // in the scratch folder, which holds a folder.quarvel/
};

const HostileFile kHostileFiles[] = {
    // Failing before: a line was held whole however long it was.
    {"LineLongerThan16MiB",
     [] { return "1\n" + std::string((16 << 20) + 1, 'N') + kPulseAfterName; },
     "line is longer than 16 MiB"},
    {"DirectoryGivenAsTheFile", nullptr, std::strerror(EISDIR), nullptr, "folder.quarvel"},
    {"FileRemovedAfterItWasChosen", nullptr, std::strerror(ENOENT), nullptr, "gone.quarvel"},
    {"DeviceThatFailsToRead", nullptr, "read error: "s + std::strerror(EIO), nullptr,
     "/proc/self/mem"},
    // Failing before: 16 GiB and seven minutes before running out of memory.
    {"DeviceWithoutLineEnds", nullptr, "line is longer than 16 MiB", nullptr, "/dev/zero"},
    // Big files.
    {"BigValidFileWithMillionsOfSamples",
     [] {
       return "1\r\nBig\r\n1\r\n1\r\n0\r\n0\r\n0\r\nAcceleration\r\nUnits of g\r\n0.001\r\n" +
              std::to_string(kBigSamples) + "\r\n";
     },
     "", [](std::string& chunk) {
       for (chunk.clear(); chunk.size() < 4096 * 20;) chunk += "0.0123456789012345\r\n";
     }},
    // Garbage numbers after a head that claims 2e9 samples.
    {"BigGarbageAfterAHeaderClaiming2e9Samples",
     [] { return "1\nGarbage\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n2000000000\n"s; },
     "the file ends before sample", [](std::string& chunk) {
       static uint32_t seed = 11;
       chunk = Garbage(seed++);
     }},
    // Failing before: a file without a line end was held whole (256 MiB for 200 MB).
    {"BigWithoutLineEnd", [] { return ""s; }, "line is longer than 16 MiB",
     [](std::string& chunk) { chunk.assign(1 << 20, 'x'); }},
};

void PrintTo(const HostileFile& c, std::ostream* os) { *os << c.name; }

class HostileFileTest : public testing::TestWithParam<HostileFile> {};

// (The loader's own table checks that a load from memory gives what the load from disk gives.)
TEST_P(HostileFileTest, LoadsOrFailsPromptlyWithBoundedMemory) {
  const HostileFile& c = GetParam();
  ScratchFolder folder;
  fs::create_directory(folder / "folder.quarvel");
  const std::string path = (folder / c.file).string();
  if (c.head != nullptr) {
    std::ofstream file(path, std::ios::binary);
    file << c.head();
    for (std::string chunk; c.fill != nullptr && file.tellp() < std::streamoff(kBigFileBytes);) {
      c.fill(chunk);
      file << chunk;
    }
  }

  ExperimentSet set;
  set.Append(Experiment{});  // a previous set: a failed load must leave none of it
  const bool measure = !kUnderSanitizer && ResetPeak();
  const int64_t before = CurrentKiB();
  const auto start = std::chrono::steady_clock::now();
  const LoadResult result = LoadExperimentFile(path, set);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  const int64_t growthKiB = PeakKiB() - before;
  const bool loads = c.reason.empty();
  ASSERT_EQ(bool(result), loads) << result.Describe();
  if (result) {
    const Experiment& e = set.At(1);
    EXPECT_STREQ(fuzz::RecordShapeBroken(e), nullptr);
    EXPECT_EQ(std::tuple(e.name, e.counter, SamplesOf(e).back()),
              std::tuple("Big", kBigSamples, 0.0123456789012345));
  } else {
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(result.Describe().rfind(path + ": ", 0), 0u);
    EXPECT_NE(result.reason.find(c.reason), std::string::npos) << result.Describe();
  }
  EXPECT_LT(seconds.count(), c.fill ? kBigFileSeconds : kSmallFileSeconds);
  // The records a successful load returns: 8 bytes a sample, with the vector's doubling.
  if (measure) {
    EXPECT_LT(growthKiB, kLoadOverheadKiB + (loads ? kBigSamples / 64 : 0));
  }
  if (loads) return;
  // quarvel-cli solve: status 1 with the message, the file and the reason on stderr (after the
  // warnings about the lines read); for a big file, the whole program within its libraries, the
  // line buffer and the read chunk.
  const CliRun run = RunCli(folder.Path(), "solve --method euler --load " + Quote(path), 300);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(std::string(kLoadErrorMessage) + "\n" + path + ": "), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
  if (c.fill != nullptr && !kUnderSanitizer && run.maxRssKiB > 0) {
    EXPECT_LT(run.maxRssKiB, 160 * kMiB);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, testing::ValuesIn(kHostileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel::reliability
