#include "loops/energy_audit.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace quarvel {
namespace {

// Where along the samples a loop closes.
double ClosingPosition(const ClosedLoop& loop) {
  return loop.closeSample - 1 + loop.closeFraction;
}

double ClosingPosition(const AuditRow& row) {
  if (!row.original) return ClosingPosition(*row.modified);
  if (!row.modified) return ClosingPosition(*row.original);
  return std::min(ClosingPosition(*row.original), ClosingPosition(*row.modified));
}

void Count(ModelAudit& audit, const ClosedLoop& loop, int32_t position) {
  ++audit.loops;
  if (!loop.violation) return;
  ++audit.violations;
  if (loop.work < audit.worstWork) {  // a violation's work is below 0
    audit.worstRow = position;
    audit.worstWork = loop.work;
  }
}

}  // namespace

bool AuditsForceCycles(ExperimentDataType type) { return type == ExperimentDataType::Force; }

std::vector<ClosedLoop> AuditedLoops(const ResponseHistory& response, bool forceCycles) {
  std::vector<ClosedLoop> loops = FindClosedLoops(response, CycleKind::Displacement);
  if (forceCycles) {
    const std::vector<ClosedLoop> force = FindClosedLoops(response, CycleKind::Force);
    loops.insert(loops.end(), force.begin(), force.end());
  }
  return loops;
}

LoopAudit AuditLoops(const ResponseHistory& original, const ResponseHistory& modified,
                     bool forceCycles) {
  LoopAudit audit;
  std::map<std::tuple<CycleKind, int32_t, int32_t>, std::size_t> rowOf;
  const auto add = [&](const ClosedLoop& loop, std::optional<ClosedLoop> AuditRow::*model) {
    const auto [at, added] = rowOf.try_emplace(
        std::tuple(loop.kind, loop.startSample, loop.turnSample), audit.rows.size());
    if (added) {
      audit.rows.push_back(
          {loop.kind, loop.startSample, loop.turnSample, loop.startTime, loop.turnTime, {}, {}});
    }
    audit.rows[at->second].*model = loop;
  };
  for (const ClosedLoop& loop : AuditedLoops(original, forceCycles)) {
    add(loop, &AuditRow::original);
  }
  for (const ClosedLoop& loop : AuditedLoops(modified, forceCycles)) {
    add(loop, &AuditRow::modified);
  }
  std::stable_sort(audit.rows.begin(), audit.rows.end(),
                   [](const AuditRow& a, const AuditRow& b) {
                     return ClosingPosition(a) < ClosingPosition(b);
                   });
  for (std::size_t k = 0; k < audit.rows.size(); ++k) {
    const AuditRow& row = audit.rows[k];
    const auto position = static_cast<int32_t>(k + 1);
    if (row.original) Count(audit.original, *row.original, position);
    if (row.modified) Count(audit.modified, *row.modified, position);
  }
  return audit;
}

}  // namespace quarvel
