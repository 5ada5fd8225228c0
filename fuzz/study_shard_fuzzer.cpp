// Fuzz target: the reader of the shard files that `merge` puts together, fed the bytes of a whole
// file from memory through the same line splitting and parsing as a file on disk.
//
// Beyond "no crash, no leak, no undefined behaviour", every outcome is checked against what the
// merge relies on: a refusal names the file; an accepted shard has a label 1 <= I <= N and a
// value count within the largest study, so that the arrays the merge sizes from them stay
// small; its indices ascend, stay below the value count and, for a study shard, are the
// shard's own; it ended complete or stopped at a value; and it holds no more lines than the
// input.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "studies/study_detail.h"
#include "text/text_lines.h"

namespace {

using quarvel::fuzz::Fail;

void CheckIndex(int64_t index, int64_t& previous, const quarvel::detail::ShardFile& shard) {
  if (index <= previous || index >= shard.values) Fail("index out of order or beyond the values");
  if (!shard.envelope && index % shard.shardCount != shard.shard - 1) Fail("another shard's value");
  previous = index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = LinesOf(text);
  detail::ShardFile shard;
  const FileResult read = detail::ParseShardFile(lines, "shard", shard);
  if (!read) {
    if (read.fileName != "shard" || read.reason.empty()) Fail("a refusal without file or reason");
    return 0;
  }
  if (shard.shardCount < 1 || shard.shardCount > kMaxStudyValues || shard.shard < 1 ||
      shard.shard > shard.shardCount) {
    Fail("accepted shard label out of range");
  }
  if (shard.values < 0 || shard.values > kMaxStudyValues) Fail("accepted value count too large");
  if (shard.end != "complete" && !(shard.end == "stopped" && shard.stoppedAt >= 0)) {
    Fail("accepted ending that is neither complete nor stopped");
  }
  int64_t previous = -1;
  for (const auto& [index, line] : shard.lines) CheckIndex(index, previous, shard);
  for (const auto& [index, entry] : shard.entries) CheckIndex(index, previous, shard);
  if (shard.head.size() + shard.lines.size() + shard.entries.size() + 2 > lines.size()) {
    Fail("more lines than the input holds");
  }
  return 0;
}
