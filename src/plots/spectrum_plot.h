#pragma once
// The picture of a spectrum: one quantity of the original and the modified model over the
// period, the mean over the records thick and each record thin.

#include <string>
#include <string_view>
#include <vector>

#include "graph/curve_plot.h"
#include "spectra/spectrum_point.h"

namespace quarvel {

// The quantities a spectrum picture shows, by the name --plot-quantity takes.
struct SpectrumQuantity {
  const char* name;      // "U", "mu", "F", "Eh"
  const char* original;  // its columns in the rows table
  const char* modified;
  const char* title;   // the Y axis title
  const char* siUnit;  // its unit when the records are in SI units; empty: none
};
inline constexpr SpectrumQuantity kSpectrumQuantities[] = {
    {"U", "U_orig_m", "U_mod_m", "Peak displacement |U|", "m"},
    {"mu", "mu_orig", "mu_mod", "Ductility peak |U| / Uy", ""},
    {"F", "F_orig_N", "F_mod_N", "Peak spring force |F|", "N"},
    {"Eh", "Eh_orig_J", "Eh_mod_J", "Hysteretic energy Eh at the end", "J"},
};

// The quantity of that name, or nullptr.
const SpectrumQuantity* SpectrumQuantityNamed(std::string_view name);

// The curves of `quantity` over the period from the points of a spectrum (any order; points
// without a strength are left out): per model the mean over the records solved at each period,
// 3 pixels wide (the original red, the modified blue), and each record 1 pixel wide in a paler
// shade of its model's colour. With a single record only its two curves are drawn. The Y axis
// title names the unit when `siUnits` (every record's response is in SI units,
// ResponseInSiUnits); the periods are in seconds either way.
CurvePlot SpectrumPlot(const std::vector<SpectrumPoint>& points, const SpectrumQuantity& quantity,
                       const std::string& title, bool siUnits);

}  // namespace quarvel
