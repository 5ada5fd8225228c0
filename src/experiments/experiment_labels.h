#pragma once
// Texts of the experiment details panel.

#include <array>
#include <string>
#include <string_view>

#include "experiments/experiment.h"

namespace quarvel {

// One caption/value pair of the details panel.
struct ExperimentLabel {
  std::string caption;  // "Data type :", ...
  std::string value;    // "Force", "Units of g", "0.02", ...
};

// Tool tip of the captions and values of panel entries 1 to 3.
inline constexpr std::string_view kExperimentLabelToolTip =
    "Select the experiment to display its data from the frame \"Display > Experiment\" on the "
    "right";

// Number of the panel entries (1..9) that carry kExperimentLabelToolTip: entries 1..3.
inline constexpr int kExperimentLabelToolTipCount = 3;

// The nine entries of the details panel for `experiment`, in panel order (index 0 is entry 1):
// data type, units, weight, time step, counter, mass, initial U, initial U_dot, initial Z.
// Numbers are in the default number-to-text form.
std::array<ExperimentLabel, 9> UpdateLabels(const Experiment& experiment);

}  // namespace quarvel
