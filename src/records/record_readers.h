#pragma once
// Inside the record readers: the pieces every format shares (fields, whole numbers)
// and one reader per format, each turning the text of a file into values and a time axis.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_file.h"
#include "text/text_lines.h"

namespace quarvel::detail {

// A reader's refusal: the 1-based line (0 for the file as a whole) and the reason. Thrown by
// the readers and caught once where the file is read.
struct RecordFailure {
  int64_t lineNumber = 0;
  std::string reason;
  RecordOption contradicted = RecordOption::None;  // an option says otherwise than the file
};

// Whether `line` is empty or holds only blanks and tabs.
bool IsBlankLine(std::string_view line);

// The pieces of `line` between runs of blanks and tabs.
void SplitAtBlanks(std::string_view line, std::vector<std::string_view>& pieces);

// `token` read whole as a finite number; otherwise a RecordFailure at `lineNumber` that quotes
// it and says what it stands for (`what`, e.g. "the time").
double WholeNumber(std::string_view token, int64_t lineNumber, std::string_view what);

// `text` quoted for a message: at most `shownBytes` bytes, control bytes shown as '?'.
std::string Quoted(std::string_view text, std::size_t shownBytes = 40);

// ASCII upper case.
std::string UpperCase(std::string_view text);

// What a reader found in a file: the values (index 0 unused and 0, values 1..n), the step
// between them and the time of the first, the column read (CSV), and a name and a header
// line that the file gives.
struct RecordValues {
  std::vector<double> values{0.0};
  double timeStep = 0.0;
  double startTime = 0.0;
  std::string column;
  std::string name;
  RecordHeader header;

  int64_t Count() const { return static_cast<int64_t>(values.size()) - 1; }
};

// Storage reserved ahead of values actually read: a declared count may be anything.
inline constexpr std::size_t kMaxReservedValues = std::size_t{1} << 20;

// Most values one record may hold (an experiment counts its samples in 32 bits).
inline constexpr int64_t kMaxRecordValues = 2'000'000'000;

// Checks a time axis for uniform steps: the step is the difference of the first two times,
// and every later step must equal it to 1e-6 relative; `lines` holds the line of each time.
// Fills timeStep and startTime; a RecordFailure names the first line out of step.
void TakeTimeAxis(const std::vector<double>& times, const std::vector<int64_t>& lines,
                  RecordValues& out);

// The step option of a record whose file gives no times; a RecordFailure when it is missing or
// not above 0.
double GivenTimeStep(const RecordOptions& options);

// The PEER NGA format: line 1 "PEER NGA STRONG MOTION DATABASE RECORD", line 2 the event and
// station, line 3 the quantity and units (the header), line 4 the count and step in one of
// two forms, "NPTS=  1560, DT=   .0200 SEC" or "  1560    0.0200    NPTS, DT"; then the values,
// several per line, exactly as many as declared. The name is line 2.
RecordValues ReadAt2(std::string_view text);

// Count and step of an AT2 fourth line; false when the line has neither form.
bool ParseAt2CountLine(std::string_view line, double& count, double& step);

// Plain text: lines of one value, or of a time and a value, separated by blanks or tabs; blank
// lines and lines beginning with '#' are skipped. One column takes the step from `timeStep`.
RecordValues ReadColumns(std::string_view text, const RecordOptions& options);

// CSV with a header row: fields separated by the first of ',', ';' or TAB met in the header,
// optionally in double quotes ("" for a quote inside). The time is the first column named t or
// time (alone or followed by something other than a letter: t_s, "time (s)"); the values come
// from options.column (a header name, any case, or a 1-based number), else from the first
// column that is not the time. Without a time column the step comes from `timeStep`.
RecordValues ReadCsv(std::string_view text, const RecordOptions& options);

// The first of ',', ';' and TAB outside double quotes in a header line; '\0' when none.
char CsvSeparator(std::string_view header);

// The index of the time column among header names (the first named t or time, alone or
// followed by something other than a letter); names.size() when there is none.
std::size_t TimeColumnOf(const std::vector<std::string>& names);

// The header row of a CSV record: the first non-blank line, its fields trimmed. A
// RecordFailure when there is none, a quote is not closed, or it holds only numbers.
struct CsvHeader {
  std::vector<std::string> names;
  char separator = ',';
  int64_t lineNumber = 0;
};
CsvHeader ReadCsvHeader(TextLines& lines);

// The fields of one CSV line; false when a quote is not closed on the line.
bool SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& fields);

}  // namespace quarvel::detail
