#include "studies/advanced_loop.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "studies/study_detail.h"
#include "studies/study_file_reader.h"
#include "study_test_support.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

using namespace testing;

// Envelope file k (in kEnvelopeFileNames order) as the study files imply it: per swept value
// the largest (Pos) or smallest (Neg) relative error of U (column 4) or Eh (column 8) over the
// files, where it is not 0.
std::string ExpectedEnvelope(const std::vector<fs::path>& studies, std::size_t k) {
  const int column = k < 2 ? 4 : 8;
  std::map<double, std::pair<double, std::string>> extremes;  // x -> value, its line
  for (const fs::path& study : studies) {
    const std::vector<std::string> lines = ReadLines(study);
    for (std::size_t n = 2; n < lines.size(); ++n) {
      const double value = Val(Field(lines[n], column));
      auto& [extreme, line] = extremes[Val(Field(lines[n], 0))];
      if (k % 2 == 0 ? value > extreme : value < extreme) {
        extreme = value;
        line = Field(lines[n], 0) + "\t" + Field(lines[n], column) + "\r\n";
      }
    }
  }
  std::string expected;
  for (const auto& [x, extreme] : extremes) expected += extreme.second;
  return expected;
}

// The series: regular files "<k> <anything>.quarvel" (extension in any case), the first in
// name order for each k. Files 1 and 3 are studied, in order, each loaded and selected under the
// reaction guard, solved once, then once per value; 5 is not (4 is a folder), nor are 1.quarvel
// (no blank), 1 b.quarvel (1 is taken) or 1 a.txt. Mend: file 2, which fails to load, is
// reported, leaves the envelopes untouched, and the series goes on.
TEST(AdvancedLoop, StudiesTheSeriesInOrderUntilANumberIsMissing) {
  ScratchFolder folder;
  for (const char* name : {"1 a.quarvel", "1 b.quarvel", "5 e.quarvel", "1.quarvel", "1 a.txt"}) {
    folder.Write(name, SineFile(20, 1, 101));
  }
  folder.Write("3 c.QUARVEL", SineFile(15, 1, 101));
  folder.Write("2 bad.quarvel", "0\r\n");
  fs::create_directories(folder / "4 d.quarvel");
  // Mass swept over 2, 2.5, 3 with the window's other defaults, solved by Euler.
  Workbench bench = EulerBench(ExperimentSet{}, "2", "3", "0.5");
  ClickStudyOption(bench.inputs, StudyOption::VaryMass);
  RecordingUserInterface ui(bench);
  std::vector<std::string> started;
  struct Selection { bool guarded; int32_t experiment, x, y; };
  std::vector<Selection> selections;  // at each set loaded
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [&](int32_t k, const std::string& name) {
    started.push_back(std::to_string(k) + ":" + name);
  };
  hooks.onSetLoaded = [&] {
    started.push_back("loaded");
    selections.push_back({bench.reactionGuard.IsSet(), bench.currentExperiment,
                          bench.graphXQuantity, bench.graphYQuantity});
  };
  const AdvancedStudyOutcome outcome =
      RunAdvancedLoop(bench, ui, ui.stop, folder.Path().string(), 1.0, hooks);
  EXPECT_EQ(started, (std::vector<std::string>{"1:1 a.quarvel", "loaded", "2:2 bad.quarvel",
                                               "3:3 c.QUARVEL", "loaded"}));
  for (const Selection& selection : selections) {  // experiment 1, U (1) against F (4)
    EXPECT_TRUE(selection.guarded);
    EXPECT_EQ(selection.experiment, 1);
    EXPECT_EQ(selection.x, 1);
    EXPECT_EQ(selection.y, 4);
  }
  EXPECT_FALSE(bench.reactionGuard.IsSet());
  EXPECT_EQ(ui.solves(), 2 * (1 + 3));      // one solve per file, then one per value
  ASSERT_EQ(outcome.files.size(), 3u);
  EXPECT_EQ(outcome.problems, std::vector<std::string>{outcome.files[1].load.Describe()});
  EXPECT_NE(outcome.problems[0].find("2 bad.quarvel: "), std::string::npos);
  for (const char* name : {"2 bad.quarvel.out", "1 b.quarvel.out", "5 e.quarvel.out",
                           "1.quarvel.out", "lresults.out"}) {
    EXPECT_FALSE(fs::exists(folder / name)) << name;
  }
  const std::vector<fs::path> studies = {folder / "1 a.quarvel.out", folder / "3 c.QUARVEL.out"};
  for (const fs::path& study : studies) {
    const std::vector<std::string> lines = ReadLines(study);
    ASSERT_EQ(lines.size(), 5u) << study;
    EXPECT_EQ(lines[0], "Varying mass by changing mass");
    EXPECT_EQ(Field(lines[2], 0), "2");
    EXPECT_EQ(Field(lines[4], 0), "3");
  }
  for (std::size_t k = 0; k < kEnvelopeFileNames.size(); ++k) {
    const std::string expected = ExpectedEnvelope(studies, k);
    EXPECT_EQ(folder.Read(kEnvelopeFileNames[k]), expected) << k;
    EXPECT_EQ(expected.empty(), k == 0) << k;  // no positive error of U here
  }
}

// (What a stop ends, Escape or closing the window: tests/app/main_form_test.cpp.)

// (A folder without a file 1: tests/cli.)
// (An empty or wordy answer reads as 0 by the number parse.)
TEST(AdvancedLoop, ThresholdAnswerIsReadByTheNumberParseAndMustBePositive) {
  EXPECT_EQ(ReadThresholdAnswer(" 0.5 of Uy").value_or(0), 0.5);
  EXPECT_FALSE(ReadThresholdAnswer("0").has_value());
}

}  // namespace
}  // namespace quarvel
