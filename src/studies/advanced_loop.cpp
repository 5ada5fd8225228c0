#include "studies/advanced_loop.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "solve/reaction_guard.h"
#include "solve/solve_experiments.h"
#include "studies/study_detail.h"
#include "studies/study_shards.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSeriesExtension = ".quarvel";

// "*.quarvel": the name ends in the extension, letters in any case.
bool HasSeriesExtension(std::string_view name) {
  if (name.size() < kSeriesExtension.size()) return false;
  const std::string_view tail = name.substr(name.size() - kSeriesExtension.size());
  return std::equal(tail.begin(), tail.end(), kSeriesExtension.begin(), [](char c, char e) {
    return (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == e;
  });
}

// Names of the regular files of `folder` that end in ".quarvel", sorted.
std::vector<std::string> ListSeriesCandidates(const std::string& folder, FileResult& listing) {
  std::vector<std::string> names;
  const fs::path directory = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code ec;
  fs::directory_iterator it(directory, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::string name = it->path().filename().string();
    if (HasSeriesExtension(name)) names.push_back(std::move(name));
  }
  if (ec) {
    listing = FileResult::Failure(directory.string(), ec.message());
    names.clear();
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::optional<double> ReadThresholdAnswer(std::string_view answer) {
  const double threshold = Val(answer);
  if (!(threshold > 0)) return std::nullopt;
  return threshold;
}

std::optional<double> SeriesNumber(std::string_view fileName) {
  const std::size_t blank = fileName.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  return Val(fileName.substr(0, blank));
}

std::optional<std::string> FindSeriesFile(const std::string& folder, int32_t k,
                                          FileResult& listing) {
  listing = FileResult{};
  for (std::string& name : ListSeriesCandidates(folder, listing)) {
    const std::optional<double> number = SeriesNumber(name);
    if (number && *number == static_cast<double>(k)) return std::move(name);
  }
  return std::nullopt;
}

namespace {

// Loads file k of the series, selects its first experiment, solves and runs its study.
SeriesFileOutcome StudySeriesFile(Workbench& bench, UserInterface& ui, const StopToken& stop,
                                  int32_t k, const SeriesFile& series,
                                  const StudyRequest& request, const AdvancedLoopHooks& hooks,
                                  const StudyWork& work) {
  SeriesFileOutcome file;
  file.sequenceNumber = k;
  file.fileName = series.name;
  if (hooks.onFileStarted) hooks.onFileStarted(k, series.name);
  file.load = series.load(bench.experiments);
  if (!file.load) return file;  // the envelopes stay as they are
  {
    SuppressedReactions suppressed(bench.reactionGuard);
    bench.SelectFirst(SetSource::Other);
    if (hooks.onSetLoaded) hooks.onSetLoaded();
  }
  // A solve cancelled on the way leaves nothing to study, and a run asked to end studies no more.
  if (SolveExperiments(bench, ui, true, work.pool).cancelled || stop.RunStopRequested()) {
    return file;
  }
  ui.ProcessEvents();
  file.study = RunParametricLoop(bench, ui, stop, request, work);
  return file;
}

}  // namespace

AdvancedStudyOutcome RunAdvancedLoop(Workbench& bench, UserInterface& ui, const StopToken& stop,
                                     const std::string& folder, double threshold,
                                     const AdvancedLoopHooks& hooks, const StudyWork& work) {
  const SeriesSource numbered = [&folder](int32_t k,
                                          FileResult& listing) -> std::optional<SeriesFile> {
    const std::optional<std::string> name = FindSeriesFile(folder, k, listing);
    if (!name) return std::nullopt;
    const std::string path = (fs::path(folder) / *name).string();
    return SeriesFile{*name, [path](ExperimentSet& set) { return LoadExperimentFile(path, set); }};
  };
  return RunAdvancedStudy(bench, ui, stop, numbered, folder, threshold, hooks, work);
}

AdvancedStudyOutcome RunAdvancedStudy(Workbench& bench, UserInterface& ui, const StopToken& stop,
                                      const SeriesSource& series, const std::string& folder,
                                      double threshold, const AdvancedLoopHooks& hooks,
                                      const StudyWork& work) {
  AdvancedStudyOutcome outcome;
  if (!(threshold > 0)) return outcome;
  const detail::StudyRange range = detail::ReadStudyRange(bench.inputs);
  if (!range.Valid()) {
    if (!range.message.empty()) outcome.problems.push_back(range.message);
    return outcome;
  }
  outcome.ran = true;
  outcome.envelopes.Reset(range.lastIndex);

  StudyWork perFile = work;  // a shard takes whole files, each study runs whole
  perFile.shard = 1;
  perFile.shardCount = 1;
  for (int32_t k = 1; !stop.RunStopRequested(); ++k) {
    FileResult listing;
    const std::optional<SeriesFile> file = series(k, listing);
    if (!listing) outcome.problems.push_back(listing.Describe());
    if (!file) break;
    if ((k - 1) % work.shardCount != work.shard - 1) continue;

    StudyRequest request;
    request.folder = folder;
    request.outputName = file->name + ".out";
    request.threshold = threshold;
    request.envelopes = &outcome.envelopes;
    request.progress = hooks.progress;
    request.onValue = hooks.onValue;
    SeriesFileOutcome studied =
        StudySeriesFile(bench, ui, stop, k, *file, request, hooks, perFile);
    if (!studied.load) {
      outcome.problems.push_back(studied.load.Describe());
    } else if (studied.study.Failed()) {
      outcome.problems.push_back(studied.study.Describe());
    }
    outcome.files.push_back(std::move(studied));
  }

  if (work.Sharded()) {
    std::string path;
    if (const FileResult written = WriteEnvelopeShard(outcome.envelopes, folder,
                                                      range.lastIndex + 1, range.from,
                                                      range.step, work, path)) {
      outcome.envelopeFiles.push_back(path);
    } else {
      outcome.problems.push_back(written.Describe());
    }
    return outcome;
  }
  for (const FileResult& fault : WriteEnvelopeFiles(outcome.envelopes, folder, range.from,
                                                     range.step, &outcome.envelopeFiles)) {
    outcome.problems.push_back(fault.Describe());
  }
  return outcome;
}

}  // namespace quarvel
