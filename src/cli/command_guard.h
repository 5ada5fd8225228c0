#pragma once
// The last line of quarvel-cli: an exception that escapes a command (std::bad_alloc on a record
// too big for the memory, above all) ends it with a message that says what was running, and
// exit status 1, instead of ending the program without a word.

#include <exception>
#include <new>
#include <ostream>
#include <string>

namespace quarvel::cli {

// Runs `command`, which returns an exit status. An exception that escapes it is named on `err`
// with `doing` ("running quarvel-cli solve --load big.AT2"), and gives exit status 1.
template <typename Command>
int RunGuarded(const std::string& doing, Command&& command, std::ostream& err) {
  const auto report = [&](const char* what) {
    err << "quarvel-cli stopped by an unexpected error while " << doing << ": " << what
        << "\nFiles it was writing may be incomplete.\n";
    return 1;  // a failure
  };
  try {
    return command();
  } catch (const std::bad_alloc&) {
    return report("out of memory (std::bad_alloc)");
  } catch (const std::exception& e) {
    return report(e.what());
  } catch (...) {
    return report("an exception of unknown type");
  }
}

}  // namespace quarvel::cli
