#pragma once
// A small CSV reader after RFC 4180, written apart from the program's writer so that tests read
// its files the way other programs do: records end at CR LF (or LF), fields are separated by
// commas, a field in double quotes may hold commas, line ends and "" for a quote. The cells of
// numbers are converted by std::from_chars, which reads "inf", "-inf" and "nan" too.

#include <gtest/gtest.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarvel::test {

using CsvRecords = std::vector<std::vector<std::string>>;

// The records of `text`; nullopt when a quoted field is not closed or a quote is followed by
// anything but a comma or a line end.
inline std::optional<CsvRecords> ParseRfc4180(std::string_view text) {
  CsvRecords records;
  std::vector<std::string> record;
  std::string field;
  enum { kPlain, kQuoted, kClosed } state = kPlain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool more = i + 1 < text.size();
    if (state == kQuoted) {
      if (c != '"') field += c;
      else if (more && text[i + 1] == '"') field += text[++i];
      else state = kClosed;
    } else if (c == ',' || c == '\n') {
      record.push_back(std::exchange(field, {}));
      state = kPlain;
      if (c == '\n') records.push_back(std::exchange(record, {}));
    } else if (c == '\r' && more && text[i + 1] == '\n') {
    } else if (state == kClosed) {
      return std::nullopt;
    } else if (c == '"' && field.empty()) {
      state = kQuoted;
    } else {
      field += c;
    }
  }
  if (state == kQuoted) return std::nullopt;
  if (!field.empty() || !record.empty() || state == kClosed) {
    record.push_back(field);
    records.push_back(record);
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

// An empty folder of this process's own under the test temporary folder.
inline std::filesystem::path FreshFolder(const std::string& name) {
  const auto folder = std::filesystem::path(::testing::TempDir()) / (name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Same bits, except that every NaN counts as the same value (each is written "nan").
inline bool SameBits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace quarvel::test
