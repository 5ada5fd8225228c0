// Hostile experiment files: every one either loads correctly or fails with "Error while
// loading the file!" and a reason; none crashes, hangs or takes memory beyond what the lines
// actually present need. (Long lines that load, NUL bytes and line ends are rows of the loader's
// table; that a failed load keeps nothing of the set before is its check and the fuzz target's;
// a missing file, refused by the same open as every file read: the plot rows of tests/cli.)

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "experiments/experiment_file.h"
#include "reliability_support.h"
#include "support/command_runner.h"

namespace quarvel::reliability {
namespace {

using test::CliRun;
using test::RunCli;

using namespace std::string_literals;

// The memory of quarvel-cli beyond its records: its libraries (16 MiB), a line buffer of up to
// 16 MiB as it grows, a read chunk.
constexpr int64_t kProgramKiB = 64 << 10;
// Big files of 200 MB (40 MB under the sanitizers, which are several times slower). The time
// limits are generous, so that a busy machine passes; a hang still fails.
constexpr std::size_t kBigFileBytes = (kUnderSanitizer ? 40u : 200u) << 20;
constexpr int kSeconds = kUnderSanitizer ? 60 : 20, kBigSeconds = kUnderSanitizer ? 300 : 120;
// The valid big file: blocks of 4096 samples of 20 bytes up to the size (one block for the
// head); the lines after the declared count are not read.
constexpr int32_t kBigSamples = static_cast<int32_t>(kBigFileBytes / (4096 * 20) - 1) * 4096;

struct HostileFile {
  const char* name;
  std::string (*head)();  // the file's first bytes; none: not written
  std::string reason;     // what the failure says; empty: the big valid file, which loads
  void (*fill)(std::string&) = nullptr;  // a big file: chunks after the head up to the size
  const char* file = "hostile.quarvel";  // in the scratch folder, which holds a folder.quarvel/
};

const HostileFile kHostileFiles[] = {
    {"DirectoryGivenAsTheFile", nullptr, std::strerror(EISDIR), nullptr, "folder.quarvel"},
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
    // Garbage after a head that claims 2e9 samples: every byte but the exponent letters (which
    // could make a number overflow), so that all of it is read.
    {"BigGarbageAfterAHeaderClaiming2e9Samples",
     [] { return "1\nGarbage\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n2000000000\n"s; },
     "the file ends before sample", [](std::string& chunk) {
       for (chunk.clear(); chunk.size() < (1 << 20);) {
         for (char c = 1; c != 0; ++c) chunk += std::strchr("eEdD", c) != nullptr ? ' ' : c;
       }
     }},
    // Failing before: a file without a line end was held whole (256 MiB for 200 MB).
    {"BigWithoutLineEnd", [] { return ""s; }, "line is longer than 16 MiB",
     [](std::string& chunk) { chunk.assign(1 << 20, 'x'); }},
};

class HostileFileTest : public testing::TestWithParam<HostileFile> {};

// quarvel-cli check, which loads without solving: the record, or status 1 with the message, the
// file and the reason on stderr (after the warnings about the lines read); in time, and within the
// program's libraries, a line buffer, a read chunk and the records (8 bytes a sample, doubled).
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
  const bool loads = c.reason.empty();
  const CliRun run = RunCli(folder.Path(), "check " + Quote(path), c.fill ? kBigSeconds : kSeconds);
  if (loads) {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Samples :\t" + std::to_string(kBigSamples) + "\n"), std::string::npos);
    EXPECT_NE(run.out.find("PGA :\t0.0123456789012345 g, "), std::string::npos) << run.out;
  } else {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(std::string(kLoadErrorMessage) + "\n" + path + ": "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
  }
  if (!kUnderSanitizer) {  // the sanitizers' shadow memory would swamp the bound
    ASSERT_GT(run.maxRssKiB, 0);
    EXPECT_LT(run.maxRssKiB, kProgramKiB + (loads ? kBigSamples / 64 : 0));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, testing::ValuesIn(kHostileFiles),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quarvel::reliability
