// The one writer of files and its result: bytes kept as given, lines ended by CR LF, the first
// failure named with the file and the system's reason, at the open or only at the last flush.

#include "io/file_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quarvel {
namespace {

namespace fs = std::filesystem;

TEST(FileWriterTest, WritesBytesAndCrLfLinesOrNamesTheFault) {
  const fs::path folder = fs::temp_directory_path() / ("quarvel-io-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string bytes("\x89PNG\r\n\0\n", 8);
  EXPECT_EQ(WriteFileBytes((folder / "bytes").string(), bytes).Describe(), "");
  FileWriter lines;
  ASSERT_TRUE(lines.Open((folder / "lines").string()));
  lines.WriteLine("a\tb");
  lines.WriteLine("");
  EXPECT_TRUE(lines.Close().ok);
  for (const auto& [name, text] : {std::pair{"bytes", bytes}, {"lines", "a\tb\r\n\r\n"}}) {
    std::ifstream in(folder / name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text) << name;
  }
  for (const auto& [path, reason] :
       {std::pair<std::string, const char*>{(folder / "none" / "f").string(),
                                            "No such file or directory"},
        {folder.string(), "Is a directory"},
        {"/dev/full", "No space left on device"}}) {
    const FileResult written = WriteFileBytes(path, "some bytes");
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.Describe(), path + ": " + reason);
  }
  fs::remove_all(folder);
  EXPECT_EQ(FileResult::Failure("a.quarvel", "bad count", 3).Describe(),
            "a.quarvel: line 3: bad count");
}

}  // namespace
}  // namespace quarvel
