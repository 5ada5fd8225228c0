// Reading study and envelope texts: what the studies write reads back to the same texts; what no
// study writes is refused with the line and the reason.

#include <gtest/gtest.h>

#include <string>

#include "studies/study_detail.h"
#include "studies/study_file_reader.h"
#include "study_test_support.h"

namespace quarvel {
namespace {

// (A study file that is missing or not a file: the plot rows of tests/cli; what a refusal keeps:
// the study_file fuzz target.)
TEST(StudyFileReader, RefusesWhatNoStudyWrites) {
  const std::string header = kStudyHeader;
  const std::string row = "0.5\t1\t2\t1\t1\t3\t4\t1\t0.333333";
  // line -1: read as a study, whose value line reads back as `reason`
  const struct { const char* name; std::string text; int64_t line; const char* reason; } rows[] = {
      {"title, CR LF", "Varying mass by changing mass\r\n" + header + "\r\n" + row + "\r\n", -1,
       row.c_str()},
      {"no title, LF, no last end", header + "\n" + row, -1, row.c_str()},
      {"non-finite", header + "\ninf\t-inf\tnan\t0\t0\t0\t0\t0\t1E-09\n\n\n", -1,
       "inf\t-inf\tnan\t0\t0\t0\t0\t0\t0"},
      {"empty", "", 0, "empty"},
      {"header third", "a\r\nb\r\n" + header + "\r\n", 0, "no study header"},
      {"eight fields", header + "\r\n" + row + "\r\n1\t2\t3\t4\t5\t6\t7\t8\r\n", 3,
       "8 fields where 9"},
      {"comma decimal", header + "\r\n0,5\t1\t2\t1\t1\t3\t4\t1\t0\r\n", 2,
       "field 1 is not a number: \"0,5\""},
      {"blank line inside", header + "\r\n\r\n" + row + "\r\n", 2, "an empty line"},
  };
  for (const auto& r : rows) {
    StudyFileContents study;
    const FileResult result = ReadStudyText(r.text, study, "s.out");
    EXPECT_EQ(result.ok, r.line < 0) << r.name << ": " << result.Describe();
    if (r.line < 0) {
      ASSERT_EQ(study.lines.size(), 1u) << r.name;
      std::string written;  // the numbers joined as the study files write them
      for (const double v : study.lines[0])
        written += (written.empty() ? "" : "\t") + StudyNumber(v);
      EXPECT_EQ(written, r.reason) << r.name;  // read back as written
      continue;
    }
    EXPECT_EQ(result.lineNumber, r.line) << r.name;
    EXPECT_NE(result.reason.find(r.reason), std::string::npos) << r.name << ": " << result.reason;
  }

  EnvelopeCurve envelope;
  EXPECT_TRUE(ReadEnvelopeText("", envelope));
  EXPECT_TRUE(ReadEnvelopeText("0.1\t-0.25\r\n0.13\t-1.234568\r\n", envelope));
  EXPECT_EQ(envelope.value, (std::vector<double>{-0.25, -1.234568}));
  const FileResult bad = ReadEnvelopeText("0.1\t-0.25\r\n0.2\t0.1\t0.3\r\n", envelope, "e.out");
  EXPECT_EQ(bad.Describe(), "e.out: line 2: 3 fields where 2 are expected");
}

}  // namespace
}  // namespace quarvel
