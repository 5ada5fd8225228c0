// CSV records with a header row.

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "records/record_readers.h"
#include "text/number_text.h"

namespace quarvel::detail {
namespace {

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// t, time, T_s, "Time (s)": the letters the name begins with spell t or time.
bool IsTimeName(std::string_view name) {
  std::size_t letters = 0;
  while (letters < name.size() && std::isalpha(static_cast<unsigned char>(name[letters]))) {
    ++letters;
  }
  const std::string word = UpperCase(name.substr(0, letters));
  return word == "T" || word == "TIME";
}

std::string ColumnList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + Quoted(name);
  return list;
}

// The column options.column names: a 1-based number or a header name (any case).
std::size_t ChosenColumn(const std::string& wanted, const std::vector<std::string>& names,
                         int64_t headerLine) {
  const std::optional<double> number = ParseWholeNumber(wanted);
  if (number && *number >= 1.0 && *number <= static_cast<double>(names.size()) &&
      *number == static_cast<double>(static_cast<std::size_t>(*number))) {
    return static_cast<std::size_t>(*number) - 1;
  }
  const std::string upper = UpperCase(Trim(wanted));
  const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
    return UpperCase(name) == upper;
  });
  if (found == names.end()) {
    throw RecordFailure{headerLine, "no column " + Quoted(wanted) + ": the columns are " +
                                        ColumnList(names)};
  }
  return static_cast<std::size_t>(found - names.begin());
}

}  // namespace

std::size_t TimeColumnOf(const std::vector<std::string>& names) {
  return static_cast<std::size_t>(
      std::find_if(names.begin(), names.end(), [](const std::string& n) { return IsTimeName(n); }) -
      names.begin());
}

char CsvSeparator(std::string_view header) {
  bool quoted = false;
  for (const char c : header) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ',' || c == ';' || c == '\t')) return c;
  }
  return '\0';
}

bool SplitCsvLine(std::string_view line, char separator, std::vector<std::string>& fields) {
  fields.clear();
  std::string field;
  std::size_t i = 0;
  for (;;) {
    field.clear();
    const std::size_t start = line.find_first_not_of(' ', i);
    if (start != std::string_view::npos && line[start] == '"') {
      // Quoted: up to the closing quote, "" standing for one quote; blanks may follow it.
      i = start + 1;
      for (;;) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field.push_back('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field.push_back(line[i++]);
      }
      while (i < line.size() && line[i] != separator) ++i;
    } else {
      const std::size_t end = std::min(line.find(separator, i), line.size());
      field.assign(line.substr(i, end - i));
      i = end;
    }
    fields.push_back(field);
    if (i >= line.size()) return true;
    ++i;  // the separator
  }
}

CsvHeader ReadCsvHeader(TextLines& lines) {
  std::string_view line;
  while (lines.Next(line) && IsBlankLine(line)) {
  }
  if (lines.LineNumber() == 0 || IsBlankLine(line)) {
    throw RecordFailure{1, "the file is empty"};
  }
  CsvHeader header;
  header.lineNumber = lines.LineNumber();
  header.separator = CsvSeparator(line) == '\0' ? ',' : CsvSeparator(line);
  if (!SplitCsvLine(line, header.separator, header.names)) {
    throw RecordFailure{header.lineNumber, "a quote is not closed"};
  }
  for (std::string& name : header.names) name = Trim(name);
  if (std::all_of(header.names.begin(), header.names.end(),
                  [](const std::string& name) { return ParseWholeNumber(name).has_value(); })) {
    throw RecordFailure{header.lineNumber, "the first line holds numbers, not column names: a "
                                           "CSV record needs a header row"};
  }
  return header;
}

RecordValues ReadCsv(std::string_view text, const RecordOptions& options) {
  TextLines lines(text);
  std::string_view line;
  const CsvHeader header = ReadCsvHeader(lines);
  const std::vector<std::string>& names = header.names;
  const int64_t headerLine = header.lineNumber;
  const char separator = header.separator;

  const std::size_t timeColumn = TimeColumnOf(names);
  const bool timed = timeColumn < names.size();
  std::size_t valueColumn = 0;
  if (options.column) {
    valueColumn = ChosenColumn(*options.column, names, headerLine);
    if (valueColumn == timeColumn) {
      throw RecordFailure{headerLine, "column " + Quoted(names[valueColumn]) +
                                          " holds the time, not the values"};
    }
  } else {
    valueColumn = timeColumn == 0 ? 1 : 0;
    if (valueColumn >= names.size()) {
      throw RecordFailure{headerLine, "no column of values beside the time"};
    }
  }

  RecordValues out;
  out.column = names[valueColumn];
  const std::string valueWhat = "column " + Quoted(names[valueColumn]);
  const std::string timeWhat = timed ? "column " + Quoted(names[timeColumn]) : "";
  std::vector<double> times;
  std::vector<int64_t> timeLines;
  std::vector<std::string> fields;
  while (lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    const int64_t number = lines.LineNumber();
    if (!SplitCsvLine(line, separator, fields)) {
      throw RecordFailure{number, "a quote is not closed"};
    }
    if (fields.size() != names.size()) {
      throw RecordFailure{number, std::to_string(fields.size()) + " fields here, " +
                                      std::to_string(names.size()) + " in the header"};
    }
    if (out.Count() == kMaxRecordValues) throw RecordFailure{number, "too many values"};
    if (timed) {
      times.push_back(WholeNumber(Trim(fields[timeColumn]), number, timeWhat));
      timeLines.push_back(number);
    }
    out.values.push_back(WholeNumber(Trim(fields[valueColumn]), number, valueWhat));
  }
  if (out.Count() == 0) throw RecordFailure{headerLine, "no values below the header"};
  if (timed) {
    TakeTimeAxis(times, timeLines, out);
  } else {
    out.timeStep = GivenTimeStep(options);
  }
  return out;
}

}  // namespace quarvel::detail
