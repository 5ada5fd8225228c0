// The one writer of files and its result: bytes kept as given, lines ended by CR LF, the first
// failure named with the file and the system's reason.

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

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileWriterTest : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }
  void TearDown() override { fs::remove_all(folder_); }

  const fs::path folder_ = fs::temp_directory_path() /
                           ("quarvel-io-" + std::to_string(::getpid()) + "-" +
                            testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(FileWriterTest, BytesStayAsGivenAndLinesEndInCrLf) {
  const std::string bytes("\x89PNG\r\n\0\n", 8);
  const std::string path = (folder_ / "bytes").string();
  EXPECT_EQ(WriteFileBytes(path, bytes).Describe(), "");
  EXPECT_EQ(ReadAll(path), bytes);

  FileWriter lines;
  ASSERT_TRUE(lines.Open((folder_ / "lines").string()));
  lines.WriteLine("a\tb");
  lines.WriteLine("");
  EXPECT_TRUE(lines.Close().ok);
  EXPECT_EQ(ReadAll(folder_ / "lines"), "a\tb\r\n\r\n");
}

// Where the system refuses the file, at the open or only at the last flush.
TEST_F(FileWriterTest, FailuresNameTheFileAndTheSystemsReason) {
  const struct {
    const char* name;
    std::string path;
    const char* reason;
  } rows[] = {
      {"missing folder", (folder_ / "none" / "f").string(), "No such file or directory"},
      {"path is a folder", folder_.string(), "Is a directory"},
      {"full disk", "/dev/full", "No space left on device"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.path == "/dev/full" && !fs::exists(row.path)) continue;
    const FileResult written = WriteFileBytes(row.path, "some bytes");
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.Describe(), row.path + ": " + row.reason);
  }
}

TEST(FileResultTest, DescribeNamesTheFileAndTheLineWhereThereAreOnes) {
  const struct {
    FileResult result;
    const char* text;
  } rows[] = {
      {FileResult{}, ""},
      {FileResult::Failure("a.quarvel", "bad count", 3), "a.quarvel: line 3: bad count"},
      {FileResult::Failure("a.quarvel", "Permission denied"), "a.quarvel: Permission denied"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.result.Describe(), row.text);
}

}  // namespace
}  // namespace quarvel
