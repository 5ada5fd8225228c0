// Files that cannot be written: the report, the study file and the envelope files, into a
// read-only folder, a full disk (/dev/full), a path that is a folder, a path below a regular
// file and a path in /proc. Each gives one message naming the file and the reason, nothing is
// reported as done, and quarvel-cli exits with status 1.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "reliability_support.h"
#include "report/report_writer.h"
#include "solve/solve_experiments.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"

namespace quarvel::reliability {
namespace {

const std::string kRecord =
    "1\nRamp\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n6\n0\n20\n40\n40\n20\n0\n";

// Where a file is to be written, and the reason the system gives for refusing it.
struct Target {
  const char* name;
  // Prepares the folder and returns the path (of the file, or of the folder for the studies).
  std::function<std::string(const ScratchFolder&)> make;
  int error;  // errno of the refusal
};

std::string MakeFolder(const ScratchFolder& scratch, const char* name) {
  fs::create_directories(scratch / name);
  return (scratch / name).string();
}

// File targets: the file itself stands at the path.
const Target kFileTargets[] = {
    {"FullDisk", [](const ScratchFolder&) { return std::string("/dev/full"); }, ENOSPC},
    {"PathIsAFolder", [](const ScratchFolder& s) { return MakeFolder(s, "out.txt"); }, EISDIR},
    {"PathBelowARegularFile",
     [](const ScratchFolder& s) { return (s.Write("regular", "x") / "out.txt").string(); },
     ENOTDIR},
    {"PathInProc", [](const ScratchFolder&) { return std::string("/proc/quarvel-out.txt"); },
     ENOENT},
};

Workbench SolvedBench() {
  Workbench bench;
  bench.experiments.Assign({ForceRecord(20), DisplacementRecord(20)});
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.txtFrom = "1";
  bench.inputs.txtTo = "1.1";
  bench.inputs.txtStep = "0.05";
  SilentUserInterface ui;
  SolveExperiments(bench, ui, true);
  return bench;
}

std::string Reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

// Test names in ctest's listing: the row name, not the bytes of the row.
void PrintTo(const Target& c, std::ostream* os) { *os << c.name; }

class FileTargetTest : public testing::TestWithParam<Target> {};

TEST_P(FileTargetTest, ReportFailsWithFileAndReason) {
  ScratchFolder scratch;
  const std::string path = GetParam().make(scratch);
  const Workbench bench = SolvedBench();
  const ReportOutcome outcome =
      WriteReport(path, bench.experiments, bench.parameters, bench.inputs.txtMass);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, Reason(path, GetParam().error));

  const CliRun run = RunCli(scratch.Path(), "report --method euler -o " + Quote(path));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason(path, GetParam().error)), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_P(FileTargetTest, StudyFileFailsWithFileAndReason) {
  ScratchFolder scratch;
  const fs::path path = GetParam().make(scratch);
  Workbench bench = SolvedBench();
  SilentUserInterface ui;
  const StudyOutcome outcome = RunParametricLoop(bench, ui, path.parent_path().string(),
                                                 path.filename().string(), 0.0, false);
  EXPECT_EQ(outcome.status, StudyStatus::WriteFailed);
  EXPECT_EQ(outcome.message, Reason(path.string(), GetParam().error));

  scratch.Write("ramp.quarvel", kRecord);
  const CliRun run =
      RunCli(scratch.Path(), "loop --load ramp.quarvel --method euler --to 0.2 --dir " +
                                 Quote(path.parent_path().string()) + " -o " +
                                 Quote(path.filename().string()));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason(path.string(), GetParam().error)), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Study written"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Targets, FileTargetTest, testing::ValuesIn(kFileTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// Folders for the four envelope files, each refusing all four.
const Target kEnvelopeFolders[] = {
    {"FullDisk",
     [](const ScratchFolder& s) {
       for (const char* name : kEnvelopeFileNames) fs::create_symlink("/dev/full", s / name);
       return s.Path().string();
     },
     ENOSPC},
    {"EachPathIsAFolder",
     [](const ScratchFolder& s) {
       for (const char* name : kEnvelopeFileNames) fs::create_directory(s / name);
       return s.Path().string();
     },
     EISDIR},
    {"FolderIsARegularFile",
     [](const ScratchFolder& s) { return s.Write("regular", "x").string(); }, ENOTDIR},
    {"FolderIsProc", [](const ScratchFolder&) { return std::string("/proc"); }, ENOENT},
};

class EnvelopeFolderTest : public testing::TestWithParam<Target> {};

TEST_P(EnvelopeFolderTest, EveryEnvelopeFileFailsWithFileAndReason) {
  ScratchFolder scratch;
  const std::string folder = GetParam().make(scratch);
  Envelopes envelopes;
  envelopes.Reset(2);
  for (auto* array : {&envelopes.uPos, &envelopes.uNeg, &envelopes.ehPos, &envelopes.ehNeg}) {
    *array = {0.25, -0.5, 0.125};  // lines to write in every file
  }
  std::vector<std::string> written;
  const std::vector<std::string> faults =
      WriteEnvelopeFiles(envelopes, folder, 1.0, 0.05, &written);
  EXPECT_TRUE(written.empty());
  ASSERT_EQ(faults.size(), 4u);
  for (std::size_t f = 0; f < 4; ++f) {
    EXPECT_EQ(faults[f],
              Reason((fs::path(folder) / kEnvelopeFileNames[f]).string(), GetParam().error));
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, EnvelopeFolderTest, testing::ValuesIn(kEnvelopeFolders),
                         [](const auto& info) { return std::string(info.param.name); });

// The advanced loop through quarvel-cli: a study file and an envelope file that cannot be
// written are named on stderr with their reasons, status 1, and neither is listed as written.
TEST(AdvancedLoopWriteFaults, NamesTheFilesAndListsOnlyThoseWritten) {
  ScratchFolder scratch;
  scratch.Write("1 a.quarvel", kRecord);
  scratch.Write("2 b.quarvel", kRecord);
  fs::create_directory(scratch / "1 a.quarvel.out");
  fs::create_directory(scratch / "EnvRelErrorUPos.out");
  const CliRun run = RunCli(scratch.Path(),
                            "advanced-loop --dir . --threshold 0.001 --from 1 "
                            "--to 1.1 --step 0.05 --method euler");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason("./1 a.quarvel.out", EISDIR)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(Reason("./EnvRelErrorUPos.out", EISDIR)), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("1 a.quarvel.out"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("EnvRelErrorUPos.out"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Study written to ./2 b.quarvel.out"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Envelope written to ./EnvRelErrorEhPos.out"), std::string::npos);
}

// A study file on a full disk is created but its lines are lost when it is flushed: the
// advanced loop names it on stderr and does not list it as written.
TEST(AdvancedLoopWriteFaults, StudyFileLostOnAFullDiskIsNotListedAsWritten) {
  ScratchFolder scratch;
  scratch.Write("1 a.quarvel", kRecord);
  fs::create_symlink("/dev/full", scratch / "1 a.quarvel.out");
  const CliRun run = RunCli(scratch.Path(),
                            "advanced-loop --dir . --threshold 0.001 --from 1 "
                            "--to 1.1 --step 0.05 --method euler");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason("./1 a.quarvel.out", ENOSPC)), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Study written to ./1 a.quarvel.out"), std::string::npos) << run.out;
}

// A picture that cannot be written is named with the system's reason, like every other file.
TEST(PlotWriteFaults, PictureThatCannotBeWrittenNamesTheReason) {
  ScratchFolder scratch;
  scratch.Write("regular", "x");
  fs::create_symlink("/dev/full", scratch / "full.png");
  fs::create_directory(scratch / "folder.png");
  const std::pair<const char*, int> rows[] = {
      {"regular/graph.png", ENOTDIR}, {"full.png", ENOSPC}, {"folder.png", EISDIR}};
  for (const auto& [output, error] : rows) {
    SCOPED_TRACE(output);
    const CliRun run = RunCli(scratch.Path(), std::string("plot --method euler -o ") + output);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(Reason(output, error)), std::string::npos) << run.err;
  }
}

// A read-only folder. Root writes anywhere, so there quarvel-cli runs as nobody (setpriv)
// and the core's writers run in a child process that has given up root.
class ReadOnlyFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(scratch_.Path(), fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    if (RunningAsRoot()) {
      prefix_ = UnprivilegedPrefix();
      if (prefix_.empty()) GTEST_SKIP() << "setpriv is not available to run as nobody";
    }
  }

  // Runs `write` as an unprivileged user; true when it reported the permission fault.
  bool RefusedWhenUnprivileged(const std::function<bool()>& write) {
    if (!RunningAsRoot()) return write();
    const pid_t child = ::fork();
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
      ::_exit(write() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  ScratchFolder scratch_;
  std::string prefix_;
};

TEST_F(ReadOnlyFolderTest, ReportStudyAndEnvelopesAreRefusedWithTheReason) {
  const std::string folder = scratch_.Path().string();
  const Workbench solved = SolvedBench();
  EXPECT_TRUE(RefusedWhenUnprivileged([&] {
    const std::string path = folder + "/report.txt";
    const ReportOutcome outcome =
        WriteReport(path, solved.experiments, solved.parameters, solved.inputs.txtMass);
    return !outcome.ok && outcome.error == Reason(path, EACCES);
  }));
  EXPECT_TRUE(RefusedWhenUnprivileged([&] {
    Workbench bench = solved;
    SilentUserInterface ui;
    const StudyOutcome outcome = RunParametricLoop(bench, ui, folder, "", 0.0, false);
    return outcome.status == StudyStatus::WriteFailed &&
           outcome.message == Reason(folder + "/" + kDefaultStudyFileName, EACCES);
  }));
  EXPECT_TRUE(RefusedWhenUnprivileged([&] {
    Envelopes envelopes;
    envelopes.Reset(0);
    const std::vector<std::string> faults = WriteEnvelopeFiles(envelopes, folder, 1.0, 0.1);
    return faults.size() == 4 && faults[0] == Reason(folder + "/EnvRelErrorUPos.out", EACCES);
  }));

  const std::string denied = std::strerror(EACCES);
  const CliRun report = RunCli(scratch_.Path(), "report --method euler -o report.txt", 60, prefix_);
  EXPECT_EQ(report.status, 1) << report.err;
  EXPECT_NE(report.err.find(Reason("report.txt", EACCES)), std::string::npos) << report.err;

  const CliRun loop = RunCli(scratch_.Path(), "loop --method euler --to 0.2 --dir .", 60, prefix_);
  EXPECT_EQ(loop.status, 1) << loop.err;
  EXPECT_NE(loop.err.find(Reason("./lresults.out", EACCES)), std::string::npos) << loop.err;
  EXPECT_EQ(loop.out.find("written"), std::string::npos) << loop.out;

  const CliRun demo = RunCli(scratch_.Path(), "demo --method euler --dir .", 60, prefix_);
  EXPECT_EQ(demo.status, 1) << demo.err;
  EXPECT_NE(demo.err.find(denied), std::string::npos) << demo.err;
  EXPECT_EQ(demo.out.find("written"), std::string::npos) << demo.out;
}

TEST_F(ReadOnlyFolderTest, AdvancedLoopNamesEveryFileItCouldNotWrite) {
  // The series is readable, nothing can be written beside it.
  fs::permissions(scratch_.Path(), fs::perms::owner_write, fs::perm_options::add);
  scratch_.Write("1 a.quarvel", kRecord);
  fs::permissions(scratch_.Path(), fs::perms::owner_write, fs::perm_options::remove);
  const CliRun run = RunCli(scratch_.Path(),
                            "advanced-loop --dir . --threshold 0.001 --from 1 "
                            "--to 1.1 --step 0.05 --method euler",
                            60, prefix_);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(Reason("./1 a.quarvel.out", EACCES)), std::string::npos) << run.err;
  for (const char* name : kEnvelopeFileNames) {
    EXPECT_NE(run.err.find(Reason(std::string("./") + name, EACCES)), std::string::npos) << name;
  }
  EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace quarvel::reliability
