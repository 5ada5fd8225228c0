#pragma once
// CSV companions of the study files: beside each study file one CSV with every swept value the
// study took (a value whose line the threshold left out is marked, not dropped) at full
// precision; beside the envelope files one CSV with every swept value, zeros included, and for
// each envelope the record that set it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "export/csv_table.h"
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
// abs_err_Eh_J, rel_err_Eh), filtered (true when the study file has no line for the value) and
// fault: empty, or "fault at t = 12.34 s" when a model's run met a fault (StudyValueResult).
std::vector<std::string> StudyCsvColumns(StudyMode mode);

// The numbers of a value's row, in the order of StudyCsvColumns (filtered, the last column, is
// value.filtered).
std::vector<double> StudyCsvNumbers(StudyMode mode, const StudyValueResult& value);

// The envelope CSV's header: the swept value, then per envelope its entry and its record.
std::vector<std::string> EnvelopeCsvColumns(StudyMode mode);

// One row of the envelope CSV: swept value x_i, and per envelope (uPos, uNeg, ehPos, ehNeg)
// its entry and the record that set it.
struct EnvelopeRow {
  double x = 0.0;
  std::array<double, 4> values{};
  std::array<std::string, 4> records;
};

// A study's companion, written value by value as the study takes them.
class StudyCsv {
 public:
  // Creates `path` with the header of a study in `mode`; false (Close() says why) on failure.
  bool Open(const std::string& path, StudyMode mode);
  void Add(const StudyValueResult& value);
  FileResult Close() { return file_.Close(); }

 private:
  CsvFile file_;
  StudyMode mode_ = StudyMode::None;
};

inline constexpr const char* kEnvelopeCsvName = "EnvRelError.csv";

// The envelopes of an advanced study with, per entry, the record that set it: the values are
// widened exactly as the study widens its envelopes, from the lines the study writes.
class EnvelopeRecords {
 public:
  // Takes one swept value of the study of `record`; a value without a line changes nothing.
  void Take(const StudyValueResult& value, const std::string& record);

  const Envelopes& Values() const { return envelopes_; }
  // The record that set entry i of envelope e (0 uPos, 1 uNeg, 2 ehPos, 3 ehNeg); empty while
  // the entry is 0.
  const std::string& Record(int e, std::size_t i) const;

  // Row i at x_i = i * step + from (entries beyond those taken are 0 with no record).
  EnvelopeRow Row(std::size_t i, double from, double step) const;

  // Writes one row per swept value i = 0..values - 1 at x_i = i * step + from: the swept value
  // (named as SweptColumn(mode)), then per envelope its entry and its record
  // (rel_err_U_max, rel_err_U_max_record, rel_err_U_min, ..., rel_err_Eh_min_record).
  FileResult Write(const std::string& path, StudyMode mode, std::size_t values, double from,
                   double step) const;

 private:
  void Grow(std::size_t size);

  Envelopes envelopes_;
  std::array<std::vector<std::string>, 4> records_;
};

// A companion written: where, and done or why it was not written completely.
struct CompanionFile {
  std::string path;
  FileResult result;
};

// The companions of one run of a study (or of an advanced study's series), gathered while it
// runs and written when it ends: beside each study file its StudyCsv, and EnvRelError.csv.
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
  EnvelopeRecords envelopes_;
};

}  // namespace quarvel
