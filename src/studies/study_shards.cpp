#include "studies/study_shards.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string_view>

#include "io/file_writer.h"
#include "studies/study_detail.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStudyShardMark = "#quarvel-study-shard";
constexpr std::string_view kEnvelopeShardMark = "#quarvel-envelope-shard";

// A shard's number: exact, and the same text whatever the locale.
bool ReadHex(const std::string& text, double& value) {
  const std::optional<double> parsed = ParseHex(text);
  if (parsed) value = *parsed;
  return parsed.has_value();
}

// The value count of a study or envelope shard: at most kMaxStudyValues.
bool ParseValues(const std::string& text, int64_t& values) {
  return ParseShardCount(text, values) && values <= kMaxStudyValues;
}

// The four entries of an envelope item.
bool ParseEntries(const std::string& text, std::array<double, 4>& entries) {
  std::size_t start = 0;
  for (std::size_t f = 0; f < entries.size(); ++f) {
    const std::size_t tab = text.find('\t', start);
    if ((tab == std::string::npos) != (f + 1 == entries.size())) return false;
    if (!ReadHex(text.substr(start, tab - start), entries[f])) return false;
    start = tab + 1;
  }
  return true;
}

FileResult CheckStudyShard(const ShardFile& shard) {
  int64_t values = 0;
  if (shard.fields.size() != 2 || !ParseValues(shard.fields[0], values)) {
    return FileResult::Failure(shard.path, "the first line does not name the shard");
  }
  for (std::size_t k = 0; k < shard.items.size(); ++k) {
    const int64_t index = shard.items[k].first;
    if (index >= values || index % shard.shardCount != shard.shard - 1) {
      return shard.BadItem(k, "is not one of the shard's values");
    }
  }
  return {};
}

void WriteStudy(const MergedShards& merged, const std::string& folder, MergeOutcome& outcome) {
  const std::string path = (fs::path(folder) / merged.first->fields[1]).string();
  FileWriter writer;
  if (writer.Open(path)) {
    for (const std::string& line : merged.first->head) writer.WriteLine(line);
    for (const auto* item : merged.items) writer.WriteLine(item->second);
  }
  if (FileResult closed = writer.Close()) {
    outcome.written.push_back(path);
  } else {
    outcome.problems.push_back(std::move(closed));
  }
}

FileResult CheckEnvelopeShard(const ShardFile& shard) {
  int64_t values = 0;
  double number = 0.0;
  if (shard.fields.size() != 3 || !ParseValues(shard.fields[0], values)) {
    return FileResult::Failure(shard.path, "the first line does not name the shard");
  }
  if (!ReadHex(shard.fields[1], number) || !ReadHex(shard.fields[2], number)) {
    return FileResult::Failure(shard.path, "the range of the envelope shard cannot be read");
  }
  if (!shard.head.empty()) return FileResult::Failure(shard.path, "line 2 is not an envelope");
  std::array<double, 4> entries{};
  for (std::size_t k = 0; k < shard.items.size(); ++k) {
    if (shard.items[k].first >= values) return shard.BadItem(k, "is not one of the values");
    if (!ParseEntries(shard.items[k].second, entries)) return shard.BadItem(k, "is unreadable");
  }
  return {};
}

void WriteEnvelopes(const MergedShards& merged, const std::string& folder,
                    MergeOutcome& outcome) {
  const std::vector<std::string>& fields = merged.first->fields;
  int64_t values = 0;
  double from = 0.0;
  double step = 0.0;
  ParseValues(fields[0], values);
  ReadHex(fields[1], from);
  ReadHex(fields[2], step);
  Envelopes envelopes;
  envelopes.Reset(static_cast<int32_t>(values - 1));
  // The running extremes over all files, as one run keeps them file after file: the order of
  // the files does not change a maximum or a minimum taken with strict comparisons from 0.
  std::array<double, 4> entry{};
  for (const auto* item : merged.items) {
    ParseEntries(item->second, entry);
    envelopes.Widen(static_cast<std::size_t>(item->first), entry[0], entry[1], entry[2],
                    entry[3]);
  }
  for (FileResult& fault : WriteEnvelopeFiles(envelopes, folder, from, step, &outcome.written)) {
    outcome.problems.push_back(std::move(fault));
  }
}

}  // namespace

StudyFileLayout::StudyFileLayout(const StudyWork& work, int32_t values, const std::string& folder,
                                 const std::string& outputName)
    : work_(work),
      values_(values),
      target_(outputName.empty() ? kDefaultStudyFileName : outputName),
      path_(work.Sharded()
                ? (fs::path(folder) / ShardFileName(target_, work.shard, work.shardCount)).string()
                : detail::StudyFilePath(folder, outputName)) {}

std::vector<std::string> StudyFileLayout::Head(StudyMode mode) const {
  std::vector<std::string> head;
  if (work_.Sharded()) {
    head.push_back(ShardFirstLine(kStudyShardMark, work_.shard, work_.shardCount,
                                  {std::to_string(values_), target_}));
  }
  for (const std::string_view line : detail::StudyHead(mode)) {
    head.push_back(work_.Sharded() ? ShardHeadLine(line) : std::string(line));
  }
  return head;
}

std::string StudyFileLayout::Line(int32_t i, const std::string& studyLine) const {
  return work_.Sharded() ? ShardItemLine(i, studyLine) : studyLine;
}

std::optional<std::string> StudyFileLayout::End(const StudyOutcome& outcome,
                                                int32_t stoppedAt) const {
  if (!work_.Sharded()) return std::nullopt;
  switch (outcome.status) {
    case StudyStatus::Completed:
      return ShardEndLine(ShardEnd::Complete);
    case StudyStatus::Aborted:
      return ShardEndLine(ShardEnd::Aborted);
    case StudyStatus::InvalidValue:
    case StudyStatus::SolveRefused:
      return ShardEndLine(ShardEnd::Stopped, stoppedAt, outcome.message);
    default:
      return std::nullopt;
  }
}

FileResult WriteEnvelopeShard(const Envelopes& envelopes, const std::string& folder,
                              int32_t values, double from, double step, const StudyWork& work,
                              std::string& path) {
  path = (fs::path(folder) / ShardFileName(kEnvelopeShardTarget, work.shard, work.shardCount))
             .string();
  FileWriter writer;
  if (writer.Open(path)) {
    writer.WriteLine(ShardFirstLine(kEnvelopeShardMark, work.shard, work.shardCount,
                                    {std::to_string(values), FormatHex(from), FormatHex(step)}));
    for (std::size_t i = 0; i < envelopes.uPos.size() && !writer.Failed(); ++i) {
      const double entries[] = {envelopes.uPos[i], envelopes.uNeg[i], envelopes.ehPos[i],
                                envelopes.ehNeg[i]};
      if (std::all_of(std::begin(entries), std::end(entries), [](double e) { return e == 0; })) {
        continue;
      }
      std::string text = FormatHex(entries[0]);
      for (std::size_t e = 1; e < 4; ++e) text += '\t' + FormatHex(entries[e]);
      writer.WriteLine(ShardItemLine(static_cast<int64_t>(i), text));
    }
    writer.WriteLine(ShardEndLine(ShardEnd::Complete));
  }
  return writer.Close();
}

ShardKind StudyShardKind() {
  return {kStudyShardMark, "study", CheckStudyShard,
          [](const ShardFile& shard) { return shard.fields[1]; }, WriteStudy};
}

ShardKind EnvelopeShardKind() {
  return {kEnvelopeShardMark, "study", CheckEnvelopeShard,
          [](const ShardFile&) { return std::string(kEnvelopeShardTarget); }, WriteEnvelopes};
}

}  // namespace quarvel
