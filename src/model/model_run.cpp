#include "model/model_run.h"

#include <cstring>

namespace quarvel {

void ModelRun::Prepare() {
  derived.postYieldStiffness = parameters.PostYieldStiffness();
  derived.hystereticScale = parameters.HystereticScale();
  derived.inverseMass = 1.0 / mass;
  derived.factorB = 1.0 / parameters.n;
  derived.factorC = 1.0 + derived.factorB;
  derived.betaMinusGamma = parameters.beta - parameters.gamma;
  derived.gammaIsHalf = parameters.gamma == 0.5;
  lastForceValid_ = false;
  // Compared bit by bit: 1 / n differs for n = 0.0 and n = -0.0, and a NaN never equals itself.
  const bool sameShape = factorEvaluatorSet_ &&
                         std::memcmp(&derived.factorB, &factorEvaluatorB_, sizeof(double)) == 0 &&
                         std::memcmp(&derived.factorC, &factorEvaluatorC_, sizeof(double)) == 0;
  if (!sameShape) {
    factorEvaluator_ = HypergeometricEvaluator(1.0, derived.factorB, derived.factorC);
    factorEvaluatorB_ = derived.factorB;
    factorEvaluatorC_ = derived.factorC;
    factorEvaluatorSet_ = true;
  }
}

void ModelRun::StartPass(int32_t sampleCount) {
  Prepare();
  history.Reset(sampleCount);
  reversalIndices.Reset(sampleCount);
  memory.ResetReversalLists();
  memory.ClearDominanceFlags();
  stoppedByFault = false;
  specialFunctionFault = false;
  cancelled = false;
}

}  // namespace quarvel
