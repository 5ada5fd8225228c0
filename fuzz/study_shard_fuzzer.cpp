// Fuzz target: the reader of the study and envelope shard files that `merge` puts together, fed
// the bytes of a whole file from memory through the same line splitting and parsing as a file
// on disk, then through the checks of the kind its mark names.
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
#include "studies/study_shards.h"
#include "text/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quarvel::fuzz::Fail;
  using namespace quarvel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = LinesOf(text);
  ShardFile shard;
  FileResult read = ParseShardFile(lines, "shard", shard);
  const ShardKind study = StudyShardKind();
  const bool envelope = shard.mark == EnvelopeShardKind().mark;
  if (read && !envelope && shard.mark != study.mark) return 0;  // the merge refuses it
  if (read) read = (envelope ? EnvelopeShardKind() : study).check(shard);
  if (!read) {
    if (read.fileName != "shard" || read.reason.empty()) Fail("a refusal without file or reason");
    return 0;
  }
  if (shard.shardCount < 1 || shard.shardCount > kMaxShardCount || shard.shard < 1 ||
      shard.shard > shard.shardCount) {
    Fail("accepted shard label out of range");
  }
  const int64_t values = std::stoll(shard.fields.at(0));
  if (values < 0 || values > kMaxStudyValues) Fail("accepted value count too large");
  if (shard.end == ShardEnd::Stopped && shard.stoppedAt < 0) Fail("stopped at no value");
  if (shard.end == ShardEnd::Aborted) Fail("accepted an interrupted shard");
  int64_t previous = -1;
  for (const auto& [index, item] : shard.items) {
    if (index <= previous || index >= values) Fail("index out of order or beyond the values");
    if (!envelope && index % shard.shardCount != shard.shard - 1) Fail("another shard's value");
    previous = index;
  }
  if (shard.head.size() + shard.items.size() + 2 > lines.size()) {
    Fail("more lines than the input holds");
  }
  return 0;
}
