#include "spectra/spectrum_shards.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>

#include "io/file_writer.h"
#include "spectra/spectrum_run.h"
#include "spectra/spectrum_table.h"
#include "studies/parametric_loop.h"
#include "studies/study_detail.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHeadMark = "#head";
constexpr std::string_view kEndMark = "#end";

std::string Label(int32_t shard, int32_t count) {
  return std::to_string(shard) + "/" + std::to_string(count);
}

bool ParseCount(const std::string& text, int64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

// The points of shard I of N among `total`: I - 1, I - 1 + N, ...
int64_t PointsOfShard(int64_t total, int32_t shard, int32_t count) {
  const int64_t first = shard - 1;
  return first < total ? (total - first + count - 1) / count : 0;
}

FileResult ReadHead(const std::string& line, const std::string& path, SpectrumShardHead& head) {
  const std::vector<std::string> fields = detail::SplitTabs(line);
  StudyWork label;
  if (fields.size() != 7 || fields[0] != kSpectrumShardMark || !label.ParseShard(fields[1]) ||
      !ParseCount(fields[2], head.records) || !ParseCount(fields[3], head.periods) ||
      fields[4].empty() || fields[5].empty()) {
    return FileResult::Failure(path, "not a shard file of a spectrum");
  }
  if (head.records > kMaxSpectrumPoints || head.periods > kMaxSpectrumPoints ||
      head.records * head.periods > kMaxSpectrumPoints) {
    return FileResult::Failure(path, "more points than a spectrum takes");
  }
  head.shard = label.shard;
  head.shardCount = label.shardCount;
  head.rowsName = fields[4];
  head.statisticsName = fields[5];
  head.description = fields[6];
  return {};
}

bool SameSpectrum(const SpectrumShardHead& a, const SpectrumShardHead& b) {
  return a.shardCount == b.shardCount && a.records == b.records && a.periods == b.periods &&
         a.rowsName == b.rowsName && a.statisticsName == b.statisticsName &&
         a.description == b.description;
}

// Every shard 1..N once, all of the same spectrum: done, or the file at fault.
FileResult CheckSet(const std::vector<detail::SpectrumShard>& shards) {
  const detail::SpectrumShard& first = shards.front();
  std::vector<bool> seen(static_cast<std::size_t>(first.head.shardCount) + 1, false);
  for (const detail::SpectrumShard& shard : shards) {
    if (!SameSpectrum(shard.head, first.head) || shard.header != first.header) {
      return FileResult::Failure(shard.path, "not a shard of the same spectrum as " + first.path);
    }
    const auto at = static_cast<std::size_t>(shard.head.shard);
    if (seen[at]) {
      return FileResult::Failure(
          first.head.rowsName,
          "shard " + Label(shard.head.shard, shard.head.shardCount) + " given twice");
    }
    seen[at] = true;
  }
  const auto missing = std::find(seen.begin() + 1, seen.end(), false);
  if (missing != seen.end()) {
    return FileResult::Failure(
        first.head.rowsName,
        "shard " + Label(static_cast<int32_t>(missing - seen.begin()), first.head.shardCount) +
            " missing");
  }
  return {};
}

// Every point of the merged shards in index order, with the row as its shard wrote it.
struct MergedPoint {
  const std::string* row;
  const SpectrumPoint* point;
};

}  // namespace

std::vector<std::string> SpectrumShardHeadLines(const SpectrumShardHead& head) {
  return {std::string(kSpectrumShardMark) + '\t' + Label(head.shard, head.shardCount) + '\t' +
              std::to_string(head.records) + '\t' + std::to_string(head.periods) + '\t' +
              head.rowsName + '\t' + head.statisticsName + '\t' + head.description,
          std::string(kHeadMark) + '\t' + SpectrumRowsHeader()};
}

std::string SpectrumShardEnd(bool complete) {
  return std::string(kEndMark) + (complete ? "\tcomplete" : "\taborted");
}

std::string SpectrumShardLine(int64_t index, const std::string& row) {
  return std::to_string(index) + '\t' + row;
}

bool IsSpectrumShardFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string start(kSpectrumShardMark.size(), '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  return in && start == kSpectrumShardMark;
}

namespace detail {

FileResult ParseSpectrumShard(const std::vector<std::string>& lines, const std::string& path,
                              SpectrumShard& shard) {
  shard.path = path;
  const auto bad = [&path](const std::string& what) { return FileResult::Failure(path, what); };
  if (lines.size() < 3) return bad("not a complete shard file of a spectrum");
  if (FileResult head = ReadHead(lines[0], path, shard.head); !head) return head;
  const std::string headPrefix = std::string(kHeadMark) + '\t';
  if (lines[1].rfind(headPrefix, 0) != 0) return bad("line 2 is not the head of the table");
  shard.header = lines[1].substr(headPrefix.size());
  if (shard.header != SpectrumRowsHeader()) return bad("the table's columns are not these");

  const int64_t total = shard.head.records * shard.head.periods;
  const int64_t expected = PointsOfShard(total, shard.head.shard, shard.head.shardCount);
  const std::string& end = lines.back();
  if (end == SpectrumShardEnd(false)) return bad("interrupted; run this shard again");
  if (end != SpectrumShardEnd(true))
    return bad("incomplete (the run that wrote it did not finish)");
  if (static_cast<int64_t>(lines.size()) - 3 != expected) {
    return bad("holds " + std::to_string(lines.size() - 3) + " points, not the shard's " +
               std::to_string(expected));
  }
  for (std::size_t n = 2; n + 1 < lines.size(); ++n) {
    const auto k = static_cast<int64_t>(n - 2);
    const int64_t index = shard.head.shard - 1 + k * shard.head.shardCount;
    const std::string& line = lines[n];
    const std::size_t tab = line.find('\t');
    int64_t given = -1;
    if (tab == std::string::npos || !ParseCount(line.substr(0, tab), given) || given != index) {
      return bad("line " + std::to_string(n + 1) + " is not the shard's point " +
                 std::to_string(index));
    }
    const std::optional<SpectrumPoint> point =
        ParseSpectrumRow(std::string_view(line).substr(tab + 1));
    if (!point || point->record != index % shard.head.records + 1) {
      return bad("line " + std::to_string(n + 1) + " is not a row of record " +
                 std::to_string(index % shard.head.records + 1));
    }
    shard.rows.emplace_back(index, line.substr(tab + 1));
    shard.points.push_back(*point);
  }
  return {};
}

}  // namespace detail

SpectrumMergeOutcome MergeSpectrumShards(const std::vector<std::string>& shardPaths,
                                         const std::string& folder) {
  SpectrumMergeOutcome outcome;
  std::vector<detail::SpectrumShard> shards(shardPaths.size());
  for (std::size_t k = 0; k < shardPaths.size(); ++k) {
    std::vector<std::string> lines;
    FileResult read = detail::ReadTextFileLines(shardPaths[k], lines);
    if (read) read = detail::ParseSpectrumShard(lines, shardPaths[k], shards[k]);
    if (!read) outcome.problems.push_back(std::move(read));
  }
  if (outcome.Failed() || shards.empty()) return outcome;
  if (FileResult checked = CheckSet(shards); !checked) {
    outcome.problems.push_back(std::move(checked));
    return outcome;
  }

  const SpectrumShardHead& head = shards.front().head;
  std::vector<MergedPoint> merged(static_cast<std::size_t>(head.records * head.periods));
  for (const detail::SpectrumShard& shard : shards) {
    for (std::size_t k = 0; k < shard.rows.size(); ++k) {
      merged[static_cast<std::size_t>(shard.rows[k].first)] = {&shard.rows[k].second,
                                                               &shard.points[k]};
    }
  }
  // The points of one period all at the period of its first.
  const auto records = static_cast<std::size_t>(head.records);
  for (std::size_t i = 0; i < merged.size(); ++i) {
    if (merged[i].point->period != merged[i - i % records].point->period) {
      outcome.problems.push_back(FileResult::Failure(
          head.rowsName, "the shards disagree on the period of point " + std::to_string(i)));
      return outcome;
    }
  }

  const std::string rowsPath = (fs::path(folder) / head.rowsName).string();
  TextFileWriter rows;
  if (rows.Open(rowsPath)) {
    rows.WriteLine(SpectrumRowsHeader());
    for (const MergedPoint& point : merged) rows.WriteLine(*point.row);
  }
  const std::string statisticsPath = (fs::path(folder) / head.statisticsName).string();
  TextFileWriter statistics;
  if (statistics.Open(statisticsPath)) {
    statistics.WriteLine(SpectrumStatisticsHeader());
    std::vector<SpectrumPoint> period;
    for (const MergedPoint& point : merged) {
      period.push_back(*point.point);
      if (period.size() == records) {
        statistics.WriteLine(SpectrumStatisticsText(StatisticsOf(period.front().period, period)));
        period.clear();
      }
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
  return outcome;
}

}  // namespace quarvel
