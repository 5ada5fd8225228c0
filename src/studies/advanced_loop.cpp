#include "studies/advanced_loop.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "io/file_writer.h"
#include "solve/reaction_guard.h"
#include "solve/solve_experiments.h"
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

std::vector<FileResult> WriteEnvelopeFiles(const Envelopes& envelopes, const std::string& folder,
                                           double from, double step,
                                           std::vector<std::string>* written) {
  const std::array<const std::vector<double>*, 4> arrays = {&envelopes.uPos, &envelopes.uNeg,
                                                            &envelopes.ehPos, &envelopes.ehNeg};
  std::vector<FileResult> faults;
  for (std::size_t f = 0; f < arrays.size(); ++f) {
    const std::string path = (fs::path(folder) / kEnvelopeFileNames[f]).string();
    TextFileWriter writer;
    if (writer.Open(path)) {
      const std::vector<double>& entries = *arrays[f];
      for (std::size_t i = 0; i < entries.size() && !writer.Failed(); ++i) {
        if (entries[i] == 0) continue;  // no file reached this value
        const double x = static_cast<double>(i) * step + from;
        writer.WriteLine(detail::StudyNumber(x) + '\t' + detail::StudyNumber(entries[i]));
      }
    }
    if (FileResult closed = writer.Close()) {
      if (written != nullptr) written->push_back(path);
    } else {
      faults.push_back(std::move(closed));
    }
  }
  return faults;
}

namespace detail {

std::optional<StudyRange> StartAdvancedStudy(Workbench& bench, double threshold,
                                             AdvancedStudyOutcome& outcome) {
  if (!(threshold > 0)) return std::nullopt;
  const StudyRange range = ReadStudyRange(bench.inputs);
  if (!range.Valid()) {
    if (!range.message.empty()) outcome.problems.push_back(range.message);
    return std::nullopt;
  }
  outcome.ran = true;
  bench.envelopes.Reset(range.lastIndex);
  return range;
}

void StudySeriesFiles(Workbench& bench, UserInterface& ui, const std::string& folder,
                      const AdvancedLoopHooks& hooks,
                      const std::function<bool(int32_t k)>& takesFile,
                      const SeriesFileStudy& study, AdvancedStudyOutcome& outcome) {
  for (int32_t k = 1;; ++k) {
    if (hooks.stopRequested && hooks.stopRequested()) break;
    FileResult listing;
    const std::optional<std::string> name = FindSeriesFile(folder, k, listing);
    if (!listing) outcome.problems.push_back(listing.Describe());
    if (!name) break;
    if (!takesFile(k)) continue;

    SeriesFileOutcome file;
    file.sequenceNumber = k;
    file.fileName = *name;
    if (hooks.onFileStarted) hooks.onFileStarted(k, *name);

    file.load = LoadExperimentFile((fs::path(folder) / *name).string(), bench.experiments);
    if (!file.load) {
      // The set is empty now; the envelopes keep what the earlier files gave them.
      outcome.problems.push_back(file.load.Describe());
      outcome.files.push_back(std::move(file));
      continue;
    }
    {
      SuppressedReactions suppressed(bench.reactionGuard);
      bench.SelectFirst(SetSource::Other);
      if (hooks.onSetLoaded) hooks.onSetLoaded();
    }
    SolveExperiments(bench, ui, true);
    ui.ProcessEvents();

    file.study = study(*name + ".out");
    if (file.study.Failed()) outcome.problems.push_back(file.study.Describe());
    outcome.files.push_back(std::move(file));
  }
}

}  // namespace detail

AdvancedStudyOutcome RunAdvancedLoop(Workbench& bench, UserInterface& ui,
                                     const std::string& folder, double threshold,
                                     const AdvancedLoopHooks& hooks) {
  AdvancedStudyOutcome outcome;
  const std::optional<detail::StudyRange> range =
      detail::StartAdvancedStudy(bench, threshold, outcome);
  if (!range) return outcome;

  detail::StudySeriesFiles(
      bench, ui, folder, hooks, [](int32_t) { return true; },
      [&](const std::string& outputName) {
        return RunParametricLoop(bench, ui, folder, outputName, threshold, true, hooks.progress);
      },
      outcome);

  for (const FileResult& fault : WriteEnvelopeFiles(bench.envelopes, folder, range->from,
                                                     range->step, &outcome.envelopeFiles)) {
    outcome.problems.push_back(fault.Describe());
  }
  return outcome;
}

}  // namespace quarvel
