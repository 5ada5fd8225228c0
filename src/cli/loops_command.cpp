#include "cli/loops_command.h"

#include <iostream>
#include <vector>

#include "cli/commands.h"
#include "export/loops_export.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

// A model's columns of the table: U range, W, scale and the verdict, or dashes.
void PrintModelColumns(const std::optional<ClosedLoop>& loop) {
  if (!loop) {
    std::cout << "\t-\t-\t-\t-";
    return;
  }
  std::cout << '\t' << FormatDefault(loop->displacementRange) << '\t' << FormatDefault(loop->work)
            << '\t' << FormatDefault(loop->scale) << '\t'
            << (loop->violation ? "VIOLATION" : "ok");
}

std::string WorstText(const ModelAudit& audit) {
  if (audit.worstRow == 0) return "none";
  return "loop " + std::to_string(audit.worstRow) + " (W = " + FormatDefault(audit.worstWork) +
         ")";
}

void PrintAudit(const ExperimentLoopAudit& experiment) {
  const LoopAudit& audit = experiment.audit;
  std::cout << "Experiment " << experiment.experiment << " :\t" << experiment.name << '\n'
            << "Loop\tCycle\tStart\tTurn\tStart t\tTurn t\tOrig U range\tOrig W\tOrig scale\t"
               "Original\tMod U range\tMod W\tMod scale\tModified\n";
  for (std::size_t k = 0; k < audit.rows.size(); ++k) {
    const AuditRow& row = audit.rows[k];
    std::cout << k + 1 << '\t' << CycleName(row.kind) << '\t' << row.startSample << '\t'
              << row.turnSample << '\t' << FormatDefault(row.startTime) << '\t'
              << FormatDefault(row.turnTime);
    PrintModelColumns(row.original);
    PrintModelColumns(row.modified);
    std::cout << '\n';
  }
  std::cout << "Loops :\toriginal " << audit.original.loops << ", modified "
            << audit.modified.loops << '\n'
            << "Violations :\toriginal " << audit.original.violations << ", modified "
            << audit.modified.violations << '\n'
            << "Worst :\toriginal " << WorstText(audit.original) << ", modified "
            << WorstText(audit.modified) << '\n';
}

}  // namespace

void AddLoopsOptions(CLI::App& command, LoopsOptions& loops, CommonOptions& options) {
  command
      .add_option("--csv", loops.csv,
                  "Also write every loop as CSV: the experiment, the loop's samples and times, "
                  "and per model its ranges, work W, error scale and whether it is a violation")
      ->type_name("FILE")
      ->group("Outputs");
  AddSummaryOption(command, options.summary);
}

int RunLoopsCommand(CommonOptions& options, const LoopsOptions& loops) {
  Workbench bench;
  std::vector<RecordProvenance> provenance;
  if (const int status = PrepareBench(options, bench, &provenance); status != 0) return status;
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;

  std::vector<ExperimentLoopAudit> audits;
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    if (!loops.everyExperiment && !options.allExperiments && k != bench.currentExperiment) {
      continue;
    }
    const Experiment& experiment = bench.experiments.At(k);
    const ExperimentResults& results = bench.results.At(k);
    audits.push_back({k, experiment.name,
                      AuditLoops(results.original, results.modified,
                                 AuditsForceCycles(experiment.dataType))});
    if (audits.size() > 1) std::cout << '\n';
    PrintAudit(audits.back());
  }

  int status = 0;
  if (!loops.csv.empty()) {
    if (const FileResult written = WriteLoopsCsv(loops.csv, audits); written) {
      std::cout << "Loops written to " << loops.csv << '\n';
    } else {
      std::cerr << "The loops were not written completely: " << written.Describe() << '\n';
      status = kExitFailure;
    }
  }
  const int summary =
      WriteSummaryIfAsked(options, "loops", bench, RecordsJson(bench.experiments, provenance),
                          LoopsResultsJson(audits));
  return status != 0 ? status : summary;
}

}  // namespace quarvel::cli
