#pragma once
// A fresh folder per test, removed with everything in it, and whole-file reading.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace quarvel::test {

namespace fs = std::filesystem;

inline std::string ReadWholeFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline std::string Quote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A fresh folder for one test (unique per process), removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    static std::atomic<int> counter{0};
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr ? test->name() : "none";
    for (char& c : name) c = c == '/' ? '_' : c;
    path_ = fs::temp_directory_path() / ("quarvel-test-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter++) + "-" + name);
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    // A folder made read-only by a test must be writable again before it can be emptied.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }
  fs::path Write(std::string_view name, std::string_view bytes) const {
    fs::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_ / name;
  }
  std::string Read(std::string_view name) const { return ReadWholeFile(path_ / name); }

 private:
  fs::path path_;
};

}  // namespace quarvel::test
