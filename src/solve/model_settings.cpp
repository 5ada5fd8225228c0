#include "solve/model_settings.h"

#include <algorithm>

#include "text/number_text.h"

namespace quarvel {
namespace {

constexpr int32_t kMaxSubSteps = 128;

void ReadSolutionMethod(const MainWindowInputs& inputs, ModelParameters& parameters) {
  if (inputs.optSolutionRK45) {
    parameters.solutionMethod = SolutionMethod::RungeKutta;
  } else if (inputs.optSolutionEuler) {
    parameters.solutionMethod = SolutionMethod::Euler;
    int32_t steps = parameters.eulerSteps;
    ToInt32(Val(inputs.txtSolutionEulerSteps), steps);  // out of range: keeps the old count
    parameters.eulerSteps = std::clamp(steps, 1, kMaxSubSteps);
  } else if (inputs.optSolutionEulerStepDoubling) {
    parameters.solutionMethod = SolutionMethod::EulerStepDoubling;
    parameters.eulerSteps = kMaxSubSteps;
    parameters.eps = Val(inputs.txtEps1);
  } else if (inputs.optSolutionRKStepDoubling) {
    parameters.solutionMethod = SolutionMethod::RungeKuttaStepDoubling;
    parameters.eulerSteps = kMaxSubSteps;
    parameters.eps = Val(inputs.txtEps1);
  }
}

ReversalRule ReadReversalRule(const MainWindowInputs& inputs, ReversalRule previous) {
  if (inputs.optALLREV) return ReversalRule::AllReversals;
  if (inputs.optReversalLast) return ReversalRule::LastReversal;
  if (inputs.optReversalMax) return ReversalRule::MaxReversal;
  if (inputs.optReversalLastAndMax) return ReversalRule::LastAndMaxReversal;
  return previous;
}

}  // namespace

void ReadModelParameters(const MainWindowInputs& inputs, ModelParameters& parameters) {
  parameters.A = Val(inputs.txtAlphaCap);
  parameters.beta = Val(inputs.txtBetaSmall);
  parameters.gamma = Val(inputs.txtGammaSmall);
  parameters.n = Val(inputs.txtNee);
  parameters.alpha = Val(inputs.txtAlphaSmall);
  parameters.c = Val(inputs.txtCharlieSmall);
  parameters.Fy = Val(inputs.txtFy);
  parameters.Uy = Val(inputs.txtUy);
  parameters.P = Val(inputs.txtP);
  parameters.thresholdZ = Val(inputs.txtThresholdZ);
  parameters.mass = Val(inputs.txtMass);
  ReadSolutionMethod(inputs, parameters);
  parameters.reversalRule = ReadReversalRule(inputs, parameters.reversalRule);
  parameters.skipWithinDominanceZone = inputs.chkWithinUnloadingBranch;
}

double EffectiveMass(double massSetting, double experimentMass) {
  return massSetting < 0.0 ? experimentMass : massSetting;
}

}  // namespace quarvel
