// Hostile experiment files: every one either loads correctly or fails with "Error while
// loading the file!" and a reason; none crashes, hangs or takes memory beyond what the lines
// actually present need. Each case runs through the loader and through quarvel-cli.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "experiments/experiment_file.h"
#include "reliability_support.h"

namespace quarvel::reliability {
namespace {

using namespace std::string_literals;

constexpr int64_t kMiB = 1024;  // in KiB
// Memory a load may take beyond the records it returns: the line buffer, one read chunk and
// the allocator's slack.
constexpr int64_t kLoadOverheadKiB = 64 * kMiB;
// Time limits: generous, so that a slow or busy machine passes them; a hang still fails them.
constexpr double kSmallFileSeconds = kUnderSanitizer ? 20.0 : 5.0;

std::string Pulse(std::string_view eol = "\n") { return PulseFile(eol); }

// The pulse file with line `index` (0 = the count line) replaced.
std::string PulseWith(std::size_t index, const std::string& line) {
  const char* lines[] = {"1",     "Pulse", "1",    "2.86", "0", "0", "0",
                         "Force", "none",  "0.02", "3",    "0", "5", "0"};
  std::string text;
  for (std::size_t i = 0; i < std::size(lines); ++i) text += (i == index ? line : lines[i]) + "\n"s;
  return text;
}

std::string Garbage(std::size_t bytes, uint32_t seed) {
  std::mt19937 random(seed);
  std::string text(bytes, '\0');
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

// Garbage in which no number can overflow (no exponent letters), so the whole of it is read.
std::string NoExponents(std::string text) {
  for (char& c : text) {
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D') c = ' ';
  }
  return text;
}

struct Loaded {
  LoadResult result;
  ExperimentSet set;
  double seconds = 0.0;
  int64_t growthKiB = -1;  // peak resident memory above the start; -1 when not measurable
};

Loaded LoadMeasured(const std::string& path) {
  Loaded loaded;
  loaded.set.Append(Experiment{});  // a previous set: a failed load must leave none of it
  const bool measure = PeakMemory::Available() && !kUnderSanitizer;
  if (measure) PeakMemory::Reset();
  const int64_t before = PeakMemory::CurrentKiB();
  const auto start = std::chrono::steady_clock::now();
  loaded.result = LoadExperimentFile(path, loaded.set);
  loaded.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (measure) loaded.growthKiB = PeakMemory::PeakKiB() - before;
  return loaded;
}

// What a case must give: a load with the named first record, or a failure naming the reason.
struct Outcome {
  bool loads = false;
  std::string text;         // the reason of a failure, or the name of experiment 1
  int32_t counter = 0;      // of experiment 1, for a load
  double lastSample = 0.0;  // of experiment 1, for a load
};

Outcome Loads(std::string name, int32_t counter, double lastSample) {
  return {true, std::move(name), counter, lastSample};
}
Outcome Fails(std::string reason) { return {false, std::move(reason), 0, 0.0}; }

void ExpectOutcome(const Loaded& loaded, const Outcome& expected) {
  if (expected.loads) {
    ASSERT_TRUE(loaded.result) << loaded.result.Describe();
    ASSERT_GE(loaded.set.Count(), 1);
    const Experiment& e = loaded.set.At(1);
    EXPECT_EQ(e.name, expected.text);
    EXPECT_EQ(e.counter, expected.counter);
    ASSERT_EQ(SamplesOf(e).size(), static_cast<std::size_t>(e.counter) + 1);
    EXPECT_EQ(SamplesOf(e).back(), expected.lastSample);
  } else {
    ASSERT_FALSE(loaded.result);
    EXPECT_EQ(loaded.set.Count(), 0);
    EXPECT_NE(loaded.result.reason.find(expected.text), std::string::npos)
        << loaded.result.Describe();
  }
}

// quarvel-cli solve on the file: the failure message with the file and the reason on stderr
// and status 1, or a solve with status 0.
void ExpectCliOutcome(const ScratchFolder& folder, const std::string& path, const Outcome& expected,
                      const std::string& prefix = "") {
  const CliRun run =
      RunCli(folder.Path(), "solve --method euler --load " + Quote(path), 60, prefix);
  ASSERT_FALSE(run.timedOut);
  if (expected.loads) {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n" + expected.text + "\t"), std::string::npos) << run.out;
  } else {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.rfind(std::string(kLoadErrorMessage) + "\n" + path + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(expected.text), std::string::npos) << run.err;
  }
}

struct HostileFile {
  const char* name;
  // Creates the file (or whatever stands at the path) and returns the path to load.
  std::function<std::string(const ScratchFolder&)> make;
  Outcome expected;
};

// A file holding the bytes `content` gives (made when the case runs, not at start-up).
std::function<std::string(const ScratchFolder&)> Bytes(std::function<std::string()> content) {
  return [content](const ScratchFolder& folder) {
    return folder.Write("hostile.quarvel", content()).string();
  };
}

const std::string kNonAsciiName =
    "Pr\xfc"
    "fung \xe9t\xe9 \xe2\x82\xac \x80\xff";

const HostileFile kHostileFiles[] = {
    {"EmptyFile", Bytes([] { return std::string(""); }), Fails("the file is empty")},
    // Garbage starting with a byte that cannot begin a number.
    {"BinaryGarbage", Bytes([] { return std::string("\x01" + Garbage(1 << 20, 1)); }),
     Fails("must be at least 1")},
    {"BinaryGarbageAfterAHeader", Bytes([] {
       return std::string("1\nname\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n2000000000\n" +
                          NoExponents(Garbage(1 << 20, 2)));
     }),
     Fails("the file ends before sample")},
    {"CountClaimsBillionsOfSamples", Bytes([] { return std::string(PulseWith(10, "2000000000")); }),
     Fails("the file ends before sample 4 of experiment 1")},
    {"CountClaimsTheLargestInt32OfExperiments",
     Bytes([] { return std::string(PulseWith(0, "2147483647")); }),
     Fails("the file ends before the name of experiment 2")},
    {"CountBeyond32Bits", Bytes([] { return std::string(PulseWith(10, "1e12")); }),
     Fails("does not fit a 32-bit integer")},
    {"CountOverflowsADouble", Bytes([] { return std::string(PulseWith(0, "1e400")); }),
     Fails("is out of range")},
    {"FirstLineZero", Bytes([] { return std::string(PulseWith(0, "0")); }),
     Fails("must be at least 1")},
    {"FirstLineText", Bytes([] { return std::string(PulseWith(0, "Pulse")); }),
     Fails("must be at least 1")},
    {"DeclaresTwoHoldsOne", Bytes([] { return std::string(PulseWith(0, "2")); }),
     Fails("the file ends before the name of experiment 2")},
    {"NameLineOf1MiB", Bytes([] { return std::string(PulseWith(1, std::string(1 << 20, 'N'))); }),
     Loads(std::string(1 << 20, 'N'), 3, 0)},
    {"SampleAfter1MiBOfBlanks",
     Bytes([] { return std::string(PulseWith(13, std::string(1 << 20, ' ') + "7")); }),
     Loads("Pulse", 3, 7)},
    {"SampleFollowedBy1MiBOfText",
     Bytes([] { return std::string(PulseWith(13, "7" + std::string(1 << 20, 'x'))); }),
     Loads("Pulse", 3, 7)},
    {"LineLongerThan16MiB",
     Bytes([] { return std::string(PulseWith(1, std::string((16 << 20) + 1, 'N'))); }),
     Fails("line is longer than 16 MiB")},
    {"NulBytesInNameAndNumbers", Bytes([] {
       return std::string(
           "1\nPu\0lse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\0"
           "9\n\0"
           "3\n\0\0\0"s);
     }),
     Loads("Pu\0lse"s, 3, 0)},
    {"CrOnlyLineEnds", Bytes([] { return std::string(Pulse("\r")); }), Loads("Pulse", 3, 0)},
    {"MixedLineEnds", Bytes([] {
       return std::string("1\r\nPulse\n1\r2.86\r\n0\n0\r0\r\nForce\nnone\r0.02\r\n3\n0\r5\r\n9");
     }),
     Loads("Pulse", 3, 9)},
    {"NonAsciiExperimentName", Bytes([] { return std::string(PulseWith(1, kNonAsciiName)); }),
     Loads(kNonAsciiName, 3, 0)},
    {"NonAsciiFileName",
     [](const ScratchFolder& folder) {
       return folder
           .Write(
               "r\xe9"
               "cord \xe2\x82\xac \xff.quarvel",
               Pulse())
           .string();
     },
     Loads("Pulse", 3, 0)},
    {"DirectoryGivenAsTheFile",
     [](const ScratchFolder& folder) {
       fs::create_directory(folder / "folder.quarvel");
       return (folder / "folder.quarvel").string();
     },
     Fails(std::strerror(EISDIR))},
    {"FileRemovedAfterItWasChosen",
     [](const ScratchFolder& folder) {
       const fs::path path = folder.Write("chosen.quarvel", Pulse());
       fs::remove(path);
       return path.string();
     },
     Fails(std::strerror(ENOENT))},
    {"FileReplacedByADirectoryAfterItWasChosen",
     [](const ScratchFolder& folder) {
       const fs::path path = folder.Write("chosen.quarvel", Pulse());
       fs::remove(path);
       fs::create_directory(path);
       return path.string();
     },
     Fails(std::strerror(EISDIR))},
    {"DeviceThatFailsToRead", [](const ScratchFolder&) { return "/proc/self/mem"s; },
     Fails("read error: "s + std::strerror(EIO))},
    {"DeviceWithoutLineEnds", [](const ScratchFolder&) { return "/dev/zero"s; },
     Fails("line is longer than 16 MiB")},
    {"DeviceThatIsEmpty", [](const ScratchFolder&) { return "/dev/null"s; },
     Fails("the file is empty")},
};

// Test names in ctest's listing: the row name, not the bytes of the row.
void PrintTo(const HostileFile& c, std::ostream* os) { *os << c.name; }

class HostileFileTest : public testing::TestWithParam<HostileFile> {};

TEST_P(HostileFileTest, LoadsOrFailsPromptlyWithBoundedMemory) {
  const HostileFile& c = GetParam();
  ScratchFolder folder;
  const std::string path = c.make(folder);

  const Loaded loaded = LoadMeasured(path);
  ExpectOutcome(loaded, c.expected);
  if (!loaded.result) {
    EXPECT_EQ(loaded.result.Describe().rfind(path + ": ", 0), 0u) << loaded.result.Describe();
  }
  EXPECT_LT(loaded.seconds, kSmallFileSeconds);
  if (loaded.growthKiB >= 0) {
    // The records a successful load returns are at most the size of the file.
    const int64_t fileKiB = fs::is_regular_file(path) ? int64_t(fs::file_size(path) / 1024) : 0;
    EXPECT_LT(loaded.growthKiB, kLoadOverheadKiB + 2 * fileKiB);
  }

  ExpectCliOutcome(folder, path, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, testing::ValuesIn(kHostileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// Without read permission. Root reads every file, so there the load runs in a child process
// that has given up root (and quarvel-cli runs as nobody).
TEST(HostileFileTest, FileWithoutReadPermission) {
  ScratchFolder folder;
  fs::permissions(folder.Path(), fs::perms::all, fs::perm_options::add);  // nobody may enter
  const fs::path path = folder.Write("secret.quarvel", Pulse());
  fs::permissions(path, fs::perms::none);
  const Outcome expected = Fails(std::strerror(EACCES));

  if (!RunningAsRoot()) {
    ExpectOutcome(LoadMeasured(path.string()), expected);
    ExpectCliOutcome(folder, path.string(), expected);
    return;
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // 0: failed with the permission reason; 1: loaded or failed otherwise; 2: still root.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    ExperimentSet set;
    const LoadResult result = LoadExperimentFile(path.string(), set);
    ::_exit(!result && result.reason == std::strerror(EACCES) && set.Count() == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_NE(WEXITSTATUS(status), 2) << "could not give up root";
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::string prefix = UnprivilegedPrefix();
  if (prefix.empty()) GTEST_SKIP() << "setpriv is not available to run quarvel-cli as nobody";
  ExpectCliOutcome(folder, path.string(), expected, prefix);
}

// A numbered series whose names hold bytes that are not ASCII (nor valid UTF-8): studied in
// order, each study file named after its record byte for byte.
TEST(HostileFileTest, NonAsciiNamesInANumberedSeries) {
  ScratchFolder folder;
  const std::string first = "1 r\xe9sum\xe9 \xff.quarvel";
  const std::string second = "2 \xe2\x82\xac.QUARVEL";
  folder.Write(first, Pulse());
  folder.Write(second, Pulse());
  const CliRun run = RunCli(folder.Path(),
                            "advanced-loop --dir . --threshold 0.001 --from 1 --to 1.1 "
                            "--step 0.05 --method euler");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(folder / (first + ".out")));
  EXPECT_TRUE(fs::is_regular_file(folder / (second + ".out")));
  EXPECT_LT(run.out.find(first), run.out.find(second)) << run.out;
}

// Files of 200 MB (40 MB under the sanitizers, which are several times slower): loaded in
// well under a minute, with peak memory bounded by the records actually read.
constexpr std::size_t kBigFileBytes = (kUnderSanitizer ? 40u : 200u) << 20;
constexpr double kBigFileSeconds = kUnderSanitizer ? 120.0 : 30.0;

// Writes a big file in pieces so that the test itself does not hold it in memory.
fs::path WriteBig(const ScratchFolder& folder, const std::string& head,
                  const std::function<void(std::string&)>& fillChunk) {
  const fs::path path = folder / "big.quarvel";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  std::fwrite(head.data(), 1, head.size(), file);
  std::string chunk;
  for (std::size_t written = head.size(); written < kBigFileBytes; written += chunk.size()) {
    fillChunk(chunk);
    std::fwrite(chunk.data(), 1, chunk.size(), file);
  }
  std::fclose(file);
  return path;
}

TEST(BigFileTest, ValidFileWithMillionsOfSamplesLoads) {
  ScratchFolder folder;
  const std::string sample = "0.0123456789012345\r\n";
  const auto samples = static_cast<int32_t>(kBigFileBytes / sample.size());
  const std::string head =
      "1\r\nBig\r\n1\r\n1\r\n0\r\n0\r\n0\r\nAcceleration\r\nUnits of g\r\n"
      "0.001\r\n" +
      std::to_string(samples) + "\r\n";
  std::string lines;
  for (int i = 0; i < 4096; ++i) lines += sample;
  int32_t left = samples;
  const fs::path path = WriteBig(folder, head, [&](std::string& chunk) {
    const int32_t n = std::min<int32_t>(left, 4096);
    chunk.assign(lines, 0, static_cast<std::size_t>(n) * sample.size());
    left -= n;
    if (n == 0) chunk = "junk after the last block\r\n";
  });

  const Loaded loaded = LoadMeasured(path.string());
  ExpectOutcome(loaded, Loads("Big", samples, 0.0123456789012345));
  EXPECT_LT(loaded.seconds, kBigFileSeconds);
  if (loaded.growthKiB >= 0) {
    // The samples (8 bytes each) with the vector's doubling, and the fixed overhead.
    const int64_t samplesKiB = int64_t{samples} * 8 / 1024;
    EXPECT_LT(loaded.growthKiB, 2 * samplesKiB + kLoadOverheadKiB)
        << samples << " samples of " << samplesKiB << " KiB";
  }
}

struct BigHostileFile {
  const char* name;
  std::string head;
  std::function<void(std::string&)> fill;
  const char* reason;
};

const BigHostileFile kBigHostileFiles[] = {
    {"Garbage", "\x01", [](std::string& chunk) { chunk = Garbage(1 << 20, 7); },
     "must be at least 1"},
    {"GarbageAfterAHeaderClaiming2e9Samples",
     "1\nGarbage\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n2000000000\n",
     [](std::string& chunk) {
       static uint32_t seed = 11;
       chunk = NoExponents(Garbage(1 << 20, seed++));
     },
     "the file ends before sample"},
    {"NoLineEnd", "", [](std::string& chunk) { chunk.assign(1 << 20, 'x'); },
     "line is longer than 16 MiB"},
    {"DigitsWithoutLineEnd", "1\nDigits\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n3\n",
     [](std::string& chunk) { chunk.assign(1 << 20, '7'); }, "line is longer than 16 MiB"},
};

void PrintTo(const BigHostileFile& c, std::ostream* os) { *os << c.name; }

class BigHostileFileTest : public testing::TestWithParam<BigHostileFile> {};

TEST_P(BigHostileFileTest, FailsPromptlyWithBoundedMemory) {
  const BigHostileFile& c = GetParam();
  ScratchFolder folder;
  const fs::path path = WriteBig(folder, c.head, c.fill);

  const Loaded loaded = LoadMeasured(path.string());
  ExpectOutcome(loaded, Fails(c.reason));
  EXPECT_LT(loaded.seconds, kBigFileSeconds);
  if (loaded.growthKiB >= 0) {
    EXPECT_LT(loaded.growthKiB, kLoadOverheadKiB);
  }

  const CliRun run = RunCli(folder.Path(), "solve --load big.quarvel", 300);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err.rfind(std::string(kLoadErrorMessage) + "\nbig.quarvel: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
  if (!kUnderSanitizer && run.maxRssKiB > 0) {
    // The whole program: its libraries, the line buffer and the read chunk.
    EXPECT_LT(run.maxRssKiB, 160 * kMiB);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, BigHostileFileTest, testing::ValuesIn(kBigHostileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel::reliability
