#pragma once
// CSV written for other programs (pandas, MATLAB, spreadsheets): one header row, one record per
// row, fields separated by commas, lines ended by CR LF; a field is quoted when it holds a
// comma, a double quote, a line end or blanks at either end, with "" for a quote inside.
// Numbers are written in the shortest text that reads back to the same double, and "inf",
// "-inf", "nan" for non-finite values.

#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"
#include "io/file_writer.h"

namespace quarvel {

// One CSV row being built.
class CsvRow {
 public:
  CsvRow& Text(std::string_view text);
  CsvRow& Number(double value);
  CsvRow& Whole(long long value);
  const std::string& Line() const { return line_; }
  void Clear() { line_.clear(); }

 private:
  void Separate();
  std::string line_;
};

// The field as written: quoted when it must be.
std::string CsvField(std::string_view text);

// A CSV file: the header row when opened, then one row at a time.
class CsvFile {
 public:
  // Creates `path` with the header row; false (Result() says why) when it cannot be written.
  bool Open(const std::string& path, const std::vector<std::string>& header);
  void Write(const CsvRow& row) { writer_.WriteLine(row.Line()); }
  FileResult Close() { return writer_.Close(); }
  const FileResult& Result() const { return writer_.Result(); }

 private:
  FileWriter writer_;
};

// A file name made of the characters every system and shell take as they are: letters,
// digits, '-', '_' and '.'; any run of others becomes one '_'. Empty names give `fallback`.
std::string SafeFileName(std::string_view name, std::string_view fallback);

}  // namespace quarvel
