#include "spectra/spectrum_shards.h"

#include <filesystem>
#include <optional>

#include "io/file_writer.h"
#include "spectra/spectrum_run.h"
#include "spectra/spectrum_table.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

// The points of shard I of N among `total`: I - 1, I - 1 + N, ...
int64_t PointsOfShard(int64_t total, int32_t shard, int32_t count) {
  const int64_t first = shard - 1;
  return first < total ? (total - first + count - 1) / count : 0;
}

FileResult CheckSpectrumShard(const ShardFile& shard) {
  SpectrumShardHead head;
  if (FileResult read = ReadSpectrumShardHead(shard, head); !read) return read;
  const auto bad = [&shard](const std::string& what) {
    return FileResult::Failure(shard.path, what);
  };
  if (shard.head != std::vector<std::string>{SpectrumRowsHeader()}) {
    return bad("the table's columns are not these");
  }
  if (shard.end != ShardEnd::Complete) return bad("unreadable end line");
  const int64_t expected = PointsOfShard(head.records * head.periods, shard.shard,
                                         shard.shardCount);
  if (static_cast<int64_t>(shard.items.size()) != expected) {
    return bad("holds " + std::to_string(shard.items.size()) + " points, not the shard's " +
               std::to_string(expected));
  }
  for (std::size_t k = 0; k < shard.items.size(); ++k) {
    const int64_t index = shard.shard - 1 + static_cast<int64_t>(k) * shard.shardCount;
    if (shard.items[k].first != index) {
      return shard.BadItem(k, "is not the shard's point " + std::to_string(index));
    }
    const std::optional<SpectrumPoint> point = ParseSpectrumRow(shard.items[k].second);
    if (!point || point->record != index % head.records + 1) {
      return shard.BadItem(k, "is not a row of record " +
                                  std::to_string(index % head.records + 1));
    }
  }
  return {};
}

void WriteSpectrum(const MergedShards& merged, const std::string& folder,
                   MergeOutcome& outcome) {
  SpectrumShardHead head;
  ReadSpectrumShardHead(*merged.first, head);
  std::vector<SpectrumPoint> points;
  for (const auto* item : merged.items) points.push_back(*ParseSpectrumRow(item->second));
  // The points of one period all at the period of its first.
  const auto records = static_cast<std::size_t>(head.records);
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].period != points[i - i % records].period) {
      outcome.problems.push_back(FileResult::Failure(
          head.rowsName, "the shards disagree on the period of point " + std::to_string(i)));
      return;
    }
  }

  const std::string rowsPath = (fs::path(folder) / head.rowsName).string();
  FileWriter rows;
  if (rows.Open(rowsPath)) {
    rows.WriteLine(SpectrumRowsHeader());
    for (const auto* item : merged.items) rows.WriteLine(item->second);
  }
  const std::string statisticsPath = (fs::path(folder) / head.statisticsName).string();
  FileWriter statistics;
  if (statistics.Open(statisticsPath)) {
    statistics.WriteLine(SpectrumStatisticsHeader());
    for (std::size_t first = 0; records > 0 && first + records <= points.size();
         first += records) {
      const std::vector<SpectrumPoint> period(points.begin() + static_cast<std::ptrdiff_t>(first),
                                              points.begin() +
                                                  static_cast<std::ptrdiff_t>(first + records));
      statistics.WriteLine(SpectrumStatisticsText(StatisticsOf(period.front().period, period)));
    }
  }
  for (auto [writer, path] :
       {std::pair{&rows, &rowsPath}, std::pair{&statistics, &statisticsPath}}) {
    if (FileResult closed = writer->Close()) {
      outcome.written.push_back(*path);
    } else {
      outcome.problems.push_back(std::move(closed));
    }
  }
}

}  // namespace

std::vector<std::string> SpectrumShardHeadLines(const SpectrumShardHead& head, int32_t shard,
                                                int32_t count) {
  return {ShardFirstLine(kSpectrumShardMark, shard, count,
                         {std::to_string(head.records), std::to_string(head.periods),
                          head.rowsName, head.statisticsName, head.description}),
          ShardHeadLine(SpectrumRowsHeader())};
}

FileResult ReadSpectrumShardHead(const ShardFile& shard, SpectrumShardHead& head) {
  const std::vector<std::string>& fields = shard.fields;
  if (fields.size() != 5 || !ParseShardCount(fields[0], head.records) ||
      !ParseShardCount(fields[1], head.periods) || fields[2].empty() || fields[3].empty()) {
    return FileResult::Failure(shard.path, "not a shard file of a spectrum");
  }
  if (head.records > kMaxSpectrumPoints || head.periods > kMaxSpectrumPoints ||
      head.records * head.periods > kMaxSpectrumPoints) {
    return FileResult::Failure(shard.path, "more points than a spectrum takes");
  }
  head.rowsName = fields[2];
  head.statisticsName = fields[3];
  head.description = fields[4];
  return {};
}

ShardKind SpectrumShardKind() {
  return {kSpectrumShardMark, "spectrum", CheckSpectrumShard,
          [](const ShardFile& shard) { return shard.fields[2]; }, WriteSpectrum};
}

}  // namespace quarvel
