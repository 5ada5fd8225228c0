#pragma once
// Ordered work split into shards that run as separate processes (on one machine or many), and
// the one merge that puts their items back in order into the files one run would have written.
// Studies, their envelopes and spectra write their shards in one format:
//   <mark> TAB I/N TAB <field> ...   the kind of work, the shard's label, and what only shards
//                                    of the same work share
//   #head TAB <line>                 each line the merged file starts with (any number)
//   <index> TAB <text>               each item of the shard, index 0-based, ascending
//   #end TAB complete                or: #end TAB stopped TAB <index> TAB <message>
//                                    or: #end TAB aborted

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/file_result.h"

namespace quarvel {

// Most shards one piece of work may be split into.
inline constexpr int32_t kMaxShardCount = 1'000'000;

// "I/N"; read back with 1 <= I <= N <= kMaxShardCount, or false (shard and count unchanged).
std::string ShardLabel(int32_t shard, int32_t count);
bool ParseShardLabel(std::string_view text, int32_t& shard, int32_t& count);

// A count written in a shard's first line: the whole text, a number from 0.
bool ParseShardCount(std::string_view text, int64_t& count);

// The file a shard writes in place of `target`: "<target>.shard-<I>-of-<N>".
std::string ShardFileName(const std::string& target, int32_t shard, int32_t count);

// How a shard's run ended: every item done, stopped at an item that ends the whole work (the
// merged file ends before it), or interrupted (the shard must run again).
enum class ShardEnd { Complete, Stopped, Aborted };

// The lines of a shard file, in the order written (`stoppedAt` and `message` for Stopped).
std::string ShardFirstLine(std::string_view mark, int32_t shard, int32_t count,
                           const std::vector<std::string>& fields);
std::string ShardHeadLine(std::string_view line);
std::string ShardItemLine(int64_t index, std::string_view text);
std::string ShardEndLine(ShardEnd end, int64_t stoppedAt = 0, std::string_view message = {});

struct ShardFile {
  std::string path;
  std::string mark;
  int32_t shard = 1;
  int32_t shardCount = 1;
  std::vector<std::string> fields;  // the first line's fields after the label
  std::vector<std::string> head;
  std::vector<std::pair<int64_t, std::string>> items;  // index, text
  ShardEnd end = ShardEnd::Complete;                   // Complete or Stopped once read
  int64_t stoppedAt = -1;
  std::string stopMessage;

  // A failure of this file: "line <n> <what>" about item k.
  FileResult BadItem(std::size_t k, const std::string& what) const;
};

// Reads the lines of shard file `path`: done, or a failure of `path` when they are not one
// finished shard (no mark or label, an index not above the one before, a line after the end,
// an unreadable end line, no end line or an interrupted run).
FileResult ParseShardFile(const std::vector<std::string>& lines, const std::string& path,
                          ShardFile& shard);

struct MergeOutcome {
  std::vector<std::string> written;  // paths of the files written completely
  std::vector<FileResult> problems;  // the shards and merged files at fault
  // Messages of work that stopped at an item (an invalid swept value, a refused solve), as one
  // run would have shown them; the merged file then ends where that run's would have.
  std::vector<std::string> stops;

  bool Failed() const { return !problems.empty(); }
};

// The shards of one merged file, complete: the fields and head of all, and the items of all in
// index order before the first item a shard stopped at.
struct MergedShards {
  const ShardFile* first = nullptr;
  std::vector<const std::pair<int64_t, std::string>*> items;
};

// What a kind of work adds to the format: its mark, the checks of its fields and items (done,
// or the shard's fault), the merged file a shard belongs to, and how merged items are written
// into a folder.
struct ShardKind {
  std::string_view mark;
  std::string_view work;  // what its shards are of, for messages: "study", "spectrum"
  std::function<FileResult(const ShardFile&)> check;
  std::function<std::string(const ShardFile&)> target;
  std::function<void(const MergedShards&, const std::string& folder, MergeOutcome&)> write;
};

// Merges shard files of the given kinds into `folder`. Nothing is written unless every file is
// a shard of one of the kinds that passes its checks. Then, kind by kind and target by target,
// every shard 1..N of a target must be given once and all must be of the same work (same mark,
// fields and head) before the kind writes their items.
MergeOutcome MergeShardFiles(const std::vector<std::string>& paths, const std::string& folder,
                             const std::vector<ShardKind>& kinds);

}  // namespace quarvel
