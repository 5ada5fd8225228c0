// Reading back study and envelope files: what a study writes reads back to the same numbers;
// what no study writes is refused with the line and the reason.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "studies/study_detail.h"
#include "studies/study_file_reader.h"
#include "study_test_support.h"

namespace quarvel {
namespace {

using testing::ReadLines;
using testing::ScratchFolder;

// The numbers joined as the study files write them.
template <typename Numbers>
std::string Written(const Numbers& values) {
  std::string line;
  for (const double v : values) line += (line.empty() ? "" : "\t") + detail::StudyNumber(v);
  return line;
}

TEST(StudyFileReader, ReadsBackWhatTheStudiesWrote) {
  ScratchFolder folder;
  ExperimentSet set;
  testing::AddSine(set, 20.0);
  Workbench bench = testing::EulerBench(std::move(set));
  bench.inputs.txtFrom = "0.4";
  bench.inputs.txtTo = "1";
  bench.inputs.txtStep = "0.2";
  bench.inputs.optVaryElasticPeriod = true;
  bench.inputs.optVaryPlasticPeriod = false;
  bench.inputs.optChangeFy = true;
  bench.inputs.optChangeMass = false;
  Envelopes envelopesWritten;
  envelopesWritten.Reset(3);
  testing::RecordingUserInterface ui(bench);
  ASSERT_EQ(RunParametricLoop(bench, ui, ui.stop,
                              testing::Request(folder.str(), "sine.out", 0.0, &envelopesWritten))
                .status,
            StudyStatus::Completed);
  ASSERT_TRUE(WriteEnvelopeFiles(envelopesWritten, folder.str(), 0.4, 0.2).empty());

  StudyFileContents study;
  ASSERT_TRUE(ReadStudyFile((folder / "sine.out").string(), study));
  const std::vector<std::string> lines = ReadLines(folder / "sine.out");
  EXPECT_EQ(study.title, "Varying elastic period by changing Fy");
  ASSERT_EQ(study.lines.size() + 2, lines.size());
  for (std::size_t i = 0; i < study.lines.size(); ++i) {
    EXPECT_EQ(Written(study.lines[i]), lines[i + 2]);
  }
  EXPECT_EQ(study.lines[2][kSweptValue], 0.8);

  std::array<EnvelopeCurve, 4> envelopes;
  ASSERT_TRUE(ReadEnvelopeFiles(folder.str(), envelopes));
  for (std::size_t k = 0; k < envelopes.size(); ++k) {
    const std::vector<std::string> envelopeLines = ReadLines(folder / kEnvelopeFileNames[k]);
    ASSERT_EQ(envelopes[k].x.size(), envelopeLines.size()) << k;
    for (std::size_t i = 0; i < envelopeLines.size(); ++i) {
      EXPECT_EQ(Written(std::array{envelopes[k].x[i], envelopes[k].value[i]}), envelopeLines[i]);
    }
  }
  EXPECT_FALSE(envelopes[0].x.empty());  // the sine's relative errors reach the envelopes

  std::filesystem::remove(folder / kEnvelopeFileNames[2]);
  const FileResult missing = ReadEnvelopeFiles(folder.str(), envelopes);
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.fileName, (folder / kEnvelopeFileNames[2]).string());
}

TEST(StudyFileReader, RefusesWhatNoStudyWrites) {
  const std::string header = kStudyHeader;
  const std::string row = "0.5\t1\t2\t1\t1\t3\t4\t1\t0.333333";
  const struct {
    const char* name;
    std::string text;
    int64_t line;  // -1: read as a study
    const char* reason;
  } rows[] = {
      {"title, CR LF", "Varying mass by changing mass\r\n" + header + "\r\n" + row + "\r\n", -1,
       ""},
      {"no title, LF, no last end", header + "\n" + row, -1, ""},
      {"non-finite numbers", header + "\ninf\t-inf\tnan\t0\t0\t0\t0\t0\t1E-09\n\n\n", -1, ""},
      {"empty", "", 0, "empty"},
      {"no header", row + "\r\n", 0, "no study header"},
      {"header third", "a\r\nb\r\n" + header + "\r\n", 0, "no study header"},
      {"eight fields", header + "\r\n" + row + "\r\n1\t2\t3\t4\t5\t6\t7\t8\r\n", 3,
       "8 fields where 9"},
      {"ten fields", header + "\r\n" + row + "\t9\r\n", 2, "10 fields where 9"},
      {"comma decimal", header + "\r\n0,5\t1\t2\t1\t1\t3\t4\t1\t0\r\n", 2,
       "field 1 is not a number: \"0,5\""},
      {"unit after number", header + "\r\n0.5\t1 m\t2\t1\t1\t3\t4\t1\t0\r\n", 2, "field 2"},
      {"plus sign", header + "\r\n+0.5\t1\t2\t1\t1\t3\t4\t1\t0\r\n", 2, "field 1"},
      {"blank line inside", header + "\r\n\r\n" + row + "\r\n", 2, "an empty line"},
      {"shard file", "#quarvel-study-shard\t1/2\t3\tlresults.out\r\n#head\t" + header, 0,
       "no study header"},
  };
  for (const auto& r : rows) {
    StudyFileContents study;
    const FileResult result = ReadStudyText(r.text, study, "s.out");
    EXPECT_EQ(result.ok, r.line < 0) << r.name << ": " << result.Describe();
    if (r.line < 0) {
      EXPECT_EQ(study.lines.size(), 1u) << r.name;
      continue;
    }
    EXPECT_EQ(result.lineNumber, r.line) << r.name;
    EXPECT_NE(result.reason.find(r.reason), std::string::npos) << r.name << ": " << result.reason;
    EXPECT_TRUE(study.lines.empty() && study.title.empty()) << r.name;
  }

  EnvelopeCurve envelope;
  EXPECT_TRUE(ReadEnvelopeText("", envelope));
  EXPECT_TRUE(ReadEnvelopeText("0.1\t-0.25\r\n0.13\t-1.234568\r\n", envelope));
  EXPECT_EQ(envelope.value, (std::vector<double>{-0.25, -1.234568}));
  const FileResult bad = ReadEnvelopeText("0.1\t-0.25\r\n0.2\t0.1\t0.3\r\n", envelope, "e.out");
  EXPECT_EQ(bad.Describe(), "e.out: line 2: 3 fields where 2 are expected");
  EXPECT_TRUE(envelope.x.empty());
}

TEST(StudyFileReader, FilesThatAreNotThereOrNotFilesAreRefusedByName) {
  ScratchFolder folder;
  StudyFileContents study;
  const std::string missing = (folder / "missing.out").string();
  EXPECT_EQ(ReadStudyFile(missing, study).Describe(), missing + ": No such file or directory");
  EXPECT_EQ(ReadStudyFile(folder.str(), study).Describe(), folder.str() + ": not a file");
}

}  // namespace
}  // namespace quarvel
