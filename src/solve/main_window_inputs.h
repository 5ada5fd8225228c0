#pragma once
// The main window's inputs as data: the text of every text box and the state of every option,
// with the window's defaults. The desktop app keeps it in step with its widgets, the command
// line fills it from options; solves read it afresh and the studies rewrite one text per value.

#include <string>

namespace quarvel {

struct MainWindowInputs {
  // System parameters
  std::string txtAlphaCap = "1.0";
  std::string txtBetaSmall = "0.1";
  std::string txtGammaSmall = "0.9";
  std::string txtNee = "2.0";
  std::string txtAlphaSmall = "0.10";
  std::string txtCharlieSmall = "0";
  std::string txtFy = "2.86";
  std::string txtUy = "0.111";
  std::string txtP = "2.0";
  std::string txtThresholdZ = "-1";
  std::string txtMass = "-1";
  std::string txtEps1 = "1E-09";
  std::string txtSolutionEulerSteps = "1";

  // Parametric study range
  std::string txtFrom = "0.1";
  std::string txtTo = "10";
  std::string txtStep = "0.01";

  // Solution method: the first selected in the order RK45, Euler, Euler doubling, RK doubling
  bool optSolutionEuler = false;
  bool optSolutionEulerStepDoubling = false;
  bool optSolutionRK45 = false;
  bool optSolutionRKStepDoubling = true;

  // Reversal rule
  bool optALLREV = true;
  bool optReversalLast = false;
  bool optReversalMax = false;
  bool optReversalLastAndMax = false;
  bool chkWithinUnloadingBranch = true;

  // Parametric study: "Vary :" and "By changing :"
  bool optVaryMass = false;
  bool optVaryElasticPeriod = false;
  bool optVaryPlasticPeriod = true;
  bool optChangeMass = true;
  bool optChangeFy = false;
  bool optChangeUy = false;
};

// Every text box and every option of MainWindowInputs by its control name, in declaration
// order, for what lists or copies them all.
struct InputTextField {
  const char* name;
  std::string MainWindowInputs::*field;
};
struct InputOptionField {
  const char* name;
  bool MainWindowInputs::*field;
};

inline constexpr InputTextField kInputTextFields[] = {
    {"txtAlphaCap", &MainWindowInputs::txtAlphaCap},
    {"txtBetaSmall", &MainWindowInputs::txtBetaSmall},
    {"txtGammaSmall", &MainWindowInputs::txtGammaSmall},
    {"txtNee", &MainWindowInputs::txtNee},
    {"txtAlphaSmall", &MainWindowInputs::txtAlphaSmall},
    {"txtCharlieSmall", &MainWindowInputs::txtCharlieSmall},
    {"txtFy", &MainWindowInputs::txtFy},
    {"txtUy", &MainWindowInputs::txtUy},
    {"txtP", &MainWindowInputs::txtP},
    {"txtThresholdZ", &MainWindowInputs::txtThresholdZ},
    {"txtMass", &MainWindowInputs::txtMass},
    {"txtEps1", &MainWindowInputs::txtEps1},
    {"txtSolutionEulerSteps", &MainWindowInputs::txtSolutionEulerSteps},
    {"txtFrom", &MainWindowInputs::txtFrom},
    {"txtTo", &MainWindowInputs::txtTo},
    {"txtStep", &MainWindowInputs::txtStep},
};

inline constexpr InputOptionField kInputOptionFields[] = {
    {"optSolutionEuler", &MainWindowInputs::optSolutionEuler},
    {"optSolutionEulerStepDoubling", &MainWindowInputs::optSolutionEulerStepDoubling},
    {"optSolutionRK45", &MainWindowInputs::optSolutionRK45},
    {"optSolutionRKStepDoubling", &MainWindowInputs::optSolutionRKStepDoubling},
    {"optALLREV", &MainWindowInputs::optALLREV},
    {"optReversalLast", &MainWindowInputs::optReversalLast},
    {"optReversalMax", &MainWindowInputs::optReversalMax},
    {"optReversalLastAndMax", &MainWindowInputs::optReversalLastAndMax},
    {"chkWithinUnloadingBranch", &MainWindowInputs::chkWithinUnloadingBranch},
    {"optVaryMass", &MainWindowInputs::optVaryMass},
    {"optVaryElasticPeriod", &MainWindowInputs::optVaryElasticPeriod},
    {"optVaryPlasticPeriod", &MainWindowInputs::optVaryPlasticPeriod},
    {"optChangeMass", &MainWindowInputs::optChangeMass},
    {"optChangeFy", &MainWindowInputs::optChangeFy},
    {"optChangeUy", &MainWindowInputs::optChangeUy},
};

}  // namespace quarvel
