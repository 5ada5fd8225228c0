// quarvel-cli: load or generate experiments, solve both models, print the comparison, write
// the report and run parametric studies from the command line.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <optional>
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
      const std::vector<std::string> names = LongNames(*other);
      if (other != &command && std::find(names.begin(), names.end(), option) != names.end()) {
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

// Every subcommand's options, filled by the parse.
struct Commands {
  CommonOptions options;
  SolveOptions solve;
  ReportOptions report;
  ConvertOptions convert;
  DemoOptions demo;
  CheckOptions check;
  LoopOptions loop;
  AdvancedLoopOptions advanced;
  MergeOptions merge;
  PlotOptions plot;
  SpectrumOptions spectrum;
  LoopsOptions loops;
};

void AddSolveCommand(CLI::App& app, Commands& c) {
  auto* solve = app.add_subcommand("solve", "Solve both models and print the comparison");
  AddExperimentOptions(*solve, c.options);
  AddModelOptions(*solve, c.options);
  solve
      ->add_option("--history", c.solve.history,
                   "Also write each experiment's time histories as CSV into this folder (made "
                   "if missing): t_s, the record, and U, U_DOT, U_DOT_DOT, F, Z, Fh, Et, Eh of "
                   "both models, at full precision")
      ->type_name("FOLDER")
      ->group("Outputs");
  AddSummaryOption(*solve, c.options.summary);
}

void AddReportCommand(CLI::App& app, Commands& c) {
  auto* report = app.add_subcommand("report", "Solve and write the result report");
  AddExperimentOptions(*report, c.options);
  AddModelOptions(*report, c.options);
  report->add_option("-o,--output", c.report.output, "Report file")
      ->type_name("FILE")
      ->required();
  AddSummaryOption(*report, c.options.summary);
}

void AddConvertCommand(CLI::App& app, Commands& c) {
  auto* convert = app.add_subcommand(
      "convert", "Write record files (PEER .AT2, columns of numbers, CSV) and experiment files "
                 "as one .quarvel file that the window loads");
  convert->add_option("inputs", c.convert.inputs, "The files, in order: one set")
      ->type_name("FILE")
      ->required();
  convert->add_option("-o,--output", c.convert.output, "The .quarvel file written")
      ->type_name("FILE")
      ->required();
  convert->add_flag("--strict", c.convert.strict,
                    "Refuse a .quarvel input that has a warning (exit status 1)");
  AddRecordOptions(*convert, c.convert.record, true);
}

void AddDemoCommand(CLI::App& app, Commands& c) {
  auto* demo = app.add_subcommand(
      "demo", "Solve the six built-in experiments, print the comparison and write the report");
  AddModelOptions(*demo, c.options);
  demo->add_option("--dir", c.demo.folder, "Folder for the report (made if missing)")
      ->type_name("FOLDER")
      ->capture_default_str();
}

void AddCheckCommand(CLI::App& app, Commands& c) {
  c.check.arguments = c.options.arguments;
  auto* check = app.add_subcommand(
      "check", "Load experiment and record files without solving: their warnings and each "
               "record's data, duration and peak, and for a ground acceleration its PGA, PGV, "
               "PGD, Arias intensity and 5-95 % significant duration");
  check
      ->add_option("files", c.check.files,
                   "The files: .quarvel files or records (PEER .AT2, columns, CSV), read as "
                   "--load reads them")
      ->type_name("FILE")
      ->required();
  check->add_flag("--strict", c.check.strict, "Exit status 1 when a file has a warning");
  check->add_flag("--json", c.check.json, "Print the same as one JSON document");
  AddRecordOptions(*check, c.check.record, false);
}

void AddLoopCommand(CLI::App& app, Commands& c) {
  auto* loop = app.add_subcommand(
      "loop",
      "Parametric study of the selected experiment (Ctrl-C stops after the values in progress)");
  AddExperimentOptions(*loop, c.options);
  AddModelOptions(*loop, c.options);
  AddStudyOptions(*loop, c.options);
  loop->add_option("-o,--output", c.loop.output, "Study file name (default lresults.out)")
      ->type_name("NAME");
  loop->add_option("--dir", c.loop.folder, "Folder for the study file (made if missing)")
      ->type_name("FOLDER")
      ->capture_default_str();
  AddBatchOptions(*loop, c.loop.batch);
  AddCsvOption(*loop, c.loop.csv);
  AddSummaryOption(*loop, c.options.summary);
}

void AddAdvancedLoopCommand(CLI::App& app, Commands& c) {
  AdvancedLoopOptions& advanced = c.advanced;
  auto* command = app.add_subcommand(
      "advanced-loop",
      "Parametric study of every file of a numbered series (\"1 name.quarvel\", \"2 "
      "name.quarvel\", ...: a number, a blank, any name) in a folder, with envelopes");
  AddModelOptions(*command, c.options);
  AddStudyOptions(*command, c.options);
  command
      ->add_option("--dir", advanced.folder,
                   "Folder of the numbered experiment files, where the study and envelope files "
                   "are written; with --records only the latter (default: the current folder)")
      ->type_name("FOLDER");
  command
      ->add_option("--records", advanced.records,
                   "Study these files in this order instead of the numbered series: records "
                   "(PEER .AT2, columns, CSV) or .quarvel files, each study file named after its "
                   "file (\"elcentro.AT2.out\")")
      ->type_name("FILE");
  AddRecordOptions(*command, advanced.record, false);
  command->add_flag("--strict", advanced.strict,
                    "Refuse a file of --records that has a warning (exit status 1)");
  command
      ->add_option("--threshold", advanced.threshold,
                   "Leave out the values whose peak U / Uy is below this in either model")
      ->type_name("NUMBER")
      ->check(NumberCheck(NumberRule::AboveZero, "the threshold must be above 0"))
      ->capture_default_str();
  AddBatchOptions(*command, advanced.batch);
  AddCsvOption(*command, advanced.csv);
  AddSummaryOption(*command, c.options.summary);
}

void AddMergeCommand(CLI::App& app, Commands& c) {
  auto* merge = app.add_subcommand(
      "merge", "Put the shard files of loop / advanced-loop / spectrum --shard runs together into "
               "the files one run would have written");
  merge->add_option("shards", c.merge.shards, "The shard files, all parts of each study")
      ->type_name("FILE")
      ->required();
  merge->add_option("--dir", c.merge.folder,
                    "Folder for the merged files (default: that of the first shard)")
      ->type_name("FOLDER");
}

void AddPlotCommand(CLI::App& app, Commands& c) {
  auto* plot = app.add_subcommand(
      "plot", "Draw a picture for a report (SVG, PDF, PNG, JPEG, ... by the extension): the graph "
              "of a solve, every experiment at once, a study file or the envelopes");
  AddExperimentOptions(*plot, c.options, ExperimentChoice::OneOrAll);
  AddModelOptions(*plot, c.options);
  AddPlotOptions(*plot, c.plot);
}

void AddSpectrumCommand(CLI::App& app, Commands& c) {
  auto* spectrum = app.add_subcommand(
      "spectrum",
      "Inelastic response spectra of both models over records: constant strength or constant "
      "ductility, per record and period and as statistics over the records (Ctrl-C stops after "
      "the points in progress)");
  AddSpectrumOptions(*spectrum, c.spectrum);
  AddModelBoxes(*spectrum, c.options);
  AddSummaryOption(*spectrum, c.options.summary);
}

void AddLoopsCommand(CLI::App& app, Commands& c) {
  auto* loops = app.add_subcommand(
      "loops",
      "Energy audit: solve both models and list, per experiment, every closed loop of "
      "displacement (and of force for a force record) with the work over it, marking the loops "
      "whose work is negative beyond round-off and the sampling step's error");
  AddExperimentOptions(*loops, c.options, ExperimentChoice::OneOrAll);
  AddModelOptions(*loops, c.options);
  AddLoopsOptions(*loops, c.loops, c.options);
}

// Parses the command line: nothing to go on, or the exit status (a usage error, or 0 after
// --help and --version).
std::optional<int> Parse(CLI::App& app, int argc, char** argv) {
  for (CLI::App* command : app.get_subcommands({})) command->allow_extras();
  if (const int status = RefuseUnknownSubcommand(app, argc, argv); status != 0) return status;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : kExitUsage;
  }
  for (const CLI::App* command : app.get_subcommands()) {
    if (!command->remaining().empty()) {
      return RefuseArgument(app, *command, command->remaining().front());
    }
  }
  return std::nullopt;
}

// The inputs that can lack a physical meaning, checked alike for every command: 0, or the exit
// status of a refusal.
int CheckMeaningfulInputs(const CLI::App& app, const Commands& c) {
  const bool spectrumRun = app.got_subcommand("spectrum");
  const SpectrumOptions& spectrum = c.spectrum;
  const CommonOptions& options = c.options;
  const std::vector<TypedInput> meaningful = {
      {PhysicalInput::Ductility, spectrum.ductility},
      {PhysicalInput::Reduction, spectrum.reduction},
      {PhysicalInput::StrengthRatio, spectrumRun ? spectrum.strengthRatio : options.strengthRatio},
      {PhysicalInput::DampingRatio, spectrumRun ? spectrum.dampingRatio : options.dampingRatio},
      {PhysicalInput::PostYieldRatio, options.inputs.txtAlphaSmall}};
  return CheckTypedInputs(meaningful, std::cerr);
}

// Runs the subcommand given.
int Run(const CLI::App& app, Commands& c) {
  const std::string name = app.get_subcommands().front()->get_name();
  if (name == "solve") return RunSolveCommand(c.options, c.solve);
  if (name == "convert") return RunConvertCommand(c.convert);
  if (name == "report") return RunReportCommand(c.options, c.report);
  if (name == "demo") return RunDemoCommand(c.options, c.demo);
  if (name == "check") return RunCheckCommand(c.check);
  if (name == "loop") return RunLoopCommand(c.options, c.loop);
  if (name == "advanced-loop") return RunAdvancedLoopCommand(c.options, c.advanced);
  if (name == "plot") return RunPlotCommand(c.options, c.plot);
  if (name == "merge") return RunMergeCommand(c.merge);
  if (name == "spectrum") return RunSpectrumCommand(c.options, c.spectrum);
  if (name == "loops") {
    c.loops.everyExperiment = app.get_subcommand("loops")->count("--experiment") == 0;
    return RunLoopsCommand(c.options, c.loops);
  }
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

  Commands commands;
  commands.options.arguments.assign(argv + std::min(argc, 1), argv + argc);
  for (const auto add : {AddSolveCommand, AddReportCommand, AddConvertCommand, AddDemoCommand,
                         AddCheckCommand, AddLoopCommand, AddAdvancedLoopCommand,
                         AddMergeCommand, AddPlotCommand, AddSpectrumCommand, AddLoopsCommand}) {
    add(app, commands);
  }
  if (const std::optional<int> status = Parse(app, argc, argv)) return *status;
  if (const int status = CheckMeaningfulInputs(app, commands); status != 0) return status;
  InstallInterruptHandler();
  std::string doing = "running quarvel-cli";
  for (const std::string& argument : commands.options.arguments) doing += " " + argument;
  return RunGuarded(doing, [&] { return Run(app, commands); }, std::cerr);
}
