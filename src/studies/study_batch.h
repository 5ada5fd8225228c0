#pragma once
// Batch runs of the studies for the command line: the swept values solved side by side on
// several threads, and a study split into shards that run as separate processes (on one
// machine or many) and are merged afterwards into exactly what one run would have written.
//
// Every swept value is solved by detail::SolveStudyValue on a copy of the bench as it stood
// when the study started, which is what the sequential RunParametricLoop does on the bench
// itself; results are committed in value order on the calling thread, with the same file
// writes, envelope updates, progress calls and Escape / Ctrl-C check as the sequential loop.

#include <cstdint>
#include <string>
#include <vector>

#include "io/file_result.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"

namespace quarvel {

// How a batch study spreads its work.
struct StudyWork {
  int32_t jobs = 1;        // swept values solved at once, each on a thread of its own (>= 1)
  int32_t shard = 1;       // this run's part, 1..shardCount
  int32_t shardCount = 1;  // the values (advanced study: the files) are dealt out in turn:
                           // part I takes the I-th, the (I + shardCount)-th, ...
  // Solve every experiment per value, as the window does, or only the selected one, which is
  // all a study file and the envelopes read.
  detail::StudySolve solve = detail::StudySolve::SelectedExperiment;

  bool Sharded() const { return shardCount > 1; }
  // "<text>/<count>" with 1 <= shard <= count; false (work unchanged) otherwise.
  bool ParseShard(const std::string& text);
};

// The file a shard writes in place of `target`: "<target>.shard-<I>-of-<N>".
std::string ShardFileName(const std::string& target, int32_t shard, int32_t shardCount);

// The name under which a shard of the advanced study keeps its envelope arrays.
inline constexpr const char* kEnvelopeShardTarget = "EnvRelError.out";

// The parametric study of RunParametricLoop, run in batch. Unsharded it writes the study file
// byte for byte as RunParametricLoop would. A shard solves only its values and writes them,
// each with its index, to ShardFileName(name, I, N), ended by a line saying whether it
// completed (MergeStudyShards puts the shards together). Escape / Ctrl-C stops handing out
// values; the values in progress are finished, and every value finished in order is written.
// Messages shown by the solves reach `ui` in value order. Afterwards the rewritten input holds
// the last value written; the bench's results are not those of any value.
StudyOutcome RunParametricStudy(Workbench& bench, UserInterface& ui, const std::string& folder,
                                const std::string& outputName, double threshold,
                                bool updateEnvelopes, const StudyWork& work,
                                const StudyProgressObserver& progress = {});

// The advanced study of RunAdvancedLoop, run in batch: each file's values as RunParametricStudy
// solves them, the files one after another. A shard studies only its files (the I-th, the
// (I + N)-th, ... of the series) and writes its envelope arrays exactly, to
// ShardFileName(kEnvelopeShardTarget, I, N), in place of the four envelope files.
AdvancedStudyOutcome RunAdvancedStudy(Workbench& bench, UserInterface& ui,
                                      const std::string& folder, double threshold,
                                      const StudyWork& work, const AdvancedLoopHooks& hooks = {});

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
