#include "export/loops_export.h"

#include "export/csv_table.h"
#include "export/summary_json.h"

namespace quarvel {
namespace {

// One model's fields of a CSV row, or as many empty fields.
void AddModelFields(CsvRow& row, const std::optional<ClosedLoop>& loop) {
  if (!loop) {
    for (int k = 0; k < 6; ++k) row.Text("");
    return;
  }
  row.Number(loop->closeTime)
      .Number(loop->displacementRange)
      .Number(loop->forceRange)
      .Number(loop->work)
      .Number(loop->scale)
      .Text(loop->violation ? "true" : "false");
}

Json LoopJson(const std::optional<ClosedLoop>& loop) {
  if (!loop) return nullptr;
  return {{"closeSample", loop->closeSample},
          {"closeFraction", JsonNumber(loop->closeFraction)},
          {"closeTime", JsonNumber(loop->closeTime)},
          {"displacementRange", JsonNumber(loop->displacementRange)},
          {"forceRange", JsonNumber(loop->forceRange)},
          {"W", JsonNumber(loop->work)},
          {"scale", JsonNumber(loop->scale)},
          {"violation", loop->violation}};
}

}  // namespace

const char* CycleName(CycleKind kind) { return kind == CycleKind::Displacement ? "U" : "F"; }

std::vector<std::string> LoopsCsvColumns() {
  std::vector<std::string> columns{"experiment", "name",       "loop",      "cycle",
                                   "start_sample", "turn_sample", "start_t_s", "turn_t_s"};
  for (const char* model : {"orig_", "mod_"}) {
    for (const char* name : {"close_t_s", "U_range_m", "F_range_N", "W_J", "scale_J",
                             "violation"}) {
      columns.push_back(std::string(model) + name);
    }
  }
  return columns;
}

FileResult WriteLoopsCsv(const std::string& path,
                         const std::vector<ExperimentLoopAudit>& audits) {
  CsvFile file;
  if (file.Open(path, LoopsCsvColumns())) {
    CsvRow row;
    for (const ExperimentLoopAudit& experiment : audits) {
      for (std::size_t k = 0; k < experiment.audit.rows.size(); ++k) {
        const AuditRow& loop = experiment.audit.rows[k];
        row.Clear();
        row.Whole(experiment.experiment)
            .Text(experiment.name)
            .Whole(static_cast<long long>(k + 1))
            .Text(CycleName(loop.kind))
            .Whole(loop.startSample)
            .Whole(loop.turnSample)
            .Number(loop.startTime)
            .Number(loop.turnTime);
        AddModelFields(row, loop.original);
        AddModelFields(row, loop.modified);
        file.Write(row);
      }
    }
  }
  return file.Close();
}

Json ModelAuditJson(const ModelAudit& audit) {
  Json worst = nullptr;
  if (audit.worstRow > 0) worst = {{"loop", audit.worstRow}, {"W", JsonNumber(audit.worstWork)}};
  return {{"loops", audit.loops}, {"violations", audit.violations}, {"worst", std::move(worst)}};
}

Json LoopCountsJson(const LoopAudit& audit) {
  return {{"original", ModelAuditJson(audit.original)},
          {"modified", ModelAuditJson(audit.modified)}};
}

Json LoopsResultsJson(const std::vector<ExperimentLoopAudit>& audits) {
  Json experiments = Json::array();
  for (const ExperimentLoopAudit& experiment : audits) {
    Json loops = Json::array();
    for (std::size_t k = 0; k < experiment.audit.rows.size(); ++k) {
      const AuditRow& row = experiment.audit.rows[k];
      loops.push_back({{"loop", k + 1},
                       {"cycle", CycleName(row.kind)},
                       {"startSample", row.startSample},
                       {"turnSample", row.turnSample},
                       {"startTime", JsonNumber(row.startTime)},
                       {"turnTime", JsonNumber(row.turnTime)},
                       {"original", LoopJson(row.original)},
                       {"modified", LoopJson(row.modified)}});
    }
    experiments.push_back({{"experiment", experiment.experiment},
                           {"name", experiment.name},
                           {"counts", LoopCountsJson(experiment.audit)},
                           {"loops", std::move(loops)}});
  }
  return {{"experiments", std::move(experiments)}};
}

}  // namespace quarvel
