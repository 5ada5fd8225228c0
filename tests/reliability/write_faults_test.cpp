// Files that cannot be written: the report, the study file and the envelope files, into a
// read-only folder, a full disk (/dev/full), a path that is a folder, a path below a regular
// file and a path in /proc. Each gives one message naming the file and the reason, nothing is
// reported as done, and quarvel-cli exits with status 1.

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

// Every scratch folder holds what the targets need: a regular file, a folder named like a file,
// and two folders whose envelope files are /dev/full or folders.
void Prepare(const ScratchFolder& s) {
  s.Write("regular", "x");
  fs::create_directories(s / "out.txt");
  for (const char* name : kEnvelopeFileNames) {
    fs::create_directories(s / "folders" / name);
    fs::create_directories(s / "full");
    fs::create_symlink("/dev/full", s / "full" / name);
  }
}

// Where a file (or the envelope files) is to be written, relative to the scratch folder, and
// the errno refusing it.
struct Target {
  const char* name;
  const char* path;
  int error;
};

void PrintTo(const Target& c, std::ostream* os) { *os << c.name; }

const Target kFileTargets[] = {{"FullDisk", "/dev/full", ENOSPC},
                               {"PathIsAFolder", "out.txt", EISDIR},
                               {"PathBelowARegularFile", "regular/out.txt", ENOTDIR},
                               {"PathInProc", "/proc/quarvel-out.txt", ENOENT}};

class FileTargetTest : public testing::TestWithParam<Target> {};

// Through quarvel-cli, which reports what the core's writers return (the report and the study
// file, each refused with the file and the reason, status 1, nothing listed as written).
TEST_P(FileTargetTest, ReportAndStudyFileFailWithFileAndReason) {
  ScratchFolder scratch;
  Prepare(scratch);
  scratch.Write("ramp.quarvel", kRecord);
  const fs::path path = scratch / GetParam().path;
  const std::string reason = Reason(path.string(), GetParam().error);
  const CliRun report = RunCli(scratch.Path(), "report --method euler -o " + Quote(path.string()));
  EXPECT_EQ(report.status, 1) << report.err;
  EXPECT_NE(report.err.find(reason), std::string::npos) << report.err;
  EXPECT_EQ(report.out, "");
  const CliRun loop =
      RunCli(scratch.Path(), "loop --load ramp.quarvel --method euler --to 0.2 --dir " +
                                 Quote(path.parent_path().string()) + " -o " +
                                 Quote(path.filename().string()));
  EXPECT_EQ(loop.status, 1) << loop.err;
  EXPECT_NE(loop.err.find(reason), std::string::npos) << loop.err;
  EXPECT_EQ(loop.out.find("Study written"), std::string::npos) << loop.out;
}

INSTANTIATE_TEST_SUITE_P(Targets, FileTargetTest, testing::ValuesIn(kFileTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// Folders for the four envelope files, each refusing all four.
const Target kEnvelopeFolders[] = {{"FullDisk", "full", ENOSPC},
                                   {"EachPathIsAFolder", "folders", EISDIR},
                                   {"FolderIsARegularFile", "regular", ENOTDIR},
                                   {"FolderIsProc", "/proc", ENOENT}};

class EnvelopeFolderTest : public testing::TestWithParam<Target> {};

TEST_P(EnvelopeFolderTest, EveryEnvelopeFileFailsWithFileAndReason) {
  ScratchFolder scratch;
  Prepare(scratch);
  const std::string folder = (scratch / GetParam().path).string();
  Envelopes envelopes;
  envelopes.Reset(2);
  for (auto* array : {&envelopes.uPos, &envelopes.uNeg, &envelopes.ehPos, &envelopes.ehNeg}) {
    *array = {0.25, -0.5, 0.125};  // lines to write in every file
  }
  std::vector<std::string> written;
  const std::vector<FileResult> faults =
      WriteEnvelopeFiles(envelopes, folder, 1.0, 0.05, &written);
  EXPECT_TRUE(written.empty());
  ASSERT_EQ(faults.size(), 4u);
  for (std::size_t f = 0; f < 4; ++f) {
    EXPECT_EQ(faults[f].Describe(),
              Reason((fs::path(folder) / kEnvelopeFileNames[f]).string(), GetParam().error));
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, EnvelopeFolderTest, testing::ValuesIn(kEnvelopeFolders),
                         [](const auto& info) { return std::string(info.param.name); });

// A study file and an envelope file that cannot be written are named on stderr with their
// reasons, status 1, and neither is listed as written; the rest are.
TEST(AdvancedLoopWriteFaults, NamesTheFilesAndListsOnlyThoseWritten) {
  ScratchFolder scratch;
  scratch.Write("1 a.quarvel", kRecord);
  scratch.Write("2 b.quarvel", kRecord);
  fs::create_directory(scratch / "1 a.quarvel.out");
  fs::create_directory(scratch / "EnvRelErrorUPos.out");
  const CliRun run = RunCli(scratch.Path(), kAdvancedLoop);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason("./1 a.quarvel.out", EISDIR)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(Reason("./EnvRelErrorUPos.out", EISDIR)), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("1 a.quarvel.out"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("EnvRelErrorUPos.out"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Study written to ./2 b.quarvel.out"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Envelope written to ./EnvRelErrorEhPos.out"), std::string::npos);
}

// Failing before: a study file created on a full disk, whose lines were lost when it was
// flushed, was listed as written.
TEST(AdvancedLoopWriteFaults, StudyFileLostOnAFullDiskIsNotListedAsWritten) {
  ScratchFolder scratch;
  scratch.Write("1 a.quarvel", kRecord);
  fs::create_symlink("/dev/full", scratch / "1 a.quarvel.out");
  const CliRun run = RunCli(scratch.Path(), kAdvancedLoop);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason("./1 a.quarvel.out", ENOSPC)), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Study written to ./1 a.quarvel.out"), std::string::npos) << run.out;
}

// Failing before: a picture that could not be written was named without the system's reason.
TEST(PlotWriteFaults, PictureThatCannotBeWrittenNamesTheReason) {
  ScratchFolder scratch;
  scratch.Write("regular", "x");
  fs::create_symlink("/dev/full", scratch / "full.png");
  fs::create_directory(scratch / "folder.png");
  const std::pair<const char*, int> rows[] = {
      {"regular/graph.png", ENOTDIR}, {"full.png", ENOSPC}, {"folder.png", EISDIR}};
  for (const auto& [output, error] : rows) {
    const CliRun run = RunCli(scratch.Path(), std::string("plot --method euler -o ") + output);
    EXPECT_EQ(run.status, 1) << output << run.err;
    EXPECT_NE(run.err.find(Reason(output, error)), std::string::npos) << run.err;
  }
}

// A read-only folder holding a numbered series. Root writes anywhere, so there quarvel-cli
// runs as nobody (setpriv).
TEST(ReadOnlyFolderTest, ReportStudyAndEnvelopesAreRefusedWithTheReason) {
  ScratchFolder scratch;
  scratch.Write("1 a.quarvel", kRecord);
  fs::permissions(scratch.Path(),
                  fs::perms::all &
                      ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
  const std::string prefix = RunningAsRoot() ? UnprivilegedPrefix() : "";
  if (RunningAsRoot() && prefix.empty()) GTEST_SKIP() << "setpriv cannot run as nobody";
  // quarvel-cli: one message per file with the reason, status 1, nothing listed as written.
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
