#pragma once
// Shared by the reliability and command-line tests: scratch folders, records, and a runner for
// shell commands and quarvel-cli that records status, output and peak memory.

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

#ifndef QUARVEL_CLI
#define QUARVEL_CLI "quarvel-cli-was-not-built"
#endif

namespace quarvel::reliability {

namespace fs = std::filesystem;

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

inline std::string ReadWholeFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline std::string Quote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A fresh folder for one test (unique per process), removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    static std::atomic<int> counter{0};
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr ? test->name() : "none";
    for (char& c : name) c = c == '/' ? '_' : c;
    path_ = fs::temp_directory_path() / ("quarvel-test-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter++) + "-" + name);
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    // A folder made read-only by a test must be writable again before it can be emptied.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }
  fs::path Write(std::string_view name, std::string_view bytes) const {
    fs::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_ / name;
  }
  std::string Read(std::string_view name) const { return ReadWholeFile(path_ / name); }

 private:
  fs::path path_;
};

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

struct CliRun {
  int status = -1;  // exit status; -1 when killed (a crash or the time limit)
  std::string out;
  std::string err;
  int64_t maxRssKiB = 0;  // peak resident memory of the command, 0 when not measured
};

// Runs `command` (a shell command line) in `folder` without a display, stdin from /dev/null,
// killed after `timeoutSeconds`. A sanitizer report exits with 99, so that it can never pass
// for an expected status 1.
inline CliRun RunShell(const fs::path& folder, const std::string& command,
                       int timeoutSeconds = 60) {
  static std::atomic<int> counter{0};
  const std::string base = fs::temp_directory_path().string() + "/quarvel-run-" +
                           std::to_string(::getpid()) + "-" + std::to_string(counter++);
  const std::string out = base + ".out", err = base + ".err", rss = base + ".rss";
  std::string line = "cd " + Quote(folder.string()) + " && unset DISPLAY && "
                     "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=99\" "
                     "UBSAN_OPTIONS=\"${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=99\" ";
  if (::access("/usr/bin/time", X_OK) == 0) line += "/usr/bin/time -f %M -o " + Quote(rss) + " ";
  line += "timeout -k 5 " + std::to_string(timeoutSeconds) + " sh -c " + Quote(command) + " > " +
          Quote(out) + " 2> " + Quote(err) + " < /dev/null";
  const int raw = std::system(line.c_str());
  const int code = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  CliRun run{(code > 128 && code != 130) || code == 124 ? -1 : code, ReadWholeFile(out),
             ReadWholeFile(err)};
  if (code == 124 || code == 137) run.err += "\n(killed at the time limit)";
  // /usr/bin/time writes "Command exited with non-zero status N" before the figure.
  std::istringstream lines(ReadWholeFile(rss));
  for (std::string text; std::getline(lines, text);) {
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
      run.maxRssKiB = std::atoll(text.c_str());
    }
  }
  for (const std::string& file : {out, err, rss}) std::remove(file.c_str());
  return run;
}

// quarvel-cli with `arguments` (already quoted for the shell).
inline const std::string kCli = Quote(QUARVEL_CLI) + " ";
inline CliRun RunCli(const fs::path& folder, const std::string& arguments, int timeoutSeconds = 60) {
  return RunShell(folder, kCli + arguments, timeoutSeconds);
}

}  // namespace quarvel::reliability
