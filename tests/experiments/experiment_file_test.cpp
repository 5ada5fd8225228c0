#include "experiments/experiment_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace quarvel {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kDataDir = std::string(QUARVEL_SOURCE_DIR) + "/tests/experiments/data/";
const std::vector<double> kPulseSamples{0, 0, 5, 0};

// The force pulse file, one item per line (index 0 is the count line).
Lines Pulse() {
  return {"1", "Pulse", "1", "2.86", "0", "0", "0", "Force", "none", "0.02", "3", "0", "5", "0"};
}
Lines PulseWith(std::size_t index, const std::string& line) {
  Lines lines = Pulse();
  lines[index] = line;
  return lines;
}
Lines PulseCut(std::size_t count) {
  Lines lines = Pulse();
  lines.resize(count);
  return lines;
}
std::string Join(const Lines& lines, const std::string& eol = "\n") {
  std::string text;
  for (const auto& line : lines) text += line + eol;
  return text;
}

// One file per process: CTest runs the cases of this file in parallel processes.
const std::string& InputPath() {
  static const std::string path =
      (fs::path(::testing::TempDir()) /
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

TEST(LoadExperimentFile, ReadsThePulseExample) {
  ExperimentSet set;
  const LoadResult result = LoadExperimentFile(kDataDir + "pulse.quarvel", set);
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
}

TEST(LoadExperimentFile, ReadsTheElCentroRecord) {
  ExperimentSet set;
  const LoadResult result = LoadExperimentFile(kDataDir + "elcentro-1940-ns.quarvel", set);
  ASSERT_TRUE(result) << result.Describe();
  ASSERT_EQ(set.Count(), 1);
  const Experiment& e = set.At(1);
  EXPECT_EQ(e.dataType, ExperimentDataType::Acceleration);
  EXPECT_EQ(e.unitsOfG, 1);
  EXPECT_EQ(e.timeStep, 0.02);
  EXPECT_EQ(e.counter, 1560);
  ASSERT_EQ(e.acceleration.size(), 1561u);
  EXPECT_EQ(e.acceleration[1], 0.0063);
}

TEST(LoadExperimentFile, Keywords) {
  struct Row {
    const char* name;
    const char* typeLine;
    const char* unitsLine;
    ExperimentDataType type;
    int32_t unitsOfG;
  };
  const Row rows[] = {
      {"lower-case force with blanks", "  force  ", "none", ExperimentDataType::Force, 0},
      {"force with further words", "Force extra words", "", ExperimentDataType::Acceleration, 0},
      {"mixed-case displacement", "DisPlacement", "", ExperimentDataType::Displacement, 0},
      {"empty type line", "", "", ExperimentDataType::Acceleration, 0},
      {"tab is not trimmed", "\tForce", "", ExperimentDataType::Acceleration, 0},
      {"lower-case units of g on force", "Force", "units of g", ExperimentDataType::Force, 1},
      {"units of g with blanks", "x", "   UNITS OF G ", ExperimentDataType::Acceleration, 1},
      {"units of g with further words", "x", "units of g too", ExperimentDataType::Acceleration, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Lines lines = Pulse();
    lines[7] = row.typeLine;
    lines[8] = row.unitsLine;
    ExperimentSet set;
    ASSERT_TRUE(Load(Join(lines), set));
    EXPECT_EQ(set.At(1).dataType, row.type);
    EXPECT_EQ(set.At(1).unitsOfG, row.unitsOfG);
    EXPECT_EQ(SamplesOf(set.At(1)), kPulseSamples);  // in the array the type names
  }
}

TEST(LoadExperimentFile, CounterRoundsHalfToEven) {
  const std::pair<const char*, int32_t> rows[] = {{"2.5", 2}, {"3.5", 4}, {"3 samples", 3}};
  for (const auto& [line, counter] : rows) {
    SCOPED_TRACE(line);
    Lines lines = PulseWith(10, line);
    lines.push_back("7");
    ExperimentSet set;
    ASSERT_TRUE(Load(Join(lines), set));
    EXPECT_EQ(set.At(1).counter, counter);
    EXPECT_EQ(set.At(1).force.size(), static_cast<std::size_t>(counter) + 1);
  }
}

TEST(LoadExperimentFile, LineEnds) {
  std::string mixed;
  const char* eols[] = {"\r\n", "\n", "\r"};
  for (std::size_t i = 0; i < Pulse().size(); ++i) mixed += Pulse()[i] + eols[i % 3];
  const std::string crlf = Join(Pulse(), "\r\n");
  const std::pair<const char*, std::string> rows[] = {
      {"LF", Join(Pulse(), "\n")},
      {"CR", Join(Pulse(), "\r")},
      {"CR LF", crlf},
      {"mixed", mixed},
      {"no final terminator", crlf.substr(0, crlf.size() - 2)},
      {"lines after the last block ignored", crlf + "junk\n1e999\n\x01\x02"},
  };
  for (const auto& [name, bytes] : rows) {
    SCOPED_TRACE(name);
    ExperimentSet set;
    const LoadResult result = Load(bytes, set);
    ASSERT_TRUE(result) << result.Describe();
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.At(1).name, "Pulse");
    EXPECT_EQ(set.At(1).force, kPulseSamples);
  }
}

TEST(LoadExperimentFile, CrLfSplitAcrossReadChunksIsOneLineEnd) {
  // The reader takes 64 KiB at a time: the name's CR is the chunk's last byte, its LF the
  // next chunk's first. A lost pairing would insert an empty line and shift every item.
  const std::string name(65536 - 3 - 1, '\0');
  Lines lines = Pulse();
  lines[1] = name;
  const std::string bytes = Join(lines, "\r\n");
  ASSERT_EQ(bytes[65535], '\r');
  ExperimentSet set;
  ASSERT_TRUE(Load(bytes, set));
  EXPECT_EQ(set.At(1).name, name);  // NUL bytes kept
  EXPECT_EQ(set.At(1).force, kPulseSamples);
}

TEST(LoadExperimentFile, KeepsTheNameLineAsItIs) {
  const std::string name("  Pu\tl\0se 1,5  ", 15);
  ExperimentSet set;
  ASSERT_TRUE(Load(Join(PulseWith(1, name)), set));
  EXPECT_EQ(set.At(1).name, name);
}

TEST(LoadExperimentFile, ReplacesThePreviousSet) {
  Lines two = PulseWith(0, "2");
  Lines second = PulseWith(1, "Second");
  two.insert(two.end(), second.begin() + 1, second.end());
  ExperimentSet set;
  ASSERT_TRUE(Load(Join(two), set));
  ASSERT_EQ(set.Count(), 2);
  EXPECT_EQ(set.At(2).name, "Second");
  ASSERT_TRUE(LoadExperimentFile(kDataDir + "pulse.quarvel", set));
  ASSERT_EQ(set.Count(), 1);
  EXPECT_EQ(set.At(1).name, "Pulse");
}

TEST(LoadExperimentFile, FailuresNameFileAndLineAndEmptyTheSet) {
  struct Row {
    const char* name;
    std::string bytes;
    int64_t line;
    const char* reason;
  };
  const Row rows[] = {
      {"empty file", "", 1, "the file is empty"},
      {"first line 0", Join(PulseWith(0, "0")), 1, "number of experiments must be at least 1"},
      {"first line text", Join(PulseWith(0, "Pulse")), 1, "must be at least 1"},
      {"first line rounds to 0", Join(PulseWith(0, "0.5")), 1, "must be at least 1"},
      {"count beyond 32 bits", Join(PulseWith(0, "3e9")), 1, "does not fit a 32-bit integer"},
      {"declares 2, holds 1", Join(PulseWith(0, "2")), 15, "ends before the name of experiment 2"},
      {"counter 0", Join(PulseWith(10, "0")), 11, "number of samples of experiment 1 must be"},
      {"overflowing weight", Join(PulseWith(2, "1e999")), 3, "weight of experiment 1 is out of"},
      {"overflowing sample", Join(PulseWith(12, "-1D400")), 13, "sample 2 of experiment 1 is out"},
      {"missing sample", Join(PulseCut(13)), 14, "ends before sample 3 of experiment 1"},
      // Declared counts are not trusted for memory: these fail at the end of the file.
      {"2e9 experiments", Join(PulseWith(0, "2000000000")), 15, "ends before the name"},
      {"2^31-1 experiments", Join(PulseWith(0, "2147483647")), 15, "ends before the name"},
      {"2e9 samples", Join(PulseWith(10, "2000000000")), 15, "ends before sample 4"},
  };
  for (const Row& row : rows) {
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
}

TEST(LoadExperimentFile, FileErrorsCarryTheSystemReason) {
  const fs::path dir = fs::path(::testing::TempDir());
  const std::pair<std::string, std::string> rows[] = {
      {(dir / "no-such-file.quarvel").string(), std::strerror(ENOENT)},
      {dir.string(), std::strerror(EISDIR)},
      {"", "no file name given"},
  };
  for (const auto& [path, reason] : rows) {
    SCOPED_TRACE(path);
    ExperimentSet set;
    set.Append(Experiment{});
    const LoadResult result = LoadExperimentFile(path, set);
    ASSERT_FALSE(result);
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(result.Describe(), path + ": " + reason);
  }
}

TEST(LoadExperimentFile, BinaryGarbageAndLongLinesDoNotCrash) {
  std::mt19937 random(12345);
  for (int round = 0; round < 10; ++round) {
    std::string bytes(100000, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    if (round % 2 == 1) bytes = "1\nname\n" + bytes;  // get past the count line
    ExperimentSet set;
    if (!Load(bytes, set)) {
      EXPECT_EQ(set.Count(), 0);
    }
  }
  ExperimentSet set;
  ASSERT_TRUE(Load(Join(PulseWith(12, "5" + std::string(1 << 20, ' '))), set));
  EXPECT_EQ(set.At(1).force, kPulseSamples);
}

}  // namespace
}  // namespace quarvel
