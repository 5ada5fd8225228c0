#include "solve/shard_file.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>

#include "io/file_reader.h"
#include "text/text_lines.h"

namespace quarvel {
namespace {

constexpr std::string_view kHeadMark = "#head";
constexpr std::string_view kEndMark = "#end";

template <typename Int>
bool ParseWhole(std::string_view text, Int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// The TAB-separated fields of a line ("a\tb" -> "a", "b"; "" -> one empty field).
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

// The end line's words after the mark; an empty reason when they are a finished run's.
std::string ReadEndLine(const std::vector<std::string>& fields, ShardFile& shard) {
  if (fields.size() == 2 && fields[1] == "complete") return {};
  if (fields.size() == 2 && fields[1] == "aborted") return "interrupted; run this shard again";
  if (fields.size() != 4 || fields[1] != "stopped" || !ParseWhole(fields[2], shard.stoppedAt) ||
      shard.stoppedAt < 0) {
    return "unreadable end line";
  }
  shard.end = ShardEnd::Stopped;
  shard.stopMessage = fields[3];
  return {};
}

// Every shard 1..N present once, all of the same work: done, or the file at fault (a shard, or
// the merged file `name` when shards are missing or given twice).
FileResult CheckSet(const std::vector<const ShardFile*>& shards, const std::string& name,
                    std::string_view work) {
  const ShardFile& first = *shards.front();
  std::vector<bool> seen(static_cast<std::size_t>(first.shardCount) + 1, false);
  for (const ShardFile* shard : shards) {
    if (shard->shardCount != first.shardCount || shard->fields != first.fields ||
        shard->head != first.head) {
      return FileResult::Failure(shard->path, "not a shard of the same " + std::string(work) +
                                                  " as " + first.path);
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

void MergeSet(const std::vector<const ShardFile*>& shards, const std::string& name,
              const ShardKind& kind, const std::string& folder, MergeOutcome& outcome) {
  if (FileResult checked = CheckSet(shards, name, kind.work); !checked) {
    outcome.problems.push_back(std::move(checked));
    return;
  }
  // A run stops at the first item that stops it; what its shards wrote beyond is dropped.
  int64_t stop = std::numeric_limits<int64_t>::max();
  const ShardFile* stopping = nullptr;
  for (const ShardFile* shard : shards) {
    if (shard->end == ShardEnd::Stopped && shard->stoppedAt < stop) {
      stop = shard->stoppedAt;
      stopping = shard;
    }
  }
  MergedShards merged;
  merged.first = shards.front();
  for (const ShardFile* shard : shards) {
    for (const auto& item : shard->items) {
      if (item.first < stop) merged.items.push_back(&item);
    }
  }
  std::sort(merged.items.begin(), merged.items.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  kind.write(merged, folder, outcome);
  if (stopping != nullptr) outcome.stops.push_back(stopping->stopMessage);
}

}  // namespace

std::string ShardLabel(int32_t shard, int32_t count) {
  return std::to_string(shard) + "/" + std::to_string(count);
}

bool ParseShardCount(std::string_view text, int64_t& count) {
  return ParseWhole(text, count) && count >= 0;
}

bool ParseShardLabel(std::string_view text, int32_t& shard, int32_t& count) {
  const std::size_t slash = text.find('/');
  int32_t part = 0;
  int32_t parts = 0;
  if (slash == std::string_view::npos || !ParseWhole(text.substr(0, slash), part) ||
      !ParseWhole(text.substr(slash + 1), parts) || parts < 1 || parts > kMaxShardCount ||
      part < 1 || part > parts) {
    return false;
  }
  shard = part;
  count = parts;
  return true;
}

std::string ShardFileName(const std::string& target, int32_t shard, int32_t count) {
  return target + ".shard-" + std::to_string(shard) + "-of-" + std::to_string(count);
}

std::string ShardFirstLine(std::string_view mark, int32_t shard, int32_t count,
                           const std::vector<std::string>& fields) {
  std::string line = std::string(mark) + '\t' + ShardLabel(shard, count);
  for (const std::string& field : fields) line += '\t' + field;
  return line;
}

std::string ShardHeadLine(std::string_view line) {
  return std::string(kHeadMark) + '\t' + std::string(line);
}

std::string ShardItemLine(int64_t index, std::string_view text) {
  return std::to_string(index) + '\t' + std::string(text);
}

std::string ShardEndLine(ShardEnd end, int64_t stoppedAt, std::string_view message) {
  if (end == ShardEnd::Complete) return std::string(kEndMark) + "\tcomplete";
  if (end == ShardEnd::Aborted) return std::string(kEndMark) + "\taborted";
  return std::string(kEndMark) + "\tstopped\t" + std::to_string(stoppedAt) + '\t' +
         std::string(message);
}

FileResult ShardFile::BadItem(std::size_t k, const std::string& what) const {
  return FileResult::Failure(path, "line " + std::to_string(2 + head.size() + k) + ' ' + what);
}

FileResult ParseShardFile(const std::vector<std::string>& lines, const std::string& path,
                          ShardFile& shard) {
  shard.path = path;
  const auto bad = [&path](const std::string& what) { return FileResult::Failure(path, what); };
  if (lines.empty()) return bad("empty, not a shard file");
  std::vector<std::string> first = SplitTabs(lines.front());
  if (first.size() < 2 || first[0].size() < 2 || first[0][0] != '#' || first[0] == kHeadMark ||
      first[0] == kEndMark) {
    return bad("not a shard file");
  }
  if (!ParseShardLabel(first[1], shard.shard, shard.shardCount)) {
    return bad("the first line does not name the shard");
  }
  shard.mark = first[0];
  shard.fields.assign(first.begin() + 2, first.end());

  bool ended = false;
  for (std::size_t n = 1; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (ended) return bad("lines after the end of the shard");
    const std::size_t tab = line.find('\t');
    const std::string_view start = std::string_view(line).substr(0, tab);
    if (start == kEndMark) {
      if (const std::string reason = ReadEndLine(SplitTabs(line), shard); !reason.empty()) {
        return bad(reason);
      }
      ended = true;
      continue;
    }
    if (start == kHeadMark && tab != std::string::npos && shard.items.empty()) {
      shard.head.push_back(line.substr(tab + 1));
      continue;
    }
    int64_t index = -1;
    if (tab == std::string::npos || !ParseWhole(start, index) || index < 0 ||
        (!shard.items.empty() && index <= shard.items.back().first)) {
      return bad("line " + std::to_string(n + 1) + " is not one of the shard's items");
    }
    shard.items.emplace_back(index, line.substr(tab + 1));
  }
  if (!ended) return bad("incomplete (the run that wrote it did not finish)");
  return {};
}

MergeOutcome MergeShardFiles(const std::vector<std::string>& paths, const std::string& folder,
                             const std::vector<ShardKind>& kinds) {
  MergeOutcome outcome;
  std::vector<ShardFile> shards(paths.size());
  // The shards of each merged file, by kind and target.
  std::map<std::pair<std::size_t, std::string>, std::vector<const ShardFile*>> sets;
  // Far above any shard a run writes (a million study values, thousands of spectrum points).
  constexpr std::uintmax_t kMaxShardFileBytes = std::uintmax_t{1} << 30;
  for (std::size_t k = 0; k < paths.size(); ++k) {
    std::string text;
    FileResult read = ReadWholeFile(paths[k], text, kMaxShardFileBytes, "a shard file");
    if (read) read = ParseShardFile(LinesOf(text), paths[k], shards[k]);
    if (read) {
      const auto kind = std::find_if(kinds.begin(), kinds.end(), [&](const ShardKind& known) {
        return known.mark == shards[k].mark;
      });
      read = kind == kinds.end() ? FileResult::Failure(paths[k], "not a shard file")
                                 : kind->check(shards[k]);
      if (read) {
        const auto at = static_cast<std::size_t>(kind - kinds.begin());
        sets[{at, kind->target(shards[k])}].push_back(&shards[k]);
      }
    }
    if (!read) outcome.problems.push_back(std::move(read));
  }
  if (outcome.Failed()) return outcome;
  for (const auto& [key, set] : sets) MergeSet(set, key.second, kinds[key.first], folder, outcome);
  return outcome;
}

}  // namespace quarvel
