#pragma once
// Spectra split into shards (solve/shard_file.h) and merged into exactly the two tables one run
// would have written. The first line of a spectrum shard names, after the label, the records,
// the periods, the file names of the rows and statistics tables and the description of the
// spectrum; its one head line is the rows table's header; its items are the rows, by point.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"
#include "solve/shard_file.h"

namespace quarvel {

inline constexpr std::string_view kSpectrumShardMark = "#quarvel-spectrum-shard";

// What a shard file says about its spectrum.
struct SpectrumShardHead {
  int64_t records = 0;
  int64_t periods = 0;
  std::string rowsName;  // file names (no folder) of the two tables
  std::string statisticsName;
  std::string description;  // DescribeSpectrum of its settings
};

// The lines shard `shard` of `count` starts with.
std::vector<std::string> SpectrumShardHeadLines(const SpectrumShardHead& head, int32_t shard,
                                                int32_t count);

// The head of a shard read: done, or a failure of the shard when its first line does not
// describe a spectrum (the counts, records times periods at most kMaxSpectrumPoints, two
// file names).
FileResult ReadSpectrumShardHead(const ShardFile& shard, SpectrumShardHead& head);

// Spectrum shards: beyond the head, the rows table's header, the shard's every point (I - 1,
// I - 1 + N, ... below records times periods) each a row of the record its index says, and a
// complete end. Merged into the rows and statistics tables, once all shards agree on the
// period of every point.
ShardKind SpectrumShardKind();

}  // namespace quarvel
