// quarvel-cli: load or generate experiments, solve both models, print the comparison, write
// the report and run parametric studies from the command line.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/command_guard.h"
#include "cli/commands.h"
#include "cli/loops_command.h"
#include "cli/option_checks.h"
#include "cli/plot_command.h"
#include "cli/spectrum_command.h"
#include "cli/study_commands.h"
#include "cli/suggestions.h"

namespace {

using namespace quarvel::cli;
using quarvel::PhysicalInput;

constexpr std::string_view kSourceOptions[] = {"--create", "--load", "--sine",
                                               "--dc1",    "--dc2",  "--experiment"};

std::vector<std::string> LongNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
  }
  return names;
}

bool HasOption(const CLI::App& command, const std::string& name) {
  const std::vector<std::string> names = LongNames(command);
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Says why `argument` is not taken by `command`: an option of other subcommands, a slip of the
// keys, or neither. Always a usage error.
int RefuseArgument(const CLI::App& app, const CLI::App& command, const std::string& argument) {
  const std::string option = argument.substr(0, argument.find('='));
  std::cerr << command.get_name() << ": ";
  if (option.rfind("-", 0) != 0) {
    std::cerr << "unexpected argument " << argument << '\n';
  } else if (command.get_name() == "advanced-loop" &&
             std::find(std::begin(kSourceOptions), std::end(kSourceOptions), option) !=
                 std::end(kSourceOptions)) {
    std::cerr << option << " does not apply: advanced-loop studies the first experiment of each "
              << "numbered file in --dir, or of each file of --records\n";
  } else {
    std::string others;
    for (const CLI::App* other : app.get_subcommands({})) {
      if (other != &command && HasOption(*other, option)) {
        others += (others.empty() ? "" : ", ") + other->get_name();
      }
    }
    if (!others.empty()) {
      std::cerr << option << " is not an option of " << command.get_name() << " (it is one of "
                << others << ")\n";
    } else {
      std::cerr << "unknown option " << option;
      const std::string nearest = NearestName(option, LongNames(command));
      if (!nearest.empty()) std::cerr << "; did you mean " << nearest << "?";
      std::cerr << '\n';
    }
  }
  std::cerr << "Run quarvel-cli " << command.get_name() << " --help for its options.\n";
  return kExitUsage;
}

// The first word that is not an option must name a subcommand.
int RefuseUnknownSubcommand(const CLI::App& app, int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return 0;
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands({})) {
    if (command->get_name() == argv[1]) return 0;
    names.push_back(command->get_name());
  }
  std::cerr << "unknown subcommand " << argv[1];
  const std::string nearest = NearestName(argv[1], names);
  if (!nearest.empty()) std::cerr << "; did you mean " << nearest << "?";
  std::cerr << "\nRun quarvel-cli --help for the subcommands.\n";
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Quarvel: the original and a modified Bouc-Wen model of a single-degree-of-"
               "freedom oscillator, solved and compared from the command line. Units are SI "
               "(m, N, kg, s); accelerations are in m/s^2 unless the record says units of g "
               "(g = 9.81 m/s^2). Exit status: 0 done, 1 failure, 2 usage error, 130 stopped "
               "by Ctrl-C.",
               "quarvel-cli"};
  app.set_version_flag("--version", std::string("quarvel-cli ") + QUARVEL_VERSION);
  app.require_subcommand(1);

  CommonOptions options;
  options.arguments.assign(argv + std::min(argc, 1), argv + argc);

  SolveOptions solveOptions;
  auto* solve = app.add_subcommand("solve", "Solve both models and print the comparison");
  AddExperimentOptions(*solve, options);
  AddModelOptions(*solve, options);
  solve
      ->add_option("--history", solveOptions.history,
                   "Also write each experiment's time histories as CSV into this folder (made "
                   "if missing): t_s, the record, and U, U_DOT, U_DOT_DOT, F, Z, Fh, Et, Eh of "
                   "both models, at full precision")
      ->type_name("FOLDER")
      ->group("Outputs");
  AddSummaryOption(*solve, options.summary);

  ReportOptions report;
  auto* reportCommand = app.add_subcommand("report", "Solve and write the result report");
  AddExperimentOptions(*reportCommand, options);
  AddModelOptions(*reportCommand, options);
  reportCommand->add_option("-o,--output", report.output, "Report file")
      ->type_name("FILE")
      ->required();
  AddSummaryOption(*reportCommand, options.summary);

  ConvertOptions convert;
  auto* convertCommand = app.add_subcommand(
      "convert", "Write record files (PEER .AT2, columns of numbers, CSV) and experiment files "
                 "as one .quarvel file that the window loads");
  convertCommand->add_option("inputs", convert.inputs, "The files, in order: one set")
      ->type_name("FILE")
      ->required();
  convertCommand->add_option("-o,--output", convert.output, "The .quarvel file written")
      ->type_name("FILE")
      ->required();
  convertCommand->add_flag("--strict", convert.strict,
                           "Refuse a .quarvel input that has a warning (exit status 1)");
  AddRecordOptions(*convertCommand, convert.record, true);

  DemoOptions demo;
  auto* demoCommand = app.add_subcommand(
      "demo", "Solve the six built-in experiments, print the comparison and write the report");
  AddModelOptions(*demoCommand, options);
  demoCommand->add_option("--dir", demo.folder, "Folder for the report (made if missing)")
      ->type_name("FOLDER")
      ->capture_default_str();

  CheckOptions check;
  check.arguments = options.arguments;
  auto* checkCommand = app.add_subcommand(
      "check", "Load experiment and record files without solving: their warnings and each "
               "record's data, duration and peak, and for a ground acceleration its PGA, PGV, "
               "PGD, Arias intensity and 5-95 % significant duration");
  checkCommand
      ->add_option("files", check.files,
                   "The files: .quarvel files or records (PEER .AT2, columns, CSV), read as "
                   "--load reads them")
      ->type_name("FILE")
      ->required();
  checkCommand->add_flag("--strict", check.strict, "Exit status 1 when a file has a warning");
  checkCommand->add_flag("--json", check.json, "Print the same as one JSON document");
  AddRecordOptions(*checkCommand, check.record, false);

  LoopOptions loop;
  auto* loopCommand = app.add_subcommand(
      "loop",
      "Parametric study of the selected experiment (Ctrl-C stops after the values in progress)");
  AddExperimentOptions(*loopCommand, options);
  AddModelOptions(*loopCommand, options);
  AddStudyOptions(*loopCommand, options);
  loopCommand->add_option("-o,--output", loop.output, "Study file name (default lresults.out)")
      ->type_name("NAME");
  loopCommand->add_option("--dir", loop.folder, "Folder for the study file (made if missing)")
      ->type_name("FOLDER")
      ->capture_default_str();
  AddBatchOptions(*loopCommand, loop.batch);
  AddCsvOption(*loopCommand, loop.csv);
  AddSummaryOption(*loopCommand, options.summary);

  AdvancedLoopOptions advanced;
  auto* advancedCommand = app.add_subcommand(
      "advanced-loop",
      "Parametric study of every file of a numbered series (\"1 name.quarvel\", \"2 "
      "name.quarvel\", ...: a number, a blank, any name) in a folder, with envelopes");
  AddModelOptions(*advancedCommand, options);
  AddStudyOptions(*advancedCommand, options);
  advancedCommand
      ->add_option("--dir", advanced.folder,
                   "Folder of the numbered experiment files, where the study and envelope files "
                   "are written; with --records only the latter (default: the current folder)")
      ->type_name("FOLDER");
  advancedCommand
      ->add_option("--records", advanced.records,
                   "Study these files in this order instead of the numbered series: records "
                   "(PEER .AT2, columns, CSV) or .quarvel files, each study file named after its "
                   "file (\"elcentro.AT2.out\")")
      ->type_name("FILE");
  AddRecordOptions(*advancedCommand, advanced.record, false);
  advancedCommand->add_flag("--strict", advanced.strict,
                            "Refuse a file of --records that has a warning (exit status 1)");
  advancedCommand
      ->add_option("--threshold", advanced.threshold,
                   "Leave out the values whose peak U / Uy is below this in either model")
      ->type_name("NUMBER")
      ->check(NumberCheck(NumberRule::AboveZero, "the threshold must be above 0"))
      ->capture_default_str();
  AddBatchOptions(*advancedCommand, advanced.batch);
  AddCsvOption(*advancedCommand, advanced.csv);
  AddSummaryOption(*advancedCommand, options.summary);

  MergeOptions merge;
  auto* mergeCommand = app.add_subcommand(
      "merge", "Put the shard files of loop / advanced-loop / spectrum --shard runs together into "
               "the files one run would have written");
  mergeCommand->add_option("shards", merge.shards, "The shard files, all parts of each study")
      ->type_name("FILE")
      ->required();
  mergeCommand->add_option("--dir", merge.folder,
                           "Folder for the merged files (default: that of the first shard)")
      ->type_name("FOLDER");

  PlotOptions plot;
  auto* plotCommand = app.add_subcommand(
      "plot", "Draw a picture for a report (SVG, PDF, PNG, JPEG, ... by the extension): the graph "
              "of a solve, every experiment at once, a study file or the envelopes");
  AddExperimentOptions(*plotCommand, options, ExperimentChoice::OneOrAll);
  AddModelOptions(*plotCommand, options);
  AddPlotOptions(*plotCommand, plot);

  SpectrumOptions spectrum;
  auto* spectrumCommand = app.add_subcommand(
      "spectrum",
      "Inelastic response spectra of both models over records: constant strength or constant "
      "ductility, per record and period and as statistics over the records (Ctrl-C stops after "
      "the points in progress)");
  AddSpectrumOptions(*spectrumCommand, spectrum);
  AddModelBoxes(*spectrumCommand, options);
  AddSummaryOption(*spectrumCommand, options.summary);

  LoopsOptions loops;
  auto* loopsCommand = app.add_subcommand(
      "loops",
      "Energy audit: solve both models and list, per experiment, every closed loop of "
      "displacement (and of force for a force record) with the work over it, marking the loops "
      "whose work is negative beyond round-off and the sampling step's error");
  AddExperimentOptions(*loopsCommand, options, ExperimentChoice::OneOrAll);
  AddModelOptions(*loopsCommand, options);
  AddLoopsOptions(*loopsCommand, loops, options);

  for (CLI::App* command : app.get_subcommands({})) command->allow_extras();

  if (const int status = RefuseUnknownSubcommand(app, argc, argv); status != 0) return status;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : kExitUsage;
  }
  for (const CLI::App* command : app.get_subcommands()) {
    if (!command->remaining().empty()) {
      return RefuseArgument(app, *command, command->remaining().front());
    }
  }

  // The inputs that can lack a physical meaning, checked alike for every command.
  const bool spectrumRun = static_cast<bool>(*spectrumCommand);
  const std::vector<TypedInput> meaningful = {
      {PhysicalInput::Ductility, spectrum.ductility},
      {PhysicalInput::Reduction, spectrum.reduction},
      {PhysicalInput::StrengthRatio, spectrumRun ? spectrum.strengthRatio : options.strengthRatio},
      {PhysicalInput::DampingRatio, spectrumRun ? spectrum.dampingRatio : options.dampingRatio},
      {PhysicalInput::PostYieldRatio, options.inputs.txtAlphaSmall}};
  if (const int status = CheckTypedInputs(meaningful, std::cerr); status != 0) return status;

  InstallInterruptHandler();
  std::string doing = "running quarvel-cli";
  for (const std::string& argument : options.arguments) doing += " " + argument;
  return RunGuarded(doing, [&]() -> int {
    if (*solve) return RunSolveCommand(options, solveOptions);
    if (*convertCommand) return RunConvertCommand(convert);
    if (*reportCommand) return RunReportCommand(options, report);
    if (*demoCommand) return RunDemoCommand(options, demo);
    if (*checkCommand) return RunCheckCommand(check);
    if (*loopCommand) return RunLoopCommand(options, loop);
    if (*advancedCommand) return RunAdvancedLoopCommand(options, advanced);
    if (*plotCommand) return RunPlotCommand(options, plot);
    if (*mergeCommand) return RunMergeCommand(merge);
    if (*spectrumCommand) return RunSpectrumCommand(options, spectrum);
    if (*loopsCommand) {
      loops.everyExperiment = loopsCommand->count("--experiment") == 0;
      return RunLoopsCommand(options, loops);
    }
    return kExitUsage;
  }, std::cerr);
}
