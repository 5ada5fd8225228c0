#pragma once
// The energy audit for scripts: the loops of both models as CSV, one row per loop of every
// audited experiment, and as JSON, per experiment the counts of each model and every loop.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "io/file_result.h"
#include "loops/energy_audit.h"

namespace quarvel {

// The audit of one experiment of a set.
struct ExperimentLoopAudit {
  int32_t experiment = 0;  // 1-based in the set
  std::string name;
  LoopAudit audit;
};

// "U" for a displacement cycle, "F" for a force cycle.
const char* CycleName(CycleKind kind);

// The header row: experiment, name, loop, cycle, start_sample, turn_sample, start_t_s,
// turn_t_s, then for orig_ and mod_: close_t_s, U_range_m, F_range_N, W_J, scale_J, violation
// (true or false; every field of a model empty where it has no such loop).
std::vector<std::string> LoopsCsvColumns();

// Writes every loop of the audits, experiment by experiment, in each audit's row order.
FileResult WriteLoopsCsv(const std::string& path, const std::vector<ExperimentLoopAudit>& audits);

// One model's counts: {"loops": n, "violations": v, "worst": {"loop": k, "W": w} or null}.
nlohmann::ordered_json ModelAuditJson(const ModelAudit& audit);

// {"original": ModelAuditJson, "modified": ModelAuditJson} of an audit.
nlohmann::ordered_json LoopCountsJson(const LoopAudit& audit);

// The results of the loops command: per experiment its number, name, the counts and every
// loop with both models' values (null where a model has no such loop).
nlohmann::ordered_json LoopsResultsJson(const std::vector<ExperimentLoopAudit>& audits);

}  // namespace quarvel
