// Hostile experiment files: every one either loads correctly or fails with "Error while
// loading the file!" and a reason; none crashes, hangs or takes memory beyond what the lines
// actually present need. Each case runs through the loader (from disk and, for the small ones,
// from memory) and through quarvel-cli.

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

// A MiB of random bytes; with `noExponents`, none that could make a number overflow, so that
// all of it is read.
std::string Garbage(uint32_t seed, bool noExponents = false) {
  std::mt19937 random(seed);
  std::string text(1 << 20, '\0');
  for (char& c : text) {
    c = static_cast<char>(random());
    if (noExponents && c != '\0' && std::strchr("eEdD", c) != nullptr) c = ' ';
  }
  return text;
}

// A load with experiment 1 named `text` (its counter and last sample given), or a failure whose
// reason holds `text`.
struct Outcome {
  bool loads = false;
  std::string text;
  int32_t counter = 0;
  double lastSample = 0.0;
};
Outcome Loads(std::string name, int32_t counter, double last) {
  return {true, name, counter, last};
}
Outcome Fails(std::string reason) { return {false, reason}; }

struct HostileFile {
  const char* name;
  std::string (*head)();  // the file's first bytes; none: not written
  Outcome expected;
  void (*fill)(std::string&) = nullptr;  // a big file: chunks after the head up to the size
  const char* file = "hostile.quarvel";  // in the scratch folder, which holds a folder.quarvel/
};

const HostileFile kHostileFiles[] = {
    {"NameLineOf1MiB", [] { return PulseFile("\n", 1, std::string(1 << 20, 'N')); },
     Loads(std::string(1 << 20, 'N'), 3, 0)},
    {"SampleAfter1MiBOfBlanks", [] { return PulseFile("\n", 13, std::string(1 << 20, ' ') + "7"); },
     Loads("Pulse", 3, 7)},
    // Failing before: a line was held whole however long it was.
    {"LineLongerThan16MiB", [] { return PulseFile("\n", 1, std::string((16 << 20) + 1, 'N')); },
     Fails("line is longer than 16 MiB")},
    // (The loader's own table holds the line ends, the counts and the other broken lines.)
    {"NulBytesInNameAndNumbers",
     [] { return "1\nPu\0lse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\0" "9\n\0" "3\n\0\0"s; },
     Loads("Pu\0lse"s, 3, 0)},
    {"NonAsciiFileName", [] { return PulseFile(); }, Loads("Pulse", 3, 0), nullptr,
     "r\xe9" "cord \xe2\x82\xac \xff.quarvel"},
    {"DirectoryGivenAsTheFile", nullptr, Fails(std::strerror(EISDIR)), nullptr, "folder.quarvel"},
    {"FileRemovedAfterItWasChosen", nullptr, Fails(std::strerror(ENOENT)), nullptr, "gone.quarvel"},
    {"DeviceThatFailsToRead", nullptr, Fails("read error: "s + std::strerror(EIO)), nullptr,
     "/proc/self/mem"},
    // Failing before: 16 GiB and seven minutes before running out of memory.
    {"DeviceWithoutLineEnds", nullptr, Fails("line is longer than 16 MiB"), nullptr, "/dev/zero"},
    {"DeviceThatIsEmpty", nullptr, Fails("the file is empty"), nullptr, "/dev/null"},
    // Big files.
    {"BigValidFileWithMillionsOfSamples",
     [] {
       return "1\r\nBig\r\n1\r\n1\r\n0\r\n0\r\n0\r\nAcceleration\r\nUnits of g\r\n0.001\r\n" +
              std::to_string(kBigSamples) + "\r\n";
     },
     Loads("Big", kBigSamples, 0.0123456789012345), [](std::string& chunk) {
       for (chunk.clear(); chunk.size() < 4096 * 20;) chunk += "0.0123456789012345\r\n";
     }},
    // Garbage starting with a byte that cannot begin a number, or after a head that claims
    // 2e9 samples.
    {"BigGarbage", [] { return "\x01"s; }, Fails("must be at least 1"),
     [](std::string& chunk) { chunk = Garbage(7); }},
    {"BigGarbageAfterAHeaderClaiming2e9Samples",
     [] { return "1\nGarbage\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n2000000000\n"s; },
     Fails("the file ends before sample"), [](std::string& chunk) {
       static uint32_t seed = 11;
       chunk = Garbage(seed++, true);
     }},
    // Failing before: a file without a line end was held whole (256 MiB for 200 MB).
    {"BigWithoutLineEnd", [] { return ""s; }, Fails("line is longer than 16 MiB"),
     [](std::string& chunk) { chunk.assign(1 << 20, 'x'); }},
    {"BigDigitsWithoutLineEnd",
     [] { return "1\nDigits\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n3\n"s; },
     Fails("line is longer than 16 MiB"), [](std::string& chunk) { chunk.assign(1 << 20, '7'); }},
};

void PrintTo(const HostileFile& c, std::ostream* os) { *os << c.name; }

void ExpectOutcome(const LoadResult& result, const ExperimentSet& set, const Outcome& expected) {
  ASSERT_EQ(bool(result), expected.loads) << result.Describe();
  if (!expected.loads) {
    EXPECT_EQ(set.Count(), 0);
    EXPECT_NE(result.reason.find(expected.text), std::string::npos) << result.Describe();
    return;
  }
  const Experiment& e = set.At(1);
  EXPECT_STREQ(fuzz::RecordShapeBroken(e), nullptr);
  EXPECT_EQ(std::tuple(e.name, e.counter, SamplesOf(e).back()),
            std::tuple(expected.text, expected.counter, expected.lastSample));
}

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
  ExpectOutcome(result, set, c.expected);
  EXPECT_EQ(result.Describe().rfind(path + ": ", 0), result ? std::string::npos : 0u);
  EXPECT_LT(seconds.count(), c.fill ? kBigFileSeconds : kSmallFileSeconds);
  // The records a successful load returns: 8 bytes a sample, with the vector's doubling.
  if (measure) {
    EXPECT_LT(growthKiB, kLoadOverheadKiB + (c.expected.loads ? c.expected.counter / 64 : 0));
  }
  if (c.fill != nullptr && c.expected.loads) return;  // a solve of millions of samples
  // quarvel-cli solve: status 0 listing the experiment, or status 1 with the message, the file
  // and the reason on stderr (after the warnings about the lines read).
  const CliRun run = RunCli(folder.Path(), "solve --method euler --load " + Quote(path), 300);
  EXPECT_EQ(run.status, c.expected.loads ? 0 : 1) << run.err;
  if (c.expected.loads) {
    EXPECT_NE(run.out.find("\n" + c.expected.text + "\t"), std::string::npos) << run.out;
  } else {
    EXPECT_NE(run.err.find(std::string(kLoadErrorMessage) + "\n" + path + ": "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(c.expected.text), std::string::npos) << run.err;
  }
  // The whole program: its libraries, the line buffer and the read chunk.
  if (c.fill != nullptr && !kUnderSanitizer && run.maxRssKiB > 0) {
    EXPECT_LT(run.maxRssKiB, 160 * kMiB);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, testing::ValuesIn(kHostileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// A numbered series whose names hold bytes that are not ASCII (nor UTF-8): studied in order,
// each study file named after its record byte for byte.
TEST(HostileFileTest, NonAsciiNamesInANumberedSeries) {
  ScratchFolder folder;
  const std::string first = "1 r\xe9sum\xe9 \xff.quarvel", second = "2 \xe2\x82\xac.QUARVEL";
  folder.Write(first, PulseFile());
  folder.Write(second, PulseFile());
  const CliRun run = RunCli(folder.Path(),
                            "advanced-loop --dir . --threshold 0.001 --from 1 "
                            "--to 1.1 --step 0.05 --method euler");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(folder / (first + ".out")));
  EXPECT_TRUE(fs::is_regular_file(folder / (second + ".out")));
  EXPECT_LT(run.out.find(first), run.out.find(second)) << run.out;
}

}  // namespace
}  // namespace quarvel::reliability
