#pragma once
// quarvel-cli spectrum: inelastic response spectra of the original and the modified model over
// ground-motion records, at constant strength or constant ductility.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace quarvel::cli {

struct SpectrumOptions {
  std::vector<std::string> files;  // the records' files; every experiment is one record
  std::string periods;             // --periods: "0.05:3:0.05", "0.5,1,2"
  std::string dampingRatio = "0.05";
  std::string strengthRatio;  // --strength-ratio CY   exactly one of the three
  std::string reduction;      // --reduction R
  std::string ductility;      // --ductility MU
  std::string mass = "-1";    // negative: each record's own
  std::string output = "spectrum.csv";
  std::string statistics;          // empty: the output's name with "-stats" before its extension
  std::string plot;                // --plot FILE: the picture; empty: none
  std::string plotQuantity = "U";  // one of kSpectrumQuantities
  std::string plotSize = "800x600";
  int plotDpi = 100;          // of a raster picture
  bool labelRecords = false;  // --label-records
  int jobs = 0;       // 0: one per hardware thread
  std::string shard;  // I/N; empty: the whole spectrum
  bool strict = false;
  RecordChoices record;  // what record files (AT2, columns, CSV) leave open
};

// Adds the files, the periods, the kind, the damping ratio, the mass, the outputs, the
// picture, --jobs, --shard, --strict and the record options; the model boxes come from
// AddModelBoxes.
void AddSpectrumOptions(CLI::App& command, SpectrumOptions& spectrum);

// Loads the records (any format --load reads), solves the spectrum and writes its tables (or a
// shard of it), the picture and the --summary. Exit status 0; 2 for a usage error (periods,
// kind, shard, picture name); 1 when a record cannot be used or a table, the picture or the
// summary cannot be written; 130 when Ctrl-C stopped it after the points finished so far (no
// picture is drawn then).
int RunSpectrumCommand(CommonOptions& options, const SpectrumOptions& spectrum);

}  // namespace quarvel::cli
