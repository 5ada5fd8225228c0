// Loading an experiment file from memory gives exactly what loading the same bytes from disk
// gives: the same records, or the same failure at the same line for the same reason.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "experiments/experiment_file.h"
#include "reliability_support.h"

namespace quarvel::reliability {
namespace {

auto Fields(const Experiment& e) {
  return std::tie(e.name, e.counter, e.dataType, e.unitsOfG, e.timeStep, e.weight, e.mass,
                  e.initialU, e.initialUDot, e.initialZ, e.force, e.displacement, e.acceleration);
}

void ExpectSameAsFromDisk(const ScratchFolder& folder, const std::string& bytes) {
  const fs::path path = folder.Write("input.quarvel", bytes);
  ExperimentSet fromDisk;
  ExperimentSet fromMemory;
  fromMemory.Append(Experiment{});  // replaced on success and on failure alike
  const LoadResult disk = LoadExperimentFile(path.string(), fromDisk);
  const LoadResult memory = LoadExperimentText(bytes, fromMemory, path.string());
  EXPECT_EQ(memory.ok, disk.ok);
  EXPECT_EQ(memory.Describe(), disk.Describe());
  ASSERT_EQ(fromMemory.Count(), fromDisk.Count());
  for (int32_t k = 1; k <= fromDisk.Count(); ++k) {
    EXPECT_TRUE(Fields(fromMemory.At(k)) == Fields(fromDisk.At(k))) << "experiment " << k;
  }
}

// The fuzz seeds (valid files with every kind of line end, and broken ones: empty, first line
// 0, a missing or overflowing sample, NUL bytes ...) and a name line whose CR LF is split
// across the file loader's 64 KiB read chunks.
TEST(LoadExperimentText, SameOutcomeAsTheFileLoader) {
  ScratchFolder folder;
  int seeds = 0;
  for (const auto& item :
       fs::directory_iterator(fs::path(QUARVEL_SOURCE_DIR) / "fuzz/corpus/experiment_file")) {
    SCOPED_TRACE(item.path().string());
    ExpectSameAsFromDisk(folder, ReadWholeFile(item.path()));
    ++seeds;
  }
  EXPECT_GT(seeds, 20);
  const std::string name(65536 - 3 - 1, 'x');
  ExpectSameAsFromDisk(folder, PulseFile("\r\n", 1, name));
}

TEST(LoadExperimentText, NamesTheTextInItsFailures) {
  ExperimentSet set;
  EXPECT_EQ(LoadExperimentText("", set).Describe(), "(text): line 1: the file is empty");
  EXPECT_EQ(LoadExperimentText("0\n", set, "clipboard").Describe(),
            "clipboard: line 1: the number of experiments must be at least 1");
}

}  // namespace
}  // namespace quarvel::reliability
