// PEER NGA .AT2 records.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/record_readers.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

using detail::UpperCase;

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The number after "<key>" and '=' (blanks allowed around it) in `upper`, from `from` on;
// `at` receives where the key was found. False when the key, the '=' or the number is missing.
bool KeywordValue(std::string_view upper, std::string_view key, std::size_t from, double& value,
                  std::size_t& at) {
  at = upper.find(key, from);
  if (at == std::string_view::npos) return false;
  std::size_t pos = upper.find_first_not_of(" \t", at + key.size());
  if (pos == std::string_view::npos || upper[pos] != '=') return false;
  const ParsedNumber number = ParseLeadingNumber(upper.substr(pos + 1));
  if (!number.found || number.overflow) return false;
  value = number.value;
  return true;
}

// The units a header may name, as Canonical writes them, what they measure and, for a velocity
// or a displacement, what the values are divided by into m/s or m.
struct HeaderUnit {
  std::string_view name;
  HeaderQuantity quantity;
  std::optional<AccelerationUnits> acceleration;
  double lengthDivisor = 0.0;
};
constexpr HeaderUnit kHeaderUnits[] = {
    {"G", HeaderQuantity::Acceleration, AccelerationUnits::G},
    {"M/S2", HeaderQuantity::Acceleration, AccelerationUnits::MetresPerSecondSquared},
    {"CM/S2", HeaderQuantity::Acceleration, AccelerationUnits::CentimetresPerSecondSquared},
    {"GAL", HeaderQuantity::Acceleration, AccelerationUnits::CentimetresPerSecondSquared},
    {"MM/S2", HeaderQuantity::Acceleration, AccelerationUnits::MillimetresPerSecondSquared},
    {"M/S", HeaderQuantity::Velocity, {}, 1.0},
    {"CM/S", HeaderQuantity::Velocity, {}, 100.0},
    {"MM/S", HeaderQuantity::Velocity, {}, 1000.0},
    {"M", HeaderQuantity::Displacement, {}, 1.0},
    {"CM", HeaderQuantity::Displacement, {}, 100.0},
    {"MM", HeaderQuantity::Displacement, {}, 1000.0},
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

// One spelling for the many of a unit: CM/SEC/SEC, CM/S^2, cm/s**2 and CM/S/S are all CM/S2.
std::string Canonical(std::string_view written) {
  std::string units = UpperCase(written);
  for (const auto& [from, to] : {std::pair<std::string_view, std::string_view>{"**2", "2"},
                                 {"^2", "2"}, {"SEC", "S"}, {"/S/S", "/S2"}, {"GALS", "GAL"}}) {
    ReplaceAll(units, from, to);
  }
  return units;
}

// The unit after "UNITS OF" in `upper`: up to a blank, a comma or a semicolon, without a
// closing full stop ("UNITS OF G. FILTER POINTS ..."); empty when there is none.
std::string_view UnitsWritten(std::string_view upper, std::string_view line) {
  constexpr std::string_view kKey = "UNITS OF";
  const std::size_t key = upper.find(kKey);
  if (key == std::string_view::npos) return {};
  const std::size_t begin = upper.find_first_not_of(" \t", key + kKey.size());
  if (begin == std::string_view::npos) return {};
  const std::size_t end = std::min(upper.find_first_of(" \t,;", begin), upper.size());
  std::string_view units = line.substr(begin, end - begin);
  while (!units.empty() && units.back() == '.') units.remove_suffix(1);
  return units;
}

}  // namespace

RecordHeader ReadRecordHeader(std::string_view line, int64_t lineNumber) {
  RecordHeader header;
  header.lineNumber = lineNumber;
  header.text = std::string(Trimmed(line));
  const std::string upper = UpperCase(header.text);
  header.units = std::string(UnitsWritten(upper, header.text));
  std::size_t first = std::string::npos;
  for (const auto& [word, quantity] :
       {std::pair{"ACCELERATION", HeaderQuantity::Acceleration},
        {"VELOCITY", HeaderQuantity::Velocity}, {"DISPLACEMENT", HeaderQuantity::Displacement}}) {
    const std::size_t at = upper.find(word);
    if (at < first) {
      first = at;
      header.quantity = quantity;
    }
  }
  const std::string canonical = Canonical(header.units);
  const auto* unit = std::find_if(std::begin(kHeaderUnits), std::end(kHeaderUnits),
                                  [&](const HeaderUnit& u) { return u.name == canonical; });
  if (unit == std::end(kHeaderUnits)) return header;
  if (!header.quantity) header.quantity = unit->quantity;
  // Units of another quantity than the line names are units it does not know.
  if (unit->quantity != *header.quantity) return header;
  header.accelerationUnits = unit->acceleration;
  if (unit->lengthDivisor > 0.0) header.lengthDivisor = unit->lengthDivisor;
  return header;
}

namespace detail {

bool ParseAt2CountLine(std::string_view line, double& count, double& step) {
  const std::string upper = UpperCase(line);
  std::size_t nptsAt = 0;
  std::size_t dtAt = 0;
  if (upper.find("NPTS") == std::string::npos || upper.find("DT") == std::string::npos) {
    return false;
  }
  // "NPTS=  1560, DT=   .0200 SEC"
  if (KeywordValue(upper, "NPTS", 0, count, nptsAt)) {
    return KeywordValue(upper, "DT", nptsAt + 4, step, dtAt);
  }
  // "  1560    0.0200    NPTS, DT": two numbers, then the names.
  std::vector<std::string_view> pieces;
  SplitAtBlanks(upper, pieces);
  if (pieces.size() < 3) return false;
  auto number = [](std::string_view piece, double& value) {
    if (!piece.empty() && piece.back() == ',') piece.remove_suffix(1);
    const std::optional<double> parsed = ParseWholeNumber(piece);
    if (parsed) value = *parsed;
    return parsed.has_value();
  };
  return number(pieces[0], count) && number(pieces[1], step) &&
         pieces[2].substr(0, 4) == "NPTS";
}

RecordValues ReadAt2(std::string_view text) {
  TextLines lines(text);
  std::string_view line;
  RecordValues out;
  for (int header = 1; header <= 4; ++header) {
    if (!lines.Next(line)) {
      throw RecordFailure{header, header == 1 ? "the file is empty"
                                              : "the file ends inside its four header lines"};
    }
    if (header == 2) out.name = std::string(Trimmed(line));
    if (header == 3) out.header = ReadRecordHeader(line, header);
  }

  double declared = 0.0;
  double step = 0.0;
  if (!ParseAt2CountLine(line, declared, step)) {
    throw RecordFailure{4, "the fourth line gives no count and time step: expected "
                           "\"NPTS= 1560, DT= .0200 SEC\" or \"1560 .0200 NPTS, DT\", found " +
                               Quoted(line)};
  }
  if (!(declared >= 1.0) || declared != std::floor(declared) ||
      declared > static_cast<double>(kMaxRecordValues)) {
    throw RecordFailure{4, "NPTS must be a whole number from 1 to " +
                               std::to_string(kMaxRecordValues) + ", found " +
                               FormatDefault(declared)};
  }
  if (!(step > 0.0) || !std::isfinite(step)) {
    throw RecordFailure{4, "DT must be above 0, found " + FormatDefault(step)};
  }
  const auto count = static_cast<int64_t>(declared);
  out.timeStep = step;
  out.values.reserve(static_cast<std::size_t>(std::min<int64_t>(count, kMaxReservedValues)) + 1);

  std::vector<std::string_view> pieces;
  while (lines.Next(line)) {
    SplitAtBlanks(line, pieces);
    for (const std::string_view piece : pieces) {
      if (out.Count() == count) {
        throw RecordFailure{lines.LineNumber(), "more values than the " + std::to_string(count) +
                                                    " the header declares (NPTS)"};
      }
      out.values.push_back(WholeNumber(piece, lines.LineNumber(), "a value"));
    }
  }
  if (out.Count() < count) {
    throw RecordFailure{lines.LineNumber() + 1,
                        "the file ends after " + std::to_string(out.Count()) + " of the " +
                            std::to_string(count) + " values its header declares (NPTS)"};
  }
  return out;
}

}  // namespace detail
}  // namespace quarvel
