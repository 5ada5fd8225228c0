// quarvel-cli: load or generate experiments, solve both models, print the comparison, write
// the report and run parametric studies from the command line.

#include <CLI/CLI.hpp>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/commands.h"
#include "cli/plot_command.h"
#include "cli/study_commands.h"

int main(int argc, char** argv) {
  using namespace quarvel::cli;
  CLI::App app{"Quarvel: Bouc-Wen model modification, from the command line"};
  app.require_subcommand(1);

  CommonOptions options;

  auto* solve = app.add_subcommand("solve", "Solve both models and print the comparison");
  AddCommonOptions(*solve, options);

  ReportOptions report;
  auto* reportCommand = app.add_subcommand("report", "Solve and write the result report");
  AddCommonOptions(*reportCommand, options);
  reportCommand->add_option("-o,--output", report.output, "Report file")->required();

  DemoOptions demo;
  auto* demoCommand =
      app.add_subcommand("demo", "Solve the built-in experiments and write the report");
  AddCommonOptions(*demoCommand, options);
  demoCommand->add_option("--dir", demo.folder, "Folder for the results")->capture_default_str();

  LoopOptions loop;
  auto* loopCommand = app.add_subcommand(
      "loop",
      "Parametric study of the selected experiment (Ctrl-C stops after the values in progress)");
  AddCommonOptions(*loopCommand, options);
  loopCommand->add_option("-o,--output", loop.output, "Study file name (default lresults.out)");
  loopCommand->add_option("--dir", loop.folder, "Folder for the study file")->capture_default_str();
  AddBatchOptions(*loopCommand, loop.batch);

  AdvancedLoopOptions advanced;
  auto* advancedCommand = app.add_subcommand(
      "advanced-loop", "Parametric study of every numbered *.quarvel file in a folder, with envelopes");
  AddCommonOptions(*advancedCommand, options);
  advancedCommand->add_option("--dir", advanced.folder, "Folder of the numbered experiment files")
      ->required();
  advancedCommand->add_option("--threshold", advanced.threshold, "Peak U/Uy threshold")
      ->capture_default_str();
  AddBatchOptions(*advancedCommand, advanced.batch);

  MergeOptions merge;
  auto* mergeCommand = app.add_subcommand(
      "merge", "Put the shard files of loop / advanced-loop --shard runs together into the files "
               "one run would have written");
  mergeCommand->add_option("shards", merge.shards, "The shard files, all parts of each study")
      ->required();
  mergeCommand->add_option("--dir", merge.folder,
                           "Folder for the merged files (default: that of the first shard)");

  PlotOptions plot;
  auto* plotCommand = app.add_subcommand("plot", "Solve and draw the graph into a PNG file");
  AddCommonOptions(*plotCommand, options);
  AddPlotOptions(*plotCommand, plot);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : 2;
  }

  InstallInterruptHandler();
  if (*solve) return RunSolveCommand(options);
  if (*reportCommand) return RunReportCommand(options, report);
  if (*demoCommand) return RunDemoCommand(options, demo);
  if (*loopCommand) return RunLoopCommand(options, loop);
  if (*advancedCommand) return RunAdvancedLoopCommand(options, advanced);
  if (*plotCommand) return RunPlotCommand(options, plot);
  if (*mergeCommand) return RunMergeCommand(merge);
  return 2;
}
