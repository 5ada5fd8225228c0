#pragma once
// Shared by the reliability and command-line tests: records and benches to run, with the
// scratch folder and the command runner of tests/support.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "solve/workbench.h"
#include "support/scratch_folder.h"

namespace quarvel::reliability {

namespace fs = std::filesystem;
using test::Quote;
using test::ReadWholeFile;
using test::ScratchFolder;

// AddressSanitizer's shadow memory and slowness make memory and time bounds meaningless there.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUARVEL_TEST_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(QUARVEL_TEST_UNDER_ASAN)
inline constexpr bool kUnderSanitizer = true;
#else
inline constexpr bool kUnderSanitizer = false;
#endif

// A record file of one sinusoidal force: amplitude x sin(2 pi 0.02 i / period), i = 0..samples-1.
inline std::string SineFile(double amplitude, double period, int samples) {
  std::string text = "1\nSine\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n" + std::to_string(samples) +
                     "\n";
  char sample[40];
  for (int i = 0; i < samples; ++i) {
    std::snprintf(sample, sizeof sample, "%.17g\n",
                  amplitude * std::sin(2 * 3.14159265358979 / period * 0.02 * i));
    text += sample;
  }
  return text;
}

// A sine force, a displacement cycling between +-2.3 Uy every 40 samples and a decaying ground
// acceleration in g, of `samples` samples each (weight 1, mass 2.86); Euler with one sub-step.
inline Workbench EulerBench(int32_t samples) {
  std::vector<Experiment> records(3);
  const char* names[] = {"Force", "Ramp", "Quake"};
  const ExperimentDataType types[] = {ExperimentDataType::Force, ExperimentDataType::Displacement,
                                      ExperimentDataType::Acceleration};
  for (int k = 0; k < 3; ++k) {
    Experiment& e = records[k];
    e = Experiment{names[k], 1, 2.86, 0, 0, 0, k == 1 ? 0.05 : 0.02, samples, {}, {}, {}, types[k],
                   k == 2};
    std::vector<double>& values = SamplesOf(e);
    values.assign(1, 0.0);
    for (int32_t i = 1; i <= samples; ++i) {
      // The displacement is slow enough for the explicit evaluation (U_dot dt / Uy below 0.36).
      values.push_back(k == 0   ? 5.0 * std::sin(0.3 * i)
                       : k == 1 ? 0.25 * std::sin(2.0 * 3.14159265358979 * i / 40.0)
                                : 0.3 * std::sin(0.7 * i) * std::exp(-0.01 * i));
    }
  }
  Workbench bench;
  bench.experiments.Assign(std::move(records));
  bench.SelectFirst(1, 4);
  bench.inputs.optSolutionRKStepDoubling = false;
  bench.inputs.optSolutionEuler = true;
  bench.inputs.txtSolutionEulerSteps = "1";
  return bench;
}

}  // namespace quarvel::reliability
