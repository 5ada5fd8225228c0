#pragma once
// The CSV files read the way other programs read them: by Python's csv module (RFC 4180 quoting,
// strict about stray quotes), apart from the program's own writer. The cells of numbers are
// converted by std::from_chars, which reads "inf", "-inf" and "nan" too.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace quarvel::test {

using CsvRecords = std::vector<std::vector<std::string>>;

// The records of the file at `path`; nullopt when the reader refuses it.
inline std::optional<CsvRecords> ReadCsv(const std::filesystem::path& path) {
  const std::string command =  // the system's interpreter first: it starts fastest
      "$(command -v /usr/bin/python3 || command -v python3) -c 'import csv, json, sys; json.dump("
      "list(csv.reader(open(sys.argv[1], newline=\"\"), strict=True)), sys.stdout)' '" +
      path.string() + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[1 << 16];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, n);
  }
  if (!pipe || ::pclose(pipe) != 0) return std::nullopt;
  return nlohmann::json::parse(out).get<CsvRecords>();
}

// The number a cell holds, whole; nullopt otherwise.
inline std::optional<double> CellNumber(const std::string& cell) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (error != std::errc() || end != cell.data() + cell.size()) return std::nullopt;
  return value;
}

// Same bits, except that every NaN counts as the same value (each is written "nan").
inline bool SameBits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace quarvel::test
