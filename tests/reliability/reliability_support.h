#pragma once
// Shared helpers of the reliability tests: scratch folders, peak-memory readings, hostile file
// contents and a runner for quarvel-cli that records its status, output, time and memory.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "experiments/experiment.h"

namespace quarvel::reliability {

namespace fs = std::filesystem;

// Built with AddressSanitizer: memory figures then include its shadow memory and quarantine,
// and everything runs several times slower, so bounds on memory are not checked.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderSanitizer = true;
#else
inline constexpr bool kUnderSanitizer = false;
#endif
#else
inline constexpr bool kUnderSanitizer = false;
#endif

// True when running under valgrind, whose allocator makes resident-memory figures meaningless.
bool UnderValgrind();

// A fresh folder for one test, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& Path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }
  // Writes `bytes` to the file `name` in the folder and returns its path.
  fs::path Write(std::string_view name, std::string_view bytes) const;

 private:
  fs::path path_;
};

// Peak resident memory of this process since the last reset, from /proc/self/status.
class PeakMemory {
 public:
  // Resets the kernel's high-water mark (VmHWM) to the current resident size. False where
  // the kernel does not allow it; Available() then says so.
  static bool Reset();
  static bool Available();
  static int64_t PeakKiB();     // VmHWM
  static int64_t CurrentKiB();  // VmRSS
};

// The force pulse file: 1 / Pulse / 1 / 2.86 / 0 / 0 / 0 / Force / none / 0.02 / 3 / 0 / 5 / 0.
std::string PulseFile(std::string_view eol = "\n");

// A force record of `samples` samples (weight 1, mass 2.86, time step 0.02), as a record.
Experiment ForceRecord(int32_t samples);
// A displacement cycling between +-2.3 Uy every 40 samples, as a record.
Experiment DisplacementRecord(int32_t samples);
// A ground-acceleration record in units of g of `samples` samples, as a record.
Experiment AccelerationRecord(int32_t samples);

struct CliRun {
  int status = -1;        // exit status; -1 when killed (a crash or the time limit)
  bool timedOut = false;  // killed at the time limit
  std::string out;
  std::string err;
  int64_t maxRssKiB = 0;  // peak resident memory of the program
  double seconds = 0.0;
};

// Runs quarvel-cli with `arguments` (already quoted for the shell) in `folder`, with stdin
// from /dev/null, killed after `timeoutSeconds`. `prefix` goes before the program (for
// example a command that runs it as another user).
CliRun RunCli(const fs::path& folder, const std::string& arguments, int timeoutSeconds = 60,
              const std::string& prefix = "");

// The text quoted for the shell in single quotes.
std::string Quote(std::string_view text);

// True when running as root, where file permissions do not stop reading or writing.
bool RunningAsRoot();

// The command prefix that runs a program as an unprivileged user (setpriv to nobody), or
// empty when that is not possible here.
std::string UnprivilegedPrefix();

std::string ReadWholeFile(const fs::path& path);

}  // namespace quarvel::reliability
