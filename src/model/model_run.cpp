#include "model/model_run.h"

namespace quarvel {

void ModelRun::Prepare() {
  derived.postYieldStiffness = parameters.PostYieldStiffness();
  derived.hystereticScale = parameters.HystereticScale();
  derived.inverseMass = 1.0 / mass;
  derived.factorB = 1.0 / parameters.n;
  derived.factorC = 1.0 + derived.factorB;
  derived.betaMinusGamma = parameters.beta - parameters.gamma;
  derived.gammaIsHalf = parameters.gamma == 0.5;
}

}  // namespace quarvel
