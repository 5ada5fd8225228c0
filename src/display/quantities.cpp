#include "display/quantities.h"

namespace quarvel {

const std::array<Quantity, kQuantityCount> kQuantities = {{
    {"T ", "Time", &ResponseHistory::T},
    {"U ", "Displacement", &ResponseHistory::U},
    {"U_DOT", "Velocity", &ResponseHistory::U_DOT},
    {"U_DOT_DOT", "Acceleration", &ResponseHistory::U_DOT_DOT},
    {"F ", "Force", &ResponseHistory::F},
    {"Z ", "Z parameter", &ResponseHistory::Z},
    {"Fext", "External force", &ResponseHistory::Fext},
    {"Fh", "Hysteretic force", &ResponseHistory::Fh},
    {"Et", "Total energy", &ResponseHistory::Et},
    {"Eh", "Hysteretic energy", &ResponseHistory::Eh},
}};

const Quantity* QuantityAt(int32_t index) {
  if (index < 0 || index >= kQuantityCount) return nullptr;
  return &kQuantities[static_cast<size_t>(index)];
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
