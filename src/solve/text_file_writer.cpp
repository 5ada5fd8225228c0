#include "solve/text_file_writer.h"

#include <cerrno>
#include <cstring>

namespace quarvel {

TextFileWriter::~TextFileWriter() { Close(); }

bool TextFileWriter::Open(const std::string& path) {
  Close();
  path_ = path;
  error_.clear();
  errno = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    RecordFailure(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

void TextFileWriter::WriteLine(std::string_view line) {
  if (file_ == nullptr || Failed()) return;
  errno = 0;
  const bool ok = std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
                  std::fwrite("\r\n", 1, 2, file_) == 2;
  if (!ok) RecordFailure(errno != 0 ? errno : EIO);
}

bool TextFileWriter::Close() {
  if (file_ != nullptr) {
    errno = 0;
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    errno = 0;
    const bool closed = std::fclose(file_) == 0;
    const int closeError = errno;
    file_ = nullptr;
    if (!flushed) {
      RecordFailure(flushError != 0 ? flushError : EIO);
    } else if (!closed) {
      RecordFailure(closeError != 0 ? closeError : EIO);
    }
  }
  return !Failed();
}

void TextFileWriter::RecordFailure(int errorNumber) {
  if (error_.empty()) error_ = path_ + ": " + std::strerror(errorNumber);
}

}  // namespace quarvel
