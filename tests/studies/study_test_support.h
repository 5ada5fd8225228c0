#pragma once
// Helpers of the study tests: a user interface that records what a study asks of it, a scratch
// folder, small experiments and their files, and a reader of CR LF files.

#include <gtest/gtest.h>
#include <unistd.h>

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
#include "solve/stop_token.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/parametric_loop.h"

namespace quarvel::testing {

// Escape is emulated by asking `stop` to end the study on the `abortOnPump`-th ProcessEvents
// call (1-based; 0 never). Each graph update (once per solve) notes the three texts a study
// rewrites, as "mass Fy Uy".
class RecordingUserInterface : public UserInterface {
 public:
  explicit RecordingUserInterface(Workbench& bench) : bench_(bench) {}
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  void ProcessEvents() override {
    if (++pumps == abortOnPump) stop.RequestStudyStop();
  }
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {
    const MainWindowInputs& in = bench_.inputs;
    inputsAtSolve.push_back(in.txtMass + " " + in.txtFy + " " + in.txtUy);
  }
  int solves() const { return static_cast<int>(inputsAtSolve.size()); }

  std::vector<std::pair<std::string, MessageIcon>> messages;
  int pumps = 0;
  int abortOnPump = 0;
  StopToken stop;
  std::vector<std::string> inputsAtSolve;

 private:
  Workbench& bench_;
};

// The study into `folder`/`name` (the default file when empty).
inline StudyRequest Request(const std::string& folder, const std::string& name = "",
                            double threshold = 0.0, Envelopes* envelopes = nullptr,
                            StudyProgressObserver progress = {}) {
  StudyRequest request;
  request.folder = folder;
  request.outputName = name;
  request.threshold = threshold;
  request.envelopes = envelopes;
  request.progress = std::move(progress);
  return request;
}

// A fresh folder named after the process, the test and `suffix`, removed afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& suffix = "") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "quarvel-studies-" + std::to_string(::getpid()) + "-" +
                       info->test_suite_name() + "-" + info->name() + suffix;
    for (char& c : name) c = c == '/' ? '_' : c;
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

// `set` with its first experiment selected, solved by Euler (fast).
inline Workbench EulerBench(ExperimentSet set) {
  Workbench bench;
  bench.experiments = std::move(set);
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  return bench;
}

// A short force pulse: 4 samples at 0.02 s, weight 1.
inline Workbench PulseBench(double amplitude = 5.0, double mass = 2.86) {
  Experiment e;
  e.name = "Pulse";
  e.weight = 1.0;
  e.mass = mass;
  e.timeStep = 0.02;
  e.counter = 4;
  e.dataType = ExperimentDataType::Force;
  e.force = {0.0, 0.0, amplitude, 0.0, -amplitude};
  ExperimentSet set;
  set.Append(e);
  return EulerBench(std::move(set));
}

// Two cycles of a sinusoidal force (period 1 s, 101 samples at 0.02 s, mass 2.86): enough for
// the two models' peaks to differ.
inline Workbench SineBench(double amplitude = 20.0) {
  ExperimentSet set;
  AddSineForceExperiment("Sine", 1.0, 2.86, 0.0, 0.0, 0.0, 0.02, 1.0, amplitude, 2.0, set);
  return EulerBench(std::move(set));
}

// An experiment file holding SineBench(amplitude)'s record (samples written to 17 digits).
inline void WriteSineFile(const std::filesystem::path& path, double amplitude) {
  const Workbench source = SineBench(amplitude);
  const Experiment& e = source.experiments.At(1);
  std::ofstream out(path, std::ios::binary);
  out << "1\r\n" << e.name << "\r\n1\r\n2.86\r\n0\r\n0\r\n0\r\nForce\r\nnone\r\n0.02\r\n"
      << e.counter << "\r\n";
  char buffer[64];
  for (int32_t i = 1; i <= e.counter; ++i) {
    std::snprintf(buffer, sizeof buffer, "%.17g", e.force[static_cast<std::size_t>(i)]);
    out << buffer << "\r\n";
  }
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a file; a line not ending in CR LF, or a bare LF, fails the test.
inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  const std::string text = ReadFile(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << path << ": bare LF";
  }
  EXPECT_EQ(start, text.size()) << path << ": last line does not end in CR LF";
  return lines;
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  return fields;
}

}  // namespace quarvel::testing
