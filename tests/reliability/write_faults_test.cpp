// Files that cannot be written: the report, the study file, the picture and the envelope files,
// into a read-only folder, a full disk (/dev/full), a path that is a folder, a path below a
// regular file and a path in /proc. Each gives one message naming the file and the reason,
// nothing is reported as done, and quarvel-cli exits with status 1.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "reliability_support.h"
#include "studies/advanced_loop.h"

namespace quarvel::reliability {
namespace {

const std::string kRecord =
    "1\nRamp\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n6\n0\n20\n40\n40\n20\n0\n";
const std::string kAdvancedLoop =
    "advanced-loop --dir . --threshold 0.001 --from 1 --to 1.1 --step 0.05 --method euler";

std::string Reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

// Where a file (or, as a folder, the envelope files) is to be written, relative to a scratch
// folder that holds a regular file, a folder named like a file, a link to /dev/full, and two
// folders whose envelope files are folders or links to /dev/full; and the errno refusing it.
struct Target {
  const char* name;
  const char* file;
  const char* folder;
  int error;
};

const Target kTargets[] = {{"FullDisk", "full.png", "full", ENOSPC},
                           {"PathIsAFolder", "out.png", "folders", EISDIR},
                           {"PathBelowARegularFile", "regular/out.png", "regular", ENOTDIR},
                           {"PathInProc", "/proc/quarvel-out.png", "/proc", ENOENT}};

void PrintTo(const Target& c, std::ostream* os) { *os << c.name; }

class WriteFaultTest : public testing::TestWithParam<Target> {};

// Through quarvel-cli, which reports what the core's writers return (the report, the study file
// and the picture, each refused with the file and the reason, status 1, nothing listed as
// written); the envelope files through the core's writer, each of the four refused.
TEST_P(WriteFaultTest, EveryFileFailsWithFileAndReason) {
  ScratchFolder scratch;
  scratch.Write("regular", "x");
  scratch.Write("ramp.quarvel", kRecord);
  fs::create_directories(scratch / "out.png");
  fs::create_symlink("/dev/full", scratch / "full.png");
  for (const char* name : kEnvelopeFileNames) {
    fs::create_directories(scratch / "folders" / name);
    fs::create_directories(scratch / "full");
    fs::create_symlink("/dev/full", scratch / "full" / name);
  }
  const fs::path path = scratch / GetParam().file;
  const std::string reason = Reason(path.string(), GetParam().error);
  for (const std::string& arguments :
       {"report --method euler -o " + Quote(path.string()),
        "loop --load ramp.quarvel --method euler --to 0.2 --dir " +
            Quote(path.parent_path().string()) + " -o " + Quote(path.filename().string()),
        "plot --method euler -o " + Quote(path.string())}) {
    const CliRun run = RunCli(scratch.Path(), arguments);
    EXPECT_EQ(run.status, 1) << arguments << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;
  }

  const std::string folder = (scratch / GetParam().folder).string();
  Envelopes envelopes;
  envelopes.Reset(2);
  for (auto* array : {&envelopes.uPos, &envelopes.uNeg, &envelopes.ehPos, &envelopes.ehNeg}) {
    *array = {0.25, -0.5, 0.125};  // lines to write in every file
  }
  std::vector<std::string> written;
  const std::vector<FileResult> faults = WriteEnvelopeFiles(envelopes, folder, 1.0, 0.05, &written);
  EXPECT_TRUE(written.empty());
  ASSERT_EQ(faults.size(), 4u);
  for (std::size_t f = 0; f < 4; ++f) {
    EXPECT_EQ(faults[f].Describe(),
              Reason((fs::path(folder) / kEnvelopeFileNames[f]).string(), GetParam().error));
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, WriteFaultTest, testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// Study files and an envelope file that cannot be written are named on stderr with their
// reasons, status 1, and none is listed as written; the rest are. Failing before: a study file
// created on a full disk, whose lines were lost when it was flushed, was listed as written.
TEST(AdvancedLoopWriteFaults, NamesTheFilesAndListsOnlyThoseWritten) {
  ScratchFolder scratch;
  for (const char* name : {"1 a.quarvel", "2 b.quarvel", "3 c.quarvel"}) scratch.Write(name, kRecord);
  fs::create_directory(scratch / "1 a.quarvel.out");
  fs::create_symlink("/dev/full", scratch / "3 c.quarvel.out");
  fs::create_directory(scratch / "EnvRelErrorUPos.out");
  const CliRun run = RunCli(scratch.Path(), kAdvancedLoop);
  EXPECT_EQ(run.status, 1) << run.err;
  for (const auto& [file, error] : {std::pair{"./1 a.quarvel.out", EISDIR},
                                    {"./3 c.quarvel.out", ENOSPC},
                                    {"./EnvRelErrorUPos.out", EISDIR}}) {
    EXPECT_NE(run.err.find(Reason(file, error)), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find(file), std::string::npos) << run.out;
  }
  EXPECT_NE(run.out.find("Study written to ./2 b.quarvel.out"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Envelope written to ./EnvRelErrorEhPos.out"), std::string::npos);
}

// A read-only folder holding a numbered series: one message per file with the reason, status
// 1, nothing listed as written.
TEST(ReadOnlyFolderTest, ReportStudyAndEnvelopesAreRefusedWithTheReason) {
  ScratchFolder scratch;
  scratch.Write("1 a.quarvel", kRecord);
  fs::permissions(scratch.Path(),
                  fs::perms::all &
                      ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
  std::string prefix;
  if (!Unprivileged(prefix)) GTEST_SKIP() << "setpriv cannot run as nobody";
  const std::pair<std::string, std::vector<std::string>> runs[] = {
      {"report --method euler -o report.txt", {"report.txt"}},
      {"loop --method euler --to 0.2 --dir .", {"./lresults.out"}},
      {"demo --method euler --dir .", {"./quarvel-report.txt"}},
      {kAdvancedLoop,
       {"./1 a.quarvel.out", "./EnvRelErrorUPos.out", "./EnvRelErrorUNeg.out",
        "./EnvRelErrorEhPos.out", "./EnvRelErrorEhNeg.out"}},
  };
  for (const auto& [arguments, files] : runs) {
    const CliRun run = RunCli(scratch.Path(), arguments, 60, prefix);
    EXPECT_EQ(run.status, 1) << arguments << run.err;
    for (const std::string& file : files) {
      EXPECT_NE(run.err.find(Reason(file, EACCES)), std::string::npos) << arguments << run.err;
    }
    EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;
  }
}

}  // namespace
}  // namespace quarvel::reliability
