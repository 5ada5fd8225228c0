#pragma once
// A small CSV reader after RFC 4180, written apart from the program's writer so that tests read
// its files the way other programs do: records end at CR LF (or LF), fields are separated by
// commas, a field in double quotes may hold commas, line ends and "" for a quote. The cells of
// numbers are converted by std::from_chars, which reads "inf", "-inf" and "nan" too.

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel::test {

using CsvRecords = std::vector<std::vector<std::string>>;

// The records of `text`; nullopt when a quoted field is not closed or a quote is followed by
// anything but a comma or a line end.
inline std::optional<CsvRecords> ParseRfc4180(std::string_view text) {
  CsvRecords records;
  std::vector<std::string> record;
  std::string field;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"') {
      ++i;
      for (;;) {
        if (i >= text.size()) return std::nullopt;
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field.push_back('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field.push_back(text[i++]);
      }
      if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
        return std::nullopt;
      }
    }
    while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
      field.push_back(text[i++]);
    }
    record.push_back(std::move(field));
    field.clear();
    if (i < text.size() && text[i] == ',') {
      ++i;
      continue;
    }
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    records.push_back(std::move(record));
    record.clear();
  }
  return records;
}

// The number a cell holds, whole; nullopt otherwise.
inline std::optional<double> CellNumber(const std::string& cell) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (error != std::errc() || end != cell.data() + cell.size()) return std::nullopt;
  return value;
}

}  // namespace quarvel::test
