#pragma once
// The time histories of a solve as CSV, one file per experiment: the time, the record's
// value, and for each model U, U_DOT, U_DOT_DOT, F, Z, Fh, Et and Eh, each column named with
// its unit (t_s, ag_g, orig_U_m, mod_Eh_J, ...).

#include <cstdint>
#include <string>
#include <vector>

#include "experiments/experiment.h"
#include "io/file_result.h"
#include "solve/experiment_results.h"

namespace quarvel {

// The header row of an experiment's history: t_s, the record's column (ag_g or ag_m_s2 for a
// ground acceleration, Fext_N for a force, U_prescribed_m for a prescribed displacement), then
// the orig_ and mod_ columns U_m, U_DOT_m_s, U_DOT_DOT_m_s2, F_N, Z, Fh_N, Et_J, Eh_J.
std::vector<std::string> HistoryColumns(const Experiment& experiment);

// Writes the history of one solved experiment to `path`: one row per sample k = 1..N with
// T[k] of the original response, sample k of the record, and the eight values of each model.
// An experiment without results is refused.
FileResult WriteHistoryCsv(const std::string& path, const Experiment& experiment,
                           const ExperimentResults& results);

// File name of experiment k of `count` in a history folder: the number, zero-padded to the
// width of the count so that the files sort in set order, then the name made safe
// ("01-El_Centro_1940_NS.csv").
std::string HistoryFileName(int32_t k, int32_t count, const std::string& name);

// Writes the history of every experiment of the set into `folder` (created if missing).
// Returns the failures, one per file; `written` (if given) receives the paths written
// completely.
std::vector<FileResult> WriteHistoryFiles(const std::string& folder, const ExperimentSet& set,
                                          const ResultSet& results,
                                          std::vector<std::string>* written = nullptr);

}  // namespace quarvel
