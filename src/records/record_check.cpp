#include "records/record_check.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/record_file.h"
#include "records/record_readers.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

// Words that name a unit; a units line holding one was meant to say something about units.
constexpr std::string_view kUnitWords[] = {
    "G",      "GAL",    "GALS",   "GRAVITY", "M",      "CM",      "MM",    "IN",     "INCH",
    "INCHES", "FT",     "FEET",   "S",       "SEC",    "SECOND",  "SECONDS", "N",    "KN",
    "KG",     "SI",     "METER",  "METERS",  "METRE",  "METRES",  "NEWTON", "NEWTONS", "MPS",
};


std::string_view TrimTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(" \t");
  return last == text.npos ? std::string_view() : text.substr(0, last + 1);
}


// "sample 3 of experiment 1", "the time step of experiment 2", "the number of experiments".
std::string ItemText(const ItemLine& line) {
  std::string text = line.item;
  if (line.sample > 0) text.append(" ").append(std::to_string(line.sample));
  if (line.experiment > 0) text.append(" of experiment ").append(std::to_string(line.experiment));
  return text;
}

bool IsCount(ItemKind kind) {
  return kind == ItemKind::ExperimentCount || kind == ItemKind::SampleCount;
}

// Whether a units line names a unit: one of its words (split at anything but letters) is a
// unit's name.
bool MentionsUnit(std::string_view keyword) {
  std::string words(keyword);
  for (char& c : words) {
    if (c < 'A' || c > 'Z') c = ' ';
  }
  std::vector<std::string_view> pieces;
  detail::SplitAtBlanks(words, pieces);
  for (const std::string_view word : pieces) {
    if (std::find(std::begin(kUnitWords), std::end(kUnitWords), word) != std::end(kUnitWords)) {
      return true;
    }
  }
  return false;
}

// What to do with a record given as a .quarvel file.
constexpr std::string_view kAsRecord =
    "--format at2, csv or columns reads it as a record, and quarvel-cli convert writes a record "
    "as a .quarvel file";

// The format a first line that is no count of experiments suggests; empty when none.
std::string ForeignFormatHint(std::string_view firstLine) {
  const std::string keyword = KeywordOf(firstLine);
  if (keyword.rfind("PEER", 0) == 0) {
    return "this looks like a PEER strong-motion record (its first line begins with PEER), "
           "not a .quarvel file: " + std::string(kAsRecord);
  }
  switch (DetectRecordFormat(firstLine, "")) {
    case RecordFormat::Csv:
      return "this looks like a CSV file (fields separated by commas, semicolons or tabs), not "
             "a .quarvel file: " + std::string(kAsRecord);
    case RecordFormat::Columns:
      return "this looks like columns of numbers, not a .quarvel file, whose first line is the "
             "number of experiments: " + std::string(kAsRecord);
    default:
      break;
  }
  return {};
}

// Watches the lines of one load and collects the warnings. A warning's text is only made when
// it is kept: a broken file of millions of samples costs a count per line, not a text.
class RecordChecker {
 public:
  void See(const ItemLine& line) {
    if (line.kind == ItemKind::ExperimentCount) firstLine_ = std::string(line.text);
    if (line.kind == ItemKind::Ignored) {
      SeeIgnored(line);
    } else if (detail::IsBlankLine(line.text)) {
      Warn(line.lineNumber,
           [&] { return "blank line: " + ItemText(line) + " " + BlankReading(line.kind); });
    } else if (line.number != nullptr) {
      CheckNumber(line, *line.number);
    } else if (line.kind == ItemKind::DataType) {
      CheckDataType(line);
    } else if (line.kind == ItemKind::Units) {
      CheckUnits(line);
    }
  }

  CheckedLoad Finish(LoadResult load) {
    if (ignoredCount_ > 0) {
      Warn(firstIgnored_, [&] {
        return std::to_string(ignoredCount_) + " line(s) after the last experiment (" +
               LineRange(firstIgnored_, lastIgnored_) + ") are ignored";
      });
    }
    if (!ParseWholeNumber(TrimTrailingBlanks(firstLine_))) {
      result_.hint = ForeignFormatHint(firstLine_);
    }
    result_.load = std::move(load);
    return std::move(result_);
  }

 private:
  static std::string BlankReading(ItemKind kind) {
    switch (kind) {
      case ItemKind::Name: return "is empty";
      case ItemKind::DataType: return "is read as Acceleration";
      case ItemKind::Units: return "is read as no unit system";
      default: return "is read as 0";
    }
  }

  static std::string LineRange(int64_t first, int64_t last) {
    return first == last ? "line " + std::to_string(first)
                         : "lines " + std::to_string(first) + " to " + std::to_string(last);
  }

  template <typename MakeText>
  void Warn(int64_t lineNumber, MakeText makeText) {
    ++result_.warningCount;
    if (static_cast<int64_t>(result_.warnings.size()) < kMaxRecordWarnings) {
      result_.warnings.push_back({lineNumber, makeText()});
    }
  }

  void CheckNumber(const ItemLine& line, const ParsedNumber& parsed) {
    if (parsed.overflow) return;  // the load fails on it and says so
    const std::size_t used = TrimTrailingBlanks(line.text).size();
    const auto what = [&line] { return ItemText(line) + " " + detail::Quoted(line.text); };
    if (!parsed.found) {
      Warn(line.lineNumber, [&] { return what() + " is not a number: read as 0"; });
    } else if (parsed.length != used) {
      const bool comma = line.text[parsed.length] == ',';
      Warn(line.lineNumber, [&] {
        return what() + " is not entirely a number: read as " + FormatDefault(parsed.value) +
               ", its leading part" + (comma ? " (a comma is not a decimal point)" : "");
      });
    } else if (IsCount(line.kind) && parsed.value != std::floor(parsed.value)) {
      Warn(line.lineNumber, [&] {
        return what() + " is not a whole number: rounded to " +
               FormatDefault(RoundHalfEven(parsed.value));
      });
    } else if (line.kind == ItemKind::TimeStep && !(parsed.value > 0)) {
      Warn(line.lineNumber,
           [&] { return what() + " is not above 0: the samples have no time between them"; });
    }
  }

  void CheckDataType(const ItemLine& line) {
    const std::string keyword = KeywordOf(line.text);
    if (keyword == "FORCE" || keyword == "DISPLACEMENT" || keyword == "ACCELERATION") return;
    Warn(line.lineNumber, [&] {
      return ItemText(line) + " " + detail::Quoted(line.text) +
             " is none of Force, Displacement, Acceleration: read as Acceleration";
    });
  }

  void CheckUnits(const ItemLine& line) {
    const std::string keyword = KeywordOf(line.text);
    if (keyword == "UNITS OF G" || !MentionsUnit(keyword)) return;
    Warn(line.lineNumber, [&] {
      return ItemText(line) + " " + detail::Quoted(line.text) +
             " is not \"Units of g\": read as no unit system (an acceleration is then taken in "
             "m/s^2)";
    });
  }

  void SeeIgnored(const ItemLine& line) {
    if (detail::IsBlankLine(line.text)) return;  // blank lines at the end are harmless
    if (ignoredCount_ == 0) firstIgnored_ = line.lineNumber;
    lastIgnored_ = line.lineNumber;
    ++ignoredCount_;
  }

  CheckedLoad result_;
  std::string firstLine_;
  int64_t ignoredCount_ = 0;  // lines after the last block that are not blank
  int64_t firstIgnored_ = 0;
  int64_t lastIgnored_ = 0;
};

}  // namespace

CheckedLoad LoadCheckedExperimentFile(const std::string& fileName, ExperimentSet& set) {
  RecordChecker checker;
  LoadResult load = LoadExperimentFile(fileName, set,
                                       [&checker](const ItemLine& line) { checker.See(line); });
  return checker.Finish(std::move(load));
}

CheckedLoad LoadCheckedExperimentText(std::string_view text, ExperimentSet& set,
                                      std::string_view name) {
  RecordChecker checker;
  LoadResult load = LoadExperimentText(text, set, name,
                                       [&checker](const ItemLine& line) { checker.See(line); });
  return checker.Finish(std::move(load));
}

std::string DescribeWarning(std::string_view fileName, const RecordWarning& warning) {
  return std::string(fileName) + ":" + std::to_string(warning.lineNumber) +
         ": warning: " + warning.text;
}

}  // namespace quarvel
