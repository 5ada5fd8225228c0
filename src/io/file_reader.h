#pragma once
// Reading files: whole into memory for the readers that parse text, or in chunks for the line
// splitter. One way to open (a failure names the file and the system's reason), one size limit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"
#include "text/text_lines.h"

namespace quarvel {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// The system's reason for error number `error` ("No such file or directory"); a failure that
// set none reads as an input/output error.
std::string SystemReason(int error);

// Opens `path` for reading bytes into `file`: done, or a failure of the file with the system's
// reason ("Is a directory" for a folder, which would otherwise open and read as nothing).
FileResult OpenForReading(const std::string& path, InputFile& file);

// The bytes of an open file in chunks of 64 KiB, for TextLines; a read fault is
// "read error: <the system's reason>".
class FileChunks : public ChunkSource {
 public:
  explicit FileChunks(std::FILE* file) : file_(file), buffer_(std::size_t{1} << 16) {}
  bool Next(std::string_view& chunk, std::string& fault) override;

 private:
  std::FILE* file_;
  std::vector<char> buffer_;
};

// The bytes of `path` in `text`: done, or a failure of the file when it cannot be opened or
// read, or holds more than `limit` bytes ("larger than N MiB, too large for `what`"). Pipes and
// devices are read up to the limit.
FileResult ReadWholeFile(const std::string& path, std::string& text, std::uintmax_t limit,
                         std::string_view what);

// The first `bytes` bytes of `path` (all of a shorter file), for recognising its format.
FileResult ReadFileHead(const std::string& path, std::string& head,
                        std::size_t bytes = std::size_t{1} << 16);

}  // namespace quarvel
