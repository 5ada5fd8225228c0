#include "model/state_derivative.h"

namespace quarvel {

void CompleteSample(ModelRun& run, int32_t i) {
  const auto at = static_cast<std::size_t>(i);
  ResponseHistory& h = run.history;
  const DerivedConstants& d = run.derived;
  h.F[at] = d.postYieldStiffness * h.U[at] + d.hystereticScale * h.Z[at];
  h.U_DOT_DOT[at] =
      (run.excitation.ExcitationAt(h.T[at]) - h.F[at] - run.parameters.c * h.U_DOT[at]) / run.mass;
  h.Fh[at] = d.hystereticScale * h.Z[at];
}

}  // namespace quarvel
