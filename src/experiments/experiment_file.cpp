#include "experiments/experiment_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "io/file_writer.h"
#include "text/number_text.h"

namespace quarvel {

namespace {

// Storage reserved ahead of the lines actually read: the declared counts may be anything.
constexpr int32_t kMaxReservedSamples = 1 << 16;
constexpr int32_t kMaxReservedExperiments = 64;

// Longest line accepted. Lines are held whole while they are read, so without a limit a file
// without line ends (or a device such as /dev/zero) would take memory without bound.
constexpr std::size_t kMaxLineBytes = std::size_t{16} << 20;

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

// Splits bytes into lines ended by LF, CR or CR LF. A last line without terminator is a line;
// a terminator at the very end opens no further line. The bytes come from a file, read in
// chunks, or from text already in memory; both go through the same splitting.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file), storage_(kChunkBytes) {}
  explicit LineReader(std::string_view text) : data_(text.data()), end_(text.size()) {}

  // Reads the next line without its terminator; false at the end of the bytes.
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
        if (data_[pos_] == '\n') {
          ++pos_;
          continue;
        }
      }
      const char* begin = data_ + pos_;
      const char* end = data_ + end_;
      const char* stop = std::find_if(begin, end, [](char c) { return c == '\n' || c == '\r'; });
      if (line.size() + static_cast<std::size_t>(stop - begin) > kMaxLineBytes) {
        throw LoadFailure{lineNumber_ + 1, "the line is longer than " +
                                               std::to_string(kMaxLineBytes >> 20) + " MiB"};
      }
      line.append(begin, stop);
      if (stop != end) {
        skipLineFeed_ = *stop == '\r';
        pos_ = static_cast<std::size_t>(stop - data_) + 1;
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
  static constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

  // The next chunk of a file; false at its end and always for text in memory.
  bool Fill() {
    if (file_ == nullptr) return false;
    errno = 0;
    const std::size_t n = std::fread(storage_.data(), 1, storage_.size(), file_);
    if (n == 0) {
      if (std::ferror(file_)) throw LoadFailure{lineNumber_ + 1, "read error: " + ErrnoText(errno)};
      return false;
    }
    data_ = storage_.data();
    pos_ = 0;
    end_ = n;
    return true;
  }

  std::FILE* file_ = nullptr;
  std::vector<char> storage_;   // chunk buffer of a file
  const char* data_ = nullptr;  // the bytes being split: the chunk, or the text in memory
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool skipLineFeed_ = false;  // the previous line ended with CR: a following LF belongs to it
  int64_t lineNumber_ = 0;
};

// Names an item in failure messages ("sample 3 of experiment 1"). Only built into text when
// a failure needs it: a file holds millions of samples and nearly all of them read fine.
struct ItemName {
  ItemKind kind;
  const char* item;         // "the weight", "sample", ...
  int32_t experiment = 0;   // 1-based; 0 for the count line
  int32_t sample = 0;       // 1-based for sample lines, else 0

  std::string Text() const {
    std::string text = item;
    if (sample > 0) text += " " + std::to_string(sample);
    if (experiment > 0) text += " of experiment " + std::to_string(experiment);
    return text;
  }
};

// Reads the items of an experiment file, naming the item and experiment in its failures.
class ItemReader {
 public:
  ItemReader(LineReader& lines, const ItemObserver& observer)
      : lines_(lines), observer_(observer) {}

  // The next line, as it is; `what` names the item for the failure at the end of the file.
  const std::string& Line(const ItemName& what) {
    Read(what);
    Show(what, nullptr);
    return line_;
  }

  // Shows the lines after the last block to the observer; a fault there ends the walk quietly.
  void ShowIgnoredLines() {
    if (!observer_) return;
    try {
      while (lines_.Next(line_)) {
        observer_(ItemLine{lines_.LineNumber(), ItemKind::Ignored, "", 0, 0, line_});
      }
    } catch (const LoadFailure&) {
    } catch (const std::bad_alloc&) {
    }
  }

  // The leading number of the next line (0 when it has none).
  double Number(const ItemName& what) {
    Read(what);
    const ParsedNumber parsed = ParseLeadingNumber(line_);
    Show(what, &parsed);
    if (parsed.overflow) throw LoadFailure{lines_.LineNumber(), what.Text() + " is out of range"};
    return parsed.value;
  }

  // The next line's number rounded half-even to a count of at least 1.
  int32_t Count(const ItemName& what) {
    const double value = Number(what);
    int32_t count = 0;
    if (!ToInt32(value, count)) {
      throw LoadFailure{lines_.LineNumber(), what.Text() + " does not fit a 32-bit integer"};
    }
    if (count < 1) throw LoadFailure{lines_.LineNumber(), what.Text() + " must be at least 1"};
    return count;
  }

 private:
  void Read(const ItemName& what) {
    if (!lines_.Next(line_)) {
      const int64_t missing = lines_.LineNumber() + 1;
      throw LoadFailure{missing, missing == 1 ? std::string("the file is empty")
                                              : "the file ends before " + what.Text()};
    }
  }

  void Show(const ItemName& what, const ParsedNumber* number) {
    if (observer_) {
      observer_(ItemLine{lines_.LineNumber(), what.kind, what.item, what.experiment, what.sample,
                         line_, number});
    }
  }

  LineReader& lines_;
  const ItemObserver& observer_;
  std::string line_;
};

Experiment ReadExperiment(ItemReader& items, int32_t k) {
  using enum ItemKind;
  Experiment experiment;
  experiment.name = items.Line({Name, "the name", k});
  experiment.weight = items.Number({Number, "the weight", k});
  experiment.mass = items.Number({Number, "the mass", k});
  experiment.initialU = items.Number({Number, "the initial U", k});
  experiment.initialUDot = items.Number({Number, "the initial U_dot", k});
  experiment.initialZ = items.Number({Number, "the initial Z", k});
  experiment.dataType = ParseDataTypeKeyword(items.Line({DataType, "the data type", k}));
  experiment.unitsOfG = ParseUnitsKeyword(items.Line({Units, "the units", k}));
  experiment.timeStep = items.Number({TimeStep, "the time step", k});
  const int32_t n = items.Count({SampleCount, "the number of samples", k});
  experiment.counter = n;

  std::vector<double>& samples = SamplesOf(experiment);
  samples.reserve(static_cast<std::size_t>(std::min(n, kMaxReservedSamples)) + 1);
  samples.push_back(0.0);  // index 0 is unused
  for (int32_t i = 1; i <= n; ++i) samples.push_back(items.Number({Sample, "sample", k, i}));
  return experiment;
}

std::vector<Experiment> ReadExperiments(LineReader& lines, const ItemObserver& observer) {
  ItemReader items(lines, observer);
  const int32_t count = items.Count({ItemKind::ExperimentCount, "the number of experiments"});
  std::vector<Experiment> experiments;
  experiments.reserve(static_cast<std::size_t>(std::min(count, kMaxReservedExperiments)));
  for (int32_t k = 1; k <= count; ++k) experiments.push_back(ReadExperiment(items, k));
  items.ShowIgnoredLines();
  return experiments;
}

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string KeywordOf(std::string_view line) {
  std::string keyword(TrimSpaces(line));
  for (char& c : keyword) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return keyword;
}


ExperimentDataType ParseDataTypeKeyword(std::string_view line) {
  const std::string keyword = KeywordOf(line);
  if (keyword == "FORCE") return ExperimentDataType::Force;
  if (keyword == "DISPLACEMENT") return ExperimentDataType::Displacement;
  return ExperimentDataType::Acceleration;
}

int32_t ParseUnitsKeyword(std::string_view line) {
  return KeywordOf(line) == "UNITS OF G" ? 1 : 0;
}

namespace {

// Reads every experiment from `lines` into `set`; on failure empties `set` and fills `result`.
void ReadInto(LineReader& lines, ExperimentSet& set, LoadResult& result,
              const ItemObserver& observer) {
  try {
    set.Assign(ReadExperiments(lines, observer));
  } catch (const LoadFailure& failure) {
    set.Clear();
    result.ok = false;
    result.lineNumber = failure.lineNumber;
    result.reason = failure.reason;
  } catch (const std::bad_alloc&) {
    set.Clear();
    result.ok = false;
    result.lineNumber = 0;
    result.reason = "not enough memory";
  }
}

}  // namespace

LoadResult LoadExperimentFile(const std::string& fileName, ExperimentSet& set,
                              const ItemObserver& observer) {
  LoadResult result;
  result.fileName = fileName;
  auto fail = [&](std::string reason) {
    set.Clear();
    result.ok = false;
    result.reason = std::move(reason);
    return result;
  };

  if (fileName.empty()) return fail("no file name given");
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored)) return fail(ErrnoText(EISDIR));

  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
  if (!file) return fail(ErrnoText(errno));

  LineReader lines(file.get());
  ReadInto(lines, set, result, observer);
  return result;
}

LoadResult LoadExperimentText(std::string_view text, ExperimentSet& set, std::string_view name,
                              const ItemObserver& observer) {
  LoadResult result;
  result.fileName = name;
  LineReader lines(text);
  ReadInto(lines, set, result, observer);
  return result;
}

namespace {

// Why `e` cannot be written so that it reads back the same; empty when it can.
std::string UnwritableReason(const Experiment& e, int32_t k) {
  const std::string which = "experiment " + std::to_string(k);
  if (e.name.find_first_of("\r\n") != std::string::npos) {
    return "the name of " + which + " holds a line end";
  }
  for (const double v : {e.weight, e.mass, e.initialU, e.initialUDot, e.initialZ, e.timeStep}) {
    if (!std::isfinite(v)) return which + " holds a number that is not finite";
  }
  const std::vector<double>& samples = SamplesOf(e);
  if (e.counter < 1 || samples.size() != static_cast<std::size_t>(e.counter) + 1) {
    return which + " holds no samples";
  }
  for (const double v : samples) {
    if (!std::isfinite(v)) return which + " holds a sample that is not finite";
  }
  return {};
}

}  // namespace

FileResult WriteExperimentFile(const std::string& path, const ExperimentSet& set) {
  if (set.Count() < 1) return FileResult::Failure(path, "there is no experiment to write");
  for (int32_t k = 1; k <= set.Count(); ++k) {
    if (std::string reason = UnwritableReason(set.At(k), k); !reason.empty()) {
      return FileResult::Failure(path, std::move(reason));
    }
  }
  TextFileWriter writer;
  if (!writer.Open(path)) return writer.Result();
  writer.WriteLine(std::to_string(set.Count()));
  for (const Experiment& e : set.Records()) {
    writer.WriteLine(e.name);
    for (const double v : {e.weight, e.mass, e.initialU, e.initialUDot, e.initialZ}) {
      writer.WriteLine(FormatShortest(v));
    }
    writer.WriteLine(DataTypeKeyword(e.dataType));
    writer.WriteLine(e.unitsOfG == 1 ? "Units of g" : "none");
    writer.WriteLine(FormatShortest(e.timeStep));
    writer.WriteLine(std::to_string(e.counter));
    const std::vector<double>& samples = SamplesOf(e);
    for (std::size_t i = 1; i < samples.size(); ++i) writer.WriteLine(FormatShortest(samples[i]));
  }
  return writer.Close();
}

}  // namespace quarvel
