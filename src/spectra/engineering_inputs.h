#pragma once
// The oscillator as engineers describe it: an elastic period, a damping ratio and a strength
// ratio instead of a mass, a damping coefficient and a yield force. They are turned into the
// window's mass, c, Fy and Uy texts, written so that they read back as the very doubles derived.
//
//   k  = Fy / Uy                      the elastic stiffness (the one the period label uses)
//   T  = 2 pi sqrt(m / k)             so m = k (T / 2 / pi)^2 and k = m / (T / 2 / pi)^2
//   c  = 2 zeta sqrt(k m)
//   Fy = Cy m g                       g = 9.81 m/s^2

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "solve/main_window_inputs.h"

namespace quarvel {

// What is given; an empty value is not given.
struct EngineeringInputs {
  std::optional<double> period;         // T [s]
  std::optional<double> dampingRatio;   // zeta
  std::optional<double> strengthRatio;  // Cy

  bool Any() const { return period || dampingRatio || strengthRatio; }
};

// The raw inputs the engineering ones may set.
enum class RawInput { Mass, Damping, Fy, Uy };
enum class EngineeringInput { Period, DampingRatio, StrengthRatio };

// A raw input set by an engineering input.
struct DerivedInput {
  RawInput raw;
  EngineeringInput by;
};

// Which raw inputs the given engineering inputs set: the damping ratio sets c, the strength
// ratio Fy; the period sets the mass, or Uy when the strength ratio is given too (Fy then
// follows from the mass, so the stiffness the period asks for can only come from Uy).
std::vector<DerivedInput> DerivedInputs(const EngineeringInputs& given);

// k = m / (T / 2 / pi)^2: the elastic stiffness that gives mass m the period T.
double StiffnessOfPeriod(double mass, double period);
// c = 2 zeta sqrt(k m).
double DampingOfRatio(double dampingRatio, double stiffness, double mass);
// Fy = Cy m g.
double StrengthOfRatio(double strengthRatio, double mass);

// Sets the texts of the raw inputs that the engineering inputs derive (txtMass, txtCharlieSmall,
// txtFy, txtUy) from the others, each in the shortest text that reads back to the derived
// double. With a period alone, m = k (T / 2 / pi)^2 with k = Fy / Uy; with a period and a
// strength ratio, k = StiffnessOfPeriod(m, T), Fy = Cy m g and Uy = Fy / k; with a strength
// ratio alone, Fy = Cy m g. The damping ratio then gives c = 2 zeta sqrt(k m) from the final k
// and m (k = Fy / Uy without a period). The mass the formulas use is the mass text's value when
// above 0, else `experimentMass` (the selected experiment's, as the period label takes it). Returns
// an empty text when done, else why not (a derived value that is not a finite number above 0, a
// damping below 0), leaving the inputs as they were.
std::string ApplyEngineeringInputs(const EngineeringInputs& given, double experimentMass,
                                   MainWindowInputs& inputs);

// The inputs whose value can lack a physical meaning, wherever they are typed.
enum class PhysicalInput { Ductility, DampingRatio, StrengthRatio, Reduction, PostYieldRatio };

// What a value of a PhysicalInput means: accepted, accepted with a warning (possible but
// unlikely to be meant), or refused (no physical meaning).
enum class InputVerdict { Accepted, Warned, Refused };

struct InputCheck {
  InputVerdict verdict = InputVerdict::Accepted;
  std::string reason;  // why it is warned about or refused; empty when accepted
};

// The one check of these inputs for every face (command line, window, Python):
// refused: a ductility MU below 1, a damping ratio below 0 or of 1 or more (between 1 and 100,
// the reason says it is a ratio, not a percentage), a strength ratio CY or a reduction R not
// above 0, any value that is not finite; warned: 0 < R < 1 and a post-yield ratio a outside
// 0..1.
InputCheck CheckPhysicalInput(PhysicalInput input, double value);

// The option that types `input` on the command line: "--ductility", "--damping-ratio", ...
const char* PhysicalInputOption(PhysicalInput input);

// What every face says of a check that is not Accepted, the value as typed after its option:
// "--damping-ratio 2: the damping ratio must be below 1 ...".
std::string DescribeInputCheck(std::string_view option, std::string_view text,
                               const InputCheck& check);

// True when the formulas need the selected experiment's mass: the mass text is not above 0 and
// the mass is not derived, but a strength or damping ratio uses it.
bool NeedsExperimentMass(const EngineeringInputs& given, const MainWindowInputs& inputs);

// Which raw inputs were typed beside the engineering ones.
struct RawInputsGiven {
  bool mass = false, damping = false, fy = false, uy = false;
};

// Empty when the raw inputs typed fit the engineering inputs given, else the usage error that
// names the options in conflict (by their command-line names) and the formula: "--mass
// conflicts with --period: --period sets m = (T / 2 pi)^2 Fy / Uy; give one of them".
std::string EngineeringConflict(const EngineeringInputs& given, const RawInputsGiven& typed);

}  // namespace quarvel
