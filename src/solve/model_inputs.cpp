#include "solve/model_inputs.h"

#include <algorithm>
#include <array>

namespace quarvel {
namespace {

constexpr NumberInputRule kNumberRules[] = {
    {"--A", NumberRule::Any, ""},
    {"--beta", NumberRule::Any, ""},
    {"--gamma", NumberRule::Any, ""},
    {"--n", NumberRule::AboveZero, "the exponent n must be above 0"},
    {"--alpha", NumberRule::Any, ""},
    {"--c", NumberRule::NotNegative,
     "a damping c below 0 feeds energy into the oscillator; give 0 or more"},
    {"--Fy", NumberRule::AboveZero, "the yield force Fy must be above 0"},
    {"--Uy", NumberRule::AboveZero, "the yield displacement Uy must be above 0"},
    {"--P", NumberRule::Any, ""},
    {"--threshold-z", NumberRule::Any, ""},
    {"--mass", NumberRule::NotZero,
     "a mass of 0 cannot be accelerated; give a mass above 0, or a negative value for each "
     "experiment's own mass"},
    {"--eps", NumberRule::NotNegative, "the tolerance Eps must not be negative"},
    {"--euler-steps", NumberRule::Any, ""},
    {"--from", NumberRule::Any, ""},
    {"--to", NumberRule::Any, ""},
    {"--step", NumberRule::Any, ""},
    {"--period", NumberRule::AboveZero, "the period must be above 0 s"},
    {"--damping-ratio", NumberRule::NotNegative, "the damping ratio must not be negative"},
    {"--strength-ratio", NumberRule::AboveZero, "the strength ratio must be above 0"},
};

constexpr std::string_view kMethods[] = {"euler", "euler-doubling", "rk", "rk-doubling"};
constexpr std::string_view kRules[] = {"all", "last", "max", "last-max"};
constexpr std::string_view kYesNo[] = {"yes", "no"};
constexpr std::string_view kVary[] = {"mass", "elastic", "plastic", "none"};
constexpr std::string_view kBy[] = {"mass", "fy", "uy"};

}  // namespace

std::span<const NumberInputRule> NumberInputRules() { return kNumberRules; }

NumberInputRule NumberInputRuleOf(std::string_view option) {
  for (const NumberInputRule& rule : kNumberRules) {
    if (rule.option == option) return rule;
  }
  return {option, NumberRule::Any, ""};
}

std::string CheckNumberInput(std::string_view option, std::string_view text) {
  return CheckNumberInput(NumberInputRuleOf(option), text);
}

std::span<const std::string_view> ChoiceNames(std::string_view option) {
  if (option == "--method") return kMethods;
  if (option == "--rule") return kRules;
  if (option == "--skip-in-dominance-zone") return kYesNo;
  if (option == "--vary") return kVary;
  if (option == "--by") return kBy;
  return {};
}

std::string CheckChoice(std::string_view option, std::string_view text) {
  const std::span<const std::string_view> names = ChoiceNames(option);
  if (std::find(names.begin(), names.end(), text) != names.end()) return {};
  std::string message(option);
  message.append(": ").append(text).append(" not in {");
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k > 0) message += ',';
    message.append(names[k]);
  }
  return message + "}";
}

void ApplyModelChoices(const ModelChoices& choices, MainWindowInputs& in) {
  in.optSolutionEuler = choices.method == "euler";
  in.optSolutionEulerStepDoubling = choices.method == "euler-doubling";
  in.optSolutionRK45 = choices.method == "rk";
  in.optSolutionRKStepDoubling = choices.method == "rk-doubling";
  in.optALLREV = choices.rule == "all";
  in.optReversalLast = choices.rule == "last";
  in.optReversalMax = choices.rule == "max";
  in.optReversalLastAndMax = choices.rule == "last-max";
  in.chkWithinUnloadingBranch = choices.skipInDominanceZone == "yes";
  in.optVaryMass = choices.vary == "mass";
  in.optVaryElasticPeriod = choices.vary == "elastic";
  in.optVaryPlasticPeriod = choices.vary == "plastic";
  in.optChangeMass = choices.by == "mass";
  in.optChangeFy = choices.by == "fy";
  in.optChangeUy = choices.by == "uy";
  // As in the window: varying the mass is always done by changing the mass.
  if (in.optVaryMass) {
    in.optChangeMass = true;
    in.optChangeFy = false;
    in.optChangeUy = false;
  }
}

}  // namespace quarvel
