#include "experiments/experiment_file.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "io/file_reader.h"
#include "io/file_writer.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace quarvel {

namespace {

// Storage reserved ahead of the lines actually read: the declared counts may be anything.
constexpr int32_t kMaxReservedSamples = 1 << 16;
constexpr int32_t kMaxReservedExperiments = 64;

// Longest line accepted. A line is held whole while it is read, so without a limit a file
// without line ends (or a device such as /dev/zero) would take memory without bound.
constexpr std::size_t kMaxLineBytes = std::size_t{16} << 20;

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
  ItemReader(TextLines& lines, const ItemObserver& observer)
      : lines_(lines), observer_(observer) {}

  // The next line, as it is; `what` names the item for the failure at the end of the file.
  std::string_view Line(const ItemName& what) {
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
    } catch (const LineFault&) {
    } catch (const std::bad_alloc&) {
    }
  }

  // The leading number of the next line (0 when it has none).
  double Number(const ItemName& what) {
    Read(what);
    const ParsedNumber parsed = ParseLeadingNumber(line_);
    Show(what, &parsed);
    if (parsed.overflow) throw LineFault{lines_.LineNumber(), what.Text() + " is out of range"};
    return parsed.value;
  }

  // The next line's number rounded half-even to a count of at least 1.
  int32_t Count(const ItemName& what) {
    const double value = Number(what);
    int32_t count = 0;
    if (!ToInt32(value, count)) {
      throw LineFault{lines_.LineNumber(), what.Text() + " does not fit a 32-bit integer"};
    }
    if (count < 1) throw LineFault{lines_.LineNumber(), what.Text() + " must be at least 1"};
    return count;
  }

 private:
  void Read(const ItemName& what) {
    if (!lines_.Next(line_)) {
      const int64_t missing = lines_.LineNumber() + 1;
      throw LineFault{missing, missing == 1 ? std::string("the file is empty")
                                              : "the file ends before " + what.Text()};
    }
  }

  void Show(const ItemName& what, const ParsedNumber* number) {
    if (observer_) {
      observer_(ItemLine{lines_.LineNumber(), what.kind, what.item, what.experiment, what.sample,
                         line_, number});
    }
  }

  TextLines& lines_;
  const ItemObserver& observer_;
  std::string_view line_;
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

std::vector<Experiment> ReadExperiments(TextLines& lines, const ItemObserver& observer) {
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
void ReadInto(TextLines& lines, ExperimentSet& set, LoadResult& result,
              const ItemObserver& observer) {
  try {
    set.Assign(ReadExperiments(lines, observer));
    return;
  } catch (const LineFault& fault) {
    result = FileResult::Failure(result.fileName, fault.reason, fault.lineNumber);
  } catch (const std::bad_alloc&) {
    result = FileResult::Failure(result.fileName, "not enough memory");
  }
  set.Clear();
}

}  // namespace

LoadResult LoadExperimentFile(const std::string& fileName, ExperimentSet& set,
                              const ItemObserver& observer) {
  InputFile file;
  LoadResult result = OpenForReading(fileName, file);
  if (!result) {
    set.Clear();
    return result;
  }
  FileChunks chunks(file.get());
  TextLines lines(chunks, kMaxLineBytes);
  ReadInto(lines, set, result, observer);
  return result;
}

LoadResult LoadExperimentText(std::string_view text, ExperimentSet& set, std::string_view name,
                              const ItemObserver& observer) {
  LoadResult result;
  result.fileName = name;
  TextLines lines(text, kMaxLineBytes);
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
  FileWriter writer;
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
