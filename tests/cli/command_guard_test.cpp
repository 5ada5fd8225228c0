// The top-level catch of quarvel-cli: what escapes a command is named with what was running,
// and the status is a failure; Ctrl-C: the first asks the run to end, a second ends the program.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

#include "cli/cli_user_interface.h"
#include "cli/command_guard.h"

namespace quarvel::cli {
namespace {

TEST(CommandGuard, AnEscapingExceptionIsNamedAndFails) {
  const std::pair<std::function<int()>, const char*> rows[] = {
      {[]() -> int { throw std::bad_alloc(); },
       "stopped by an unexpected error while running solve: out of memory (std::bad_alloc)\n"},
      {[]() -> int { throw std::length_error("too long"); }, "while running solve: too long\n"}};
  for (const auto& [command, message] : rows) {
    std::ostringstream err;
    EXPECT_EQ(RunGuarded("running solve", command, err), 1);
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
  }
}

// Ctrl-C `times` times, in a child process (the handler and the stop token stay behind).
void CtrlC(int times) {
  InstallInterruptHandler();
  for (int k = 0; k < times; ++k) std::raise(SIGINT);
}

TEST(InterruptDeathTest, TheFirstCtrlCAsksTheRunToEndTheSecondEndsTheProgram) {
  EXPECT_EXIT((CtrlC(1), std::_Exit(InterruptRequested() ? 0 : 1)), testing::ExitedWithCode(0), "");
  EXPECT_EXIT((CtrlC(2), std::_Exit(1)), testing::ExitedWithCode(130), "");
}

}  // namespace
}  // namespace quarvel::cli
