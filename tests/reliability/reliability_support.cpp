#include "reliability_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
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
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + field.size());
  }
  return -1;
}

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
  std::string name = test != nullptr ? std::string(test->name()) : std::string("none");
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  path_ = fs::temp_directory_path() / ("quarvel-reliability-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(counter++) + "-" + name);
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Folders made unwritable by a test must be writable again before they can be emptied.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

fs::path ScratchFolder::Write(std::string_view name, std::string_view bytes) const {
  const fs::path path = path_ / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

bool PeakMemory::Reset() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

bool PeakMemory::Available() {
  static const bool available = [] {
    if (!Reset()) return false;
    // After a reset the peak is the current size (give or take a page being touched).
    return PeakKiB() <= CurrentKiB() + 1024;
  }();
  return available;
}

int64_t PeakMemory::PeakKiB() { return StatusField("VmHWM:"); }
int64_t PeakMemory::CurrentKiB() { return StatusField("VmRSS:"); }

std::string PulseFile(std::string_view eol) {
  std::string text;
  for (const char* line :
       {"1", "Pulse", "1", "2.86", "0", "0", "0", "Force", "none", "0.02", "3", "0", "5", "0"}) {
    text += line;
    text += eol;
  }
  return text;
}

namespace {

Experiment Record(const char* name, ExperimentDataType type, int32_t samples, double timeStep,
                  double (*sample)(int32_t)) {
  Experiment e;
  e.name = name;
  e.weight = 1;
  e.mass = 2.86;
  e.timeStep = timeStep;
  e.dataType = type;
  e.unitsOfG = type == ExperimentDataType::Acceleration ? 1 : 0;
  e.counter = samples;
  std::vector<double>& values = SamplesOf(e);
  values.assign(1, 0.0);
  for (int32_t i = 1; i <= samples; ++i) values.push_back(sample(i));
  return e;
}

}  // namespace

Experiment ForceRecord(int32_t samples) {
  return Record("Force", ExperimentDataType::Force, samples, 0.02,
                [](int32_t i) { return 5.0 * std::sin(0.3 * i); });
}

Experiment DisplacementRecord(int32_t samples) {
  // Cycles of 40 samples reaching about 2.3 Uy, so that the modified pass records reversals,
  // slow enough for the explicit evaluation to stay stable with the default parameters
  // (U_dot dt / Uy stays below 0.36).
  return Record("Ramp", ExperimentDataType::Displacement, samples, 0.05,
                [](int32_t i) { return 0.25 * std::sin(2.0 * 3.14159265358979 * i / 40.0); });
}

Experiment AccelerationRecord(int32_t samples) {
  return Record("Quake", ExperimentDataType::Acceleration, samples, 0.02,
                [](int32_t i) { return 0.3 * std::sin(0.7 * i) * std::exp(-0.01 * i); });
}

std::string Quote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

CliRun RunCli(const fs::path& folder, const std::string& arguments, int timeoutSeconds,
              const std::string& prefix) {
  static std::atomic<int> counter{0};
  const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(counter++);
  const fs::path out = fs::temp_directory_path() / ("quarvel-cli-out-" + tag);
  const fs::path err = fs::temp_directory_path() / ("quarvel-cli-err-" + tag);
  const fs::path rss = fs::temp_directory_path() / ("quarvel-cli-rss-" + tag);
  const bool haveTime = ::access("/usr/bin/time", X_OK) == 0;

  // A sanitizer report exits with 99, so that it can never pass for an expected status 1.
  std::string command = "cd " + Quote(folder.string()) + " && " +
                        WithOption("ASAN_OPTIONS", "exitcode=99") + " " +
                        WithOption("UBSAN_OPTIONS", "exitcode=99") + " ";
  if (haveTime) command += "/usr/bin/time -f %M -o " + Quote(rss.string()) + " ";
  command += "timeout -k 5 " + std::to_string(timeoutSeconds) + " " + prefix + " " +
             Quote(QUARVEL_CLI) + " " + arguments + " > " + Quote(out.string()) + " 2> " +
             Quote(err.string()) + " < /dev/null";

  const auto start = std::chrono::steady_clock::now();
  const int raw = std::system(command.c_str());
  CliRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int code = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.timedOut = code == 124 || code == 137;
  run.status = run.timedOut || code > 128 ? -1 : code;
  run.out = ReadWholeFile(out);
  run.err = ReadWholeFile(err);
  if (haveTime) {
    // /usr/bin/time appends "Command exited with non-zero status N" before the figure.
    std::istringstream lines(ReadWholeFile(rss));
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
        run.maxRssKiB = std::atoll(line.c_str());
      }
    }
  }
  std::error_code ignored;
  fs::remove(out, ignored);
  fs::remove(err, ignored);
  fs::remove(rss, ignored);
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
