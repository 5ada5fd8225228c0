#include "export/summary_json.h"

#include <cmath>
#include <utility>

#include "export/loops_export.h"
#include "io/file_writer.h"
#include "solve/labels.h"
#include "solve/model_settings.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

const char* MethodName(SolutionMethod method) {
  switch (method) {
    case SolutionMethod::Euler:
      return "Euler";
    case SolutionMethod::EulerStepDoubling:
      return "EulerStepDoubling";
    case SolutionMethod::RungeKutta:
      return "RungeKutta";
    default:
      return "RungeKuttaStepDoubling";
  }
}

const char* RuleName(ReversalRule rule) {
  switch (rule) {
    case ReversalRule::LastReversal:
      return "LastReversal";
    case ReversalRule::MaxReversal:
      return "MaxReversal";
    case ReversalRule::LastAndMaxReversal:
      return "LastAndMaxReversal";
    default:
      return "AllReversals";
  }
}

Json OptionalNumber(const std::optional<double>& value) {
  return value ? JsonNumber(*value) : Json(nullptr);
}

std::string StudyStatusName(StudyStatus status) {
  switch (status) {
    case StudyStatus::Completed:
      return "completed";
    case StudyStatus::Aborted:
      return "aborted";
    case StudyStatus::NothingToDo:
      return "nothing to do";
    case StudyStatus::NoExperiments:
      return "no experiments";
    case StudyStatus::RangeTooLarge:
      return "range too large";
    case StudyStatus::WriteFailed:
      return "write failed";
    case StudyStatus::InvalidValue:
      return "invalid value";
    default:
      return "solve refused";
  }
}

}  // namespace

Json JsonNumber(double value) {
  return std::isfinite(value) ? Json(value) : Json(NonFiniteText(value));
}

Json RunFaultJson(const RunFault& fault) {
  if (!fault.Any()) return nullptr;
  return {{"stopped", fault.stopped},
          {"firstSample", fault.firstSample},
          {"time", JsonNumber(fault.time)},
          {"nonFiniteSamples", fault.nonFiniteSamples}};
}

Json InputsJson(const Workbench& bench, const Json& engineering) {
  Json typed = Json::object();
  for (const InputTextField& text : kInputTextFields) typed[text.name] = bench.inputs.*text.field;
  for (const InputOptionField& option : kInputOptionFields) {
    typed[option.name] = bench.inputs.*option.field;
  }

  // What a solve of these inputs uses: the sub-step count and the tolerance keep the values of
  // the last solve where the method does not set them.
  ModelParameters used = bench.parameters;
  ReadModelParameters(bench.inputs, used);
  const double massSetting = Val(bench.inputs.txtMass);
  Json masses = Json::array();
  for (const Experiment& experiment : bench.experiments.Records()) {
    masses.push_back(JsonNumber(EffectiveMass(massSetting, experiment.mass)));
  }
  Json model = {
      {"A", JsonNumber(used.A)},
      {"beta", JsonNumber(used.beta)},
      {"gamma", JsonNumber(used.gamma)},
      {"n", JsonNumber(used.n)},
      {"alpha", JsonNumber(used.alpha)},
      {"c", JsonNumber(used.c)},
      {"Fy", JsonNumber(used.Fy)},
      {"Uy", JsonNumber(used.Uy)},
      {"P", JsonNumber(used.P)},
      {"threshold-z", JsonNumber(used.thresholdZ)},
      {"mass", JsonNumber(massSetting)},
      {"method", MethodName(used.solutionMethod)},
      {"euler-steps", used.eulerSteps},
      {"eps", JsonNumber(used.eps)},
      {"rule", RuleName(used.reversalRule)},
      {"skip-in-dominance-zone", used.skipWithinDominanceZone},
      {"massPerExperiment", std::move(masses)},
  };
  for (const auto& [name, value] : engineering.items()) model[name] = value;
  return {{"typed", std::move(typed)}, {"used", std::move(model)}};
}

Json RecordsJson(const ExperimentSet& set, const std::vector<RecordProvenance>& provenance) {
  Json records = Json::array();
  for (int32_t k = 1; k <= set.Count(); ++k) {
    const Experiment& e = set.At(k);
    const RecordProvenance read = ProvenanceOf(e, "");
    Json source = nullptr;
    if (static_cast<std::size_t>(k) <= provenance.size()) {
      const RecordProvenance& p = provenance[static_cast<std::size_t>(k) - 1];
      source = {{"file", p.file},           {"format", RecordFormatName(p.format)},
                {"units", p.units},         {"scale", JsonNumber(p.scale)},
                {"scaleFactor", JsonNumber(p.scaleFactor)},
                {"unitsWritten", p.unitsWritten}, {"unitsFrom", p.unitsSource},
                {"startTime", JsonNumber(p.startTime)}, {"column", p.column}};
    }
    records.push_back({{"experiment", k},
                       {"name", e.name},
                       {"type", DataTypeName(e.dataType)},
                       {"units", read.units},
                       {"timeStep", JsonNumber(e.timeStep)},
                       {"samples", e.counter},
                       {"weight", JsonNumber(e.weight)},
                       {"mass", JsonNumber(e.mass)},
                       {"initialU", JsonNumber(e.initialU)},
                       {"initialUDot", JsonNumber(e.initialUDot)},
                       {"initialZ", JsonNumber(e.initialZ)},
                       {"source", std::move(source)}});
  }
  return records;
}

Json SolveResultsJson(const Workbench& bench) {
  Json experiments = Json::array();
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    const ExperimentResults& r = bench.results.At(k);
    const Periods periods = ComputePeriods(bench.inputs, bench.experiments.At(k).mass);
    experiments.push_back(
        {{"experiment", k},
         {"name", bench.experiments.At(k).name},
         {"samples", r.original.SampleCount()},
         {"original", {{"peakU", JsonNumber(r.originalPeakU)},
                       {"peakEh", JsonNumber(r.originalPeakEh)},
                       {"fault", RunFaultJson(r.originalFault)}}},
         {"modified", {{"peakU", JsonNumber(r.modifiedPeakU)},
                       {"peakEh", JsonNumber(r.modifiedPeakEh)},
                       {"fault", RunFaultJson(r.modifiedFault)}}},
         {"errors", {{"absErrorU", JsonNumber(r.absErrorU)},
                     {"relErrorU", JsonNumber(r.relErrorU)},
                     {"absErrorEh", JsonNumber(r.absErrorEh)},
                     {"relErrorEh", JsonNumber(r.relErrorEh)}}},
         {"periods", {{"elastic", OptionalNumber(periods.elastic)},
                      {"plastic", OptionalNumber(periods.plastic)}}},
         {"loops", LoopCountsJson(AuditLoops(
                       r.original, r.modified,
                       AuditsForceCycles(bench.experiments.At(k).dataType)))}});
  }
  return {{"selectedExperiment", bench.currentExperiment}, {"experiments", std::move(experiments)}};
}

namespace {

Json CompanionPath(const CompanionFile& file) { return file.result ? file.path : std::string(); }

}  // namespace

Json StudyResultsJson(const StudyOutcome& outcome, const CompanionFile* csv) {
  Json results = {{"status", StudyStatusName(outcome.status)},
                  {"message", outcome.message},
                  {"file", outcome.filePath},
                  {"fileProblem", outcome.file ? Json(nullptr) : Json(outcome.file.Describe())},
                  {"valuesSolved", outcome.valuesSolved},
                  {"linesWritten", outcome.linesWritten},
                  {"valuesWithRunFault", outcome.valuesWithRunFault}};
  if (csv != nullptr) results["csv"] = CompanionPath(*csv);
  return results;
}

Json AdvancedStudyResultsJson(const AdvancedStudyOutcome& outcome,
                              const std::vector<CompanionFile>* csv) {
  Json files = Json::array();
  for (const SeriesFileOutcome& file : outcome.files) {
    files.push_back({{"sequenceNumber", file.sequenceNumber},
                     {"record", file.fileName},
                     {"load", file.load ? Json(nullptr) : Json(file.load.Describe())},
                     {"study", StudyResultsJson(file.study)}});
  }
  Json results = {{"ran", outcome.ran},
                  {"files", std::move(files)},
                  {"envelopeFiles", outcome.envelopeFiles},
                  {"problems", outcome.problems}};
  if (csv != nullptr) {
    Json paths = Json::array();
    for (const CompanionFile& file : *csv) paths.push_back(CompanionPath(file));
    results["csv"] = std::move(paths);
  }
  return results;
}

Json SpectrumResultsJson(const SpectrumPlan& plan, const SpectrumOutcome& outcome,
                         const std::string& picture) {
  Json periods = Json::array();
  for (const double period : plan.periods) periods.push_back(JsonNumber(period));
  return {{"spectrum", DescribeSpectrum(plan.settings)},
          {"periods", std::move(periods)},
          {"interrupted", outcome.interrupted},
          {"pointsWritten", outcome.pointsWritten},
          {"periodsWritten", outcome.periodsWritten},
          {"pointsNotReached", outcome.pointsNotReached},
          {"pointsFaulted", outcome.pointsFaulted},
          {"pointsRunFault", outcome.pointsRunFault},
          {"files", outcome.written},
          {"picture", picture.empty() ? Json(nullptr) : Json(picture)}};
}

Json SpectrumEngineeringJson(const SpectrumSettings& settings) {
  const char* kind = settings.kind == SpectrumKind::Strength    ? "strength-ratio"
                     : settings.kind == SpectrumKind::Reduction ? "reduction"
                                                                : "ductility";
  return {{kind, JsonNumber(settings.target)},
          {"damping-ratio", JsonNumber(settings.dampingRatio)}};
}

Json SummaryJson(const ProgramInfo& program, const Workbench& bench, Json records,
                 Json results, const Json& engineering) {
  return {{"program", program.program},
          {"version", program.version},
          {"command", program.command},
          {"arguments", program.arguments},
          {"inputs", InputsJson(bench, engineering)},
          {"records", std::move(records)},
          {"results", std::move(results)}};
}

FileResult WriteJsonFile(const std::string& path, const Json& summary) {
  // Strings are escaped by dump, so every line end in its text is one of the layout's. A name
  // read from a file may hold bytes that are not UTF-8: they become U+FFFD.
  const std::string text = summary.dump(2, ' ', false, Json::error_handler_t::replace);
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16 + 2);
  for (const char c : text) {
    if (c == '\n') crlf.push_back('\r');
    crlf.push_back(c);
  }
  crlf += "\r\n";
  return WriteFileBytes(path, crlf);
}

}  // namespace quarvel
