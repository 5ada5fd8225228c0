#pragma once
// The study subcommands of quarvel-cli: the parametric loop and the advanced loop.

#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace quarvel::cli {

// How a study run spreads its work.
struct BatchOptions {
  int jobs = 0;               // --jobs: swept values solved at once; 0: one per hardware thread
  std::string shard;          // --shard I/N: this run's part of the study; empty: all of it
  bool allExperiments = false;  // --all-experiments: solve the whole set per value
};

struct LoopOptions {
  std::string output;        // study file name inside the folder; empty: lresults.out
  std::string folder = ".";  // where the study file goes
  bool csv = false;          // --csv: the study's CSV companion beside it
  BatchOptions batch;
};

struct AdvancedLoopOptions {
  std::string folder;             // the folder of the numbered *.quarvel files and the outputs
  std::vector<std::string> records;  // --records: these files in this order, not the series
  RecordChoices record;           // what the record files leave open
  bool strict = false;            // --strict: a warning about a .quarvel file fails its load
  std::string threshold = "1";    // the peak U/Uy threshold, as typed
  bool csv = false;               // --csv: CSV companions of the study and envelope files
  BatchOptions batch;
};

struct MergeOptions {
  std::vector<std::string> shards;  // the shard files
  std::string folder;               // where the merged files go; empty: beside the first shard
};

// Adds --jobs, --shard and --all-experiments to a study subcommand.
void AddBatchOptions(CLI::App& command, BatchOptions& batch);

// Adds --csv to a study subcommand.
void AddCsvOption(CLI::App& command, bool& csv);

int RunLoopCommand(CommonOptions& options, const LoopOptions& loop);
int RunAdvancedLoopCommand(CommonOptions& options, const AdvancedLoopOptions& advanced);
int RunMergeCommand(const MergeOptions& merge);

}  // namespace quarvel::cli
