// Loading an experiment file from memory gives exactly what loading the same bytes from disk
// gives: the same records, or the same failure at the same line for the same reason.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "experiments/experiment_file.h"
#include "reliability_support.h"

namespace quarvel::reliability {
namespace {

using namespace std::string_literals;

void ExpectSameRecords(const ExperimentSet& a, const ExperimentSet& b) {
  ASSERT_EQ(a.Count(), b.Count());
  for (int32_t k = 1; k <= a.Count(); ++k) {
    const Experiment& x = a.At(k);
    const Experiment& y = b.At(k);
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.counter, y.counter);
    EXPECT_EQ(x.dataType, y.dataType);
    EXPECT_EQ(x.unitsOfG, y.unitsOfG);
    EXPECT_EQ(x.timeStep, y.timeStep);
    EXPECT_EQ(x.weight, y.weight);
    EXPECT_EQ(x.mass, y.mass);
    EXPECT_EQ(x.initialU, y.initialU);
    EXPECT_EQ(x.initialUDot, y.initialUDot);
    EXPECT_EQ(x.initialZ, y.initialZ);
    EXPECT_EQ(x.force, y.force);
    EXPECT_EQ(x.displacement, y.displacement);
    EXPECT_EQ(x.acceleration, y.acceleration);
  }
}

void ExpectSameAsFromDisk(const ScratchFolder& folder, const std::string& bytes) {
  const fs::path path = folder.Write("input.quarvel", bytes);
  ExperimentSet fromDisk;
  ExperimentSet fromMemory;
  fromMemory.Append(Experiment{});  // replaced on success and on failure alike
  const LoadResult disk = LoadExperimentFile(path.string(), fromDisk);
  const LoadResult memory = LoadExperimentText(bytes, fromMemory, path.string());
  EXPECT_EQ(memory.ok, disk.ok);
  EXPECT_EQ(memory.lineNumber, disk.lineNumber);
  EXPECT_EQ(memory.reason, disk.reason);
  EXPECT_EQ(memory.Describe(), disk.Describe());
  ExpectSameRecords(fromMemory, fromDisk);
}

TEST(LoadExperimentText, SameOutcomeAsTheFileLoader) {
  const std::string pulse = PulseFile();
  // Past the file loader's 64 KiB read chunk, with the CR LF of the name split across two.
  std::string longName = "1\r\n" + std::string(65536 - 3 - 1, 'x') + "\r\n";
  longName += PulseFile("\r\n").substr(std::string("1\r\nPulse\r\n").size());
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"pulse, LF", pulse},
      {"pulse, CR LF", PulseFile("\r\n")},
      {"pulse, CR only", PulseFile("\r")},
      {"no final line end", pulse.substr(0, pulse.size() - 1)},
      {"CR LF split across the read chunks", longName},
      {"empty", ""},
      {"first line 0", "0\n" + pulse.substr(2)},
      {"ends before a sample", pulse.substr(0, pulse.size() - 2)},
      {"overflowing sample", pulse.substr(0, pulse.size() - 2) + "1e400\n"},
      {"NUL bytes", "1\nP\0lse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n1\n5\0\n"s},
  };
  ScratchFolder folder;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ExpectSameAsFromDisk(folder, row.bytes);
  }
}

TEST(LoadExperimentText, EveryFuzzSeedLoadsAsFromDisk) {
  ScratchFolder folder;
  int seeds = 0;
  for (const auto& item :
       fs::directory_iterator(fs::path(QUARVEL_SOURCE_DIR) / "fuzz/corpus/experiment_file")) {
    SCOPED_TRACE(item.path().string());
    ExpectSameAsFromDisk(folder, ReadWholeFile(item.path()));
    ++seeds;
  }
  EXPECT_GT(seeds, 20);
}

TEST(LoadExperimentText, NamesTheTextInItsFailures) {
  ExperimentSet set;
  const LoadResult unnamed = LoadExperimentText("", set);
  EXPECT_EQ(unnamed.Describe(), "(text): line 1: the file is empty");
  const LoadResult named = LoadExperimentText("0\n", set, "clipboard");
  EXPECT_EQ(named.Describe(), "clipboard: line 1: the number of experiments must be at least 1");
}

}  // namespace
}  // namespace quarvel::reliability
