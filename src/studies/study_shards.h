#pragma once
// Studies split into shards that run as separate processes (on one machine or many) and are
// merged afterwards into exactly what one run would have written: the study file as a run lays
// it out, the shard files' marks, and the merge.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/file_result.h"
#include "studies/envelopes.h"
#include "studies/parametric_loop.h"

namespace quarvel {

// The file a shard writes in place of `target`: "<target>.shard-<I>-of-<N>".
std::string ShardFileName(const std::string& target, int32_t shard, int32_t shardCount);

// The name under which a shard of the advanced study keeps its envelope arrays.
inline constexpr const char* kEnvelopeShardTarget = "EnvRelError.out";

// The study file of one run of `values` swept values: the plain file, or for a shard its part
// of it, each line with its index, between a first line naming the shard and a last line saying
// how it ended.
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
// from `from` in steps of `step`, with every bit of every entry, to
// ShardFileName(kEnvelopeShardTarget, I, N) in `folder` (its path into `path`): done, or why
// not.
FileResult WriteEnvelopeShard(const Envelopes& envelopes, const std::string& folder,
                              int32_t values, double from, double step, const StudyWork& work,
                              std::string& path);

struct MergeOutcome {
  std::vector<std::string> written;   // paths of the files written completely
  std::vector<FileResult> problems;   // the shards, study files and envelope files at fault
  // Messages of studies that stopped early (an invalid swept value, a refused solve), as one
  // run would have shown them; the merged file then ends where that run's would have.
  std::vector<std::string> stops;

  bool Failed() const { return !problems.empty(); }
};

// Merges shard files into `folder`: the shards of each study file into that file, the envelope
// shards into the four envelope files. Every shard 1..N of a study must be given, complete, and
// all must come from the same study. What is written is byte for byte what one run would have
// written.
MergeOutcome MergeStudyShards(const std::vector<std::string>& shardPaths,
                              const std::string& folder);

}  // namespace quarvel
