#include "display/quantities.h"

namespace quarvel {

const std::array<Quantity, kQuantityCount> kQuantities = {{
    {"T ", "Time", "s", &ResponseHistory::T},
    {"U ", "Displacement", "m", &ResponseHistory::U},
    {"U_DOT", "Velocity", "m/s", &ResponseHistory::U_DOT},
    {"U_DOT_DOT", "Acceleration", "m/s2", &ResponseHistory::U_DOT_DOT},
    {"F ", "Force", "N", &ResponseHistory::F},
    {"Z ", "Z parameter", "", &ResponseHistory::Z},
    {"Fext", "External force", "N", &ResponseHistory::Fext},
    {"Fh", "Hysteretic force", "N", &ResponseHistory::Fh},
    {"Et", "Total energy", "J", &ResponseHistory::Et},
    {"Eh", "Hysteretic energy", "J", &ResponseHistory::Eh},
}};

const Quantity* QuantityAt(int32_t index) {
  if (index < 0 || index >= kQuantityCount) return nullptr;
  return &kQuantities[static_cast<size_t>(index)];
}

bool ResponseInSiUnits(const Experiment& experiment) {
  return experiment.dataType == ExperimentDataType::Acceleration && experiment.unitsOfG == 1;
}

std::string QuantityAxisTitle(const Quantity& quantity, bool siUnits) {
  std::string title(quantity.titleName);
  const bool time = quantity.samples == &ResponseHistory::T;
  if ((siUnits || time) && !quantity.siUnit.empty()) {
    title += " (" + std::string(quantity.siUnit) + ")";
  }
  return title;
}

std::optional<int32_t> QuantityIndexOfName(std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (name.back() == ' ') name.remove_suffix(1);
  for (int32_t i = 0; i < kQuantityCount; ++i) {
    std::string_view entry = kQuantities[static_cast<size_t>(i)].listEntry;
    if (entry.back() == ' ') entry.remove_suffix(1);
    if (entry == name) return i;
  }
  return std::nullopt;
}

}  // namespace quarvel
