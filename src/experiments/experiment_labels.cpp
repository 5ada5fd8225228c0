#include "experiments/experiment_labels.h"

#include "text/number_text.h"

namespace quarvel {

std::array<ExperimentLabel, 9> UpdateLabels(const Experiment& experiment) {
  return {{
      {"Data type :", DataTypeKeyword(experiment.dataType)},
      {"Units :", experiment.unitsOfG == 1 ? "Units of g" : "No unit system specified"},
      {"Weight :", FormatDefault(experiment.weight)},
      {"Time Step :", FormatDefault(experiment.timeStep)},
      {"Counter :", FormatDefault(static_cast<double>(experiment.counter))},
      {"Mass :", FormatDefault(experiment.mass)},
      {"Initial U :", FormatDefault(experiment.initialU)},
      {"Initial U_dot :", FormatDefault(experiment.initialUDot)},
      {"Initial Z :", FormatDefault(experiment.initialZ)},
  }};
}

}  // namespace quarvel
