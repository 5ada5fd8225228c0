#include "io/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

namespace quarvel {
namespace {

std::string TooLarge(std::uintmax_t limit, std::string_view what) {
  return "larger than " + std::to_string(limit >> 20) + " MiB, too large for " +
         std::string(what);
}

// The bytes of `path` up to `limit`; a longer file is cut there, and `cut` says so.
FileResult ReadUpTo(const std::string& path, std::string& text, std::uintmax_t limit,
                    bool& cut) {
  text.clear();
  cut = false;
  InputFile file;
  if (FileResult opened = OpenForReading(path, file); !opened) return opened;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  try {
    // A regular file's size is known ahead; pipes and devices grow the text as they are read.
    if (!error) text.reserve(static_cast<std::size_t>(std::min(size, limit)));
    FileChunks chunks(file.get());
    std::string_view chunk;
    std::string fault;
    while (chunks.Next(chunk, fault)) {
      if (text.size() + chunk.size() > limit) {
        text.append(chunk.substr(0, static_cast<std::size_t>(limit - text.size())));
        cut = true;
        break;
      }
      text.append(chunk);
    }
    if (!fault.empty()) return FileResult::Failure(path, fault);
  } catch (const std::bad_alloc&) {
    text.clear();
    return FileResult::Failure(path, "not enough memory");
  }
  return FileResult{true, path, 0, {}, 0};
}

}  // namespace

std::string SystemReason(int error) { return std::strerror(error != 0 ? error : EIO); }

FileResult OpenForReading(const std::string& path, InputFile& file) {
  const auto refused = [&path](int error, std::string reason) {
    FileResult result = FileResult::Failure(path, std::move(reason));
    result.systemError = error;
    return result;
  };
  if (path.empty()) return refused(ENOENT, "no file name given");
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return refused(EISDIR, SystemReason(EISDIR));
  errno = 0;
  file.reset(std::fopen(path.c_str(), "rb"));
  const int error = errno != 0 ? errno : EIO;
  if (!file) return refused(error, SystemReason(error));
  return FileResult{true, path, 0, {}, 0};
}

bool FileChunks::Next(std::string_view& chunk, std::string& fault) {
  errno = 0;
  const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (n == 0) {
    if (std::ferror(file_)) fault = "read error: " + SystemReason(errno);
    return false;
  }
  chunk = std::string_view(buffer_.data(), n);
  return true;
}

FileResult ReadWholeFile(const std::string& path, std::string& text, std::uintmax_t limit,
                         std::string_view what) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > limit) return FileResult::Failure(path, TooLarge(limit, what));
  bool cut = false;
  FileResult read = ReadUpTo(path, text, limit, cut);
  if (read && cut) {
    text.clear();
    return FileResult::Failure(path, TooLarge(limit, what));
  }
  return read;
}

FileResult ReadFileHead(const std::string& path, std::string& head, std::size_t bytes) {
  bool cut = false;
  return ReadUpTo(path, head, bytes, cut);
}

}  // namespace quarvel
