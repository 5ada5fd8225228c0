// The record check: which lines of an experiment file it names, and that the load beside it is
// exactly the loader's.

#include <gtest/gtest.h>

#include <cmath>

#include <tuple>
#include <string>
#include <vector>

#include "records/record_check.h"
#include "records/record_summary.h"

namespace quarvel {
namespace {

// A force pulse of three samples with line `index` (1-based) replaced by `line`:
//  1: 1 / 2: Pulse / 3: 1 / 4: 2.86 / 5: 0 / 6: 0 / 7: 0 / 8: Force / 9: none / 10: 0.02 /
//  11: 3 / 12: 0 / 13: 5 / 14: 0
std::string Pulse(int index = 0, const char* line = "") {
  const char* lines[] = {"1", "Pulse", "1",    "2.86", "0", "0", "0", "Force",
                         "none", "0.02", "3", "0", "5", "0"};
  std::string text;
  for (int k = 1; k <= 14; ++k) text += std::string(k == index ? line : lines[k - 1]) + "\n";
  return text;
}

// The line the one warning names (0: no warning) and a part of its text. (That the checked load
// is the loader's, bit for bit, is the record_check fuzz target's check.)
TEST(RecordCheck, WarningsNameTheLine) {
  const std::tuple<const char*, std::string, int64_t, const char*> rows[] = {
      {"clean file", Pulse(), 0, ""},
      {"lower case and blanks around a keyword", Pulse(8, "  force "), 0, ""},
      {"units of g in any case", Pulse(9, "UNITS of g"), 0, ""},
      {"the label text for no units", Pulse(9, "No unit system specified"), 0, ""},
      {"a units line without a unit", Pulse(9, "raw"), 0, ""},
      {"blanks after a number", Pulse(13, "5  \t"), 0, ""},
      {"misspelt data type", Pulse(8, "Forse"), 8, "\"Forse\" is none of Force, Displacement, "
                                                   "Acceleration: read as Acceleration"},
      {"keyword with a tab", Pulse(8, "Force\t"), 8, "read as Acceleration"},
      {"units line g", Pulse(9, "g"), 9, "\"g\" is not \"Units of g\": read as no unit system"},
      {"comma decimal sample", Pulse(13, "0,5"), 13,
       "sample 2 of experiment 1 \"0,5\" is not entirely a number: read as 0, its leading part "
       "(a comma is not a decimal point)"},
      {"unit after a number", Pulse(10, "0.02 s"), 10,
       "the time step of experiment 1 \"0.02 s\" is not entirely a number: read as 0.02"},
      {"text for a number", Pulse(3, "one"), 3, "the weight of experiment 1 \"one\" is not a "
                                                 "number: read as 0"},
      {"blank sample", Pulse(12, ""), 12, "blank line: sample 1 of experiment 1 is read as 0"},
      {"blank name", Pulse(2, ""), 2, "blank line: the name of experiment 1 is empty"},
      {"blank data type", Pulse(8, ""), 8, "is read as Acceleration"},
      {"fractional count", Pulse(1, "1.4"), 1, "is not a whole number: rounded to 1"},
      {"time step zero", Pulse(10, "0"), 10, "is not above 0"},
      {"lines after the last experiment", Pulse() + "7\n\n8\n", 15,
       "2 line(s) after the last experiment (lines 15 to 17) are ignored"},
      {"a control byte is shown as ?", Pulse(3, "1\x01"), 3, "\"1?\""},
  };
  for (const auto& [name, text, line, message] : rows) {
    SCOPED_TRACE(name);
    ExperimentSet set;
    const CheckedLoad checked = LoadCheckedExperimentText(text, set, "pulse.quarvel");
    EXPECT_TRUE(checked.load.ok);
    ASSERT_EQ(checked.warningCount, line == 0 ? 0 : 1);
    if (line == 0) continue;
    ASSERT_EQ(checked.warnings.size(), 1u);
    const std::string described = DescribeWarning("pulse.quarvel", checked.warnings[0]);
    EXPECT_NE(described.find(message), std::string::npos) << described;
    EXPECT_EQ(described.rfind("pulse.quarvel:" + std::to_string(line) + ": warning: ", 0), 0u);
  }
}

// Files of other formats: the load fails at line 1 as the loader says, with a hint.
TEST(ForeignFormat, FirstLineGivesAHint) {
  const std::pair<const char*, const char*> rows[] = {
      {"PEER NGA STRONG MOTION DATABASE RECORD\nImperial Valley, 5/19/1940\n", "PEER"},
      {"time,acceleration\n0,0.0063\n", "CSV"},
      {"0.00 0.0063\n0.02 0.0036\n", "columns of numbers"},
      {"1\n", ""},      // a count: no hint, whatever follows
      {"abc\n", ""},    // not a number, but no known format either
  };
  for (const auto& [text, hint] : rows) {
    SCOPED_TRACE(text);
    ExperimentSet set;
    const CheckedLoad checked = LoadCheckedExperimentText(text, set);
    EXPECT_FALSE(checked.load.ok);
    EXPECT_TRUE(*hint ? checked.hint.find(hint) != std::string::npos : checked.hint.empty())
        << checked.hint;
  }
}

// Ten thousand bad samples: the first warnings up to the limit kept, all of them counted.
TEST(WarningLimit, KeepsTheFirstAndCountsAll) {
  std::string text = "1\nBad\n1\n1\n0\n0\n0\nForce\nnone\n0.01\n10000\n";
  for (int k = 0; k < 10000; ++k) text += "x\n";
  ExperimentSet set;
  const CheckedLoad checked = LoadCheckedExperimentText(text, set);
  EXPECT_TRUE(checked.load.ok);
  EXPECT_EQ(checked.warningCount, 10000);
  ASSERT_EQ(static_cast<int64_t>(checked.warnings.size()), kMaxRecordWarnings);
  EXPECT_EQ(checked.warnings.back().lineNumber, 11 + kMaxRecordWarnings);
}

// Of two samples of the largest magnitude the first is the peak. (The command-line check of El
// Centro shows a peak, its time, the duration and the unit.)
TEST(RecordSummary, PeakIsTheFirstOfTheLargest) {
  ExperimentSet set;
  ASSERT_TRUE(LoadExperimentText(
      "1\nR\n1\n1\n0\n0\n0\nAcceleration\nUnits of g\n0.02\n4\n0.1\n-0.3\n0.3\n0.2\n", set));
  const RecordPeak peak = PeakOfRecord(set.At(1));
  EXPECT_EQ(peak.value, -0.3);
  EXPECT_EQ(peak.time, 0.02);
}

// Ten cycles of a(t) = 2 sin(2 pi t) m/s2, 400 samples a cycle. By hand: v = (1 - cos wt) / pi,
// whose peak is 2 / pi; the displacement drifts (no baseline correction) to mean(v) x 10 s =
// 10 / pi; the Arias intensity is pi / (2 g) x 2 x 10 s; the cumulative a^2, exact under the
// trapezoidal rule at every half cycle, passes 5 % at 0.5 s and 95 % at 9.5 s. The rule's error
// on v is (w h)^2 / 12 relative, 2e-5. The samples 1, 2, 0 at 0.5 s, linear between them, give
// v = 0, 0.75, 1.25 and d = 0, 0.1875, 0.6875 exactly.
TEST(RecordSummary, GroundMotionMeasuresOfASineRecord) {
  Experiment e;
  e.timeStep = 1.0 / 400;
  e.counter = 4001;
  e.acceleration.assign(4002, 0.0);
  for (int i = 1; i <= e.counter; ++i) e.acceleration[i] = 2 * std::sin(M_PI * (i - 1) / 200.0);
  const GroundMotionMeasures m = *GroundMotionOf(e);
  EXPECT_EQ(m.pga.value, 2.0);
  EXPECT_NEAR(m.pgv.value, 2 / M_PI, 1e-4 * 2 / M_PI);
  EXPECT_NEAR(m.pgd.value, 10 / M_PI, 1e-4 * 10 / M_PI);
  EXPECT_NEAR(m.arias, M_PI / (2 * 9.81) * 2 * 10, 1e-12);
  EXPECT_NEAR(m.significantStart, 0.5, 1e-9);
  EXPECT_NEAR(m.significantEnd, 9.5, 1e-9);
  e.timeStep = 0.5;
  e.acceleration = {0, 1, 2, 0};
  EXPECT_EQ(GroundMotionOf(e)->pgv.value, 1.25);
  EXPECT_EQ(GroundMotionOf(e)->pgd.value, 0.6875);
}

}  // namespace
}  // namespace quarvel
