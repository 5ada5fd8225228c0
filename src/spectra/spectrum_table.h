#pragma once
// The two CSV tables of a spectrum: one row per record and period, and the statistics over the
// records per period. Fields are separated by commas, the record's name is quoted when it holds
// a comma, a quote or a line end; numbers are the shortest texts that read back to the same
// double ("inf", "-inf", "nan" as such). A row whose point has no strength says why in its
// status and leaves the fields that need a strength empty.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"
#include "spectra/spectrum_point.h"

namespace quarvel {

// The header of the rows table: T_s, record, name, status, m_kg, k_N_per_m, c_N_s_per_m,
// Fel_N, Fy_N, Uy_m, Cy, R, the linear elastic spectrum Sd_m, PSV_m_per_s, PSA_g, then U_m, mu,
// F_N, Eh_end_J of the original and the modified model (suffixes _orig, _mod), rel_err_U,
// rel_err_Eh, and the closed loops whose work breaks the postulate, loop_violations_orig and
// loop_violations_mod (no statistics).
std::string SpectrumRowsHeader();

// The status texts: "solved", "ductility not reached", "no elastic response", "fault".
std::string_view StatusText(PointStatus status);

// The status of a point's row: its StatusText, or at a Fault "fault at t = 12.34 s". A fault
// row keeps the strength (Fy_N, Uy_m, Cy, R) and leaves the fields that need the whole run
// empty: the models' peaks, the relative errors and the loop violations.
std::string PointStatusText(const SpectrumPoint& point);

// The row of one point.
std::string SpectrumRowText(const SpectrumPoint& point);

// The point of a row's text; nullopt when it is not a row of the table (a field missing or
// too many, a number or the status unreadable, a record number not a whole number from 1).
// Reading a row written by SpectrumRowText gives every number bit for bit.
std::optional<SpectrumPoint> ParseSpectrumRow(std::string_view text);

// The points of a rows table given as its lines (the header first; one empty last line, the
// end of the last row, is allowed): done, or a failure of `path` naming the first line that is
// not the header or a row.
FileResult ParseSpectrumRows(const std::vector<std::string>& lines, const std::string& path,
                             std::vector<SpectrumPoint>& points);
// ParseSpectrumRows of the file at `path` (at most 1 GiB).
FileResult ReadSpectrumRowsFile(const std::string& path, std::vector<SpectrumPoint>& points);

// The statistics over records of one period, each over the points solved there.
struct PeriodStatistics {
  double period = 0.0;
  int32_t solved = 0;   // points solved at this period
  int32_t records = 0;  // points at this period
  // Per quantity (SpectrumStatisticsHeader order): the mean, the median and the lognormal
  // dispersion (standard deviation of the logarithms, n - 1 in the denominator); empty where
  // there is no value (no point solved, a dispersion of fewer than two points or of a value
  // not above 0).
  std::vector<std::optional<double>> values;
};

// The mean of the values, summed in their order; empty for none.
std::optional<double> MeanOf(const std::vector<double>& values);

// The number in column `name` of the rows table ("U_orig_m", "mu_mod", "Fel_N", ...) of a point;
// nullopt for a name that is not a number column, or for a column that needs a strength at a
// point that has none.
std::optional<double> NumberOfColumn(const SpectrumPoint& point, std::string_view name);

// One column's statistics over the solved points among those given (the sums run in their order):
// the mean, the median and the lognormal dispersion; each empty where it has no value, and all
// for a name that is not a number column.
struct ColumnStatistics {
  std::optional<double> mean;
  std::optional<double> median;
  std::optional<double> dispersion;
};
ColumnStatistics StatisticsOfColumn(const std::vector<SpectrumPoint>& points,
                                    std::string_view name);

// Statistics of the points of one period (in record order; the sums run in that order).
PeriodStatistics StatisticsOf(double period, const std::vector<SpectrumPoint>& points);

// T_s, records, solved, then for each of Fel_N, Fy_N, Uy_m, Cy, R, Sd_m, PSV_m_per_s, PSA_g
// and the model quantities and relative errors of the rows: <name>_mean, <name>_median,
// <name>_beta.
std::string SpectrumStatisticsHeader();
std::string SpectrumStatisticsText(const PeriodStatistics& statistics);

}  // namespace quarvel
