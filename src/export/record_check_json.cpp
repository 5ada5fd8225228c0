#include "export/record_check_json.h"

#include <cmath>

#include "model/excitation_force.h"
#include "records/record_summary.h"

namespace quarvel {
namespace {

Json PeakJson(const RecordPeak& peak) {
  return {{"value", JsonNumber(std::fabs(peak.value))}, {"time_s", JsonNumber(peak.time)}};
}

Json MeasuresJson(const Experiment& e) {
  Json measures = {{"duration_s", JsonNumber(DurationOf(e))}};
  const RecordPeak peak = PeakOfRecord(e);
  measures["peak"] = {{"value", JsonNumber(peak.value)}, {"time_s", JsonNumber(peak.time)}};
  const std::optional<GroundMotionMeasures> ground = GroundMotionOf(e);
  if (!ground) return measures;
  measures["pga_g"] = JsonNumber(std::fabs(ground->pga.value) / kGravity);
  measures["pga_m_s2"] = PeakJson(ground->pga);
  measures["pgv_m_s"] = PeakJson(ground->pgv);
  measures["pgd_m"] = PeakJson(ground->pgd);
  measures["integration"] = "trapezoidal, from rest, no baseline correction";
  measures["arias_m_s"] = JsonNumber(ground->arias);
  measures["significantDuration_s"] = {{"from", JsonNumber(ground->significantStart)},
                                       {"to", JsonNumber(ground->significantEnd)},
                                       {"duration", JsonNumber(ground->significantDuration)}};
  return measures;
}

}  // namespace

Json RecordCheckJson(const RecordLoad& load) {
  Json file = {{"file", load.result.fileName},
               {"loaded", load.result.ok},
               {"error", load.result.ok ? Json(nullptr) : Json(load.result.Describe())},
               {"warnings", load.warningCount}};
  ExperimentSet set;
  set.Assign(load.records.experiments);
  Json records = RecordsJson(set, load.records.provenance);
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i]["measures"] = MeasuresJson(load.records.experiments[i]);
  }
  file["records"] = std::move(records);
  return file;
}

Json RecordChecksJson(const ProgramInfo& program, const std::vector<Json>& files) {
  return {{"program", program.program},
          {"version", program.version},
          {"command", program.command},
          {"arguments", program.arguments},
          {"files", files}};
}

}  // namespace quarvel
