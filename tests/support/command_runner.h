#pragma once
// Runs shell commands and quarvel-cli in a folder, recording status, output and peak memory.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "support/scratch_folder.h"

namespace quarvel::test {

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
  std::string line = "cd " + Quote(folder.string()) +
                     " && unset DISPLAY && "
                     "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=99\" "
                     "UBSAN_OPTIONS=\"${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=99\" ";
  // Peak memory: GNU time is a test requirement (scripts/setup installs it).
  EXPECT_EQ(::access("/usr/bin/time", X_OK), 0) << "/usr/bin/time is missing";
  line += "/usr/bin/time -f %M -o " + Quote(rss) + " ";
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

// quarvel-cli with `arguments` (already quoted for the shell). QUARVEL_CLI is the built
// program's path, given to every test target that runs it.
inline const std::string kCli = Quote(QUARVEL_CLI) + " ";
inline CliRun RunCli(const fs::path& folder, const std::string& arguments,
                     int timeoutSeconds = 60) {
  return RunShell(folder, kCli + arguments, timeoutSeconds);
}

}  // namespace quarvel::test
