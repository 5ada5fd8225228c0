#pragma once
// Writing files: bytes as they are, or text lines ended by CR LF. The first failure is kept
// with the file name and the system's reason, so that nothing is reported as saved when it
// was not; what was written before it stays in the file.

#include <cstdio>
#include <string>
#include <string_view>

#include "io/file_result.h"

namespace quarvel {

class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Creates or truncates the file. False (with Result() saying why) when it cannot be created.
  bool Open(const std::string& path);
  // Appends the bytes. After a failure further writes are ignored.
  void Write(std::string_view bytes);
  // Appends the text and CR LF.
  void WriteLine(std::string_view line);
  // Hands what was written so far to the system, so that it is in the file even if the process
  // is then killed outright.
  void Flush();
  // Flushes and closes; the first failure of any write or of the close. Safe to call twice.
  FileResult Close();

  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return !result_.ok; }
  // Done so far, or the first failure.
  const FileResult& Result() const { return result_; }

 private:
  void RecordFailure(int errorNumber);

  std::FILE* file_ = nullptr;
  FileResult result_;
};

// The writer of text files line by line.
using TextFileWriter = FileWriter;

// Writes `bytes` to `path` (created or overwritten) in one go.
FileResult WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace quarvel
