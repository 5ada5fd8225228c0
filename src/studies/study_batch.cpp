#include "studies/study_batch.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>

#include "io/file_writer.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

// Marks of the shard files. A study shard:
//   #quarvel-study-shard TAB I/N TAB <values in the study> TAB <target file name>
//   #head TAB <line>                 each line the study file starts with
//   <index> TAB <study line>         each line written, index 0-based, ascending
//   #end TAB complete                or: #end TAB stopped TAB <index> TAB <message>
//                                    or: #end TAB aborted
// An envelope shard:
//   #quarvel-envelope-shard TAB I/N TAB <values> TAB <from> TAB <step>
//   <index> TAB <uPos> TAB <uNeg> TAB <ehPos> TAB <ehNeg>   (indices with a non-zero entry)
//   #end TAB complete
// Numbers of the envelope shard are hexadecimal floating point, which keeps every bit.
constexpr std::string_view kStudyShardMark = "#quarvel-study-shard";
constexpr std::string_view kEnvelopeShardMark = "#quarvel-envelope-shard";
constexpr std::string_view kHeadMark = "#head";
constexpr std::string_view kEndMark = "#end";

std::string HexNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

std::string ShardLabel(int32_t shard, int32_t count) {
  return std::to_string(shard) + "/" + std::to_string(count);
}

// --------------------------------------------------------------------------------------
// Solving values side by side.

// A user interface for a worker: remembers the messages to show them later, in value order,
// on the real one; everything else has no meaning away from the window's thread.
class MessageRecorder : public UserInterface {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    messages.emplace_back(text, icon);
  }
  void ProcessEvents() override {}
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {}

  std::vector<std::pair<std::string, MessageIcon>> messages;
};

struct SolvedValue {
  detail::StudyValue value;
  std::vector<std::pair<std::string, MessageIcon>> messages;
};

// What the committing thread wants after a value.
enum class Next {
  Continue,
  StopAfterFinished,  // hand out nothing more; the values in progress are still committed
  StopNow,            // commit nothing more
};

using CommitValue = std::function<Next(int32_t index, const detail::StudyValue&)>;

// Solves study values `indices` (ascending) on copies of `bench`, `jobs` at a time, and passes
// each to `commit` in order on the calling thread, after showing its messages on `ui`.
void SweepValues(const Workbench& bench, UserInterface& ui, const detail::StudyStart& start,
                 const std::vector<int32_t>& indices, double threshold, const StudyWork& work,
                 const CommitValue& commit) {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t handedOut = 0;
  bool stopHandingOut = false;
  int running = 0;
  std::map<std::size_t, SolvedValue> finished;  // positions in `indices`, out of order
  std::exception_ptr failure;

  // Workers stay at most `window` values ahead of the committed ones: an interrupted study
  // then finishes only a few values more, and few results wait out of order.
  const std::size_t window = 2 * static_cast<std::size_t>(std::max(1, work.jobs));
  std::size_t committed = 0;

  auto worker = [&] {
    Workbench local = bench;
    MessageRecorder recorder;
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] {
        return stopHandingOut || handedOut >= indices.size() || handedOut < committed + window;
      });
      if (stopHandingOut || handedOut >= indices.size()) break;
      const std::size_t position = handedOut++;
      lock.unlock();
      SolvedValue solved;
      std::exception_ptr error;
      try {
        solved.value = detail::SolveStudyValue(local, recorder, start, indices[position],
                                               threshold, work.solve);
        solved.messages = std::move(recorder.messages);
        recorder.messages.clear();
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      if (error) {
        if (!failure) failure = error;
        stopHandingOut = true;
      } else {
        finished.emplace(position, std::move(solved));
      }
      changed.notify_all();
    }
    --running;
    changed.notify_all();
  };

  const std::size_t threadCount =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(1, work.jobs)), indices.size());
  std::vector<std::thread> threads;
  running = static_cast<int>(threadCount);
  threads.reserve(threadCount);
  for (std::size_t k = 0; k < threadCount; ++k) threads.emplace_back(worker);

  bool committing = true;
  std::unique_lock lock(mutex);
  for (std::size_t position = 0; position < indices.size() && committing; ++position) {
    changed.wait(lock, [&] { return finished.count(position) > 0 || running == 0; });
    const auto found = finished.find(position);
    if (found == finished.end()) break;  // never handed out, or its worker failed
    SolvedValue solved = std::move(found->second);
    finished.erase(found);
    lock.unlock();
    for (const auto& [text, icon] : solved.messages) ui.ShowMessage(text, icon);
    const Next next = commit(indices[position], solved.value);
    lock.lock();
    committed = position + 1;
    if (next != Next::Continue) stopHandingOut = true;
    changed.notify_all();
    if (next == Next::StopNow) committing = false;
  }
  stopHandingOut = true;
  changed.notify_all();
  lock.unlock();
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
}

// A copy of the bench for the workers: inputs, selection, settings and the experiments'
// records, without their results (every value solves afresh, and a response of a long record
// weighs hundreds of megabytes).
Workbench WithoutResults(Workbench& bench) {
  ResultSet held = std::move(bench.results);
  bench.results = ResultSet{};
  Workbench copy = bench;
  bench.results = std::move(held);
  return copy;
}

}  // namespace

bool StudyWork::ParseShard(const std::string& text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  int32_t part = 0;
  int32_t count = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  const auto first = std::from_chars(begin, begin + slash, part);
  const auto second = std::from_chars(begin + slash + 1, end, count);
  if (first.ec != std::errc() || first.ptr != begin + slash || second.ec != std::errc() ||
      second.ptr != end || count < 1 || part < 1 || part > count) {
    return false;
  }
  shard = part;
  shardCount = count;
  return true;
}

std::string ShardFileName(const std::string& target, int32_t shard, int32_t shardCount) {
  return target + ".shard-" + std::to_string(shard) + "-of-" + std::to_string(shardCount);
}

StudyOutcome RunParametricStudy(Workbench& bench, UserInterface& ui, const std::string& folder,
                                const std::string& outputName, double threshold,
                                bool updateEnvelopes, const StudyWork& work,
                                const StudyProgressObserver& progress) {
  StudyOutcome outcome;
  const std::optional<detail::StudyStart> started = detail::StartParametricStudy(bench, outcome);
  if (!started) return outcome;
  const detail::StudyStart& start = *started;
  const int32_t count = start.range.lastIndex + 1;
  std::vector<int32_t> indices;
  for (int32_t i = work.shard - 1; i < count; i += work.shardCount) indices.push_back(i);

  const std::string target = outputName.empty() ? kDefaultStudyFileName : outputName;
  const std::string path =
      work.Sharded()
          ? (fs::path(folder) / ShardFileName(target, work.shard, work.shardCount)).string()
          : detail::StudyFilePath(folder, outputName);
  TextFileWriter writer;
  if (!writer.Open(path)) {
    outcome.status = StudyStatus::WriteFailed;
    outcome.file = writer.Result();
    return outcome;
  }
  outcome.filePath = path;
  if (work.Sharded()) {
    writer.WriteLine(std::string(kStudyShardMark) + '\t' + ShardLabel(work.shard, work.shardCount) +
                     '\t' + std::to_string(count) + '\t' + target);
  }
  for (const std::string_view line : detail::StudyHead(start.mode)) {
    writer.WriteLine(work.Sharded() ? std::string(kHeadMark) + '\t' + std::string(line)
                                    : std::string(line));
  }

  outcome.status = StudyStatus::Completed;
  bench.loopAbortRequested = false;
  int32_t stoppedAt = -1;
  int32_t lastRewritten = -1;  // the last value whose input was rewritten
  const Workbench snapshot = WithoutResults(bench);
  SweepValues(snapshot, ui, start, indices, threshold, work,
              [&](int32_t i, const detail::StudyValue& value) {
                if (value.kind != detail::StudyValue::Kind::InvalidValue) lastRewritten = i;
                const std::string prefix = work.Sharded() ? std::to_string(i) + '\t' : "";
                if (!detail::CommitStudyValue(i, value, prefix, updateEnvelopes, writer,
                                              bench.envelopes, outcome)) {
                  if (!writer.Failed()) stoppedAt = i;
                  return Next::StopNow;
                }
                if (progress) progress(StudyProgress{i, count, value.x});
                if (outcome.status == StudyStatus::Aborted) return Next::StopAfterFinished;
                ui.ProcessEvents();
                if (bench.loopAbortRequested) {
                  outcome.status = StudyStatus::Aborted;
                  return Next::StopAfterFinished;
                }
                return Next::Continue;
              });

  // The window keeps the last value in the rewritten input.
  if (lastRewritten >= 0 && start.input != nullptr) {
    bench.inputs.*start.input = FormatDefault(RoundToDecimals(
        detail::RewrittenValue(start.mode, start.range.X(lastRewritten), start.m, start.fy,
                               start.uy, start.a),
        6));
  }

  if (work.Sharded() && !writer.Failed()) {
    switch (outcome.status) {
      case StudyStatus::Completed:
        writer.WriteLine(std::string(kEndMark) + "\tcomplete");
        break;
      case StudyStatus::Aborted:
        writer.WriteLine(std::string(kEndMark) + "\taborted");
        break;
      case StudyStatus::InvalidValue:
      case StudyStatus::SolveRefused:
        writer.WriteLine(std::string(kEndMark) + "\tstopped\t" + std::to_string(stoppedAt) +
                         '\t' + outcome.message);
        break;
      default:
        break;
    }
  }
  detail::CloseStudyFile(writer, outcome);
  return outcome;
}

namespace {

// The envelope arrays of a shard of the advanced study, with every bit of every entry.
FileResult WriteEnvelopeShard(const Envelopes& envelopes, const std::string& folder,
                              const detail::StudyRange& range, const StudyWork& work,
                              std::string& path) {
  path = (fs::path(folder) / ShardFileName(kEnvelopeShardTarget, work.shard, work.shardCount))
             .string();
  TextFileWriter writer;
  if (writer.Open(path)) {
    writer.WriteLine(std::string(kEnvelopeShardMark) + '\t' +
                     ShardLabel(work.shard, work.shardCount) + '\t' +
                     std::to_string(range.lastIndex + 1) + '\t' + HexNumber(range.from) + '\t' +
                     HexNumber(range.step));
    for (std::size_t i = 0; i < envelopes.uPos.size() && !writer.Failed(); ++i) {
      const double entries[] = {envelopes.uPos[i], envelopes.uNeg[i], envelopes.ehPos[i],
                                envelopes.ehNeg[i]};
      if (std::all_of(std::begin(entries), std::end(entries), [](double e) { return e == 0; })) {
        continue;
      }
      std::string line = std::to_string(i);
      for (const double e : entries) line += '\t' + HexNumber(e);
      writer.WriteLine(line);
    }
    writer.WriteLine(std::string(kEndMark) + "\tcomplete");
  }
  return writer.Close();
}

}  // namespace

AdvancedStudyOutcome RunAdvancedStudy(Workbench& bench, UserInterface& ui,
                                      const std::string& folder, double threshold,
                                      const StudyWork& work, const AdvancedLoopHooks& hooks) {
  AdvancedStudyOutcome outcome;
  const std::optional<detail::StudyRange> range =
      detail::StartAdvancedStudy(bench, threshold, outcome);
  if (!range) return outcome;
  StudyWork perFile = work;
  perFile.shard = 1;
  perFile.shardCount = 1;

  detail::StudySeriesFiles(
      bench, ui, folder, hooks,
      [&work](int32_t k) { return (k - 1) % work.shardCount == work.shard - 1; },
      [&](const std::string& outputName) {
        return RunParametricStudy(bench, ui, folder, outputName, threshold, true, perFile,
                                  hooks.progress);
      },
      outcome);

  if (work.Sharded()) {
    std::string path;
    if (const FileResult written = WriteEnvelopeShard(bench.envelopes, folder, *range, work, path)) {
      outcome.envelopeFiles.push_back(path);
    } else {
      outcome.problems.push_back(written.Describe());
    }
    return outcome;
  }
  for (const FileResult& fault : WriteEnvelopeFiles(bench.envelopes, folder, range->from,
                                                     range->step, &outcome.envelopeFiles)) {
    outcome.problems.push_back(fault.Describe());
  }
  return outcome;
}

// --------------------------------------------------------------------------------------
// Merging.

namespace {

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

FileResult ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileResult::Failure(path, "cannot be opened");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  if (in.bad()) return FileResult::Failure(path, "cannot be read");
  return {};
}

bool ParseIndex(const std::string& text, int64_t& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= 0;
}

bool ParseShardLabel(const std::string& text, int32_t& shard, int32_t& count) {
  StudyWork work;
  if (!work.ParseShard(text)) return false;
  shard = work.shard;
  count = work.shardCount;
  return true;
}

bool ParseHex(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

// One shard file as read.
struct Shard {
  std::string path;
  bool envelope = false;
  int32_t shard = 0;
  int32_t shardCount = 0;
  int64_t values = 0;
  std::string target;                // study shards
  std::vector<std::string> head;     // study shards
  std::vector<std::pair<int64_t, std::string>> lines;  // study shards: index, study line
  std::string end;                   // "complete", "aborted", "stopped"
  int64_t stoppedAt = -1;
  std::string stopMessage;
  double from = 0.0;                 // envelope shards
  double step = 0.0;
  std::vector<std::pair<int64_t, std::array<double, 4>>> entries;
};

FileResult ReadShard(const std::string& path, Shard& shard) {
  shard.path = path;
  std::vector<std::string> lines;
  if (FileResult read = ReadLines(path, lines); !read) return read;
  const auto bad = [&path](const std::string& what) { return FileResult::Failure(path, what); };
  if (lines.empty()) return bad("empty, not a shard file");
  const std::vector<std::string> first = SplitTabs(lines.front());
  if (first[0] == kStudyShardMark && first.size() == 4) {
    shard.target = first[3];
  } else if (first[0] == kEnvelopeShardMark && first.size() == 5) {
    shard.envelope = true;
    if (!ParseHex(first[3], shard.from) || !ParseHex(first[4], shard.step)) {
      return bad("the range of the envelope shard cannot be read");
    }
  } else {
    return bad("not a shard file of a study");
  }
  if (!ParseShardLabel(first[1], shard.shard, shard.shardCount) ||
      !ParseIndex(first[2], shard.values)) {
    return bad("the first line does not name the shard");
  }

  int64_t previous = -1;
  for (std::size_t n = 1; n < lines.size(); ++n) {
    if (!shard.end.empty()) return bad("lines after the end of the shard");
    const std::vector<std::string> fields = SplitTabs(lines[n]);
    if (fields[0] == kEndMark) {
      if (fields.size() < 2) return bad("unreadable end line");
      shard.end = fields[1];
      if (shard.end == "stopped") {
        if (fields.size() != 4 || !ParseIndex(fields[2], shard.stoppedAt)) {
          return bad("unreadable end line");
        }
        shard.stopMessage = fields[3];
      } else if (shard.end != "complete" && shard.end != "aborted") {
        return bad("unreadable end line");
      }
      continue;
    }
    if (!shard.envelope && fields[0] == kHeadMark && shard.lines.empty()) {
      shard.head.push_back(lines[n].substr(kHeadMark.size() + 1));
      continue;
    }
    int64_t index = 0;
    // A study shard holds every N-th value; an envelope shard (split by files) any value.
    if (!ParseIndex(fields[0], index) || index <= previous || index >= shard.values ||
        (!shard.envelope && index % shard.shardCount != shard.shard - 1)) {
      return bad("line " + std::to_string(n + 1) + " is not one of the shard's values");
    }
    previous = index;
    if (shard.envelope) {
      std::array<double, 4> entry{};
      if (fields.size() != 5) return bad("line " + std::to_string(n + 1) + " is unreadable");
      for (std::size_t f = 0; f < 4; ++f) {
        if (!ParseHex(fields[f + 1], entry[f])) {
          return bad("line " + std::to_string(n + 1) + " is unreadable");
        }
      }
      shard.entries.emplace_back(index, entry);
    } else {
      shard.lines.emplace_back(index, lines[n].substr(fields[0].size() + 1));
    }
  }
  if (shard.end.empty()) return bad("incomplete (the run that wrote it did not finish)");
  if (shard.end == "aborted") return bad("interrupted; run this shard again");
  return {};
}

// Every shard 1..N present once, all of the same study: done, or the file at fault (a shard,
// or the study file `name` when shards are missing or given twice).
FileResult CheckSet(const std::vector<const Shard*>& shards, const std::string& name) {
  const Shard& first = *shards.front();
  std::vector<bool> seen(static_cast<std::size_t>(first.shardCount) + 1, false);
  for (const Shard* shard : shards) {
    if (shard->shardCount != first.shardCount || shard->values != first.values ||
        shard->head != first.head || shard->from != first.from || shard->step != first.step) {
      return FileResult::Failure(shard->path, "not a shard of the same study as " + first.path);
    }
    if (seen[static_cast<std::size_t>(shard->shard)]) {
      return FileResult::Failure(
          name, "shard " + ShardLabel(shard->shard, shard->shardCount) + " given twice");
    }
    seen[static_cast<std::size_t>(shard->shard)] = true;
  }
  std::string missing;
  for (int32_t k = 1; k <= first.shardCount; ++k) {
    if (!seen[static_cast<std::size_t>(k)]) {
      missing += (missing.empty() ? "" : ", ") + ShardLabel(k, first.shardCount);
    }
  }
  if (!missing.empty()) return FileResult::Failure(name, "shard(s) " + missing + " missing");
  return {};
}

void MergeStudy(const std::vector<const Shard*>& shards, const std::string& folder,
                MergeOutcome& outcome) {
  const std::string& target = shards.front()->target;
  if (FileResult checked = CheckSet(shards, target); !checked) {
    outcome.problems.push_back(std::move(checked));
    return;
  }
  // A run stops at the first value that stops it; what its shards wrote beyond is dropped.
  int64_t stop = shards.front()->values;
  const Shard* stopping = nullptr;
  for (const Shard* shard : shards) {
    if (shard->end == "stopped" && shard->stoppedAt < stop) {
      stop = shard->stoppedAt;
      stopping = shard;
    }
  }
  std::vector<const std::pair<int64_t, std::string>*> lines;
  for (const Shard* shard : shards) {
    for (const auto& line : shard->lines) {
      if (line.first < stop) lines.push_back(&line);
    }
  }
  std::sort(lines.begin(), lines.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });

  const std::string path = (fs::path(folder) / target).string();
  TextFileWriter writer;
  if (writer.Open(path)) {
    for (const std::string& line : shards.front()->head) writer.WriteLine(line);
    for (const auto* line : lines) writer.WriteLine(line->second);
  }
  if (FileResult closed = writer.Close()) {
    outcome.written.push_back(path);
  } else {
    outcome.problems.push_back(std::move(closed));
  }
  if (stopping != nullptr) outcome.stops.push_back(stopping->stopMessage);
}

void MergeEnvelopes(const std::vector<const Shard*>& shards, const std::string& folder,
                    MergeOutcome& outcome) {
  if (FileResult checked = CheckSet(shards, kEnvelopeShardTarget); !checked) {
    outcome.problems.push_back(std::move(checked));
    return;
  }
  const Shard& first = *shards.front();
  Envelopes envelopes;
  envelopes.Reset(static_cast<int32_t>(first.values - 1));
  // The running extremes over all files, as one run keeps them file after file: the order of
  // the files does not change a maximum or a minimum taken with strict comparisons from 0.
  for (const Shard* shard : shards) {
    for (const auto& [index, entry] : shard->entries) {
      const auto i = static_cast<std::size_t>(index);
      if (entry[0] > envelopes.uPos[i]) envelopes.uPos[i] = entry[0];
      if (entry[1] < envelopes.uNeg[i]) envelopes.uNeg[i] = entry[1];
      if (entry[2] > envelopes.ehPos[i]) envelopes.ehPos[i] = entry[2];
      if (entry[3] < envelopes.ehNeg[i]) envelopes.ehNeg[i] = entry[3];
    }
  }
  for (FileResult& fault :
       WriteEnvelopeFiles(envelopes, folder, first.from, first.step, &outcome.written)) {
    outcome.problems.push_back(std::move(fault));
  }
}

}  // namespace

MergeOutcome MergeStudyShards(const std::vector<std::string>& shardPaths,
                              const std::string& folder) {
  MergeOutcome outcome;
  std::vector<Shard> shards(shardPaths.size());
  for (std::size_t k = 0; k < shardPaths.size(); ++k) {
    if (FileResult read = ReadShard(shardPaths[k], shards[k]); !read) {
      outcome.problems.push_back(std::move(read));
    }
  }
  if (outcome.Failed()) return outcome;

  std::map<std::string, std::vector<const Shard*>> studies;  // by target file name
  std::vector<const Shard*> envelopes;
  for (const Shard& shard : shards) {
    if (shard.envelope) {
      envelopes.push_back(&shard);
    } else {
      studies[shard.target].push_back(&shard);
    }
  }
  for (const auto& [target, group] : studies) MergeStudy(group, folder, outcome);
  if (!envelopes.empty()) MergeEnvelopes(envelopes, folder, outcome);
  return outcome;
}

}  // namespace quarvel
