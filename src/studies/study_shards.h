#pragma once
// Studies split into shards (solve/shard_file.h) and merged afterwards into exactly what one run
// would have written: the study file as a run lays it out, the envelope shard of an advanced
// study, and the two kinds of shard the merge takes from studies.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/file_result.h"
#include "solve/shard_file.h"
#include "studies/envelopes.h"
#include "studies/parametric_loop.h"

namespace quarvel {

// The name under which a shard of the advanced study keeps its envelope arrays.
inline constexpr const char* kEnvelopeShardTarget = "EnvRelError.out";

// The study file of one run of `values` swept values: the plain file, or for a shard its part
// of it: a first line naming the shard, the study's count of values and the plain file's name;
// the head lines; each study line with its index; a last line saying how it ended.
class StudyFileLayout {
 public:
  StudyFileLayout(const StudyWork& work, int32_t values, const std::string& folder,
                  const std::string& outputName);

  const std::string& Path() const { return path_; }
  // The lines the file starts with, the mode's title line and the header among them.
  std::vector<std::string> Head(StudyMode mode) const;
  // The line of value i.
  std::string Line(int32_t i, const std::string& studyLine) const;
  // The shard's last line for a study that ended as `outcome` says (at value `stoppedAt` when
  // a value stopped it); nothing for a plain file, or for an ending the merge cannot take.
  std::optional<std::string> End(const StudyOutcome& outcome, int32_t stoppedAt) const;

 private:
  StudyWork work_;
  int32_t values_;
  std::string target_;  // the plain file's name
  std::string path_;
};

// Writes the envelope arrays of shard `work` of an advanced study over `values` swept values
// from `from` in steps of `step` to ShardFileName(kEnvelopeShardTarget, I, N) in `folder` (its
// path into `path`): the first line names the shard, the values, `from` and `step`; an item per
// index with a non-zero entry holds the four entries. Numbers are hexadecimal floating point,
// which keeps every bit. Done, or why not.
FileResult WriteEnvelopeShard(const Envelopes& envelopes, const std::string& folder,
                              int32_t values, double from, double step, const StudyWork& work,
                              std::string& path);

// Study shards (merged into their study file, head and lines) and envelope shards (merged into
// the four envelope files). Both check that the value count is at most kMaxStudyValues and that
// every index lies below it; a study shard holds only the values dealt to it, an envelope shard
// (split by files) any value.
ShardKind StudyShardKind();
ShardKind EnvelopeShardKind();

}  // namespace quarvel
