#pragma once
// CSV companions of the study files: beside each study file one CSV with every swept value the
// study took (a value whose line the threshold left out is marked, not dropped) at full
// precision; beside the envelope files one CSV with every swept value, zeros included, and for
// each envelope the record that set it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file_result.h"
#include "studies/envelopes.h"
#include "studies/parametric_loop.h"

namespace quarvel {

// The companion of a study file: its name with ".out" replaced by ".csv" ("lresults.csv",
// "1 first.quarvel.csv"), or with ".csv" added.
std::string StudyCsvPath(const std::string& studyFilePath);

// The name of the swept value's column: mass_kg, T_elastic_s, T_plastic_s, or x when nothing
// is swept.
std::string SweptColumn(StudyMode mode);

// The header row: the swept value, the rewritten input as the solve read it (mass_kg, Fy_N or
// Uy_m; none when the swept value is the mass itself or nothing is rewritten), the eight results
// (orig_peak_U_m, mod_peak_U_m, abs_err_U_m, rel_err_U, orig_peak_Eh_J, mod_peak_Eh_J,
// abs_err_Eh_J, rel_err_Eh) and filtered (true when the study file has no line for the value).
std::vector<std::string> StudyCsvColumns(StudyMode mode);

inline constexpr const char* kEnvelopeCsvName = "EnvRelError.csv";

// A companion written: where, and done or why it was not written completely.
struct CompanionFile {
  std::string path;
  FileResult result;
};

// The companions of one run of a study (or of an advanced study's series), gathered while it
// runs and written when it ends. The envelopes' CSV has the swept value (SweptColumn) and per
// envelope its entry and the record that set it (rel_err_U_max, rel_err_U_max_record, ...,
// rel_err_Eh_min_record; no record while the entry is 0).
class StudyCompanions {
 public:
  explicit StudyCompanions(StudyMode mode) : mode_(mode) {}

  // The values taken from now on are those of a new study file, of `record`.
  void StartStudy(const std::string& record = {});
  // Takes one value of the current study file (before any StartStudy: of a first one).
  void Take(const StudyValueResult& value);

  // Writes the companion of the j-th study file started (0-based) beside `studyPath`.
  CompanionFile WriteStudy(std::size_t j, const std::string& studyPath) const;
  // Writes kEnvelopeCsvName into `folder`: `values` swept values from `from` in steps of `step`.
  CompanionFile WriteEnvelopes(const std::string& folder, std::size_t values, double from,
                               double step) const;

 private:
  StudyMode mode_;
  std::vector<std::vector<StudyValueResult>> values_;  // per study file started
  std::string record_;
  Envelopes envelopes_;  // widened as the study widens its own
  std::array<std::vector<std::string>, 4> records_;  // the record that set each entry
};

}  // namespace quarvel
