#include "cli/cli_options.h"

namespace quarvel::cli {

void AddCommonOptions(CLI::App& command, CommonOptions& options) {
  auto* sources = command.add_option_group("Experiments", "Where the experiments come from");
  sources->add_flag_callback("--create", [&options] { options.source = ExperimentSource::Create; },
                             "The six built-in sinusoidal force experiments (default)");
  sources->add_option_function<std::string>(
      "--load",
      [&options](const std::string& file) {
        options.source = ExperimentSource::Load;
        options.loadFile = file;
      },
      "Load an experiment file");
  sources->add_option_function<std::string>(
      "--sine",
      [&options](const std::string& texts) {
        options.source = ExperimentSource::Sine;
        options.sineTexts = texts;
      },
      "One sinusoidal displacement-controlled experiment: MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP");
  sources->add_flag_callback("--dc1", [&options] { options.source = ExperimentSource::Dc1; },
                             "Displacement-controlled ramp protocol DC 1");
  sources->add_flag_callback("--dc2", [&options] { options.source = ExperimentSource::Dc2; },
                             "Displacement-controlled ramp protocol DC 2");
  sources->require_option(0, 1);
  command.add_option("--experiment", options.experiment, "The selected experiment (1-based)")
      ->check(CLI::PositiveNumber);

  MainWindowInputs& in = options.inputs;
  auto text = [&command](const char* name, std::string& target, const char* help) {
    command.add_option(name, target, help)->capture_default_str()->group("Model inputs");
  };
  text("--A", in.txtAlphaCap, "A");
  text("--beta", in.txtBetaSmall, "beta");
  text("--gamma", in.txtGammaSmall, "gamma");
  text("--n", in.txtNee, "n");
  text("--alpha", in.txtAlphaSmall, "a, the post-yield stiffness ratio");
  text("--c", in.txtCharlieSmall, "c, the viscous damping");
  text("--Fy", in.txtFy, "Fy, the yield force");
  text("--Uy", in.txtUy, "Uy, the yield displacement");
  text("--P", in.txtP, "P, the exponent of the reload weight");
  text("--threshold-z", in.txtThresholdZ, "Threshold Z");
  text("--mass", in.txtMass, "Mass (negative: each experiment's own mass)");
  text("--eps", in.txtEps1, "Eps, the step-doubling tolerance");
  text("--euler-steps", in.txtSolutionEulerSteps, "Euler sub-steps per sample");
  text("--from", in.txtFrom, "Study range: from");
  text("--to", in.txtTo, "Study range: to");
  text("--step", in.txtStep, "Study range: step");

  command.add_option("--method", options.method, "Solution method")
      ->check(CLI::IsMember({"euler", "euler-doubling", "rk", "rk-doubling"}))
      ->group("Model inputs");
  command.add_option("--rule", options.rule, "Reversal-point rule")
      ->check(CLI::IsMember({"all", "last", "max", "last-max"}))
      ->group("Model inputs");
  command.add_option("--skip-in-dominance-zone", options.skipInDominanceZone,
                     "Do not update reversal point if within dominance zone")
      ->check(CLI::IsMember({"yes", "no"}))
      ->group("Model inputs");
  command.add_option("--vary", options.vary, "Study: the quantity varied")
      ->check(CLI::IsMember({"mass", "elastic", "plastic", "none"}))
      ->group("Study inputs");
  command.add_option("--by", options.by, "Study: the input changed")
      ->check(CLI::IsMember({"mass", "fy", "uy"}))
      ->group("Study inputs");
}

void ApplyChoices(CommonOptions& options) {
  MainWindowInputs& in = options.inputs;
  if (!options.method.empty()) {
    in.optSolutionEuler = options.method == "euler";
    in.optSolutionEulerStepDoubling = options.method == "euler-doubling";
    in.optSolutionRK45 = options.method == "rk";
    in.optSolutionRKStepDoubling = options.method == "rk-doubling";
  }
  if (!options.rule.empty()) {
    in.optALLREV = options.rule == "all";
    in.optReversalLast = options.rule == "last";
    in.optReversalMax = options.rule == "max";
    in.optReversalLastAndMax = options.rule == "last-max";
  }
  if (!options.skipInDominanceZone.empty()) {
    in.chkWithinUnloadingBranch = options.skipInDominanceZone == "yes";
  }
  if (!options.vary.empty()) {
    in.optVaryMass = options.vary == "mass";
    in.optVaryElasticPeriod = options.vary == "elastic";
    in.optVaryPlasticPeriod = options.vary == "plastic";
  }
  if (!options.by.empty()) {
    in.optChangeMass = options.by == "mass";
    in.optChangeFy = options.by == "fy";
    in.optChangeUy = options.by == "uy";
  }
  // As in the window: varying the mass is always done by changing the mass.
  if (in.optVaryMass) {
    in.optChangeMass = true;
    in.optChangeFy = false;
    in.optChangeUy = false;
  }
}

}  // namespace quarvel::cli
