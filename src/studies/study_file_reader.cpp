#include "studies/study_file_reader.h"

#include <charconv>
#include <filesystem>
#include <optional>

#include "io/file_reader.h"
#include "studies/envelopes.h"
#include "studies/parametric_loop.h"
#include "studies/study_detail.h"
#include "text/text_lines.h"

namespace quarvel {
namespace {

// Longest piece of a refused field quoted in a reason.
constexpr std::size_t kQuotedFieldLength = 40;

// What a file over kMaxStudyFileBytes is too large for.
constexpr std::string_view kTooLargeFor = "a study or envelope file";

// The lines of a text without the empty lines at its end.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines = LinesOf(text);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// A number as the default number form writes it: the whole field, "inf", "-inf" and "nan"
// included.
std::optional<double> ParseField(std::string_view field) {
  double value = 0.0;
  const char* end = field.data() + field.size();
  const auto [stop, error] = std::from_chars(field.data(), end, value);
  if (field.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Reads exactly `count` TAB-separated numbers of a line into `out`; the reason when it cannot.
std::optional<std::string> ParseNumbers(std::string_view line, double* out, std::size_t count) {
  if (line.empty()) return "an empty line";
  std::size_t fields = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    const std::string_view field =
        line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    if (fields < count) {
      const std::optional<double> value = ParseField(field);
      if (!value) {
        return "field " + std::to_string(fields + 1) + " is not a number: \"" +
               std::string(field.substr(0, kQuotedFieldLength)) + "\"";
      }
      out[fields] = *value;
    }
    ++fields;
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (fields != count) {
    return std::to_string(fields) + " fields where " + std::to_string(count) + " are expected";
  }
  return std::nullopt;
}

}  // namespace

FileResult ReadStudyText(std::string_view text, StudyFileContents& study, std::string_view name) {
  study = StudyFileContents{};
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.empty()) return FileResult::Failure(std::string(name), "empty, not a study file");
  std::size_t header = 0;
  if (lines[0] != kStudyHeader) {
    header = 1;
    if (lines.size() < 2 || lines[1] != kStudyHeader) {
      return FileResult::Failure(std::string(name),
                                 "no study header in the first two lines, not a study file");
    }
    study.title = lines[0];
  }
  study.lines.reserve(lines.size() - header - 1);
  for (std::size_t n = header + 1; n < lines.size(); ++n) {
    std::array<double, kStudyColumnCount> values{};
    if (const auto reason = ParseNumbers(lines[n], values.data(), values.size())) {
      study = StudyFileContents{};
      return FileResult::Failure(std::string(name), *reason, static_cast<int64_t>(n + 1));
    }
    study.lines.push_back(values);
  }
  return FileResult{true, std::string(name), 0, {}};
}

FileResult ReadStudyFile(const std::string& path, StudyFileContents& study) {
  std::string text;
  if (FileResult read = ReadWholeFile(path, text, kMaxStudyFileBytes, kTooLargeFor); !read) {
    return read;
  }
  return ReadStudyText(text, study, path);
}

FileResult ReadEnvelopeText(std::string_view text, EnvelopeCurve& envelope,
                            std::string_view name) {
  envelope = EnvelopeCurve{};
  const std::vector<std::string> lines = SplitLines(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    double values[2] = {};
    if (const auto reason = ParseNumbers(lines[n], values, 2)) {
      envelope = EnvelopeCurve{};
      return FileResult::Failure(std::string(name), *reason, static_cast<int64_t>(n + 1));
    }
    envelope.x.push_back(values[0]);
    envelope.value.push_back(values[1]);
  }
  return FileResult{true, std::string(name), 0, {}};
}

FileResult ReadEnvelopeFiles(const std::string& folder,
                             std::array<EnvelopeCurve, 4>& envelopes) {
  for (std::size_t i = 0; i < envelopes.size(); ++i) {
    const std::string path = (std::filesystem::path(folder) / kEnvelopeFileNames[i]).string();
    std::string text;
    if (FileResult read = ReadWholeFile(path, text, kMaxStudyFileBytes, kTooLargeFor); !read) {
      return read;
    }
    if (FileResult read = ReadEnvelopeText(text, envelopes[i], path); !read) return read;
  }
  return FileResult{true, folder, 0, {}};
}

}  // namespace quarvel
