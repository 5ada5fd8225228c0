// Files that cannot be written: the report, the study file, the picture and the envelope files,
// on a full disk (/dev/full), at a path that is a folder, a path below a regular file and a path
// in /proc. Each gives one message naming the file and the reason, nothing is reported as done,
// and quarvel-cli exits with status 1.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "reliability_support.h"
#include "support/command_runner.h"

namespace quarvel::reliability {
namespace {

using test::CliRun;
using test::RunCli;

// A full disk (a link to /dev/full) and a path that is a folder, for each command. (A path below
// a regular file or in a missing folder: the command-line test's failures.)
TEST(WriteFaults, ReportStudyAndPictureFailWithFileAndReason) {
  ScratchFolder scratch;
  scratch.Write("sine.quarvel", SineFile(40, 0.24, 6));
  fs::create_directories(scratch / "out.png");
  fs::create_symlink("/dev/full", scratch / "full.png");
  for (const auto& [file, error] : {std::pair{"full.png", ENOSPC}, {"out.png", EISDIR}}) {
    const fs::path path = scratch / file;
    for (const std::string& arguments :
         {"report --method euler -o " + Quote(path.string()),
          "loop --load sine.quarvel --method euler --to 0.2 --dir " +
              Quote(path.parent_path().string()) + " -o " + Quote(path.filename().string()),
          "plot --method euler -o " + Quote(path.string())}) {
      const CliRun run = RunCli(scratch.Path(), arguments);
      EXPECT_EQ(run.status, 1) << arguments << run.err;
      EXPECT_NE(run.err.find(path.string() + ": " + std::strerror(error)), std::string::npos)
          << run.err;
      EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;
    }
  }
}

// Study and envelope files that cannot be written are named on stderr with their reasons, status
// 1, and none is listed as written; the rest are, named after their records byte for byte (names
// that are neither ASCII nor UTF-8 included), in the order of the series. Failing before: a study
// file created on a full disk, whose lines were lost when it was flushed, was listed as written.
TEST(AdvancedLoopWriteFaults, NamesTheFilesAndListsOnlyThoseWritten) {
  ScratchFolder scratch;
  const std::string second = "2 r\xe9sum\xe9 \xff.quarvel", third = "3 \xe2\x82\xac.QUARVEL";
  for (const std::string& name : {std::string("1 a.quarvel"), second, third}) {
    scratch.Write(name, SineFile(3, 1, 101));  // a record that fills the envelopes
  }
  fs::create_directory(scratch / "1 a.quarvel.out");
  fs::create_symlink("/dev/full", scratch / (third + ".out"));
  fs::create_directory(scratch / "EnvRelErrorUPos.out");
  fs::create_symlink("/dev/full", scratch / "EnvRelErrorEhPos.out");
  const CliRun run =
      RunCli(scratch.Path(), "advanced-loop --dir . --threshold 0.5 --from 0.5 --to 2 --step 0.1");
  EXPECT_EQ(run.status, 1) << run.err;
  for (const auto& [file, error] : {std::pair<std::string, int>{"./1 a.quarvel.out", EISDIR},
                                    {"./" + third + ".out", ENOSPC},
                                    {"./EnvRelErrorUPos.out", EISDIR},
                                    {"./EnvRelErrorEhPos.out", ENOSPC}}) {
    EXPECT_NE(run.err.find(file + ": " + std::strerror(error)), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find(file), std::string::npos) << run.out;
  }
  EXPECT_NE(run.out.find("Study written to ./" + second + ".out"), std::string::npos) << run.out;
  EXPECT_LT(run.err.find("./1 a.quarvel.out"), run.err.find("./" + third)) << run.err;
  EXPECT_NE(run.out.find("Envelope written to ./EnvRelErrorEhNeg.out"), std::string::npos);
}

}  // namespace
}  // namespace quarvel::reliability
