#include "experiments/experiment_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "../../fuzz/fuzz_check.h"

namespace quarvel {
namespace {

using Lines = std::vector<std::string>;

// The force pulse file, one item per line: count, name, weight, mass, u, u', z, type, units,
// time step, counter, samples; with line `index` (0-based) replaced when one is given.
Lines Pulse(std::size_t index = 99, const std::string& line = "") {
  Lines lines{"1",     "Pulse", "1",    "2.86", "0", "0", "0",
              "Force", "none",  "0.02", "3",    "0", "5", "0"};
  if (index < lines.size()) lines[index] = line;
  return lines;
}
std::string Join(const Lines& lines, const std::string& eol = "\n") {
  std::string text;
  for (const auto& line : lines) text += line + eol;
  return text;
}

// One file per process: CTest runs the cases of this file in parallel processes.
const std::string kInput = ::testing::TempDir() + "quarvel_input_" + std::to_string(::getpid());

// The set after loading `bytes` over a set that holds a record: "<name>|<type> <unitsOfG>|<the
// samples of the type's array>" per record, joined by "; ", or "line <k>: <reason>" when the
// load failed (then any record left in the set shows after it). Loading the same bytes from
// memory gives the same.
std::string Loaded(const std::string& bytes) {
  std::ofstream(kInput, std::ios::binary | std::ios::trunc) << bytes;
  std::string texts[2];
  for (int fromMemory = 0; fromMemory < 2; ++fromMemory) {
    ExperimentSet set;
    set.Append(Experiment{});
    const LoadResult result = fromMemory ? LoadExperimentText(bytes, set, kInput)
                                         : LoadExperimentFile(kInput, set);
    std::string& text = texts[fromMemory];
    if (!result) {
      text = result.Describe().substr(kInput.size() + 2);
    }
    for (const Experiment& e : set.Records()) {
      text += (text.empty() ? "" : "; ") + e.name + "|" +
              std::to_string(static_cast<int>(e.dataType)) + " " + std::to_string(e.unitsOfG) + "|";
      const std::vector<double>& samples = SamplesOf(e);
      for (std::size_t i = 1; i < samples.size(); ++i) {
        text += (i > 1 ? "," : "") + FormatDefault(samples[i]);
      }
    }
  }
  EXPECT_EQ(texts[1], texts[0]) << "from memory";
  return texts[0];
}

TEST(LoadExperimentFile, EdgeCases) {
  Lines two = Pulse(0, "2");  // a second experiment "Second" after the first
  for (std::size_t k = 1; k < 14; ++k) two.push_back(Pulse(1, "Second")[k]);
  Lines cut = Pulse();
  cut.pop_back();
  Lines longCounter = Pulse(10, "3.5");
  longCounter.push_back("7");
  std::string mixed;
  for (std::size_t i = 0; i < 14; ++i) {
    mixed += Pulse()[i] + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
  }
  const std::string crlf = Join(Pulse(), "\r\n");
  // The reader takes 64 KiB at a time: this name puts its CR last in the first chunk and its
  // LF first in the next. A lost pairing would insert an empty line and shift every item.
  const std::string chunkName(65536 - 3 - 1, 'x');
  const std::string typedName("  Pu\tl\0se 1,5  ", 15);
  const std::pair<std::string, std::string> rows[] = {
      // Keywords: not trimmed of tabs; further words make another keyword. (Blanks and case:
      // the record check test, whose keywords are read alike.)
      {Join(Pulse(7, "Force extra words")), "Pulse|0 0|0,5,0"},
      {Join(Pulse(7, "\tForce")), "Pulse|0 0|0,5,0"},
      {Join(Pulse(8, "units of g too")), "Pulse|1 0|0,5,0"},
      // The counter rounds half to even.
      {Join(Pulse(10, "2.5")), "Pulse|1 0|0,5"},
      {Join(longCounter), "Pulse|1 0|0,5,0,7"},
      {Join(Pulse(10, "3 samples")), "Pulse|1 0|0,5,0"},
      // Line ends; lines after the last block are ignored; a name line is kept as it is.
      {mixed, "Pulse|1 0|0,5,0"},
      {crlf.substr(0, crlf.size() - 2), "Pulse|1 0|0,5,0"},
      {crlf + "junk\n1e999\n\x01\x02", "Pulse|1 0|0,5,0"},
      {Join(Pulse(1, chunkName), "\r\n"), chunkName + "|1 0|0,5,0"},
      {Join(Pulse(1, typedName)), typedName + "|1 0|0,5,0"},
      {Join(Pulse(1, std::string(1 << 20, 'N'))), std::string(1 << 20, 'N') + "|1 0|0,5,0"},
      {Join(two), "Pulse|1 0|0,5,0; Second|1 0|0,5,0"},
      // Failures name the line; the set is emptied. Declared counts are not trusted for
      // memory: the last fails at the end of the file (a count of 2e9 samples: the hostile
      // files test).
      {"", "line 1: the file is empty"},
      {Join(Pulse(0, "0.5")), "line 1: the number of experiments must be at least 1"},
      {Join(Pulse(0, "3e9")), "line 1: the number of experiments does not fit a 32-bit integer"},
      {Join(Pulse(10, "0")), "line 11: the number of samples of experiment 1 must be at least 1"},
      {Join(Pulse(12, "-1D400")), "line 13: sample 2 of experiment 1 is out of range"},
      {Join(cut), "line 14: the file ends before sample 3 of experiment 1"},
      {Join(Pulse(0, "2000000000")), "line 15: the file ends before the name of experiment 2"},
  };
  ASSERT_EQ(rows[9].first[65535], '\r');
  for (const auto& [bytes, expected] : rows) {
    SCOPED_TRACE(expected.substr(0, 60));
    EXPECT_EQ(Loaded(bytes), expected);
  }
  ExperimentSet set;
  set.Append(Experiment{});
  EXPECT_EQ(LoadExperimentFile("", set).Describe(), ": no file name given");
  EXPECT_EQ(set.Count(), 0);
}

// A written set loads back to the same records bit for bit, numbers that text forms get wrong
// included; what the loader could not read back is refused before the file is made.
TEST(WriteExperimentFile, LoadsBackBitForBitAndRefusesWhatCannot) {
  const Experiment force{"  Pulse, \"quoted\"  ", 0.1 + 0.2, 5e-324, -0.0, 1e300, -1.0 / 3.0,
                         0.02, 3, {0.0, -0.0, 2.2250738585072014e-308, 1.7976931348623157e308},
                         {}, {}, ExperimentDataType::Force};
  const Experiment ground{"El Centro 1940 NS", 1, 1, 0, 0, 0, 0.005, 2, {}, {},
                          {0.0, 0.0063, -1e-9}, ExperimentDataType::Acceleration, 1};
  const Experiment drive{"El Centro 1940 NS", 1, 1, 0, 0, 0, 0.005, 2, {}, {0.0, 0.0063, -1e-9}, {},
                         ExperimentDataType::Displacement};
  ExperimentSet set;
  set.Assign({force, ground, drive});

  ASSERT_TRUE(WriteExperimentFile(kInput, set));
  ExperimentSet loaded;
  const LoadResult load = LoadExperimentFile(kInput, loaded);
  ASSERT_TRUE(load) << load.Describe();
  ASSERT_EQ(loaded.Count(), 3);
  for (int32_t k = 1; k <= 3; ++k) EXPECT_TRUE(fuzz::SameRecord(set.At(k), loaded.At(k))) << k;
  EXPECT_THROW(loaded.At(0), std::out_of_range);  // the set is 1-based and holds 3
  EXPECT_THROW(loaded.At(4), std::out_of_range);

  std::filesystem::remove(kInput);
  const std::pair<const char*, std::function<void(Experiment&)>> refusals[] = {
      {"holds a line end", [](Experiment& e) { e.name = "two\nlines"; }},
      {"sample that is not finite", [](Experiment& e) { e.force[2] = std::nan(""); }},
      {"number that is not finite", [](Experiment& e) { e.mass = HUGE_VAL; }},
  };
  for (const auto& [reason, spoil] : refusals) {
    Experiment bad = force;
    spoil(bad);
    set.Assign({ground, bad});
    const FileResult result = WriteExperimentFile(kInput, set);
    EXPECT_NE(result.reason.find(reason), std::string::npos) << result.reason;
    EXPECT_NE(result.reason.find("experiment 2"), std::string::npos) << result.reason;
    EXPECT_FALSE(std::filesystem::exists(kInput));
  }
  EXPECT_FALSE(WriteExperimentFile(kInput, ExperimentSet{}));
}

}  // namespace
}  // namespace quarvel
