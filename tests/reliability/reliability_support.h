#pragma once
// Shared helpers of the reliability tests: scratch folders, memory readings, records, and a
// runner for quarvel-cli that records its status, output and peak memory.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "solve/workbench.h"

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

// True under valgrind, whose allocator makes resident-memory figures meaningless.
bool UnderValgrind();

// A fresh folder for one test (unique per process), removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }
  fs::path Write(std::string_view name, std::string_view bytes) const;

 private:
  fs::path path_;
};

// Resident memory of this process from /proc/self/status (KiB). ResetPeak sets the kernel's
// high-water mark to the current size; false where the kernel does not allow it.
int64_t CurrentKiB();
int64_t PeakKiB();
bool ResetPeak();

// The force pulse file: 1 / Pulse / 1 / 2.86 / 0 / 0 / 0 / Force / none / 0.02 / 3 / 0 / 5 / 0,
// with line `index` (0 = the count line) replaced by `line` if given.
std::string PulseFile(std::string_view eol = "\n", int index = -1, std::string_view line = {});

// A sine force, a displacement cycling between +-2.3 Uy every 40 samples and a decaying ground
// acceleration in g, of `samples` samples each (weight 1, mass 2.86); Euler with one sub-step.
Workbench EulerBench(int32_t samples);

struct CliRun {
  int status = -1;  // exit status; -1 when killed (a crash or the time limit)
  std::string out;
  std::string err;
  int64_t maxRssKiB = 0;  // peak resident memory of the program, 0 when not measured
};

// Runs quarvel-cli with `arguments` (already quoted for the shell) in `folder`, stdin from
// /dev/null, killed after `timeoutSeconds`; `prefix` goes before the program.
CliRun RunCli(const fs::path& folder, const std::string& arguments, int timeoutSeconds = 60,
              const std::string& prefix = "");

std::string Quote(std::string_view text);
bool RunningAsRoot();
// The command prefix that runs a program as nobody (setpriv), or empty when not possible.
std::string UnprivilegedPrefix();
std::string ReadWholeFile(const fs::path& path);

}  // namespace quarvel::reliability
