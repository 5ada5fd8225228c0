// Fuzz target: the reader of the spectrum shard files that `merge` puts together, fed the bytes
// of a whole file through the same line splitting and parsing as a file on disk, then through
// the checks of a spectrum shard.
//
// Beyond "no crash, no leak, no undefined behaviour", every outcome is checked against what the
// merge relies on: a refusal names the file; an accepted shard names both of its tables, has a
// label 1 <= I <= N, at most kMaxSpectrumPoints points (the merge sizes its table from them),
// exactly the points of its part (I - 1, I - 1 + N, ... below records times periods) in order,
// each row read as the row of the record its index says.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "spectra/spectrum_run.h"
#include "spectra/spectrum_shards.h"
#include "spectra/spectrum_table.h"
#include "text/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quarvel::fuzz::Fail;
  using namespace quarvel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = LinesOf(text);
  ShardFile shard;
  FileResult read = ParseShardFile(lines, "shard", shard);
  if (read) read = SpectrumShardKind().check(shard);
  if (!read) {
    if (read.fileName != "shard" || read.reason.empty()) Fail("a refusal without file or reason");
    return 0;
  }
  SpectrumShardHead head;
  if (!ReadSpectrumShardHead(shard, head)) Fail("accepted a head that cannot be read");
  if (head.rowsName.empty() || head.statisticsName.empty()) Fail("accepted a table without name");
  if (shard.shardCount < 1 || shard.shard < 1 || shard.shard > shard.shardCount) {
    Fail("accepted shard label out of range");
  }
  if (head.records < 0 || head.periods < 0 || head.records * head.periods > kMaxSpectrumPoints) {
    Fail("accepted point count too large");
  }
  if (shard.items.size() + 3 != lines.size()) Fail("items and lines disagree");
  for (std::size_t k = 0; k < shard.items.size(); ++k) {
    const int64_t index = shard.items[k].first;
    if (index != shard.shard - 1 + static_cast<int64_t>(k) * shard.shardCount ||
        index >= head.records * head.periods) {
      Fail("a point that is not the shard's");
    }
    const std::optional<SpectrumPoint> point = ParseSpectrumRow(shard.items[k].second);
    if (!point || point->record != index % head.records + 1) Fail("a row of another record");
  }
  return 0;
}
