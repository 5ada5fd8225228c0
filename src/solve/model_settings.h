#pragma once
// Reading the model settings from the main window's inputs.

#include "model/model_parameters.h"
#include "solve/main_window_inputs.h"

namespace quarvel {

// Reads A, beta, gamma, n, a, c, Fy, Uy, P and Threshold Z, the solution method with its
// sub-step count and tolerance, the reversal rule and the dominance-zone option into
// `parameters`. The sub-step count and the tolerance are left as they are where the chosen
// method does not set them (Runge-Kutta), and so is the sub-step count when its text does not
// fit a 32-bit integer (it is still limited to 1..128 for Euler). The mass is not read here:
// it is read per experiment.
void ReadModelParameters(const MainWindowInputs& inputs, ModelParameters& parameters);

// The mass an experiment is solved with: the mass text's value when it is 0 or more,
// otherwise the experiment's own mass.
double EffectiveMass(double massSetting, double experimentMass);

}  // namespace quarvel
