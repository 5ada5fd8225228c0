#include "experiments/experiment_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quarvel {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kDataDir = std::string(QUARVEL_SOURCE_DIR) + "/tests/experiments/data/";
const std::vector<double> kPulseSamples{0, 0, 5, 0};

// The force pulse file, one item per line (index 0 is the count line), with line `index`
// replaced when one is given.
Lines Pulse(std::size_t index = std::string::npos, const std::string& line = "") {
  Lines lines{"1", "Pulse", "1", "2.86", "0", "0", "0",  // count, name, weight, mass, u, u', z
              "Force", "none", "0.02", "3", "0", "5", "0"};
  if (index < lines.size()) lines[index] = line;
  return lines;
}
std::string Join(const Lines& lines, const std::string& eol = "\n") {
  std::string text;
  for (const auto& line : lines) text += line + eol;
  return text;
}

// One file per process: CTest runs the cases of this file in parallel processes.
const std::string& InputPath() {
  static const std::string path = (fs::path(::testing::TempDir()) /
                                   ("quarvel_input_" + std::to_string(::getpid()) + ".quarvel"))
                                      .string();
  return path;
}

// Loads `bytes` into a set that already holds a record, so failures show it is dropped.
LoadResult Load(const std::string& bytes, ExperimentSet& set) {
  std::ofstream(InputPath(), std::ios::binary | std::ios::trunc) << bytes;
  set.Append(Experiment{});
  return LoadExperimentFile(InputPath(), set);
}

TEST(LoadExperimentFile, ReadsTheSampleFilesAndReplacesThePreviousSet) {
  ExperimentSet set;
  Lines two = Pulse(0, "2");
  const Lines second = Pulse(1, "Second");
  two.insert(two.end(), second.begin() + 1, second.end());
  ASSERT_TRUE(Load(Join(two), set));
  ASSERT_EQ(set.Count(), 2);
  EXPECT_EQ(set.At(2).name, "Second");

  LoadResult result = LoadExperimentFile(kDataDir + "pulse.quarvel", set);
  ASSERT_TRUE(result) << result.Describe();
  ASSERT_EQ(set.Count(), 1);
  const Experiment& e = set.At(1);
  EXPECT_EQ(e.name, "Pulse");
  EXPECT_EQ(e.weight, 1.0);
  EXPECT_EQ(e.mass, 2.86);
  EXPECT_EQ(e.dataType, ExperimentDataType::Force);
  EXPECT_EQ(e.unitsOfG, 0);
  EXPECT_EQ(e.timeStep, 0.02);
  EXPECT_EQ(e.counter, 3);
  EXPECT_EQ(e.force, kPulseSamples);
  EXPECT_TRUE(e.displacement.empty() && e.acceleration.empty());

  result = LoadExperimentFile(kDataDir + "elcentro-1940-ns.quarvel", set);
  ASSERT_TRUE(result) << result.Describe();
  ASSERT_EQ(set.Count(), 1);
  EXPECT_EQ(set.At(1).dataType, ExperimentDataType::Acceleration);
  EXPECT_EQ(set.At(1).unitsOfG, 1);
  EXPECT_EQ(set.At(1).counter, 1560);
  ASSERT_EQ(set.At(1).acceleration.size(), 1561u);
  EXPECT_EQ(set.At(1).acceleration[1], 0.0063);
}

TEST(LoadExperimentFile, KeywordsAndCounter) {
  struct Row {
    const char* name;
    const char* typeLine;
    const char* unitsLine;
    ExperimentDataType type;
    int32_t unitsOfG;
  };
  using T = ExperimentDataType;
  const Row rows[] = {
      {"lower-case force with blanks", "  force  ", "none", T::Force, 0},
      {"force with further words", "Force extra words", "", T::Acceleration, 0},
      {"mixed-case displacement", "DisPlacement", "", T::Displacement, 0},
      {"empty type line", "", "", T::Acceleration, 0},
      {"tab is not trimmed", "\tForce", "", T::Acceleration, 0},
      {"lower-case units of g on force", "Force", "units of g", T::Force, 1},
      {"units of g with blanks", "x", "   UNITS OF G ", T::Acceleration, 1},
      {"units of g with further words", "x", "units of g too", T::Acceleration, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Lines lines = Pulse(7, row.typeLine);
    lines[8] = row.unitsLine;
    ExperimentSet set;
    ASSERT_TRUE(Load(Join(lines), set));
    EXPECT_EQ(set.At(1).dataType, row.type);
    EXPECT_EQ(set.At(1).unitsOfG, row.unitsOfG);
    EXPECT_EQ(SamplesOf(set.At(1)), kPulseSamples);  // in the array the type names
  }
  // The counter line rounds half to even.
  for (const auto& [line, counter] : {std::pair{"2.5", 2}, {"3.5", 4}, {"3 samples", 3}}) {
    SCOPED_TRACE(line);
    Lines lines = Pulse(10, line);
    lines.push_back("7");
    ExperimentSet set;
    ASSERT_TRUE(Load(Join(lines), set));
    EXPECT_EQ(set.At(1).counter, counter);
    EXPECT_EQ(set.At(1).force.size(), static_cast<std::size_t>(counter) + 1);
  }
}

TEST(LoadExperimentFile, LineEndsAndNameLines) {
  std::string mixed;
  const char* eols[] = {"\r\n", "\n", "\r"};
  for (std::size_t i = 0; i < Pulse().size(); ++i) mixed += Pulse()[i] + eols[i % 3];
  const std::string crlf = Join(Pulse(), "\r\n");
  // The reader takes 64 KiB at a time: this name puts its CR last in the first chunk and its
  // LF first in the next. A lost pairing would insert an empty line and shift every item.
  const std::string chunkName(65536 - 3 - 1, '\0');
  const std::string typedName("  Pu\tl\0se 1,5  ", 15);
  const struct {
    const char* name;
    std::string bytes, expectedName;
  } rows[] = {
      {"LF", Join(Pulse(), "\n"), "Pulse"},
      {"CR", Join(Pulse(), "\r"), "Pulse"},
      {"CR LF", crlf, "Pulse"},
      {"mixed", mixed, "Pulse"},
      {"no final terminator", crlf.substr(0, crlf.size() - 2), "Pulse"},
      {"lines after the last block ignored", crlf + "junk\n1e999\n\x01\x02", "Pulse"},
      {"CR LF split across read chunks", Join(Pulse(1, chunkName), "\r\n"), chunkName},
      {"name line kept as it is", Join(Pulse(1, typedName)), typedName},
  };
  ASSERT_EQ(rows[6].bytes[65535], '\r');
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ExperimentSet set;
    const LoadResult result = Load(row.bytes, set);
    ASSERT_TRUE(result) << result.Describe();
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.At(1).name, row.expectedName);
    EXPECT_EQ(set.At(1).force, kPulseSamples);
  }
}

TEST(LoadExperimentFile, FailuresNameFileAndLineAndEmptyTheSet) {
  Lines cut = Pulse();
  cut.resize(13);
  const struct {
    const char* name;
    std::string bytes;
    int64_t line;
    const char* reason;
  } rows[] = {
      {"empty file", "", 1, "the file is empty"},
      {"first line 0", Join(Pulse(0, "0")), 1, "number of experiments must be at least 1"},
      {"first line rounds to 0", Join(Pulse(0, "0.5")), 1, "must be at least 1"},
      {"count beyond 32 bits", Join(Pulse(0, "3e9")), 1, "does not fit a 32-bit integer"},
      {"declares 2, holds 1", Join(Pulse(0, "2")), 15, "ends before the name of experiment 2"},
      {"counter 0", Join(Pulse(10, "0")), 11, "number of samples of experiment 1 must be"},
      {"overflowing weight", Join(Pulse(2, "1e999")), 3, "weight of experiment 1 is out of"},
      {"overflowing sample", Join(Pulse(12, "-1D400")), 13, "sample 2 of experiment 1 is out"},
      {"missing sample", Join(cut), 14, "ends before sample 3 of experiment 1"},
      // Declared counts are not trusted for memory: these fail at the end of the file.
      {"2e9 experiments", Join(Pulse(0, "2000000000")), 15, "ends before the name"},
      {"2e9 samples", Join(Pulse(10, "2000000000")), 15, "ends before sample 4"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ExperimentSet set;
    const auto start = std::chrono::steady_clock::now();
    const LoadResult result = Load(row.bytes, set);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_FALSE(result);
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(result.lineNumber, row.line);
    EXPECT_NE(result.reason.find(row.reason), std::string::npos) << result.reason;
    EXPECT_EQ(result.Describe(),
              InputPath() + ": line " + std::to_string(row.line) + ": " + result.reason);
  }
  ExperimentSet set;
  set.Append(Experiment{});
  const LoadResult result = LoadExperimentFile("", set);
  ASSERT_FALSE(result);
  EXPECT_EQ(set.Count(), 0);
  EXPECT_EQ(result.Describe(), ": no file name given");
}

}  // namespace
}  // namespace quarvel
