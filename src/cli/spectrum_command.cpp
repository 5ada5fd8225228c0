#include "cli/spectrum_command.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/experiment_source.h"
#include "cli/option_checks.h"
#include "cli/plot_command.h"
#include "cli/progress_bar.h"
#include "plots/spectrum_plot.h"
#include "solve/model_settings.h"
#include "solve/shard_file.h"
#include "spectra/periods.h"
#include "spectra/spectrum_run.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGroup = "Spectrum";

// The kind and its target from the one kind option given; false (the reason printed) when
// none or several are given.
bool ReadKind(const SpectrumOptions& spectrum, SpectrumSettings& settings) {
  int given = 0;
  for (const auto& [text, kind] : {std::pair{&spectrum.strengthRatio, SpectrumKind::Strength},
                                   std::pair{&spectrum.reduction, SpectrumKind::Reduction},
                                   std::pair{&spectrum.ductility, SpectrumKind::Ductility}}) {
    if (text->empty()) continue;
    ++given;
    settings.kind = kind;
    settings.target = Val(*text);
  }
  if (given == 1) return true;
  std::cerr << kSpectrumKindMessage << '\n';
  return false;
}

// Every experiment of the files, each one record, read as --load reads them (any record format,
// with the record options); the exit status, not 0 (the reason printed) when a file cannot be
// loaded or a record cannot make a spectrum.
int LoadRecords(const SpectrumOptions& spectrum, double massSetting, RecordSet& records) {
  RecordOptions recordOptions = RecordOptionsOf(spectrum.record, massSetting);
  recordOptions.strict = spectrum.strict;
  for (const std::string& file : spectrum.files) {
    const std::size_t first = records.experiments.size();
    int status = 0;
    RecordLoad load = ReadSourceFile(file, recordOptions, spectrum.record, status);
    if (status != 0) return status;
    records.Append(std::move(load.records));
    for (std::size_t i = first; i < records.experiments.size(); ++i) {
      const Experiment& e = records.experiments[i];
      const std::string where =
          file + ": experiment " + std::to_string(i - first + 1) + " (" + e.name + ")";
      if (const std::string problem = SpectrumRecordProblem(e, massSetting); !problem.empty()) {
        std::cerr << where << ' ' << problem << '\n';
        return kExitFailure;
      }
    }
  }
  return 0;
}

void ReportOutcome(const SpectrumOutcome& outcome, const SpectrumPlan& plan, bool sharded) {
  if (outcome.pointsNotReached > 0) {
    std::cerr << "note: at " << outcome.pointsNotReached << " of " << outcome.pointsWritten
              << " points no strength gives a ductility within 1 % of "
              << FormatShortest(plan.settings.target)
              << "; their rows say \"ductility not reached\"\n";
  }
  if (outcome.pointsFaulted > 0) {
    std::cerr << "warning: " << kMessageWeightFault << " at " << outcome.pointsFaulted << " of "
              << outcome.pointsWritten
              << " points: the modified model's all-reversal weight met an arithmetic fault, so "
                 "its response there is doubtful\n";
  }
  if (outcome.pointsRunFault > 0) {
    std::cerr << "warning: at " << outcome.pointsRunFault << " of " << outcome.pointsWritten
              << " points a model's run met a fault (a value that is not finite, or the "
                 "Runge-Kutta pass stopped); their rows say \"fault at t = ...\" and leave "
                 "the peaks, errors and loops empty\n";
  }
  for (const std::string& path : outcome.written) {
    std::cout << (sharded ? "Shard written to " : "Written to ") << path << '\n';
  }
  std::cout << outcome.pointsWritten << " points";
  if (!sharded) std::cout << ", " << outcome.periodsWritten << " periods";
  std::cout << '\n';
}

// Draws --plot-quantity of every point over the period into --plot; the exit status.
int DrawSpectrum(const PictureWriter& pictures, const SpectrumOptions& spectrum,
                 const PlotSize& size, const std::vector<SpectrumPoint>& points) {
  const SpectrumQuantity& quantity = *SpectrumQuantityNamed(spectrum.plotQuantity);
  return pictures.Write(SpectrumPlot(points, quantity, spectrum.labelRecords), size,
                        spectrum.plot);
}

// The --summary of a spectrum: the model inputs with the spectrum's mass setting, the records
// with where each came from, and what the run made. The exit status of writing it.
int WriteSpectrumSummary(const CommonOptions& options, const SpectrumOptions& spectrum,
                         const SpectrumPlan& plan, const RecordSet& read,
                         const SpectrumOutcome& outcome, bool drawn) {
  if (options.summary.empty()) return 0;
  Workbench bench;
  bench.inputs = options.inputs;
  bench.inputs.txtMass = spectrum.mass;
  bench.experiments.Assign(read.experiments);
  return WriteSummaryIfAsked(options, "spectrum", bench,
                             RecordsJson(bench.experiments, read.provenance),
                             SpectrumResultsJson(plan, outcome, drawn ? spectrum.plot : ""),
                             SpectrumEngineeringJson(plan.settings));
}

}  // namespace

void AddSpectrumOptions(CLI::App& command, SpectrumOptions& spectrum) {
  command
      .add_option("files", spectrum.files,
                  "The records' files (.quarvel, AT2, one or two columns, CSV: read as --load "
                  "reads them); every experiment in them is one record")
      ->type_name("FILE")
      ->required();
  command
      .add_option("--periods", spectrum.periods,
                  "The elastic periods [s]: a list (0.5,1,2), a range FROM:TO:STEP "
                  "(0.05:3:0.05), or lists of both")
      ->type_name("LIST")
      ->required()
      ->group(kGroup);
  const auto number = [&command](const char* name, std::string& target, const char* type,
                                 const char* help) {
    const NumberInputRule rule = SpectrumInputRuleOf(name);
    return command.add_option(name, target, help)
        ->type_name(type)
        ->check(NumberCheck(rule.rule, std::string(rule.reason)))
        ->group(kGroup);
  };
  number("--strength-ratio", spectrum.strengthRatio, "CY",
         "Constant strength: Fy = CY m g at every period (g = 9.81 m/s^2)");
  number("--reduction", spectrum.reduction, "R",
         "Constant strength from the elastic force: Fy = Fel / R, Fel the peak spring force of "
         "the linear system (a = 1) at the period");
  number("--ductility", spectrum.ductility, "MU",
         "Constant ductility: per record and period the largest Fy at which the original "
         "model's peak |U| / Uy is MU within 1 %");
  number("--damping-ratio", spectrum.dampingRatio, "ZETA",
         "The damping ratio at every period: c = 2 ZETA sqrt(k m), k = m (2 pi / T)^2 the "
         "elastic stiffness; at a period every strength keeps k, so Uy = Fy / k")
      ->capture_default_str();
  number("--mass", spectrum.mass, "NUMBER",
         "Mass [kg] of every record; a negative value takes each record's own (the response "
         "to a ground acceleration does not depend on it)")
      ->capture_default_str();
  command
      .add_option("-o,--output", spectrum.output,
                  "The rows table (CSV): one row per record and period")
      ->type_name("FILE")
      ->capture_default_str()
      ->group(kGroup);
  command
      .add_option("--stats", spectrum.statistics,
                  "The statistics table (CSV): mean, median and lognormal dispersion over the "
                  "records per period (default: the output's name with -stats)")
      ->type_name("FILE")
      ->group(kGroup);
  command
      .add_option("--plot", spectrum.plot,
                  "Also draw --plot-quantity over the period, the mean over the records thick "
                  "and each record thin, into FILE (svg, pdf, png, jpg, ... by the extension); "
                  "plot --spectrum draws it again from the rows table")
      ->type_name("FILE")
      ->group(kGroup);
  const auto [quantity, label] =
      AddSpectrumPictureOptions(command, spectrum.plotQuantity, spectrum.labelRecords);
  quantity->group(kGroup);
  label->group(kGroup);
  AddDpiOption(command, "--plot-dpi", spectrum.plotDpi)->group(kGroup);
  command
      .add_option("--plot-size", spectrum.plotSize, "The picture's size in pixels, " + SizeRule())
      ->check(CLI::Validator(
          [](std::string& text) {
            return ParsePlotSize(text) ? std::string() : "the size must be " + SizeRule();
          },
          "WIDTHxHEIGHT"))
      ->capture_default_str()
      ->group(kGroup);
  command
      .add_option("--jobs", spectrum.jobs,
                  "Points (record, period) solved at once (default: one per hardware thread)")
      ->type_name("N")
      ->check(NumberCheck(NumberRule::Count))
      ->group("Spectrum work");
  command
      .add_option("--shard", spectrum.shard,
                  "Run only part I of N of the points (every N-th) into a shard file for `merge`")
      ->type_name("I/N")
      ->group("Spectrum work");
  command.add_flag("--strict", spectrum.strict, "Refuse a file that has a warning (exit status 1)")
      ->group(kGroup);
  AddRecordOptions(command, spectrum.record, false);
}

int RunSpectrumCommand(CommonOptions& options, const SpectrumOptions& spectrum) {
  SpectrumPlan plan;
  std::string error;
  std::optional<std::vector<double>> periods = ParsePeriods(spectrum.periods, error);
  if (!periods) {
    std::cerr << "--periods " << spectrum.periods << ": " << error << '\n';
    return kExitUsage;
  }
  plan.periods = std::move(*periods);
  if (!ReadKind(spectrum, plan.settings)) return kExitUsage;
  SpectrumOutput output;
  if (!spectrum.shard.empty() &&
      !ParseShardLabel(spectrum.shard, output.shard, output.shardCount)) {
    std::cerr << "--shard " << spectrum.shard
              << ": expected I/N with 1 <= I <= N <= " << kMaxShardCount << '\n';
    return kExitUsage;
  }
  ApplyChoices(options);
  ReadModelParameters(options.inputs, plan.settings.model);
  plan.settings.model.mass = Val(spectrum.mass);
  plan.settings.dampingRatio = Val(spectrum.dampingRatio);

  RecordSet read;
  if (const int status = LoadRecords(spectrum, plan.settings.model.mass, read); status != 0) {
    return status;
  }
  const std::vector<Experiment>& records = read.experiments;
  plan.records = records;
  if (plan.PointCount() > kMaxSpectrumPoints) {
    std::cerr << "spectrum: " << records.size() << " records at " << plan.periods.size()
              << " periods are more than " << kMaxSpectrumPoints << " points\n";
    return kExitUsage;
  }

  // The picture's name and size are checked before the work, which may take long.
  std::optional<PictureWriter> pictures;
  PlotSize plotSize = *ParsePlotSize(spectrum.plotSize);
  plotSize.dpi = spectrum.plotDpi;
  if (!spectrum.plot.empty()) {
    if (output.shardCount > 1) {
      std::cerr << "--plot draws a whole spectrum; a shard (--shard) has only part of it\n";
      return kExitUsage;
    }
    if (const std::string problem = DpiProblem(plotSize); !problem.empty()) {
      std::cerr << "--plot-dpi " << problem << '\n';
      return kExitUsage;
    }
    pictures.emplace();
    if (!pictures->CheckOutput(spectrum.plot, "--plot")) return kExitUsage;
  }

  output.rowsPath = spectrum.output;
  output.statisticsPath =
      spectrum.statistics.empty() ? SpectrumStatisticsPath(spectrum.output) : spectrum.statistics;
  for (const std::string& path : {output.rowsPath, output.statisticsPath}) {
    std::error_code ignored;  // a folder that cannot be made fails at the table, named there
    if (fs::path(path).has_parent_path())
      fs::create_directories(fs::path(path).parent_path(), ignored);
  }
  SolvePool pool(static_cast<unsigned>(spectrum.jobs));
  output.pool = &pool;

  ProgressBar bar;
  std::vector<SpectrumPoint> points;  // kept for the picture
  const SpectrumOutcome outcome = RunSpectrum(
      plan, output, InterruptToken(),
      [&](const SpectrumProgress& progress, const SpectrumPoint& point) {
        bar.Update(progress.done, progress.count,
                   "point " + std::to_string(progress.done) + "/" + std::to_string(progress.count) +
                       "  T = " + FormatShortest(point.period) + " s");
        if (pictures) points.push_back(point);
      });
  bar.Finish();
  if (outcome.Failed()) {
    std::cerr << "The spectrum was not written completely: " << outcome.file.Describe() << '\n';
    return kExitFailure;
  }
  ReportOutcome(outcome, plan, output.shardCount > 1);
  const bool draw = pictures && !outcome.interrupted;  // an interrupted spectrum is not whole
  const int drawn = draw ? DrawSpectrum(*pictures, spectrum, plotSize, points) : 0;
  const int summary =
      WriteSpectrumSummary(options, spectrum, plan, read, outcome, draw && drawn == 0);
  if (outcome.interrupted) {
    std::cerr << "Interrupted: the rows of the first " << outcome.pointsWritten
              << " points are written\n";
    return kExitInterrupted;
  }
  return drawn != 0 ? drawn : summary;
}

}  // namespace quarvel::cli
