#pragma once
// Helpers of the study tests: a user interface that records what a study asks of it, small
// experiments, and a reader of CR LF files.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "experiments/generated_experiments.h"
#include "reliability/reliability_support.h"
#include "solve/stop_token.h"
#include "studies/advanced_loop.h"
#include "studies/study_shards.h"

namespace quarvel::testing {

namespace fs = std::filesystem;
using reliability::ScratchFolder;
using reliability::SineFile;

// Escape is emulated by asking `stop` to end the study on the `abortOnPump`-th ProcessEvents
// call (1-based; 0 never). Each graph update (once per solve) notes the three texts a study
// rewrites, as "mass Fy Uy".
class RecordingUserInterface : public SilentUserInterface {
 public:
  explicit RecordingUserInterface(Workbench& bench) : bench_(bench) {}
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  void ProcessEvents() override { if (++pumps == abortOnPump) stop.RequestStudyStop(); }
  void UpdateGraph(int32_t, bool) override {
    inputsAtSolve.push_back(bench_.inputs.txtMass + " " + bench_.inputs.txtFy + " " +
                            bench_.inputs.txtUy);
  }
  int solves() const { return static_cast<int>(inputsAtSolve.size()); }

  std::vector<std::pair<std::string, MessageIcon>> messages;
  int pumps = 0, abortOnPump = 0;
  StopToken stop;
  std::vector<std::string> inputsAtSolve;

 private:
  Workbench& bench_;
};

// `set` with its first experiment selected, solved by Euler (fast), the range from-to-step.
inline Workbench EulerBench(ExperimentSet set, const char* from = "0.1", const char* to = "10",
                            const char* step = "0.01") {
  Workbench bench;
  bench.experiments = std::move(set);
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.txtFrom = from;
  bench.inputs.txtTo = to;
  bench.inputs.txtStep = step;
  return bench;
}

// A sinusoidal force, weight 1, 0.02 s steps: by default two cycles of period 1 s at mass
// 2.86 (101 samples), enough for the two models' peaks to differ.
inline void AddSine(ExperimentSet& set, double amplitude, const char* name = "Sine",
                    double cycles = 2.0, double period = 1.0, double mass = 2.86) {
  AddSineForceExperiment(name, 1.0, mass, 0.0, 0.0, 0.0, 0.02, period, amplitude, cycles, set);
}

// A short force pulse, one cycle of 5 samples, solved by Euler.
inline Workbench PulseBench(double amplitude = 5.0, double mass = 2.86) {
  ExperimentSet set;
  AddSine(set, amplitude, "Pulse", 1.0, 0.08, mass);
  return EulerBench(std::move(set));
}

// The lines of a CR LF file.
inline std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::istringstream in(reliability::ReadWholeFile(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));
  return lines;
}

// Field `column` of a TAB-separated line.
inline std::string Field(const std::string& line, int column) {
  std::stringstream stream(line);
  std::string field;
  for (int k = 0; k <= column; ++k) std::getline(stream, field, '\t');
  return field;
}

}  // namespace quarvel::testing
