#include "spectra/spectrum_run.h"

#include <filesystem>
#include <optional>

#include "io/file_writer.h"
#include "spectra/spectrum_shards.h"
#include "solve/model_settings.h"
#include "spectra/spectrum_table.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

const char* KindWord(SpectrumKind kind) {
  switch (kind) {
    case SpectrumKind::Strength:
      return "strength ratio";
    case SpectrumKind::Reduction:
      return "reduction";
    case SpectrumKind::Ductility:
      return "ductility";
  }
  return "";
}

// What a worker thread keeps between its points.
struct PointWorker {
  SpectrumSolver solver;
};

// The files of one run and what goes into them, in point order.
class SpectrumWriter {
 public:
  SpectrumWriter(const SpectrumPlan& plan, const SpectrumOutput& output, SpectrumOutcome& outcome)
      : plan_(plan), output_(output), outcome_(outcome) {}

  // Creates the files with their head lines; false when one cannot be written.
  bool Open() {
    if (Sharded()) {
      SpectrumShardHead head;
      head.records = static_cast<int64_t>(plan_.records.size());
      head.periods = static_cast<int64_t>(plan_.periods.size());
      head.rowsName = fs::path(output_.rowsPath).filename().string();
      head.statisticsName = fs::path(output_.statisticsPath).filename().string();
      head.description = DescribeSpectrum(plan_.settings);
      const std::string path = ShardFileName(output_.rowsPath, output_.shard, output_.shardCount);
      if (!Start(rows_, path, SpectrumShardHeadLines(head, output_.shard, output_.shardCount))) {
        return false;
      }
      rowsPathWritten_ = path;
      return true;
    }
    if (!ToFiles()) return true;
    if (!Start(rows_, output_.rowsPath, {SpectrumRowsHeader()})) return false;
    rowsPathWritten_ = output_.rowsPath;
    if (!Start(statistics_, output_.statisticsPath, {SpectrumStatisticsHeader()})) return false;
    statisticsPathWritten_ = output_.statisticsPath;
    return true;
  }

  // Writes point i; false when a file fault stops the run.
  bool Commit(int64_t i, const SpectrumPoint& point) {
    if (ToFiles()) {
      const std::string row = SpectrumRowText(point);
      rows_.WriteLine(Sharded() ? ShardItemLine(i, row) : row);
      if (rows_.Failed()) return false;
    }
    ++outcome_.pointsWritten;
    if (point.status == PointStatus::DuctilityNotReached) ++outcome_.pointsNotReached;
    if (point.status == PointStatus::Fault) ++outcome_.pointsRunFault;
    if (Sharded()) return true;
    period_.push_back(point);
    if (period_.size() == plan_.records.size()) {
      const PeriodStatistics statistics = StatisticsOf(point.period, period_);
      period_.clear();
      if (output_.onPeriod) output_.onPeriod(statistics);
      if (ToFiles()) {
        statistics_.WriteLine(SpectrumStatisticsText(statistics));
        if (statistics_.Failed()) return false;
      }
      ++outcome_.periodsWritten;
    }
    return true;
  }

  // Ends a shard file, closes the files and says which were written completely.
  void Close() {
    if (Sharded() && !rows_.Failed()) {
      rows_.WriteLine(ShardEndLine(outcome_.interrupted ? ShardEnd::Aborted : ShardEnd::Complete));
    }
    Finish(rows_, rowsPathWritten_);
    Finish(statistics_, statisticsPathWritten_);
  }

 private:
  bool Sharded() const { return output_.shardCount > 1; }
  bool ToFiles() const { return Sharded() || !output_.rowsPath.empty(); }

  bool Start(FileWriter& writer, const std::string& path,
             const std::vector<std::string>& lines) {
    if (writer.Open(path)) {
      for (const std::string& line : lines) writer.WriteLine(line);
    }
    if (!writer.Failed()) return true;
    outcome_.file = writer.Close();
    return false;
  }

  void Finish(FileWriter& writer, const std::string& path) {
    if (path.empty()) return;
    FileResult closed = writer.Close();
    if (closed) {
      outcome_.written.push_back(path);
    } else if (outcome_.file) {
      outcome_.file = std::move(closed);
    }
  }

  const SpectrumPlan& plan_;
  const SpectrumOutput& output_;
  SpectrumOutcome& outcome_;
  FileWriter rows_;
  FileWriter statistics_;
  std::string rowsPathWritten_;
  std::string statisticsPathWritten_;
  std::vector<SpectrumPoint> period_;  // the points of the period being written
};

}  // namespace

NumberInputRule SpectrumInputRuleOf(std::string_view option) {
  static constexpr NumberInputRule kRules[] = {
      {"--strength-ratio", NumberRule::AboveZero, "the strength ratio must be above 0"},
      {"--reduction", NumberRule::AboveZero, "the reduction R must be above 0"},
      {"--ductility", NumberRule::AboveZero, "the ductility MU must be above 0"},
      {"--damping-ratio", NumberRule::NotNegative, "the damping ratio must not be negative"},
      {"--mass", NumberRule::NotZero, "a mass of 0 cannot be accelerated"},
  };
  for (const NumberInputRule& rule : kRules) {
    if (rule.option == option) return rule;
  }
  return {option, NumberRule::Any, ""};
}

PhysicalInput PhysicalInputOf(SpectrumKind kind) {
  switch (kind) {
    case SpectrumKind::Strength:
      return PhysicalInput::StrengthRatio;
    case SpectrumKind::Reduction:
      return PhysicalInput::Reduction;
    case SpectrumKind::Ductility:
      return PhysicalInput::Ductility;
  }
  return PhysicalInput::Ductility;
}

std::string SpectrumRecordProblem(const Experiment& record, double massSetting) {
  if (record.dataType == ExperimentDataType::Displacement) {
    return "prescribes the displacement, which no period changes; a spectrum needs ground "
           "accelerations or forces";
  }
  if (!(EffectiveMass(massSetting, record.mass) > 0.0)) {
    return "has a mass of " + FormatShortest(record.mass) + " kg; give a mass above 0 with --mass";
  }
  return {};
}

std::string DescribeSpectrum(const SpectrumSettings& settings) {
  return std::string(KindWord(settings.kind)) + " " + FormatShortest(settings.target) +
         ", damping ratio " + FormatShortest(settings.dampingRatio);
}

SpectrumOutcome RunSpectrum(const SpectrumPlan& plan, const SpectrumOutput& output,
                            const StopToken& stop, const SpectrumObserver& observer) {
  SpectrumOutcome outcome;
  SpectrumWriter writer(plan, output, outcome);
  if (!writer.Open()) {
    writer.Close();
    outcome.written.clear();  // a table without its head is no table
    return outcome;
  }
  const int64_t records = static_cast<int64_t>(plan.records.size());
  const int64_t total = plan.PointCount();
  const int64_t first = output.shard - 1;
  const int64_t count =
      first < total ? (total - first + output.shardCount - 1) / output.shardCount : 0;
  const auto pointIndex = [&](int32_t k) {
    return first + static_cast<int64_t>(k) * output.shardCount;
  };

  const int32_t jobs =
      output.pool != nullptr ? static_cast<int32_t>(output.pool->ThreadCount()) : 1;
  SolveInOrder(
      output.pool, static_cast<int32_t>(count), jobs, [] { return PointWorker{}; },
      [&](PointWorker& worker, int32_t k) {
        const int64_t i = pointIndex(k);
        const auto r = static_cast<std::size_t>(i % records);
        const auto p = static_cast<std::size_t>(i / records);
        return worker.solver.Solve(plan.records[r], static_cast<int32_t>(r) + 1, plan.periods[p],
                                   plan.settings);
      },
      [&](int32_t k, const SpectrumPoint& point) {
        if (!writer.Commit(pointIndex(k), point)) return AfterCommit::Stop;
        if (point.weightFaults > 0) ++outcome.pointsFaulted;
        if (observer) observer(SpectrumProgress{k + 1, count}, point);
        if (stop.StudyStopRequested()) {
          outcome.interrupted = true;
          return AfterCommit::FinishStarted;
        }
        return AfterCommit::GoOn;
      });
  writer.Close();
  return outcome;
}

std::string SpectrumStatisticsPath(const std::string& rows) {
  const std::filesystem::path path(rows);
  return (path.parent_path() / (path.stem().string() + "-stats" + path.extension().string()))
      .string();
}

}  // namespace quarvel
