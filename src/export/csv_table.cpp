#include "export/csv_table.h"

#include <cctype>

#include "text/number_text.h"

namespace quarvel {

std::string CsvField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' ' ||
                                        text.front() == '\t' || text.back() == '\t'));
  if (!quote) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field.push_back('"');
    field.push_back(c);
  }
  field.push_back('"');
  return field;
}

void CsvRow::Separate() {
  if (!line_.empty()) line_.push_back(',');
}

CsvRow& CsvRow::Text(std::string_view text) {
  // An empty first field would leave the row empty and the next field without its comma.
  if (line_.empty() && text.empty()) {
    line_ = "\"\"";
    return *this;
  }
  Separate();
  line_ += CsvField(text);
  return *this;
}

CsvRow& CsvRow::Number(double value) {
  Separate();
  line_ += FormatShortest(value);
  return *this;
}

CsvRow& CsvRow::Whole(long long value) {
  Separate();
  line_ += std::to_string(value);
  return *this;
}

bool CsvFile::Open(const std::string& path, const std::vector<std::string>& header) {
  if (!writer_.Open(path)) return false;
  CsvRow row;
  for (const std::string& name : header) row.Text(name);
  Write(row);
  return !writer_.Failed();
}

std::string SafeFileName(std::string_view name, std::string_view fallback) {
  std::string safe;
  for (const char c : name) {
    const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ||
                      c == '.';
    if (kept) {
      safe.push_back(c);
    } else if (safe.empty() || safe.back() != '_') {
      safe.push_back('_');
    }
  }
  while (!safe.empty() && (safe.back() == '_' || safe.back() == '.')) safe.pop_back();
  while (!safe.empty() && (safe.front() == '_' || safe.front() == '.')) safe.erase(0, 1);
  return safe.empty() ? std::string(fallback) : safe;
}

}  // namespace quarvel
