// The top-level catch of quarvel-cli: what escapes a command is named with what was running,
// and the status is a failure.

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

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

}  // namespace
}  // namespace quarvel::cli
