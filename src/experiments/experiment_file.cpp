#include "experiments/experiment_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "text/number_text.h"

namespace quarvel {

namespace {

// Storage reserved ahead of the lines actually read: the declared counts may be anything.
constexpr int32_t kMaxReservedSamples = 1 << 16;
constexpr int32_t kMaxReservedExperiments = 64;

// A failure at a given line; caught once in LoadExperimentFile.
struct LoadFailure {
  int64_t lineNumber;
  std::string reason;
};

std::string ErrnoText(int error) {
  return error != 0 ? std::string(std::strerror(error)) : std::string("unknown error");
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Splits a byte stream into lines ended by LF, CR or CR LF. A last line without terminator
// is a line; a terminator at the very end opens no further line.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file), buffer_(1 << 16) {}

  // Reads the next line without its terminator; false at the end of the file.
  bool Next(std::string& line) {
    line.clear();
    bool started = false;
    for (;;) {
      if (pos_ == end_ && !Fill()) {
        if (started) ++lineNumber_;
        return started;
      }
      if (skipLineFeed_) {
        skipLineFeed_ = false;
        if (buffer_[pos_] == '\n') {
          ++pos_;
          continue;
        }
      }
      const char* begin = buffer_.data() + pos_;
      const char* end = buffer_.data() + end_;
      const char* stop = std::find_if(begin, end, [](char c) { return c == '\n' || c == '\r'; });
      line.append(begin, stop);
      if (stop != end) {
        skipLineFeed_ = *stop == '\r';
        pos_ = static_cast<std::size_t>(stop - buffer_.data()) + 1;
        ++lineNumber_;
        return true;
      }
      started = true;
      pos_ = end_;
    }
  }

  // Number of lines returned so far (the number of the last line read).
  int64_t LineNumber() const { return lineNumber_; }

 private:
  bool Fill() {
    errno = 0;
    const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (n == 0) {
      if (std::ferror(file_)) throw LoadFailure{lineNumber_ + 1, "read error: " + ErrnoText(errno)};
      return false;
    }
    pos_ = 0;
    end_ = n;
    return true;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool skipLineFeed_ = false;  // the previous line ended with CR: a following LF belongs to it
  int64_t lineNumber_ = 0;
};

// Reads the items of an experiment file, naming the item and experiment in its failures.
class ItemReader {
 public:
  explicit ItemReader(std::FILE* file) : lines_(file) {}

  // The next line, as it is. `what` names the item for the failure at the end of the file.
  const std::string& Line(const std::string& what) {
    if (!lines_.Next(line_)) {
      const int64_t missing = lines_.LineNumber() + 1;
      throw LoadFailure{missing, missing == 1 ? std::string("the file is empty")
                                              : "the file ends before " + what};
    }
    return line_;
  }

  // The leading number of the next line (0 when it has none).
  double Number(const std::string& what) {
    const ParsedNumber parsed = ParseLeadingNumber(Line(what));
    if (parsed.overflow) throw LoadFailure{lines_.LineNumber(), what + " is out of range"};
    return parsed.value;
  }

  // The next line's number rounded half-even to a count of at least 1.
  int32_t Count(const std::string& what) {
    const double value = Number(what);
    int32_t count = 0;
    if (!ToInt32(value, count)) {
      throw LoadFailure{lines_.LineNumber(), what + " does not fit a 32-bit integer"};
    }
    if (count < 1) throw LoadFailure{lines_.LineNumber(), what + " must be at least 1"};
    return count;
  }

 private:
  LineReader lines_;
  std::string line_;
};

Experiment ReadExperiment(ItemReader& items, int32_t k) {
  const std::string of = " of experiment " + std::to_string(k);
  Experiment experiment;
  experiment.name = items.Line("the name" + of);
  experiment.weight = items.Number("the weight" + of);
  experiment.mass = items.Number("the mass" + of);
  experiment.initialU = items.Number("the initial U" + of);
  experiment.initialUDot = items.Number("the initial U_dot" + of);
  experiment.initialZ = items.Number("the initial Z" + of);
  experiment.dataType = ParseDataTypeKeyword(items.Line("the data type" + of));
  experiment.unitsOfG = ParseUnitsKeyword(items.Line("the units" + of));
  experiment.timeStep = items.Number("the time step" + of);
  const int32_t n = items.Count("the number of samples" + of);
  experiment.counter = n;

  std::vector<double>& samples = SamplesOf(experiment);
  samples.reserve(static_cast<std::size_t>(std::min(n, kMaxReservedSamples)) + 1);
  samples.push_back(0.0);  // index 0 is unused
  for (int32_t i = 1; i <= n; ++i) {
    samples.push_back(items.Number("sample " + std::to_string(i) + of));
  }
  return experiment;
}

std::vector<Experiment> ReadExperimentFile(std::FILE* file) {
  ItemReader items(file);
  const int32_t count = items.Count("the number of experiments");
  std::vector<Experiment> experiments;
  experiments.reserve(static_cast<std::size_t>(std::min(count, kMaxReservedExperiments)));
  for (int32_t k = 1; k <= count; ++k) experiments.push_back(ReadExperiment(items, k));
  return experiments;
}

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Spaces trimmed at both ends, then ASCII upper case.
std::string Keyword(std::string_view line) {
  std::string keyword(TrimSpaces(line));
  for (char& c : keyword) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return keyword;
}

}  // namespace

std::string LoadResult::Describe() const {
  if (ok) return {};
  std::string text = fileName + ": ";
  if (lineNumber > 0) text += "line " + std::to_string(lineNumber) + ": ";
  return text + reason;
}

ExperimentDataType ParseDataTypeKeyword(std::string_view line) {
  const std::string keyword = Keyword(line);
  if (keyword == "FORCE") return ExperimentDataType::Force;
  if (keyword == "DISPLACEMENT") return ExperimentDataType::Displacement;
  return ExperimentDataType::Acceleration;
}

int32_t ParseUnitsKeyword(std::string_view line) { return Keyword(line) == "UNITS OF G" ? 1 : 0; }

LoadResult LoadExperimentFile(const std::string& fileName, ExperimentSet& set) {
  LoadResult result;
  result.fileName = fileName;
  auto fail = [&](int64_t lineNumber, std::string reason) {
    set.Clear();
    result.ok = false;
    result.lineNumber = lineNumber;
    result.reason = std::move(reason);
    return result;
  };

  if (fileName.empty()) return fail(0, "no file name given");
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored)) return fail(0, ErrnoText(EISDIR));

  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return fail(0, ErrnoText(errno));

  try {
    set.Assign(ReadExperimentFile(file.get()));
  } catch (const LoadFailure& failure) {
    return fail(failure.lineNumber, failure.reason);
  } catch (const std::bad_alloc&) {
    return fail(0, "not enough memory");
  }
  return result;
}

}  // namespace quarvel
