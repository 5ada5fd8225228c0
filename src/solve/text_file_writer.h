#pragma once
// Writes a text file line by line with CR LF line ends, and keeps the first failure with the
// file name and the reason, so that nothing is reported as saved when it was not.

#include <cstdio>
#include <string>
#include <string_view>

namespace quarvel {

class TextFileWriter {
 public:
  TextFileWriter() = default;
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Creates or truncates the file. False (with Error() set) when it cannot be created.
  bool Open(const std::string& path);
  // Appends the text and CR LF. After a failure further lines are ignored.
  void WriteLine(std::string_view line);
  // Flushes and closes; false when any write or the close failed. Safe to call twice.
  bool Close();

  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return !error_.empty(); }
  // "<path>: <reason>" for the first failure, empty while all went well.
  const std::string& Error() const { return error_; }

 private:
  void RecordFailure(int errorNumber);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string error_;
};

}  // namespace quarvel
