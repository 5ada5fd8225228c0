#pragma once
// Helpers of the study tests: a user interface that records what the studies ask of it, a
// scratch folder, small experiments and their files, and a reader of CR LF files.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "experiments/experiment.h"
#include "experiments/generated_experiments.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace quarvel::testing {

// Records the calls; pressing Escape is emulated by setting loopAbortRequested on the
// `abortOnPump`-th ProcessEvents call (1-based; 0 never). At every graph update (once per
// solve) it notes the three texts a study rewrites and the Fy the solve used.
class RecordingUserInterface : public UserInterface {
 public:
  explicit RecordingUserInterface(Workbench& bench) : bench_(bench) {}

  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  void ProcessEvents() override {
    ++pumps;
    if (pumps == abortOnPump) bench_.loopAbortRequested = true;
  }
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {
    massAtSolve.push_back(bench_.inputs.txtMass);
    fyAtSolve.push_back(bench_.inputs.txtFy);
    uyAtSolve.push_back(bench_.inputs.txtUy);
    fyUsedBySolve.push_back(bench_.parameters.Fy);
  }

  int solves() const { return static_cast<int>(massAtSolve.size()); }

  std::vector<std::pair<std::string, MessageIcon>> messages;
  int pumps = 0;
  int abortOnPump = 0;
  std::vector<std::string> massAtSolve, fyAtSolve, uyAtSolve;
  std::vector<double> fyUsedBySolve;

 private:
  Workbench& bench_;
};

// A fresh, empty folder under the system's temporary folder, named after the test (and
// `suffix`, for a second folder in one test), removed afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& suffix = "") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("quarvel-studies-") + info->test_suite_name() + "-" +
                       info->name() + suffix;
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string str() const { return path_.string(); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// A short force pulse: 4 samples at 0.02 s, weight 1.
inline Experiment PulseExperiment(double amplitude = 5.0, double mass = 2.86) {
  Experiment e;
  e.name = "Pulse";
  e.weight = 1.0;
  e.mass = mass;
  e.timeStep = 0.02;
  e.counter = 4;
  e.dataType = ExperimentDataType::Force;
  e.force = {0.0, 0.0, amplitude, 0.0, -amplitude};
  return e;
}

// A workbench holding one pulse, selected, solved by one Euler sub-step per sample (fast).
inline Workbench PulseBench(double amplitude = 5.0, double mass = 2.86) {
  Workbench bench;
  bench.experiments.Append(PulseExperiment(amplitude, mass));
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  return bench;
}

// A workbench holding two cycles of a sinusoidal force (period 1 s, 101 samples at 0.02 s,
// mass 2.86), solved by Euler: enough for the two models to part (their peaks differ).
inline Workbench SineBench(double amplitude = 20.0) {
  Workbench bench;
  AddSineForceExperiment("Sine", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, amplitude, 2.0,
                         bench.experiments);
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  return bench;
}

// An experiment file holding the force experiment `e` (samples written to 17 digits).
inline void WriteForceExperimentFile(const std::filesystem::path& path, const Experiment& e) {
  std::ofstream out(path, std::ios::binary);
  char buffer[64];
  out << "1\r\n" << e.name << "\r\n1\r\n2.86\r\n0\r\n0\r\n0\r\nForce\r\nnone\r\n0.02\r\n"
      << e.counter << "\r\n";
  for (int32_t i = 1; i <= e.counter; ++i) {
    std::snprintf(buffer, sizeof buffer, "%.17g", e.force[static_cast<std::size_t>(i)]);
    out << buffer << "\r\n";
  }
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a file whose every line ends in CR LF; a line without CR LF at the end of the
// file, or a bare LF, fails the test.
inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  const std::string text = ReadFile(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << path << ": last line does not end in CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << path << ": bare LF";
    start = end + 2;
  }
  return lines;
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace quarvel::testing
