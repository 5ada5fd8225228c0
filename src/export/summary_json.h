#pragma once
// The JSON summary of a run, enough to reproduce it from its own file:
//   program, version, command, arguments   who made it and how it was called
//   inputs    the window's inputs as typed (by control name) and as used: the model's
//             parameters, the method, the rule, the options, the mass of each experiment
//   records   each experiment's record: name, type, units, time step, samples, mass, initial
//             state, and where it came from (file, format, the file's units, scale, the units
//             as its header writes them and who said them, column)
//   results   what the run produced (a solve: per experiment the peaks, errors and periods)
// Numbers are written at full precision (the shortest text that reads back to the same
// double); a non-finite number is the string "inf", "-inf" or "nan", which JSON has no number
// for. Keys keep the order above.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "export/study_csv.h"
#include "io/file_result.h"
#include "records/record_file.h"
#include "solve/workbench.h"
#include "spectra/spectrum_run.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"

namespace quarvel {

using Json = nlohmann::ordered_json;

// Who made a summary and how it was called.
struct ProgramInfo {
  std::string program;                 // "quarvel-cli"
  std::string version;                 // "1.0.0"
  std::string command;                  // "solve", "report", "loop", "advanced-loop"
  std::vector<std::string> arguments;  // the command line as typed, after the program name
};

// A double as a JSON number, or "inf" / "-inf" / "nan".
Json JsonNumber(double value);

// The inputs as typed (every text box and option by control name) and as a solve of the
// bench's inputs uses them, each under the name of the command line's option (A, beta, gamma,
// n, alpha, c, Fy, Uy, P, threshold-z, mass, method, euler-steps, eps, rule,
// skip-in-dominance-zone; massPerExperiment, each experiment's mass), followed by the members of
// `engineering` (the engineering inputs given, by option name: "period": 0.7, "ductility": 4).
Json InputsJson(const Workbench& bench, const Json& engineering = Json::object());

// One entry per experiment of the set; `provenance` holds the records read from files, in set
// order (experiments beyond it, such as generated ones, have none).
Json RecordsJson(const ExperimentSet& set, const std::vector<RecordProvenance>& provenance);

// A model's run fault: null when it met none, else stopped (the pass ended there and its later
// samples are 0), firstSample, time [s] and nonFiniteSamples.
Json RunFaultJson(const RunFault& fault);

// Per experiment of the bench's set: the peaks, errors and periods of the last solve, each
// model's run fault (RunFaultJson), and the loops and loop-energy violations of each model
// (LoopCountsJson).
Json SolveResultsJson(const Workbench& bench);

// A parametric study: what became of it and the files it wrote; with `csv`, also its companion
// ("csv": the path, or "" when it was not written completely).
Json StudyResultsJson(const StudyOutcome& outcome, const CompanionFile* csv = nullptr);

// An advanced study: each file's study and the envelope files; with `csv`, also the companions
// ("csv": the paths of those written completely, "" for the others).
Json AdvancedStudyResultsJson(const AdvancedStudyOutcome& outcome,
                              const std::vector<CompanionFile>* csv = nullptr);

// A spectrum run: what it computed (DescribeSpectrum), at which periods, the points and periods
// written, those whose ductility was not reached or whose modified model faulted, those whose
// run met a fault, the files, and `picture` (null when none was drawn).
Json SpectrumResultsJson(const SpectrumPlan& plan, const SpectrumOutcome& outcome,
                         const std::string& picture);

// The engineering inputs a spectrum used, by option name: its kind's option ("strength-ratio",
// "reduction" or "ductility") with the target, and "damping-ratio".
Json SpectrumEngineeringJson(const SpectrumSettings& settings);

// The whole summary: program, version, command, arguments, the inputs of `bench` (with
// `engineering` among those used), `records` (RecordsJson of what was studied) and `results`.
Json SummaryJson(const ProgramInfo& program, const Workbench& bench, Json records, Json results,
                 const Json& engineering = Json::object());

// Writes `summary` to `path`, indented, lines ended by CR LF.
FileResult WriteJsonFile(const std::string& path, const Json& summary);

}  // namespace quarvel
