#include "studies/study_shards.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <string_view>
#include <utility>

#include "io/file_reader.h"
#include "io/file_writer.h"
#include "studies/study_detail.h"
#include "text/text_lines.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

// Marks of the shard files. A study shard:
//   #quarvel-study-shard TAB I/N TAB <values in the study> TAB <target file name>
//   #head TAB <line>                 each line the study file starts with
//   <index> TAB <study line>         each line written, index 0-based, ascending
//   #end TAB complete                or: #end TAB stopped TAB <index> TAB <message>
//                                    or: #end TAB aborted
// An envelope shard:
//   #quarvel-envelope-shard TAB I/N TAB <values> TAB <from> TAB <step>
//   <index> TAB <uPos> TAB <uNeg> TAB <ehPos> TAB <ehNeg>   (indices with a non-zero entry)
//   #end TAB complete
// Numbers of the envelope shard are hexadecimal floating point, which keeps every bit.
constexpr std::string_view kStudyShardMark = "#quarvel-study-shard";
constexpr std::string_view kEnvelopeShardMark = "#quarvel-envelope-shard";
constexpr std::string_view kHeadMark = "#head";
constexpr std::string_view kEndMark = "#end";

std::string HexNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

std::string ShardLabel(int32_t shard, int32_t count) {
  return std::to_string(shard) + "/" + std::to_string(count);
}

}  // namespace

bool StudyWork::ParseShard(const std::string& text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  int32_t part = 0;
  int32_t count = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  const auto first = std::from_chars(begin, begin + slash, part);
  const auto second = std::from_chars(begin + slash + 1, end, count);
  if (first.ec != std::errc() || first.ptr != begin + slash || second.ec != std::errc() ||
      second.ptr != end || count < 1 || count > kMaxStudyValues || part < 1 || part > count) {
    return false;
  }
  shard = part;
  shardCount = count;
  return true;
}

std::string ShardFileName(const std::string& target, int32_t shard, int32_t shardCount) {
  return target + ".shard-" + std::to_string(shard) + "-of-" + std::to_string(shardCount);
}

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
    head.push_back(std::string(kStudyShardMark) + '\t' +
                   ShardLabel(work_.shard, work_.shardCount) + '\t' + std::to_string(values_) +
                   '\t' + target_);
  }
  for (const std::string_view line : detail::StudyHead(mode)) {
    head.push_back(work_.Sharded() ? std::string(kHeadMark) + '\t' + std::string(line)
                                   : std::string(line));
  }
  return head;
}

std::string StudyFileLayout::Line(int32_t i, const std::string& studyLine) const {
  return work_.Sharded() ? std::to_string(i) + '\t' + studyLine : studyLine;
}

std::optional<std::string> StudyFileLayout::End(const StudyOutcome& outcome,
                                                int32_t stoppedAt) const {
  if (!work_.Sharded()) return std::nullopt;
  switch (outcome.status) {
    case StudyStatus::Completed:
      return std::string(kEndMark) + "\tcomplete";
    case StudyStatus::Aborted:
      return std::string(kEndMark) + "\taborted";
    case StudyStatus::InvalidValue:
    case StudyStatus::SolveRefused:
      return std::string(kEndMark) + "\tstopped\t" + std::to_string(stoppedAt) + '\t' +
             outcome.message;
    default:
      return std::nullopt;
  }
}

FileResult WriteEnvelopeShard(const Envelopes& envelopes, const std::string& folder,
                              int32_t values, double from, double step, const StudyWork& work,
                              std::string& path) {
  path = (fs::path(folder) / ShardFileName(kEnvelopeShardTarget, work.shard, work.shardCount))
             .string();
  TextFileWriter writer;
  if (writer.Open(path)) {
    writer.WriteLine(std::string(kEnvelopeShardMark) + '\t' +
                     ShardLabel(work.shard, work.shardCount) + '\t' + std::to_string(values) +
                     '\t' + HexNumber(from) + '\t' + HexNumber(step));
    for (std::size_t i = 0; i < envelopes.uPos.size() && !writer.Failed(); ++i) {
      const double entries[] = {envelopes.uPos[i], envelopes.uNeg[i], envelopes.ehPos[i],
                                envelopes.ehNeg[i]};
      if (std::all_of(std::begin(entries), std::end(entries), [](double e) { return e == 0; })) {
        continue;
      }
      std::string line = std::to_string(i);
      for (const double e : entries) line += '\t' + HexNumber(e);
      writer.WriteLine(line);
    }
    writer.WriteLine(std::string(kEndMark) + "\tcomplete");
  }
  return writer.Close();
}

// --------------------------------------------------------------------------------------
// Merging.

namespace {

bool ParseIndex(const std::string& text, int64_t& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= 0;
}

bool ParseShardLabel(const std::string& text, int32_t& shard, int32_t& count) {
  StudyWork work;
  if (!work.ParseShard(text)) return false;
  shard = work.shard;
  count = work.shardCount;
  return true;
}

bool ParseHex(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

}  // namespace

namespace detail {

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

FileResult ReadTextFileLines(const std::string& path, std::vector<std::string>& lines) {
  // Far above any shard a run writes (a million study values, thousands of spectrum points).
  constexpr std::uintmax_t kMaxShardFileBytes = std::uintmax_t{1} << 30;
  std::string text;
  if (FileResult read = ReadWholeFile(path, text, kMaxShardFileBytes, "a shard file"); !read) {
    return read;
  }
  lines = LinesOf(text);
  return {};
}

FileResult ParseShardFile(const std::vector<std::string>& lines, const std::string& path,
                          ShardFile& shard) {
  shard.path = path;
  const auto bad = [&path](const std::string& what) { return FileResult::Failure(path, what); };
  if (lines.empty()) return bad("empty, not a shard file");
  const std::vector<std::string> first = detail::SplitTabs(lines.front());
  if (first[0] == kStudyShardMark && first.size() == 4) {
    shard.target = first[3];
  } else if (first[0] == kEnvelopeShardMark && first.size() == 5) {
    shard.envelope = true;
    if (!ParseHex(first[3], shard.from) || !ParseHex(first[4], shard.step)) {
      return bad("the range of the envelope shard cannot be read");
    }
  } else {
    return bad("not a shard file of a study");
  }
  if (!ParseShardLabel(first[1], shard.shard, shard.shardCount) ||
      !ParseIndex(first[2], shard.values) || shard.values > kMaxStudyValues) {
    return bad("the first line does not name the shard");
  }

  int64_t previous = -1;
  for (std::size_t n = 1; n < lines.size(); ++n) {
    if (!shard.end.empty()) return bad("lines after the end of the shard");
    const std::vector<std::string> fields = detail::SplitTabs(lines[n]);
    if (fields[0] == kEndMark) {
      if (fields.size() < 2) return bad("unreadable end line");
      shard.end = fields[1];
      if (shard.end == "stopped") {
        if (fields.size() != 4 || !ParseIndex(fields[2], shard.stoppedAt)) {
          return bad("unreadable end line");
        }
        shard.stopMessage = fields[3];
      } else if (shard.end != "complete" && shard.end != "aborted") {
        return bad("unreadable end line");
      }
      continue;
    }
    if (!shard.envelope && fields[0] == kHeadMark && fields.size() > 1 && shard.lines.empty()) {
      shard.head.push_back(lines[n].substr(kHeadMark.size() + 1));
      continue;
    }
    int64_t index = 0;
    // A study shard holds every N-th value; an envelope shard (split by files) any value.
    if (!ParseIndex(fields[0], index) || index <= previous || index >= shard.values ||
        (!shard.envelope && index % shard.shardCount != shard.shard - 1)) {
      return bad("line " + std::to_string(n + 1) + " is not one of the shard's values");
    }
    previous = index;
    if (shard.envelope) {
      std::array<double, 4> entry{};
      if (fields.size() != 5) return bad("line " + std::to_string(n + 1) + " is unreadable");
      for (std::size_t f = 0; f < 4; ++f) {
        if (!ParseHex(fields[f + 1], entry[f])) {
          return bad("line " + std::to_string(n + 1) + " is unreadable");
        }
      }
      shard.entries.emplace_back(index, entry);
    } else {
      if (fields.size() < 2) return bad("line " + std::to_string(n + 1) + " is unreadable");
      shard.lines.emplace_back(index, lines[n].substr(fields[0].size() + 1));
    }
  }
  if (shard.end.empty()) return bad("incomplete (the run that wrote it did not finish)");
  if (shard.end == "aborted") return bad("interrupted; run this shard again");
  return {};
}

}  // namespace detail

namespace {

using detail::ShardFile;

FileResult ReadShard(const std::string& path, ShardFile& shard) {
  std::vector<std::string> lines;
  if (FileResult read = detail::ReadTextFileLines(path, lines); !read) return read;
  return detail::ParseShardFile(lines, path, shard);
}

// Every shard 1..N present once, all of the same study: done, or the file at fault (a shard,
// or the study file `name` when shards are missing or given twice).
FileResult CheckSet(const std::vector<const ShardFile*>& shards, const std::string& name) {
  const ShardFile& first = *shards.front();
  std::vector<bool> seen(static_cast<std::size_t>(first.shardCount) + 1, false);
  for (const ShardFile* shard : shards) {
    if (shard->shardCount != first.shardCount || shard->values != first.values ||
        shard->head != first.head || shard->from != first.from || shard->step != first.step) {
      return FileResult::Failure(shard->path, "not a shard of the same study as " + first.path);
    }
    if (seen[static_cast<std::size_t>(shard->shard)]) {
      return FileResult::Failure(
          name, "shard " + ShardLabel(shard->shard, shard->shardCount) + " given twice");
    }
    seen[static_cast<std::size_t>(shard->shard)] = true;
  }
  // The first few missing shards by name, the others counted.
  constexpr int32_t kNamed = 10;
  std::string missing;
  int32_t count = 0;
  for (int32_t k = 1; k <= first.shardCount; ++k) {
    if (seen[static_cast<std::size_t>(k)]) continue;
    if (++count <= kNamed) {
      missing += (missing.empty() ? "" : ", ") + ShardLabel(k, first.shardCount);
    }
  }
  if (count > kNamed) missing += " and " + std::to_string(count - kNamed) + " more";
  if (count > 0) return FileResult::Failure(name, "shard(s) " + missing + " missing");
  return {};
}

void MergeStudy(const std::vector<const ShardFile*>& shards, const std::string& folder,
                MergeOutcome& outcome) {
  const std::string& target = shards.front()->target;
  if (FileResult checked = CheckSet(shards, target); !checked) {
    outcome.problems.push_back(std::move(checked));
    return;
  }
  // A run stops at the first value that stops it; what its shards wrote beyond is dropped.
  int64_t stop = shards.front()->values;
  const ShardFile* stopping = nullptr;
  for (const ShardFile* shard : shards) {
    if (shard->end == "stopped" && shard->stoppedAt < stop) {
      stop = shard->stoppedAt;
      stopping = shard;
    }
  }
  std::vector<const std::pair<int64_t, std::string>*> lines;
  for (const ShardFile* shard : shards) {
    for (const auto& line : shard->lines) {
      if (line.first < stop) lines.push_back(&line);
    }
  }
  std::sort(lines.begin(), lines.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });

  const std::string path = (fs::path(folder) / target).string();
  TextFileWriter writer;
  if (writer.Open(path)) {
    for (const std::string& line : shards.front()->head) writer.WriteLine(line);
    for (const auto* line : lines) writer.WriteLine(line->second);
  }
  if (FileResult closed = writer.Close()) {
    outcome.written.push_back(path);
  } else {
    outcome.problems.push_back(std::move(closed));
  }
  if (stopping != nullptr) outcome.stops.push_back(stopping->stopMessage);
}

void MergeEnvelopes(const std::vector<const ShardFile*>& shards, const std::string& folder,
                    MergeOutcome& outcome) {
  if (FileResult checked = CheckSet(shards, kEnvelopeShardTarget); !checked) {
    outcome.problems.push_back(std::move(checked));
    return;
  }
  const ShardFile& first = *shards.front();
  Envelopes envelopes;
  envelopes.Reset(static_cast<int32_t>(first.values - 1));
  // The running extremes over all files, as one run keeps them file after file: the order of
  // the files does not change a maximum or a minimum taken with strict comparisons from 0.
  for (const ShardFile* shard : shards) {
    for (const auto& [index, entry] : shard->entries) {
      envelopes.Widen(static_cast<std::size_t>(index), entry[0], entry[1], entry[2], entry[3]);
    }
  }
  for (FileResult& fault :
       WriteEnvelopeFiles(envelopes, folder, first.from, first.step, &outcome.written)) {
    outcome.problems.push_back(std::move(fault));
  }
}

}  // namespace

MergeOutcome MergeStudyShards(const std::vector<std::string>& shardPaths,
                              const std::string& folder) {
  MergeOutcome outcome;
  std::vector<ShardFile> shards(shardPaths.size());
  for (std::size_t k = 0; k < shardPaths.size(); ++k) {
    if (FileResult read = ReadShard(shardPaths[k], shards[k]); !read) {
      outcome.problems.push_back(std::move(read));
    }
  }
  if (outcome.Failed()) return outcome;

  std::map<std::string, std::vector<const ShardFile*>> studies;  // by target file name
  std::vector<const ShardFile*> envelopes;
  for (const ShardFile& shard : shards) {
    if (shard.envelope) {
      envelopes.push_back(&shard);
    } else {
      studies[shard.target].push_back(&shard);
    }
  }
  for (const auto& [target, group] : studies) MergeStudy(group, folder, outcome);
  if (!envelopes.empty()) MergeEnvelopes(envelopes, folder, outcome);
  return outcome;
}

}  // namespace quarvel
