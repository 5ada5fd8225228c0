#include "solve/workbench.h"

namespace quarvel {

Experiment* Workbench::CurrentExperiment() {
  if (currentExperiment < 1 || currentExperiment > experiments.Count()) return nullptr;
  return &experiments.At(currentExperiment);
}

const Experiment* Workbench::CurrentExperiment() const {
  if (currentExperiment < 1 || currentExperiment > experiments.Count()) return nullptr;
  return &experiments.At(currentExperiment);
}

const ExperimentResults* Workbench::CurrentResults() const {
  if (CurrentExperiment() == nullptr) return nullptr;
  return &results.At(currentExperiment);
}

void Workbench::SelectFirst(int32_t xQuantity, int32_t yQuantity) {
  results.Clear();
  currentExperiment = 1;
  graphXQuantity = xQuantity;
  graphYQuantity = yQuantity;
}

void Workbench::SelectFirst(SetSource source) {
  // Indices of the quantity lists: 0 T, 1 U, 4 F.
  if (source == SetSource::BuiltIn) {
    SelectFirst(0, 1);
  } else {
    SelectFirst(1, 4);
  }
}

}  // namespace quarvel
