#pragma once
// A whole spectrum: every record at every period, solved side by side and written in order to
// the rows table and, period by period, to the statistics table; or one shard of it.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "experiments/experiment.h"
#include "io/file_result.h"
#include "solve/model_inputs.h"
#include "solve/solve_pool.h"
#include "solve/stop_token.h"
#include "spectra/engineering_inputs.h"
#include "spectra/spectrum_point.h"
#include "spectra/spectrum_table.h"

namespace quarvel {

// The points of a spectrum are numbered period by period: point i is record i % records (from
// 0) at period i / records, so that each period is complete before the next one starts.
struct SpectrumPlan {
  std::span<const Experiment> records;
  std::vector<double> periods;
  SpectrumSettings settings;

  int64_t PointCount() const {
    return static_cast<int64_t>(records.size()) * static_cast<int64_t>(periods.size());
  }
};

// Most points one spectrum takes (records times periods).
inline constexpr int64_t kMaxSpectrumPoints = 100'000'000;

// Where the tables go, and how the work is spread.
struct SpectrumOutput {
  std::string rowsPath;        // the rows table; empty (unsharded): no files, points in memory
  std::string statisticsPath;  // the statistics table
  SolvePool* pool = nullptr;   // its threads solve points side by side; nullptr: one at a time
  int32_t shard = 1;           // this run's part, 1..shardCount: the shard-th, the
  int32_t shardCount = 1;      // (shard + shardCount)-th, ... point, into a shard file
  // Called (unsharded) with each period's statistics once its last point is committed, in
  // period order, as the statistics table gets them.
  std::function<void(const PeriodStatistics&)> onPeriod;
};

struct SpectrumProgress {
  int64_t done = 0;   // points of this run committed so far
  int64_t count = 0;  // points of this run
};
// Called after each point is written, in point order, with the point.
using SpectrumObserver = std::function<void(const SpectrumProgress&, const SpectrumPoint&)>;

struct SpectrumOutcome {
  bool interrupted = false;  // the stop token ended it; what was finished is written
  int64_t pointsWritten = 0;
  int64_t periodsWritten = 0;        // statistics lines
  int64_t pointsNotReached = 0;      // ductility not reached
  int64_t pointsFaulted = 0;         // points whose modified model met faulting weight evaluations
  int64_t pointsRunFault = 0;        // points whose run of a model met a fault (PointStatus::Fault)
  std::vector<std::string> written;  // paths of the files written
  FileResult file;                   // done, or the first file fault

  bool Failed() const { return !file; }
};

// Solves the plan's points (those of the shard) in order on the pool's threads and writes each
// row as soon as every point before it is written; the results are byte for byte those of one
// point at a time. An unsharded run writes the rows table and, after the last point of each
// period, its statistics line; a shard writes ShardFileName(rowsPath, shard, shardCount)
// (solve/shard_file.h), whose rows the merge of SpectrumShardKind puts together. A stop request
// hands out no more points: the points in progress are finished and written, and a shard file
// then says it was interrupted. A file fault ends the run with what was written so far.
SpectrumOutcome RunSpectrum(const SpectrumPlan& plan, const SpectrumOutput& output,
                            const StopToken& stop, const SpectrumObserver& observer = {});

// Where the statistics table goes beside the rows table `rows` when not said otherwise:
// "out/spectrum.csv" -> "out/spectrum-stats.csv".
std::string SpectrumStatisticsPath(const std::string& rows);

// The rules of the spectrum's numbers by option: --strength-ratio, --reduction, --ductility,
// --damping-ratio, --mass (an Any rule for another option).
NumberInputRule SpectrumInputRuleOf(std::string_view option);

// The input whose physical meaning a spectrum of `kind` checks in its target.
PhysicalInput PhysicalInputOf(SpectrumKind kind);

// Said when not exactly one of the three kinds is given.
inline constexpr const char* kSpectrumKindMessage =
    "spectrum: give exactly one of --strength-ratio (constant strength), --reduction (constant "
    "strength from the elastic force) and --ductility (constant ductility)";

// Empty when `record` can make a spectrum with the mass setting, else why not (after the
// record's name): "prescribes the displacement, ..." or "has a mass of 0 kg; ...".
std::string SpectrumRecordProblem(const Experiment& record, double massSetting);

// One-line description of what a plan computes, kept in its shard files so that only shards
// of the same spectrum are merged: "ductility 4, damping ratio 0.05".
std::string DescribeSpectrum(const SpectrumSettings& settings);

}  // namespace quarvel
