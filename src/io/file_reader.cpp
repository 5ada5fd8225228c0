#include "io/file_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace quarvel {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string ErrnoText(int error) { return std::strerror(error != 0 ? error : EIO); }

std::string TooLarge(std::uintmax_t limit, std::string_view what) {
  return "larger than " + std::to_string(limit >> 20) + " MiB, too large for " +
         std::string(what);
}

// The bytes of `path` up to `limit`; a longer file is cut there, and `cut` says so.
FileResult ReadUpTo(const std::string& path, std::string& text, std::uintmax_t limit,
                    bool& cut) {
  text.clear();
  cut = false;
  if (path.empty()) return FileResult::Failure(path, "no file name given");
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return FileResult::Failure(path, "not a file");
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return FileResult::Failure(path, ErrnoText(errno));
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  try {
    // A regular file's size is known ahead; pipes and devices grow the text as they are read.
    if (!error) text.reserve(static_cast<std::size_t>(std::min(size, limit)));
    std::array<char, 1 << 16> chunk{};
    for (;;) {
      errno = 0;
      const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
      if (n == 0) {
        if (std::ferror(file.get())) return FileResult::Failure(path, ErrnoText(errno));
        break;
      }
      if (text.size() + n > limit) {
        text.append(chunk.data(), static_cast<std::size_t>(limit - text.size()));
        cut = true;
        break;
      }
      text.append(chunk.data(), n);
    }
  } catch (const std::bad_alloc&) {
    text.clear();
    return FileResult::Failure(path, "not enough memory");
  }
  return FileResult{true, path, 0, {}};
}

}  // namespace

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
