#include "model/state_derivative.h"

namespace quarvel {

bool CompleteSample(ModelRun& run, int32_t i, bool stopAtFault) {
  const auto at = static_cast<std::size_t>(i);
  ResponseHistory& h = run.history;
  const DerivedConstants& d = run.derived;
  h.F[at] = d.postYieldStiffness * h.U[at] + d.hystereticScale * h.Z[at];
  if (stopAtFault && !std::isfinite(h.F[at])) return false;
  h.U_DOT_DOT[at] =
      (run.excitation.ExcitationAt(h.T[at]) - h.F[at] - run.parameters.c * h.U_DOT[at]) / run.mass;
  if (stopAtFault && !std::isfinite(h.U_DOT_DOT[at])) return false;
  h.Fh[at] = d.hystereticScale * h.Z[at];
  return !stopAtFault || std::isfinite(h.Fh[at]);
}

}  // namespace quarvel
