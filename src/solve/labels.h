#pragma once
// Texts of the "Maximum Error" and "Periods (s)" value labels.

#include <optional>
#include <string>

#include "solve/main_window_inputs.h"

namespace quarvel {

// Shown where a value has no meaning (no real square root, no mass, a non-finite result).
inline constexpr const char* kNoValueText = "-";

struct ErrorLabelTexts {
  std::string absoluteU;   // lblError(1)
  std::string relativeU;   // lblError(3), a percentage followed by "%"
  std::string absoluteEh;  // lblError(5)
  std::string relativeEh;  // lblError(7), a percentage followed by "%"
};

struct PeriodLabelTexts {
  std::string elastic;  // lblT(1)
  std::string plastic;  // lblT(3)
};

// The four error texts of one experiment's results, in the label form (3 decimals).
ErrorLabelTexts ErrorLabels(double absErrorU, double relErrorU, double absErrorEh,
                            double relErrorEh);

// The elastic and plastic periods in seconds, 2 pi sqrt(m Uy / Fy) and 2 pi sqrt(m Uy / Fy / a),
// from the mass, Fy, Uy and a texts. A mass text <= 0 takes experimentMass. None where there is
// no mass, Fy (or a) is not above 0, or the period has no real, finite value.
struct Periods {
  std::optional<double> elastic;
  std::optional<double> plastic;
};
Periods ComputePeriods(const MainWindowInputs& inputs, std::optional<double> experimentMass);

// The elastic and plastic period texts from the mass, Fy, Uy and a texts. A mass text <= 0 takes
// experimentMass (none when there is no selected experiment).
PeriodLabelTexts PeriodLabels(const MainWindowInputs& inputs, std::optional<double> experimentMass);

}  // namespace quarvel
