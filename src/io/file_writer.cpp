#include "io/file_writer.h"

#include <cerrno>
#include <cstring>

namespace quarvel {

FileWriter::~FileWriter() { Close(); }

bool FileWriter::Open(const std::string& path) {
  Close();
  result_ = FileResult{};
  result_.fileName = path;
  errno = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    RecordFailure(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

void FileWriter::Write(std::string_view bytes) {
  if (file_ == nullptr || Failed()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    RecordFailure(errno != 0 ? errno : EIO);
  }
}

void FileWriter::WriteLine(std::string_view line) {
  Write(line);
  Write("\r\n");
}

void FileWriter::Flush() {
  if (file_ == nullptr || Failed()) return;
  errno = 0;
  if (std::fflush(file_) != 0) RecordFailure(errno != 0 ? errno : EIO);
}

FileResult FileWriter::Close() {
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
  return result_;
}

void FileWriter::RecordFailure(int errorNumber) {
  if (result_.ok) result_ = FileResult::Failure(result_.fileName, std::strerror(errorNumber));
}

FileResult WriteFileBytes(const std::string& path, std::string_view bytes) {
  FileWriter file;
  if (file.Open(path)) file.Write(bytes);
  return file.Close();
}

}  // namespace quarvel
