#include "spectra/engineering_inputs.h"

#include <cmath>
#include <utility>

#include "model/excitation_force.h"
#include "special/pi.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

const char* OptionName(RawInput input) {
  switch (input) {
    case RawInput::Mass: return "--mass";
    case RawInput::Damping: return "--c";
    case RawInput::Fy: return "--Fy";
    case RawInput::Uy: return "--Uy";
  }
  return "";
}

const char* OptionName(EngineeringInput input) {
  switch (input) {
    case EngineeringInput::Period: return "--period";
    case EngineeringInput::DampingRatio: return "--damping-ratio";
    case EngineeringInput::StrengthRatio: return "--strength-ratio";
  }
  return "";
}

// How an engineering input sets a raw one, for the conflict message.
const char* Formula(const DerivedInput& derived) {
  switch (derived.raw) {
    case RawInput::Mass: return "m = (T / 2 pi)^2 Fy / Uy";
    case RawInput::Damping: return "c = 2 ZETA sqrt(k m)";
    case RawInput::Fy: return "Fy = CY m g";
    case RawInput::Uy: return "Uy = Fy / k with k = m / (T / 2 pi)^2, beside --strength-ratio";
  }
  return "";
}


bool MassIsDerived(const EngineeringInputs& given) {
  return given.period.has_value() && !given.strengthRatio.has_value();
}

// Why a derived value cannot be used; empty when it can.
std::string Refusal(const char* name, double value, bool zeroAllowed) {
  if (std::isfinite(value) && (value > 0.0 || (zeroAllowed && value == 0.0))) return {};
  return std::string("the derived ") + name + " is " + FormatShortest(value) +
         (zeroAllowed ? ", not a finite number of 0 or more" : ", not a finite number above 0");
}

// (T / 2 / pi)^2, the square of the period over 2 pi, divided in that order.
double PeriodSquare(double period) {
  const double t = period / 2.0 / kPi;
  return t * t;
}

// The oscillator's mass, damping, yield force and yield displacement.
struct OscillatorValues {
  double mass = 0.0;
  double c = 0.0;
  double Fy = 0.0;
  double Uy = 0.0;
};

// The values after the engineering inputs have set theirs (DerivedInputs), the others as in
// `typed`; typed.mass is the mass the formulas use.
OscillatorValues DeriveOscillator(const EngineeringInputs& given, const OscillatorValues& typed) {
  OscillatorValues v = typed;
  double stiffness = 0.0;
  if (given.period && given.strengthRatio) {
    stiffness = StiffnessOfPeriod(v.mass, *given.period);
    v.Fy = StrengthOfRatio(*given.strengthRatio, v.mass);
    v.Uy = v.Fy / stiffness;
  } else {
    if (given.strengthRatio) v.Fy = StrengthOfRatio(*given.strengthRatio, v.mass);
    stiffness = v.Fy / v.Uy;
    if (given.period) v.mass = stiffness * PeriodSquare(*given.period);
  }
  if (given.dampingRatio) v.c = DampingOfRatio(*given.dampingRatio, stiffness, v.mass);
  return v;
}

}  // namespace

std::vector<DerivedInput> DerivedInputs(const EngineeringInputs& given) {
  std::vector<DerivedInput> derived;
  if (given.period) {
    derived.push_back(
        {given.strengthRatio ? RawInput::Uy : RawInput::Mass, EngineeringInput::Period});
  }
  if (given.strengthRatio) derived.push_back({RawInput::Fy, EngineeringInput::StrengthRatio});
  if (given.dampingRatio) derived.push_back({RawInput::Damping, EngineeringInput::DampingRatio});
  return derived;
}

double StiffnessOfPeriod(double mass, double period) { return mass / PeriodSquare(period); }

double DampingOfRatio(double dampingRatio, double stiffness, double mass) {
  return 2.0 * dampingRatio * std::sqrt(stiffness * mass);
}

double StrengthOfRatio(double strengthRatio, double mass) {
  return strengthRatio * mass * kGravity;
}

const char* PhysicalInputOption(PhysicalInput input) {
  switch (input) {
    case PhysicalInput::Ductility: return "--ductility";
    case PhysicalInput::DampingRatio: return "--damping-ratio";
    case PhysicalInput::StrengthRatio: return "--strength-ratio";
    case PhysicalInput::Reduction: return "--reduction";
    case PhysicalInput::PostYieldRatio: return "--alpha";
  }
  return "";
}

std::string DescribeInputCheck(std::string_view option, std::string_view text,
                               const InputCheck& check) {
  return std::string(option) + ' ' + std::string(text) + ": " + check.reason;
}

InputCheck CheckPhysicalInput(PhysicalInput input, double value) {
  const auto refused = [](std::string reason) {
    return InputCheck{InputVerdict::Refused, std::move(reason)};
  };
  if (!std::isfinite(value)) return refused("the value must be a finite number");
  switch (input) {
    case PhysicalInput::Ductility:
      if (value < 1.0) {
        return refused("the ductility MU must be at least 1: below 1 the peak displacement "
                       "stays under Uy, where no strength is defined by it");
      }
      break;
    case PhysicalInput::DampingRatio:
      if (value < 0.0) return refused("the damping ratio must not be negative");
      if (value >= 1.0) {
        std::string reason = "the damping ratio must be below 1 (critical damping)";
        if (value > 1.0 && value <= 100.0) reason += "; a ratio, not a percentage: 0.02 for 2 %";
        return refused(std::move(reason));
      }
      break;
    case PhysicalInput::StrengthRatio:
      if (!(value > 0.0)) return refused("the strength ratio must be above 0");
      break;
    case PhysicalInput::Reduction:
      if (!(value > 0.0)) return refused("the reduction R must be above 0");
      if (value < 1.0) {
        return {InputVerdict::Warned,
                "a reduction R below 1 asks for a strength above the elastic force Fel, so the "
                "oscillator barely yields"};
      }
      break;
    case PhysicalInput::PostYieldRatio:
      if (value < 0.0 || value > 1.0) {
        return {InputVerdict::Warned,
                "a post-yield ratio outside 0..1 gives a stiffness after yield that falls below "
                "0 or rises above the elastic stiffness"};
      }
      break;
  }
  return {};
}

bool NeedsExperimentMass(const EngineeringInputs& given, const MainWindowInputs& inputs) {
  return !(Val(inputs.txtMass) > 0.0) && !MassIsDerived(given) &&
         (given.strengthRatio || given.dampingRatio);
}

std::string ApplyEngineeringInputs(const EngineeringInputs& given, double experimentMass,
                                   MainWindowInputs& inputs) {
  if (!given.Any()) return {};
  OscillatorValues typed;
  typed.mass = Val(inputs.txtMass);
  if (!(typed.mass > 0.0)) typed.mass = experimentMass;
  typed.c = Val(inputs.txtCharlieSmall);
  typed.Fy = Val(inputs.txtFy);
  typed.Uy = Val(inputs.txtUy);
  const OscillatorValues v = DeriveOscillator(given, typed);

  MainWindowInputs derived = inputs;
  for (const DerivedInput& input : DerivedInputs(given)) {
    std::string refusal;
    switch (input.raw) {
      case RawInput::Mass:
        refusal = Refusal("mass", v.mass, false);
        derived.txtMass = FormatShortest(v.mass);
        break;
      case RawInput::Damping:
        refusal = Refusal("damping c", v.c, true);
        derived.txtCharlieSmall = FormatShortest(v.c);
        break;
      case RawInput::Fy:
        refusal = Refusal("yield force Fy", v.Fy, false);
        derived.txtFy = FormatShortest(v.Fy);
        break;
      case RawInput::Uy:
        refusal = Refusal("yield displacement Uy", v.Uy, false);
        derived.txtUy = FormatShortest(v.Uy);
        break;
    }
    if (!refusal.empty()) return refusal;
  }
  inputs = derived;
  return {};
}

std::string EngineeringConflict(const EngineeringInputs& given, const RawInputsGiven& typed) {
  const bool typedInputs[] = {typed.mass, typed.damping, typed.fy, typed.uy};
  for (const DerivedInput& derived : DerivedInputs(given)) {
    if (!typedInputs[static_cast<int>(derived.raw)]) continue;
    return std::string(OptionName(derived.raw)) + " conflicts with " + OptionName(derived.by) +
           ": " + OptionName(derived.by) + " sets " + Formula(derived) + "; give one of them";
  }
  return {};
}

}  // namespace quarvel
