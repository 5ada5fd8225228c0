#include "cli/cli_options.h"

#include "cli/option_checks.h"
#include "text/number_text.h"

namespace quarvel::cli {

void AddExperimentOptions(CLI::App& command, CommonOptions& options, ExperimentChoice choice) {
  auto* sources = command.add_option_group("Experiment source", "Where the experiments come from");
  sources->add_flag_callback("--create", [&options] { options.source = ExperimentSource::Create; },
                             "The six built-in sinusoidal force experiments (the default)");
  sources
      ->add_option("--load", options.loadFiles,
                   "Load experiments from a file: a .quarvel file (its doubtful lines are named "
                   "as warnings) or a ground-motion record (PEER .AT2, columns of numbers, CSV "
                   "with a header), recognised by content and extension; give --load once per "
                   "file to make one set of them all, in the order given")
      ->type_name("FILE")
      ->allow_extra_args(false)
      ->each([&options](const std::string&) { options.source = ExperimentSource::Load; });
  sources
      ->add_option_function<std::string>(
          "--sine",
          [&options](const std::string& texts) {
            options.source = ExperimentSource::Sine;
            options.sineTexts = texts;
          },
          "One sinusoidal displacement-controlled experiment: mass [kg], amplitude [m], "
          "period [s], cycles, time step [s]")
      ->type_name("MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP")
      ->check(SineCheck());
  sources->add_flag_callback("--dc1", [&options] { options.source = ExperimentSource::Dc1; },
                             "Displacement-controlled ramp protocol DC 1 (in multiples of Uy)");
  sources->add_flag_callback("--dc2", [&options] { options.source = ExperimentSource::Dc2; },
                             "Displacement-controlled ramp protocol DC 2 (in multiples of Uy)");
  sources->require_option(0, 1);
  if (choice == ExperimentChoice::One) {
    command.add_option("--experiment", options.experiment, "The selected experiment (1-based)")
        ->type_name("K")
        ->check(NumberCheck(NumberRule::Count))
        ->capture_default_str()
        ->group("Experiments");
  } else {
    command
        .add_option_function<std::string>(
            "--experiment",
            [&options](const std::string& text) {
              options.allExperiments = text == "all";
              if (!options.allExperiments) options.experiment = static_cast<int>(Val(text));
            },
            "The selected experiment (1-based), or all for every experiment of the set")
        ->type_name("K|all")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
              if (text == "all" || CheckNumberText(text, NumberRule::Count, "").empty()) return "";
              return "\"" + text + "\" is neither an experiment number (1, 2, ...) nor all";
            },
            ""))
        ->default_str(std::to_string(options.experiment))
        ->group("Experiments");
  }
  command
      .add_flag("--strict", options.strict,
                "Refuse a loaded file that has a warning (exit status 1)")
      ->group("Experiments");
  AddRecordOptions(command, options.record, false);
}

void AddRecordOptions(CLI::App& command, RecordChoices& record, bool withMass) {
  const char* group = "Records (what an AT2, columns or CSV file leaves open)";
  command
      .add_option("--format", record.format,
                  "Read every file in this format: quarvel, at2, columns or csv (default: "
                  "recognised by content and extension)")
      ->check(CLI::IsMember({"quarvel", "at2", "columns", "csv"}))
      ->group(group);
  command
      .add_option("--type", record.type,
                  "What the records' values are: acceleration (of the ground), force [N] or "
                  "displacement [m; an AT2 displacement record in cm or mm is converted] "
                  "(default: what an AT2 header says, else acceleration; one that contradicts "
                  "the header is refused)")
      ->check(CLI::IsMember({"acceleration", "force", "displacement"}))
      ->group(group);
  command
      .add_option("--units", record.units,
                  "Units of acceleration records: g (kept as written and marked units of g, so "
                  "the solve multiplies them by 9.81), m/s2 (kept as written), cm/s2 and mm/s2 "
                  "(divided by 100 and 1000 into m/s2) (default: what an AT2 header says, else "
                  "g; one that contradicts the header is refused)")
      ->check(CLI::IsMember({"g", "m/s2", "cm/s2", "mm/s2", "m/s^2", "cm/s^2", "mm/s^2"}))
      ->group(group);
  command
      .add_option("--name", record.name,
                  "Name of the records (default: an AT2 file's second header line, else the "
                  "file's name without its extension)")
      ->group(group);
  command
      .add_option("--dt", record.timeStep,
                  "Time step [s] of records that give no times (one column of values, a CSV "
                  "without a time column); files with times use theirs")
      ->type_name("SECONDS")
      ->check(NumberCheck(kRecordTimeStepRule))
      ->group(group);
  command
      .add_option("--column", record.column,
                  "Column of a CSV file that holds the values, by header name or number from 1 "
                  "(default: the first that is not the time, a column named t or time)")
      ->type_name("NAME|NUMBER")
      ->group(group);
  command
      .add_option("--scale", record.scale,
                  "Multiply every sample of the loaded files by FACTOR, after their units are "
                  "read (default 1; any file format; written into the summary's sources)")
      ->type_name("FACTOR")
      ->check(NumberCheck(kRecordScaleRule))
      ->group(group);
  if (withMass) {
    command
        .add_option("--mass", record.mass, "Mass [kg] of the records (default 1)")
        ->type_name("NUMBER")
        ->check(NumberCheck(kRecordMassRule))
        ->group(group);
  }
}

void AddSummaryOption(CLI::App& command, std::string& summary) {
  command
      .add_option("--summary", summary,
                  "Also write a JSON summary: every input as typed and as used, each record's "
                  "source, the program's version and the results at full precision")
      ->type_name("FILE.json")
      ->group("Outputs");
}

RecordOptions RecordOptionsOf(const RecordChoices& choices, double mass) {
  RecordOptions options;
  if (!choices.format.empty()) options.format = ParseRecordFormat(choices.format);
  if (!choices.type.empty()) options.type = ParseDataTypeName(choices.type);
  if (!choices.units.empty()) options.units = ParseAccelerationUnits(choices.units);
  if (!choices.name.empty()) options.name = choices.name;
  if (!choices.timeStep.empty()) options.timeStep = ParseWholeNumber(choices.timeStep);
  if (!choices.column.empty()) options.column = choices.column;
  if (!choices.scale.empty()) options.scale = ParseWholeNumber(choices.scale);
  if (!choices.mass.empty()) {
    options.mass = ParseWholeNumber(choices.mass);
  } else if (mass > 0.0) {
    options.mass = mass;
  }
  return options;
}

namespace {

constexpr const char* kModelGroup = "Model (SI units: m, N, kg, s)";
constexpr const char* kEngineeringGroup =
    "Engineering inputs (k = Fy / Uy, the elastic stiffness; g = 9.81 m/s^2)";

// A number option checked by the model's rule of its first name (solve/model_inputs.h).
CLI::Option* AddNumber(CLI::App& command, const std::string& names, std::string& target,
                       const std::string& help, const char* group = kModelGroup) {
  const NumberInputRule rule = NumberInputRuleOf(names.substr(0, names.find(',')));
  return command.add_option(names, target, help)
      ->type_name("NUMBER")
      ->check(NumberCheck(rule))
      ->capture_default_str()
      ->group(group);
}

// A raw oscillator input, remembered as typed so that a conflicting engineering input can be
// named.
void AddRawNumber(CLI::App& command, const std::string& names, std::string& target,
                  const char* help, bool& given) {
  AddNumber(command, names, target, help)->each([&given](const std::string&) { given = true; });
}

// The names of a choice option as a CLI11 check, with the help's list of names.
CLI::Validator ChoiceCheck(const std::string& option) {
  std::string names;
  for (const std::string_view name : ChoiceNames(option)) {
    names += (names.empty() ? "" : ",") + std::string(name);
  }
  return CLI::Validator(
      [option](std::string& text) -> std::string {
        const std::string fault = CheckChoice(option, text);
        return fault.empty() ? fault : fault.substr(option.size() + 2);
      },
      "{" + names + "}");
}

std::optional<double> OptionalNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return ParseWholeNumber(text);
}

}  // namespace

void AddModelBoxes(CLI::App& command, CommonOptions& options) {
  MainWindowInputs& in = options.inputs;
  AddNumber(command, "--A", in.txtAlphaCap, "A, the Bouc-Wen amplitude coefficient");
  AddNumber(command, "--beta", in.txtBetaSmall,
            "beta, the coefficient of the sign-independent term");
  AddNumber(command, "--gamma", in.txtGammaSmall,
            "gamma, the coefficient of the sign-dependent term");
  AddNumber(command, "--n", in.txtNee, "n, the exponent of |z|");
  AddNumber(command, "--alpha", in.txtAlphaSmall, "a, the post-yield to elastic stiffness ratio");
  AddNumber(command, "--P,--p", in.txtP, "P, the exponent of the modified model's reload weight");
  AddNumber(command, "--threshold-z", in.txtThresholdZ,
            "Threshold Z of the modified model's dominance zone");
  AddNumber(command, "--eps", in.txtEps1,
            "Eps, the displacement tolerance of the step-doubling schemes [m]");
  AddNumber(command, "--euler-steps", in.txtSolutionEulerSteps,
            "Sub-steps per sample of --method euler (a whole number from 1 to 128)");

  // "--a" would read as A to some and as a (the post-yield ratio, --alpha) to others.
  command
      .add_option_function<std::string>(
          "--a",
          [](const std::string&) {
            throw CLI::ValidationError("--a", "ambiguous: give --A for the Bouc-Wen amplitude A, "
                                              "or --alpha for a, the post-yield stiffness ratio");
          })
      ->group("");

  auto choice = [&command](const char* name, std::string& target, const char* help) {
    command.add_option(name, target, help)
        ->check(ChoiceCheck(name))
        ->capture_default_str()
        ->group(kModelGroup);
  };
  choice("--method", options.choices.method, "Solution method");
  choice("--rule", options.choices.rule, "Reversal-point rule of the modified model");
  choice("--skip-in-dominance-zone", options.choices.skipInDominanceZone,
         "Do not update a reversal point within the dominance zone");
}

void AddModelOptions(CLI::App& command, CommonOptions& options) {
  MainWindowInputs& in = options.inputs;
  AddRawNumber(command, "--c", in.txtCharlieSmall, "c, the viscous damping [N s/m]",
               options.dampingGiven);
  AddRawNumber(command, "--Fy,--fy", in.txtFy, "Fy, the yield force [N]", options.fyGiven);
  AddRawNumber(command, "--Uy,--uy", in.txtUy, "Uy, the yield displacement [m]", options.uyGiven);
  AddRawNumber(command, "--mass", in.txtMass,
               "Mass [kg]; a negative value takes each experiment's own mass", options.massGiven);
  AddModelBoxes(command, options);

  AddNumber(command, "--period", options.period,
            "T, the elastic period [s]: sets the mass m = (T / 2 pi)^2 Fy / Uy; with "
            "--strength-ratio it sets Uy = Fy / k with k = m / (T / 2 pi)^2 instead",
            kEngineeringGroup)
      ->type_name("T");
  AddNumber(command, "--damping-ratio", options.dampingRatio,
            "ZETA, the damping ratio: sets c = 2 ZETA sqrt(k m) from the final k and m",
            kEngineeringGroup)
      ->type_name("ZETA");
  AddNumber(command, "--strength-ratio", options.strengthRatio,
            "CY, the yield force over the weight: sets Fy = CY m g", kEngineeringGroup)
      ->type_name("CY");
}

EngineeringInputs EngineeringInputsOf(const CommonOptions& options) {
  return {OptionalNumber(options.period), OptionalNumber(options.dampingRatio),
          OptionalNumber(options.strengthRatio)};
}

std::string EngineeringConflict(const CommonOptions& options) {
  return quarvel::EngineeringConflict(EngineeringInputsOf(options),
                                      {options.massGiven, options.dampingGiven, options.fyGiven,
                                       options.uyGiven});
}

void AddStudyOptions(CLI::App& command, CommonOptions& options) {
  MainWindowInputs& in = options.inputs;
  const char* group = "Study range (kg for --vary mass, s for the periods)";
  for (const auto& [name, target, help] :
       {std::tuple{"--from", &in.txtFrom, "First swept value"},
        std::tuple{"--to", &in.txtTo, "Last swept value"},
        std::tuple{"--step", &in.txtStep, "Step between swept values (above 0)"}}) {
    command.add_option(name, *target, help)
        ->type_name("NUMBER")
        ->check(NumberCheck(NumberRule::Any))
        ->capture_default_str()
        ->group(group);
  }
  command
      .add_option("--vary", options.choices.vary,
                  "The quantity swept: mass, elastic or plastic period")
      ->check(ChoiceCheck("--vary"))
      ->capture_default_str()
      ->group(group);
  command.add_option("--by", options.choices.by, "The input rewritten to give each period")
      ->check(ChoiceCheck("--by"))
      ->capture_default_str()
      ->group(group);
}

void ApplyChoices(CommonOptions& options) { ApplyModelChoices(options.choices, options.inputs); }

}  // namespace quarvel::cli
