#pragma once
// The energy audit of one solved experiment: the closed loops of both models side by side,
// and per model how many there are, how many break the postulate and the worst of those.

#include <cstdint>
#include <optional>
#include <vector>

#include "experiments/experiment.h"
#include "loops/closed_loops.h"
#include "model/response_history.h"

namespace quarvel {

// One loop of the audit: of the original model, of the modified model, or of both where they
// start and turn at the same samples (always so for a prescribed displacement).
struct AuditRow {
  CycleKind kind = CycleKind::Displacement;
  int32_t startSample = 0;
  int32_t turnSample = 0;
  double startTime = 0.0;
  double turnTime = 0.0;
  std::optional<ClosedLoop> original;
  std::optional<ClosedLoop> modified;
};

struct ModelAudit {
  int32_t loops = 0;
  int32_t violations = 0;
  int32_t worstRow = 0;    // 1-based row of the violation with the lowest work; 0 for none
  double worstWork = 0.0;  // its work
};

struct LoopAudit {
  std::vector<AuditRow> rows;  // in the order the loops close, the earlier model's close first
  ModelAudit original;
  ModelAudit modified;
};

// Whether an experiment of this type is audited over force cycles too: a force record is.
bool AuditsForceCycles(ExperimentDataType type);

// The closed loops of one model's response: displacement cycles, then (with forceCycles) force
// cycles, each kind in the order its loops close.
std::vector<ClosedLoop> AuditedLoops(const ResponseHistory& response, bool forceCycles);

// Both models' loops, paired by kind, start and turn, and their counts.
LoopAudit AuditLoops(const ResponseHistory& original, const ResponseHistory& modified,
                     bool forceCycles);

}  // namespace quarvel
