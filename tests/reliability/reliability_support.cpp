#include "reliability_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#ifndef QUARVEL_CLI
#define QUARVEL_CLI "quarvel-cli-was-not-built"
#endif

namespace quarvel::reliability {
namespace {

int64_t StatusField(std::string_view field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + field.size());
  }
  return -1;
}

// VARIABLE='<current value>:option', so that a sanitizer report exits with its own status.
std::string WithOption(const char* variable, const std::string& option) {
  const char* current = std::getenv(variable);
  return std::string(variable) + "=" +
         Quote(current != nullptr && *current != '\0' ? std::string(current) + ":" + option
                                                      : option);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test != nullptr ? test->name() : "none";
  for (char& c : name) c = c == '/' ? '_' : c;
  path_ = fs::temp_directory_path() / ("quarvel-reliability-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(counter++) + "-" + name);
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // A folder made read-only by a test must be writable again before it can be emptied.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

fs::path ScratchFolder::Write(std::string_view name, std::string_view bytes) const {
  const fs::path path = path_ / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

int64_t CurrentKiB() { return StatusField("VmRSS:"); }
int64_t PeakKiB() { return StatusField("VmHWM:"); }

bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5" << std::flush;
  // After a reset the peak is the current size, give or take a page being touched.
  return clear && PeakKiB() <= CurrentKiB() + 1024;
}

std::string PulseFile(std::string_view eol, int index, std::string_view line) {
  const char* lines[] = {"1",     "Pulse", "1",    "2.86", "0", "0", "0",
                         "Force", "none",  "0.02", "3",    "0", "5", "0"};
  std::string text;
  for (int i = 0; i < 14; ++i) text.append(i == index ? line : lines[i]).append(eol);
  return text;
}

Workbench EulerBench(int32_t samples) {
  const char* names[] = {"Force", "Ramp", "Quake"};
  const ExperimentDataType types[] = {ExperimentDataType::Force, ExperimentDataType::Displacement,
                                      ExperimentDataType::Acceleration};
  std::vector<Experiment> records(3);
  for (int k = 0; k < 3; ++k) {
    Experiment& e = records[k];
    e.name = names[k];
    e.weight = 1;
    e.mass = 2.86;
    e.dataType = types[k];
    e.unitsOfG = k == 2;
    e.timeStep = k == 1 ? 0.05 : 0.02;
    e.counter = samples;
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

std::string Quote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CliRun RunCli(const fs::path& folder, const std::string& arguments, int timeoutSeconds,
              const std::string& prefix) {
  static std::atomic<int> counter{0};
  const fs::path base = fs::temp_directory_path() / ("quarvel-cli-" + std::to_string(::getpid()) +
                                                     "-" + std::to_string(counter++));
  const fs::path out = base.string() + ".out", err = base.string() + ".err",
                 rss = base.string() + ".rss";
  const bool haveTime = ::access("/usr/bin/time", X_OK) == 0;

  // A sanitizer report exits with 99, so that it can never pass for an expected status 1.
  std::string command = "cd " + Quote(folder.string()) + " && " +
                        WithOption("ASAN_OPTIONS", "exitcode=99") + " " +
                        WithOption("UBSAN_OPTIONS", "exitcode=99") + " ";
  if (haveTime) command += "/usr/bin/time -f %M -o " + Quote(rss.string()) + " ";
  command += "timeout -k 5 " + std::to_string(timeoutSeconds) + " " + prefix + " " +
             Quote(QUARVEL_CLI) + " " + arguments + " > " + Quote(out.string()) + " 2> " +
             Quote(err.string()) + " < /dev/null";

  const int raw = std::system(command.c_str());
  const int code = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  CliRun run;
  run.status = code > 128 || code == 124 ? -1 : code;
  run.out = ReadWholeFile(out);
  run.err = ReadWholeFile(err);
  if (code == 124 || code == 137) run.err += "\n(killed at the time limit)";
  // /usr/bin/time writes "Command exited with non-zero status N" before the figure.
  std::istringstream lines(ReadWholeFile(rss));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
      run.maxRssKiB = std::atoll(line.c_str());
    }
  }
  std::error_code ignored;
  for (const fs::path& file : {out, err, rss}) fs::remove(file, ignored);
  return run;
}

bool UnderValgrind() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "vgpreload") != nullptr;
}

bool RunningAsRoot() { return ::geteuid() == 0; }

std::string UnprivilegedPrefix() {
  if (::access("/usr/bin/setpriv", X_OK) != 0) return {};
  return "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups";
}

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace quarvel::reliability
