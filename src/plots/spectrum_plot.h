#pragma once
// The picture of a spectrum: one quantity over the period, the mean over the records thick and
// each record thin; of both models, or of one value per record and period.

#include <string_view>
#include <vector>

#include "graph/curve_plot.h"
#include "spectra/spectrum_point.h"

namespace quarvel {

// The quantities a spectrum picture shows, by the name --plot-quantity takes.
struct SpectrumQuantity {
  const char* name;      // "U", "mu", "F", "Eh", "ratio-U", "ratio-Eh", "Cy", "R", "PSA"
  const char* original;  // the column of the original model in the rows table, or the one drawn
  const char* modified;  // the column of the modified model; nullptr: one value per point
  bool ratio;            // draws modified / original, one value per point
  const char* title;     // the Y axis title
  const char* unit;      // empty: none
};
inline constexpr SpectrumQuantity kSpectrumQuantities[] = {
    {"U", "U_orig_m", "U_mod_m", false, "Peak displacement |U|", "m"},
    {"mu", "mu_orig", "mu_mod", false, "Ductility peak |U| / Uy", ""},
    {"F", "F_orig_N", "F_mod_N", false, "Peak spring force |F|", "N"},
    {"Eh", "Eh_orig_J", "Eh_mod_J", false, "Hysteretic energy Eh at the end", "J"},
    {"ratio-U", "U_orig_m", "U_mod_m", true, "Peak |U|, modified / original", ""},
    {"ratio-Eh", "Eh_orig_J", "Eh_mod_J", true, "Eh at the end, modified / original", ""},
    {"Cy", "Cy", nullptr, false, "Strength ratio Cy = Fy / (m g)", ""},
    {"R", "R", nullptr, false, "Strength reduction R = Fel / Fy", ""},
    {"PSA", "PSA_g", nullptr, false, "Elastic pseudo-acceleration PSA", "g"},
};

// The quantity of that name, or nullptr.
const SpectrumQuantity* SpectrumQuantityNamed(std::string_view name);

// The curves of `quantity` over the period from the points of a spectrum (any order; only the
// points solved count), titled with the record's name, or the count of records. Of a model
// quantity, per model the mean over the records solved at each period, the original solid
// 3 pixels wide in red, the modified dashed 2 pixels wide in blue on top of it, and each record
// 1 pixel wide in a paler shade of its model's colour and line; of a value per point (a ratio,
// Cy, R, PSA) the mean black and each record grey. With a single record only its own curves are
// drawn. The axes name their units (the tables' units: m, N, J, s, PSA in g = 9.81 m/s2).
// `labelRecords` writes each record's name at the end of its thin line (of its original model).
CurvePlot SpectrumPlot(const std::vector<SpectrumPoint>& points, const SpectrumQuantity& quantity,
                       bool labelRecords);

}  // namespace quarvel
