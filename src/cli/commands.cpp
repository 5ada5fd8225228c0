#include "cli/commands.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <utility>

#include "cli/experiment_source.h"
#include "experiments/experiment_file.h"
#include "experiments/experiment_labels.h"
#include "export/history_csv.h"
#include "export/record_check_json.h"
#include "model/excitation_force.h"
#include "records/record_summary.h"
#include "report/report_writer.h"
#include "solve/labels.h"
#include "solve/model_settings.h"
#include "solve/solve_experiments.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

void PrintDetails(const Experiment& e) {
  for (const ExperimentLabel& label : UpdateLabels(e)) {
    std::cout << label.caption << '\t' << label.value << '\n';
  }
}

// The labels of the selected experiment, which the caller has made sure exists.
void PrintErrorAndPeriodLabels(const Workbench& bench) {
  const ExperimentResults& r = *bench.CurrentResults();
  const ErrorLabelTexts errors = ErrorLabels(r.absErrorU, r.relErrorU, r.absErrorEh, r.relErrorEh);
  const PeriodLabelTexts periods = PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
  std::cout << "Absolute U :\t" << errors.absoluteU << '\n'
            << "Relative U :\t" << errors.relativeU << '\n'
            << "Absolute Eh :\t" << errors.absoluteEh << '\n'
            << "Relative Eh :\t" << errors.relativeEh << '\n'
            << "T elastic :\t" << periods.elastic << '\n'
            << "T plastic :\t" << periods.plastic << '\n';
}

void PrintResultsTable(const Workbench& bench) {
  std::cout << "Experiment\tOrig Peak U\tMod Peak U\tAbs Peak U Err\tRel Peak U Err\t"
               "Orig Peak Eh\tMod Peak Eh\tAbs Peak Eh Err\tRel Peak Eh Err\n";
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    const ExperimentResults& r = bench.results.At(k);
    std::cout << bench.experiments.At(k).name;
    for (const double value : {r.originalPeakU, r.modifiedPeakU, r.absErrorU, r.relErrorU,
                               r.originalPeakEh, r.modifiedPeakEh, r.absErrorEh, r.relErrorEh}) {
      std::cout << '\t' << FormatDefault(value);
    }
    std::cout << '\n';
  }
}

int WriteReportTo(const Workbench& bench, const std::string& path) {
  const FileResult written =
      WriteReport(path, bench.experiments, bench.results, bench.parameters, bench.inputs.txtMass);
  if (!written) {
    std::cerr << "The report was not written completely: " << written.Describe() << '\n';
    return kExitFailure;
  }
  return 0;
}

// Where the units of a record came from, as the check says it.
std::string UnitsWritten(const RecordProvenance& p) {
  if (p.unitsSource == "header") return p.unitsWritten + " (the header)";
  if (p.unitsSource == "file") return p.units + " (the file)";
  return p.units + (p.unitsSource == "options" ? " (the options)" : " (by default)");
}

void PrintGroundMotion(const GroundMotionMeasures& m) {
  const auto at = [](const RecordPeak& peak, const char* unit) {
    return FormatDefault(std::fabs(peak.value)) + " " + unit + " at " + FormatDefault(peak.time) +
           " s";
  };
  std::cout << "PGA :\t" << FormatDefault(std::fabs(m.pga.value) / kGravity) << " g, "
            << at(m.pga, "m/s^2") << '\n'
            << "PGV :\t" << at(m.pgv, "m/s") << '\n'
            << "PGD :\t" << at(m.pgd, "m") << '\n'
            << "\t(PGV and PGD: the record integrated as given, trapezoidal rule from rest, no "
               "baseline correction)\n"
            << "Arias intensity :\t" << FormatDefault(m.arias) << " m/s\n"
            << "Significant duration (5-95 %) :\t" << FormatDefault(m.significantDuration)
            << " s, from " << FormatDefault(m.significantStart) << " s to "
            << FormatDefault(m.significantEnd) << " s\n";
}

// The record data of one loaded experiment, as the check prints it.
void PrintRecord(int32_t index, const Experiment& e, const RecordProvenance& provenance) {
  const auto labels = UpdateLabels(e);
  std::cout << "Experiment " << index << " :\t" << e.name << '\n'
            << labels[0].caption << '\t' << labels[0].value << '\n'
            << labels[1].caption << '\t' << labels[1].value << '\n'
            << "Units as written :\t" << UnitsWritten(provenance) << '\n'
            << "Units as stored :\t" << SampleUnit(e) << '\n';
  if (provenance.scaleFactor != 1.0) {
    std::cout << "Scale factor :\t" << FormatShortest(provenance.scaleFactor)
              << " (every sample multiplied by it)\n";
  }
  std::cout << "Samples :\t" << e.counter << '\n'
            << "Time step :\t" << FormatDefault(e.timeStep) << " s\n"
            << "Duration :\t" << FormatDefault(DurationOf(e)) << " s\n";
  if (const std::optional<GroundMotionMeasures> ground = GroundMotionOf(e)) {
    PrintGroundMotion(*ground);
  } else {
    const RecordPeak peak = PeakOfRecord(e);
    std::cout << "Peak :\t" << FormatDefault(peak.value) << ' ' << SampleUnit(e) << " at "
              << FormatDefault(peak.time) << " s (sample " << peak.sample << ")\n";
  }
  std::cout << "Mass :\t" << FormatDefault(e.mass) << " kg\n"
            << "Weight :\t" << FormatDefault(e.weight) << '\n';
}

}  // namespace

void ApplyInputs(CommonOptions& options, Workbench& bench) {
  ApplyChoices(options);
  bench.inputs = options.inputs;
  const std::string& steps = bench.inputs.txtSolutionEulerSteps;
  if (steps == MainWindowInputs{}.txtSolutionEulerSteps) return;
  if (!bench.inputs.optSolutionEuler) {
    std::cerr << "note: --euler-steps applies to --method euler only\n";
    return;
  }
  ModelParameters used;
  ReadModelParameters(bench.inputs, used);
  if (Val(steps) != used.eulerSteps) {
    std::cerr << "note: --euler-steps " << steps << ": " << used.eulerSteps
              << " sub-step(s) per sample are used (a whole number from 1 to 128)\n";
  }
}

int RefuseEngineeringConflict(const CommonOptions& options) {
  const std::string conflict = EngineeringConflict(options);
  if (conflict.empty()) return 0;
  std::cerr << conflict << '\n';
  return kExitUsage;
}

int DeriveEngineeringInputs(const CommonOptions& options, Workbench& bench) {
  const EngineeringInputs given = EngineeringInputsOf(options);
  if (!given.Any()) return 0;
  const Experiment* selected = bench.CurrentExperiment();
  const double experimentMass = selected != nullptr ? selected->mass : 0.0;
  const bool ownMass = NeedsExperimentMass(given, bench.inputs);
  if (const std::string error = ApplyEngineeringInputs(given, experimentMass, bench.inputs);
      !error.empty()) {
    std::cerr << "The engineering inputs give no oscillator: " << error;
    if (ownMass) {
      std::cerr << " (with the mass of experiment " << bench.currentExperiment << ", "
                << FormatShortest(experimentMass) << " kg; --mass gives another)";
    }
    std::cerr << '\n';
    return kExitFailure;
  }
  const MainWindowInputs& in = bench.inputs;
  std::cerr << "note: the engineering inputs give --mass " << in.txtMass
            << (Val(in.txtMass) < 0 ? " (each experiment's own)" : "") << " --c "
            << in.txtCharlieSmall << " --Fy " << in.txtFy << " --Uy " << in.txtUy << '\n';
  return 0;
}

int LoadAndSelect(const CommonOptions& options, Workbench& bench,
                  std::vector<RecordProvenance>* provenance) {
  if (const int status = LoadExperiments(options, bench, provenance); status != 0) return status;
  if (options.experiment > bench.experiments.Count()) {
    std::cerr << "--experiment " << options.experiment << ": the set has only "
              << bench.experiments.Count() << " experiment(s)\n";
    return kExitUsage;
  }
  bench.currentExperiment = options.experiment;
  return 0;
}

int PrepareBench(CommonOptions& options, Workbench& bench,
                 std::vector<RecordProvenance>* provenance) {
  if (const int status = RefuseEngineeringConflict(options); status != 0) return status;
  ApplyInputs(options, bench);
  if (const int status = LoadAndSelect(options, bench, provenance); status != 0) return status;
  const std::string uy = bench.inputs.txtUy;
  if (const int status = DeriveEngineeringInputs(options, bench); status != 0) return status;
  // The displacement protocols are made in multiples of Uy: made again with a derived one.
  const bool protocol =
      options.source == ExperimentSource::Dc1 || options.source == ExperimentSource::Dc2;
  if (protocol && bench.inputs.txtUy != uy) return LoadAndSelect(options, bench, provenance);
  return 0;
}

int SolveBench(Workbench& bench, CliUserInterface& ui) {
  SolvePool pool;  // the experiments side by side, one per hardware thread
  const SolveOutcome outcome = SolveExperiments(bench, ui, true, &pool);
  ui.ReportWeightFaults(outcome);
  if (outcome.solved) ui.ReportRunFaults();
  return outcome.solved ? 0 : kExitFailure;
}

int WriteSummaryIfAsked(const CommonOptions& options, const std::string& command,
                        const Workbench& bench, Json records, Json results, Json engineering) {
  if (options.summary.empty()) return 0;
  const ProgramInfo program{"quarvel-cli", QUARVEL_VERSION, command, options.arguments};
  for (const auto& [name, text] : {std::pair{"period", &options.period},
                                   std::pair{"damping-ratio", &options.dampingRatio},
                                   std::pair{"strength-ratio", &options.strengthRatio}}) {
    if (const std::optional<double> value = ParseWholeNumber(*text); value && !text->empty()) {
      engineering[name] = JsonNumber(*value);
    }
  }
  const FileResult written =
      WriteJsonFile(options.summary, SummaryJson(program, bench, std::move(records),
                                                 std::move(results), engineering));
  if (!written) {
    std::cerr << "The summary was not written: " << written.Describe() << '\n';
    return kExitFailure;
  }
  std::cout << "Summary written to " << options.summary << '\n';
  return 0;
}

int RunSolveCommand(CommonOptions& options, const SolveOptions& solve) {
  Workbench bench;
  std::vector<RecordProvenance> provenance;
  if (const int status = PrepareBench(options, bench, &provenance); status != 0) return status;
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;
  PrintDetails(*bench.CurrentExperiment());
  PrintErrorAndPeriodLabels(bench);
  PrintResultsTable(bench);
  int status = 0;
  if (!solve.history.empty()) {
    std::vector<std::string> written;
    const std::vector<FileResult> failures =
        WriteHistoryFiles(solve.history, bench.experiments, bench.results, &written);
    for (const FileResult& failure : failures) {
      std::cerr << "A history was not written: " << failure.Describe() << '\n';
    }
    if (!written.empty()) {
      std::cout << "Histories written to " << solve.history << " (" << written.size()
                << " file(s))\n";
    }
    if (!failures.empty()) status = kExitFailure;
  }
  const int summary =
      WriteSummaryIfAsked(options, "solve", bench, RecordsJson(bench.experiments, provenance),
                          SolveResultsJson(bench));
  return status != 0 ? status : summary;
}

int RunReportCommand(CommonOptions& options, const ReportOptions& report) {
  Workbench bench;
  std::vector<RecordProvenance> provenance;
  if (const int status = PrepareBench(options, bench, &provenance); status != 0) return status;
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;
  if (const int status = WriteReportTo(bench, report.output); status != 0) return status;
  std::cout << "Report written to " << report.output << '\n';
  return WriteSummaryIfAsked(options, "report", bench,
                             RecordsJson(bench.experiments, provenance), SolveResultsJson(bench));
}

int RunDemoCommand(CommonOptions& options, const DemoOptions& demo) {
  Workbench bench;
  if (const int status = PrepareBench(options, bench); status != 0) return status;
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;
  std::error_code error;
  std::filesystem::create_directories(demo.folder, error);
  const std::string reportPath =
      (std::filesystem::path(demo.folder) / "quarvel-report.txt").string();
  if (const int status = WriteReportTo(bench, reportPath); status != 0) return status;
  PrintErrorAndPeriodLabels(bench);
  PrintResultsTable(bench);
  std::cout << "Report written to " << reportPath << '\n';
  return 0;
}

int RunCheckCommand(const CheckOptions& check) {
  RecordOptions options = RecordOptionsOf(check.record, 0.0);
  options.strict = check.strict;
  int worst = 0;
  std::vector<Json> files;
  for (const std::string& file : check.files) {
    int status = 0;
    const RecordLoad load = ReadSourceFile(file, options, check.record, status);
    worst = std::max(worst, status);
    if (check.json) files.push_back(RecordCheckJson(load));
    if (check.json || !load.result) continue;
    const RecordSet& records = load.records;
    std::cout << file << ": " << records.experiments.size() << " experiment(s), "
              << load.warningCount << " warning(s)\n";
    for (std::size_t k = 0; k < records.experiments.size(); ++k) {
      PrintRecord(static_cast<int32_t>(k + 1), records.experiments[k], records.provenance[k]);
    }
  }
  if (check.json) {
    const ProgramInfo program{"quarvel-cli", QUARVEL_VERSION, "check", check.arguments};
    std::cout << RecordChecksJson(program, files).dump(2) << '\n';
  }
  return worst;
}

int RunConvertCommand(const ConvertOptions& convert) {
  CommonOptions options;
  options.source = ExperimentSource::Load;
  options.loadFiles = convert.inputs;
  options.record = convert.record;
  options.strict = convert.strict;
  Workbench bench;
  if (const int status = LoadExperiments(options, bench); status != 0) return status;
  const FileResult written = WriteExperimentFile(convert.output, bench.experiments);
  if (!written) {
    std::cerr << "The experiment file was not written: " << written.Describe() << '\n';
    return kExitFailure;
  }
  std::cout << "Converted " << bench.experiments.Count() << " experiment(s) from "
            << convert.inputs.size() << " file(s) into " << convert.output << '\n';
  return 0;
}

}  // namespace quarvel::cli
