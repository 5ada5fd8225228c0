// End-to-end tests of `quarvel-cli plot`: run it in a temporary folder and check the PNG it
// writes, its messages and its exit status. Skipped while the program has no plot subcommand.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct PlotRun {
  int status = -1;
  std::string err;
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// "WIDTHxHEIGHT" from the signature and image header that a PNG file starts with; empty when
// the bytes are no PNG.
std::string PngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return "";
  }
  auto word = [&bytes](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return std::to_string(value);
  };
  return word(16) + "x" + word(20);
}

class PlotTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("quarvel-plot-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    if (!HasPlotSubcommand()) GTEST_SKIP() << "quarvel-cli has no plot subcommand";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs quarvel-cli with `arguments` (already quoted for the shell) inside the folder, without
  // a display.
  PlotRun Run(const std::string& arguments) {
    const fs::path err = folder_ / "stderr.txt";
    const std::string command = "cd '" + folder_.string() + "' && env -u DISPLAY '" QUARVEL_CLI
                                "' " + arguments + " > /dev/null 2> '" + err.string() +
                                "' < /dev/null";
    const int raw = std::system(command.c_str());
    PlotRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadBytes(err);
    return run;
  }

  // The program's help lists its subcommands, one an indented line.
  bool HasPlotSubcommand() {
    const fs::path help = folder_ / "help.txt";
    const std::string command = "'" QUARVEL_CLI "' --help > '" + help.string() + "' 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    return ReadBytes(help).find("\n  plot ") != std::string::npos;
  }

  fs::path folder_;
};

TEST_F(PlotTest, WritesAPngOfTheRequestedSize) {
  const std::pair<const char*, const char*> rows[] = {
      {"plot --create --x U --y F -o f.png", "800x600"},
      {"plot --create --experiment 4 --size 640x480 -o f.png", "640x480"},
      {"plot --create --x Eh --y U_DOT_DOT --size 400x4000 -o f.png", "400x4000"},
  };
  for (const auto& [arguments, size] : rows) {
    fs::remove(folder_ / "f.png");
    const PlotRun run = Run(arguments);
    ASSERT_EQ(run.status, 0) << arguments << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PngSize(ReadBytes(folder_ / "f.png")), size) << arguments;
  }
}

TEST_F(PlotTest, LastPlaybackFrameAddsTheReversalMarks) {
  ASSERT_EQ(Run("plot --rule last-max --x U --y F -o whole.png").status, 0);
  ASSERT_EQ(Run("plot --rule last-max --x U --y F --frame 501 -o last.png").status, 0);
  EXPECT_NE(ReadBytes(folder_ / "whole.png"), ReadBytes(folder_ / "last.png"));
}

TEST_F(PlotTest, BadRequestsAreRefusedWithoutAPicture) {
  struct Row {
    const char* name;
    const char* arguments;
    int status;
    const char* message;
  };
  const Row rows[] = {
      {"unknown quantity", "plot --x Q -o f.png", 2, "--x"},
      {"size without height", "plot --size 800 -o f.png", 2, "--size"},
      {"width too small", "plot --size 399x600 -o f.png", 2, "--size"},
      {"height too small", "plot --size 800x299 -o f.png", 2, "--size"},
      {"size too large", "plot --size 800x4001 -o f.png", 2, "--size"},
      {"frame beyond the record", "plot --frame 502 -o f.png", 2, "--frame 502"},
      {"experiment beyond the set", "plot --experiment 7 -o f.png", 2, "--experiment 7"},
      {"no output", "plot --create", 2, "--output"},
      {"folder missing", "plot -o missing/f.png", 1, "missing/f.png"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const PlotRun run = Run(row.arguments);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "f.png"));
  }
}

}  // namespace
