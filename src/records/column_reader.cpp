// Plain text records: one column of values, or two of time and value.

#include <cmath>
#include <string>
#include <vector>

#include "records/record_readers.h"
#include "text/number_text.h"

namespace quarvel::detail {
namespace {

bool IsCommentLine(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '#';
}

}  // namespace

// The step a record without times is read with.
double GivenTimeStep(const RecordOptions& options) {
  if (!options.timeStep) {
    throw RecordFailure{0, "the file gives no times: a time step is needed"};
  }
  if (!(*options.timeStep > 0.0) || !std::isfinite(*options.timeStep)) {
    throw RecordFailure{0, "the time step must be above 0, not " +
                               FormatDefault(*options.timeStep)};
  }
  return *options.timeStep;
}

RecordValues ReadColumns(std::string_view text, const RecordOptions& options) {
  TextLines lines(text);
  std::string_view line;
  std::vector<std::string_view> pieces;
  std::size_t columns = 0;
  int64_t firstLine = 0;
  std::vector<double> times;
  std::vector<int64_t> timeLines;
  RecordValues out;

  while (lines.Next(line)) {
    if (IsBlankLine(line) || IsCommentLine(line)) continue;
    const int64_t number = lines.LineNumber();
    SplitAtBlanks(line, pieces);
    if (columns == 0) {
      if (pieces.size() > 2) {
        throw RecordFailure{number, std::to_string(pieces.size()) +
                                        " columns: a plain text record holds one column "
                                        "(values) or two (time, value)"};
      }
      columns = pieces.size();
      firstLine = number;
    } else if (pieces.size() != columns) {
      throw RecordFailure{number, std::to_string(pieces.size()) + " columns here, " +
                                      std::to_string(columns) + " on line " +
                                      std::to_string(firstLine)};
    }
    if (out.Count() == kMaxRecordValues) throw RecordFailure{number, "too many values"};
    if (columns == 2) {
      times.push_back(WholeNumber(pieces[0], number, "the time"));
      timeLines.push_back(number);
    }
    out.values.push_back(WholeNumber(pieces.back(), number, "the value"));
  }

  if (out.Count() == 0) {
    throw RecordFailure{lines.LineNumber() == 0 ? 1 : 0,
                        lines.LineNumber() == 0 ? "the file is empty" : "the file holds no values"};
  }
  if (columns == 2) {
    TakeTimeAxis(times, timeLines, out);
  } else {
    out.timeStep = GivenTimeStep(options);
  }
  return out;
}

}  // namespace quarvel::detail
