// The top-level catch of quarvel-cli: what escapes a command is named with what was running,
// and the status is a failure; a command that returns keeps its own status.

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
  struct Row {
    const char* name;
    std::function<int()> command;
    int status;
    const char* message;  // empty: nothing on stderr
  };
  const Row rows[] = {
      {"returns", [] { return 130; }, 130, ""},
      {"out_of_memory", []() -> int { throw std::bad_alloc(); }, 1,
       "quarvel-cli stopped by an unexpected error while running quarvel-cli solve --dc1: out "
       "of memory (std::bad_alloc)\nFiles it was writing may be incomplete.\n"},
      {"standard_exception", []() -> int { throw std::length_error("vector too long"); }, 1,
       "while running quarvel-cli solve --dc1: vector too long\n"},
      {"anything_else", []() -> int { throw 42; }, 1, ": an exception of unknown type\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::ostringstream err;
    EXPECT_EQ(RunGuarded("running quarvel-cli solve --dc1", row.command, err), row.status);
    if (*row.message == '\0') {
      EXPECT_EQ(err.str(), "");
    } else {
      EXPECT_NE(err.str().find(row.message), std::string::npos) << err.str();
    }
  }
}

}  // namespace
}  // namespace quarvel::cli
