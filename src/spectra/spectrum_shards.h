#pragma once
// Spectra split into shards that run as separate processes, and their merge into exactly the
// two tables one run would have written. A shard file:
//   #quarvel-spectrum-shard TAB I/N TAB <records> TAB <periods> TAB <rows file name> TAB
//       <statistics file name> TAB <description of the spectrum>
//   #head TAB <the rows table's header>
//   <point index> TAB <row>          each point of the shard, index 0-based, ascending
//   #end TAB complete                or: #end TAB aborted

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/file_result.h"
#include "spectra/spectrum_point.h"

namespace quarvel {

inline constexpr std::string_view kSpectrumShardMark = "#quarvel-spectrum-shard";

// What a shard file says about itself and its spectrum.
struct SpectrumShardHead {
  int32_t shard = 1;
  int32_t shardCount = 1;
  int64_t records = 0;
  int64_t periods = 0;
  std::string rowsName;  // file names (no folder) of the two tables
  std::string statisticsName;
  std::string description;  // DescribeSpectrum of its settings
};

// The lines a shard file starts with, and its last line.
std::vector<std::string> SpectrumShardHeadLines(const SpectrumShardHead& head);
std::string SpectrumShardEnd(bool complete);
// The line of point `index`.
std::string SpectrumShardLine(int64_t index, const std::string& row);

// True when the file at `path` starts with the mark of a spectrum shard.
bool IsSpectrumShardFile(const std::string& path);

struct SpectrumMergeOutcome {
  std::vector<std::string> written;  // paths of the tables written completely
  std::vector<FileResult> problems;  // the shards or tables at fault

  bool Failed() const { return !problems.empty(); }
};

// Merges the shard files of one spectrum into its rows and statistics tables in `folder`.
// Every shard 1..N must be given once, complete and of the same spectrum; the tables are byte
// for byte those one run would have written.
SpectrumMergeOutcome MergeSpectrumShards(const std::vector<std::string>& shardPaths,
                                         const std::string& folder);

namespace detail {

// One shard file as the merge reads it.
struct SpectrumShard {
  std::string path;
  SpectrumShardHead head;
  std::string header;                                 // the rows table's header
  std::vector<std::pair<int64_t, std::string>> rows;  // index, row text
  std::vector<SpectrumPoint> points;                  // the rows read, one per row
};

// Reads the lines of shard file `path`: done, or a failure of `path` when they are not one
// complete shard: marks, label, counts (records times periods at most kMaxSpectrumPoints),
// indices (ascending, the shard's own, below the point count, every one of them present),
// rows (unreadable, or of another record than the index says) or the end line.
FileResult ParseSpectrumShard(const std::vector<std::string>& lines, const std::string& path,
                              SpectrumShard& shard);

}  // namespace detail
}  // namespace quarvel
