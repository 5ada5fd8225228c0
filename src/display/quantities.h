#pragma once
// The ten response quantities the graph can show on either axis: the entries of the two
// quantity lists, their names in titles, and the ResponseHistory array behind each.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment.h"
#include "model/response_history.h"

namespace quarvel {

inline constexpr int32_t kQuantityCount = 10;

struct Quantity {
  std::string_view listEntry;  // entry of the quantity lists; the one-letter ones end in a blank
  std::string_view titleName;  // used in the axis and graph titles
  std::string_view siUnit;     // the unit when the response is in SI units; empty: none (Z)
  std::vector<double> ResponseHistory::*samples;  // the array, indices 0..N
};

// In list order: index 0 is "T " (Time), 1 "U " (Displacement), ... 9 "Eh" (Hysteretic energy).
extern const std::array<Quantity, kQuantityCount> kQuantities;

// The quantity at a list index; nullptr outside 0..9 (no selection).
const Quantity* QuantityAt(int32_t index);

// Whether the response to an experiment is in known units: only a ground acceleration in
// units of g ties the numbers to metres and seconds (through g = 9.81 m/s2), so that the
// response is in SI units (kg, m, s, N, J). Force and displacement records, and accelerations
// without a unit system, are in whatever consistent units their numbers and the model inputs
// were given in.
bool ResponseInSiUnits(const Experiment& experiment);

// An axis title for a report: the title name, then the unit in brackets ("Displacement (m)")
// when the response is in SI units and the quantity has one. Time is in seconds whatever the
// record (as the periods of the studies are), so "Time (s)" always.
std::string QuantityAxisTitle(const Quantity& quantity, bool siUnits);

// The list index of a quantity named by its list entry without the trailing blank ("T", "U",
// "U_DOT", ..., "Eh"); a trailing blank is accepted too. Empty for any other text.
std::optional<int32_t> QuantityIndexOfName(std::string_view name);

}  // namespace quarvel
