#pragma once
// The one result of work on a file: done, or the file, the line where there is one, and the
// reason, ready to be shown as one line.

#include <cstdint>
#include <string>

namespace quarvel {

struct FileResult {
  bool ok = true;
  std::string fileName;    // the file concerned; empty when the work had none (a generator)
  int64_t lineNumber = 0;  // 1-based line the failure concerns; 0 for the file as a whole
  std::string reason;      // what was wrong, e.g. "No space left on device"
  int systemError = 0;     // the system's error number when the file could not be opened

  // A failure of `fileName` (at `lineNumber`, 0 for none) for `reason`.
  static FileResult Failure(std::string fileName, std::string reason, int64_t lineNumber = 0);

  explicit operator bool() const { return ok; }
  // "<file>: line <k>: <reason>", or "<file>: <reason>" without a line; empty on success. A
  // result without a file is shown by its reason.
  std::string Describe() const;
};

}  // namespace quarvel
