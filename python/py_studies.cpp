// Spectra and parametric studies from Python: the command line's options, the results as
// columns (a dict of name -> list) that pandas.DataFrame takes as they are.

#include <pybind11/stl.h>

#include <filesystem>
#include <random>

#include "export/study_csv.h"
#include "interrupt.h"
#include "module.h"
#include "solve/solve_experiments.h"
#include "solve/model_settings.h"
#include "spectra/periods.h"
#include "spectra/spectrum_run.h"
#include "spectra/spectrum_table.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "text/number_text.h"

namespace quarvel::python {
namespace {

namespace fs = std::filesystem;

py::object Namespace(const py::dict& fields) {
  return py::module_::import("types").attr("SimpleNamespace")(**fields);
}

// "a,b,c" -> "a", "b", "c".
std::vector<std::string> Names(const std::string& header) {
  std::vector<std::string> names(1);
  for (const char c : header) {
    if (c == ',') {
      names.emplace_back();
    } else {
      names.back() += c;
    }
  }
  return names;
}

double NumberOrNan(const std::optional<double>& value) {
  return value ? *value : std::numeric_limits<double>::quiet_NaN();
}

// The rows table's columns of the points, in its order; a field the table leaves empty is NaN.
py::dict RowColumns(const std::vector<SpectrumPoint>& points) {
  py::dict columns;
  for (const std::string& name : Names(SpectrumRowsHeader())) {
    py::list column;
    for (const SpectrumPoint& point : points) {
      if (name == "T_s") {
        column.append(point.period);
      } else if (name == "record") {
        column.append(point.record);
      } else if (name == "name") {
        column.append(point.name);
      } else if (name == "status") {
        column.append(PointStatusText(point));
      } else {
        column.append(NumberOrNan(NumberOfColumn(point, name)));
      }
    }
    columns[py::str(name)] = column;
  }
  return columns;
}

// The statistics table's columns, in its order; an empty field is NaN.
py::dict StatisticsColumns(const std::vector<PeriodStatistics>& periods) {
  const std::vector<std::string> names = Names(SpectrumStatisticsHeader());
  std::vector<py::list> columns(names.size());
  for (const PeriodStatistics& p : periods) {
    columns[0].append(p.period);
    columns[1].append(p.records);
    columns[2].append(p.solved);
    for (std::size_t k = 0; k < p.values.size() && k + 3 < names.size(); ++k) {
      columns[k + 3].append(NumberOrNan(p.values[k]));
    }
  }
  py::dict table;
  for (std::size_t k = 0; k < names.size(); ++k) table[py::str(names[k])] = columns[k];
  return table;
}

py::object Spectrum(const py::object& recordsObject, const py::object& periodsObject,
                    const py::object& strengthRatio, const py::object& reduction,
                    const py::object& ductility, const py::object& dampingRatio,
                    const py::object& mass, const py::object& modelObject, const py::object& jobs,
                    const py::object& output, const py::object& statistics) {
  const PyModel model = modelObject.is_none() ? PyModel{} : modelObject.cast<PyModel>();
  if (model.given.mass || model.given.damping || model.given.fy || model.given.uy ||
      model.engineering.Any()) {
    throw py::value_error("spectrum: c, Fy, Uy and the mass are set per point from the period, "
                          "the damping ratio and the kind; give mass= and damping_ratio= to "
                          "spectrum() and leave them out of the Model");
  }
  SpectrumPlan plan;
  std::string periodsText;
  if (py::isinstance<py::str>(periodsObject)) {
    periodsText = periodsObject.cast<std::string>();
  } else {
    for (const py::handle period : py::iter(periodsObject)) {
      periodsText += (periodsText.empty() ? "" : ",") + NumberText(period, "--periods");
    }
  }
  std::string error;
  std::optional<std::vector<double>> periods = ParsePeriods(periodsText, error);
  if (!periods) throw py::value_error("--periods " + periodsText + ": " + error);
  plan.periods = std::move(*periods);
  int given = 0;
  for (const auto& [value, kind, option] :
       {std::tuple{&strengthRatio, SpectrumKind::Strength, "--strength-ratio"},
        std::tuple{&reduction, SpectrumKind::Reduction, "--reduction"},
        std::tuple{&ductility, SpectrumKind::Ductility, "--ductility"}}) {
    if (value->is_none()) continue;
    ++given;
    plan.settings.kind = kind;
    const std::string text = NumberText(*value, SpectrumInputRuleOf(option));
    CheckPhysicalNumber(PhysicalInputOf(kind), option, text);
    plan.settings.target = Val(text);
  }
  if (given != 1) throw py::value_error(kSpectrumKindMessage);
  ReadModelParameters(model.Applied(), plan.settings.model);
  plan.settings.model.mass = Val(NumberText(mass, SpectrumInputRuleOf("--mass")));
  const std::string damping = NumberText(dampingRatio, SpectrumInputRuleOf("--damping-ratio"));
  CheckPhysicalNumber(PhysicalInput::DampingRatio, "--damping-ratio", damping);
  plan.settings.dampingRatio = Val(damping);

  const std::vector<Experiment> records = ExperimentsOf(recordsObject);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (const std::string problem = SpectrumRecordProblem(records[i], plan.settings.model.mass);
        !problem.empty()) {
      throw py::value_error("record " + std::to_string(i + 1) + " (" + records[i].name + ") " +
                            problem);
    }
  }
  plan.records = records;
  if (plan.PointCount() > kMaxSpectrumPoints) {
    throw py::value_error("spectrum: " + std::to_string(records.size()) + " records at " +
                          std::to_string(plan.periods.size()) + " periods are more than " +
                          std::to_string(kMaxSpectrumPoints) + " points");
  }

  SpectrumOutput out;
  if (!output.is_none()) {
    out.rowsPath = py::str(output).cast<std::string>();
    out.statisticsPath = statistics.is_none() ? SpectrumStatisticsPath(out.rowsPath)
                                              : py::str(statistics).cast<std::string>();
  }
  SolvePool pool(JobsOf(jobs));
  out.pool = &pool;
  std::vector<SpectrumPoint> points;
  std::vector<PeriodStatistics> periodStatistics;
  out.onPeriod = [&](const PeriodStatistics& s) { periodStatistics.push_back(s); };
  Interruption interruption;
  SpectrumOutcome outcome;
  RunWatched([&] {
    outcome = RunSpectrum(plan, out, interruption.stop,
                          [&](const SpectrumProgress&, const SpectrumPoint& point) {
                            points.push_back(point);
                          });
  });
  py::dict d;
  d["rows"] = RowColumns(points);
  d["statistics"] = StatisticsColumns(periodStatistics);
  d["points_not_reached"] = outcome.pointsNotReached;
  d["points_faulted"] = outcome.pointsFaulted;
  d["interrupted"] = outcome.interrupted;
  d["files"] = outcome.written;
  const py::object result = Namespace(d);
  if (outcome.Failed()) {
    const std::string message =
        "The spectrum was not written completely: " + outcome.file.Describe();
    PyErr_SetString(PyExc_OSError, message.c_str());
    throw py::error_already_set();
  }
  if (interruption.Requested()) interruption.Raise(result);
  return result;
}

// A folder of its own for study files nobody asked to keep; removed when done.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("quarvel-" + std::to_string(random()));
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

// The study's columns: the CSV companion's, in its order.
py::dict StudyColumns(StudyMode mode, const std::vector<StudyValueResult>& values) {
  const std::vector<std::string> names = StudyCsvColumns(mode);
  std::vector<py::list> columns(names.size());
  for (const StudyValueResult& value : values) {
    const std::vector<double> numbers = StudyCsvNumbers(mode, value);
    for (std::size_t k = 0; k < numbers.size(); ++k) columns[k].append(numbers[k]);
    columns[numbers.size()].append(value.filtered);
    columns[numbers.size() + 1].append(value.fault.Any() ? FaultAtText(value.fault.time) : "");
  }
  py::dict table;
  for (std::size_t k = 0; k < names.size(); ++k) table[py::str(names[k])] = columns[k];
  return table;
}

// The study inputs of a loop keyword set into the bench's inputs.
void ApplyRange(const py::object& from, const py::object& to, const py::object& step,
                const std::string& vary, const std::string& by, MainWindowInputs& inputs,
                ModelChoices& choices) {
  inputs.txtFrom = NumberText(from, "--from");
  inputs.txtTo = NumberText(to, "--to");
  inputs.txtStep = NumberText(step, "--step");
  for (const auto& [option, text] : {std::pair{"--vary", &vary}, std::pair{"--by", &by}}) {
    if (const std::string fault = CheckChoice(option, *text); !fault.empty()) {
      throw py::value_error(fault);
    }
  }
  choices.vary = vary;
  choices.by = by;
  ApplyModelChoices(choices, inputs);
}

py::dict StudyDict(const StudyOutcome& outcome, py::dict columns) {
  py::dict d;
  d["columns"] = std::move(columns);
  d["file"] = outcome.filePath;
  d["values_solved"] = outcome.valuesSolved;
  d["lines_written"] = outcome.linesWritten;
  py::list faulted;
  for (const FaultedValue& value : outcome.faultedValues) faulted.append(value.x);
  d["faulted_values"] = faulted;
  return d;
}

void RefuseStudyFault(const StudyOutcome& outcome) {
  if (outcome.Failed()) {
    if (!outcome.file) {
      PyErr_SetString(PyExc_OSError, outcome.Describe().c_str());
      throw py::error_already_set();
    }
    throw py::value_error(outcome.Describe());
  }
}

constexpr const char* kNothingToStudy =
    "Nothing to study: the step must be above 0 and From must not exceed To";

py::object Loop(const py::object& experiments, const py::object& modelObject,
                const py::object& from, const py::object& to, const py::object& step,
                const std::string& vary, const std::string& by, int32_t experiment,
                const py::object& jobs, bool allExperiments, const py::object& dir,
                const py::object& output) {
  Workbench bench;
  PrepareBench(experiments, modelObject, experiment, bench);
  PyModel model = modelObject.is_none() ? PyModel{} : modelObject.cast<PyModel>();
  ApplyRange(from, to, step, vary, by, bench.inputs, model.choices);
  SolvePool pool(JobsOf(jobs));
  StudyWork work;
  work.pool = &pool;
  work.solve = allExperiments ? StudySolve::AllExperiments : StudySolve::SelectedExperiment;
  std::optional<ScratchFolder> scratch;
  if (dir.is_none()) scratch.emplace();
  StudyRequest request;
  request.folder = dir.is_none() ? scratch->Path() : py::str(dir).cast<std::string>();
  if (!output.is_none()) request.outputName = py::str(output).cast<std::string>();
  std::error_code ignored;  // a folder that cannot be made fails at the study file
  fs::create_directories(request.folder, ignored);
  std::vector<StudyValueResult> values;
  request.onValue = [&values](const StudyValueResult& v) { values.push_back(v); };

  Interruption interruption;
  PyUserInterface ui(interruption.monitor);
  SolveOutcome solved;
  StudyOutcome outcome;
  RunWatched([&] {
    solved = SolveExperiments(bench, ui, false, &pool);
    if (solved.solved) outcome = RunParametricLoop(bench, ui, interruption.stop, request, work);
  });
  if (interruption.Requested() && !solved.solved) interruption.Raise();
  if (!solved.solved) throw py::value_error(ui.message);
  RefuseStudyFault(outcome);
  if (outcome.status == StudyStatus::NothingToDo) throw py::value_error(kNothingToStudy);
  py::dict d = StudyDict(outcome, StudyColumns(SelectStudyMode(bench.inputs), values));
  if (scratch) d["file"] = py::none();
  const py::object result = Namespace(d);
  if (interruption.Requested()) interruption.Raise(result);
  return result;
}

py::object AdvancedLoop(const py::object& records, const py::object& dir,
                        const py::object& modelObject, const py::object& from,
                        const py::object& to, const py::object& step, const std::string& vary,
                        const std::string& by, const py::object& threshold,
                        const py::object& jobs, bool allExperiments, const py::object& format,
                        const py::object& type, const py::object& units, const py::object& dt,
                        const py::object& column, const py::object& scale, bool strict) {
  PyModel model = modelObject.is_none() ? PyModel{} : modelObject.cast<PyModel>();
  Workbench bench;
  bench.inputs = model.Applied();
  ApplyRange(from, to, step, vary, by, bench.inputs, model.choices);
  if (NeedsExperimentMass(model.engineering, bench.inputs)) {
    throw py::value_error("--strength-ratio and --damping-ratio need --mass (or --period) here: "
                          "each file of the series has a mass of its own");
  }
  if (const std::string error = ApplyEngineeringInputs(model.engineering, 0.0, bench.inputs);
      !error.empty()) {
    throw py::value_error("The engineering inputs give no oscillator: " + error);
  }
  const std::string thresholdText = NumberText(threshold, "--threshold");
  const std::optional<double> limit = ReadThresholdAnswer(thresholdText);
  if (!limit) {
    throw py::value_error("--threshold " + thresholdText + ": the threshold must be above 0");
  }
  std::vector<std::string> files;
  if (!records.is_none()) {
    for (const py::handle file : py::iter(records)) files.push_back(py::str(file));
  }
  if (dir.is_none() && files.empty()) {
    throw py::value_error("advanced-loop needs --dir FOLDER (the numbered series) or --records "
                          "FILE...");
  }
  RecordOptions options = RecordOptionsOf(format, type, units, py::none(), dt, column, scale,
                                          py::none(), strict);
  if (Val(bench.inputs.txtMass) > 0.0) options.mass = Val(bench.inputs.txtMass);
  std::optional<ScratchFolder> scratch;
  if (dir.is_none()) scratch.emplace();
  const std::string folder = dir.is_none() ? scratch->Path() : py::str(dir).cast<std::string>();

  SolvePool pool(JobsOf(jobs));
  StudyWork work;
  work.pool = &pool;
  work.solve = allExperiments ? StudySolve::AllExperiments : StudySolve::SelectedExperiment;
  const StudyMode mode = SelectStudyMode(bench.inputs);
  std::vector<std::pair<std::string, std::vector<StudyValueResult>>> studies;
  EnvelopeRecords envelopes;
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [&](int32_t, const std::string& name) { studies.push_back({name, {}}); };
  hooks.onValue = [&](const StudyValueResult& value) {
    studies.back().second.push_back(value);
    envelopes.Take(value, studies.back().first);
  };
  const SeriesSource series = [&](int32_t k, FileResult&) -> std::optional<SeriesFile> {
    if (k < 1 || static_cast<std::size_t>(k) > files.size()) return std::nullopt;
    const std::string path = files[static_cast<std::size_t>(k) - 1];
    return SeriesFile{fs::path(path).filename().string(), [path, &options](ExperimentSet& set) {
                        RecordLoad load = LoadRecordFile(path, options);
                        if (load.result) set.Assign(std::move(load.records.experiments));
                        return load.result;
                      }};
  };
  Interruption interruption;
  PyUserInterface ui(interruption.monitor);
  AdvancedStudyOutcome outcome;
  RunWatched([&] {
    outcome = files.empty()
                  ? RunAdvancedLoop(bench, ui, interruption.stop, folder, *limit, hooks, work)
                  : RunAdvancedStudy(bench, ui, interruption.stop, series, folder, *limit,
                                     hooks, work);
  });
  if (!outcome.ran) {
    throw py::value_error(outcome.problems.empty() ? std::string(kNothingToStudy)
                                                   : outcome.problems.front());
  }
  py::list studyList;
  for (std::size_t j = 0; j < studies.size(); ++j) {
    const StudyOutcome& study =
        j < outcome.files.size() ? outcome.files[j].study : StudyOutcome{};
    py::dict d = StudyDict(study, StudyColumns(mode, studies[j].second));
    d["record"] = studies[j].first;
    if (scratch) d["file"] = py::none();
    studyList.append(Namespace(d));
  }
  const std::vector<std::string> names = EnvelopeCsvColumns(mode);
  std::vector<py::list> columns(names.size());
  const double x0 = Val(bench.inputs.txtFrom), dx = Val(bench.inputs.txtStep);
  for (std::size_t i = 0; i < outcome.envelopes.uPos.size(); ++i) {
    const EnvelopeRow row = envelopes.Row(i, x0, dx);
    columns[0].append(row.x);
    for (std::size_t e = 0; e < 4; ++e) {
      columns[1 + 2 * e].append(row.values[e]);
      columns[2 + 2 * e].append(row.records[e]);
    }
  }
  py::dict envelopeTable;
  for (std::size_t k = 0; k < names.size(); ++k) envelopeTable[py::str(names[k])] = columns[k];
  py::dict d;
  d["studies"] = studyList;
  d["envelopes"] = envelopeTable;
  d["problems"] = outcome.problems;
  d["envelope_files"] = scratch ? std::vector<std::string>{} : outcome.envelopeFiles;
  const py::object result = Namespace(d);
  if (interruption.Requested()) interruption.Raise(result);
  return result;
}

}  // namespace

void AddStudies(py::module_& m) {
  m.def("spectrum", &Spectrum, py::arg("records"), py::arg("periods"), py::kw_only(),
        py::arg("strength_ratio") = py::none(), py::arg("reduction") = py::none(),
        py::arg("ductility") = py::none(), py::arg("damping_ratio") = 0.05,
        py::arg("mass") = -1, py::arg("model") = py::none(), py::arg("jobs") = py::none(),
        py::arg("output") = py::none(), py::arg("stats") = py::none(),
        "Inelastic response spectra of both models over the records (a list of Experiment) at "
        "the periods (a list of seconds, or text as --periods takes it: '0.05:3:0.05'), at "
        "constant strength (strength_ratio or reduction) or constant ductility (ductility). "
        "Returns a namespace: rows and statistics, each a dict of columns for "
        "pandas.DataFrame (the command line's tables; an empty field is NaN), "
        "points_not_reached, points_faulted, interrupted, files (output=: also write the "
        "tables). Ctrl-C ends it after the points in progress and raises KeyboardInterrupt "
        "with the finished rows as its .partial.");
  m.def("loop", &Loop, py::arg("experiments"), py::arg("model") = py::none(), py::kw_only(),
        py::arg("from_") = "0.1", py::arg("to") = "10", py::arg("step") = "0.01",
        py::arg("vary") = "plastic", py::arg("by") = "mass", py::arg("experiment") = 1,
        py::arg("jobs") = py::none(), py::arg("all_experiments") = false,
        py::arg("dir") = py::none(), py::arg("output") = py::none(),
        "The parametric study of the selected experiment: vary (mass, elastic, plastic, none) "
        "swept from from_ to to by step, by changing by (mass, fy, uy). Returns a namespace: "
        "columns (the study CSV's, a dict for pandas.DataFrame), values_solved, lines_written, "
        "faulted_values, file (the study file when dir= is given). Ctrl-C ends it after the "
        "values in progress (KeyboardInterrupt, the finished values as .partial).");
  m.def("advanced_loop", &AdvancedLoop, py::arg("records") = py::none(), py::kw_only(),
        py::arg("dir") = py::none(), py::arg("model") = py::none(), py::arg("from_") = "0.1",
        py::arg("to") = "10", py::arg("step") = "0.01", py::arg("vary") = "plastic",
        py::arg("by") = "mass", py::arg("threshold") = "1", py::arg("jobs") = py::none(),
        py::arg("all_experiments") = false, py::arg("format") = py::none(),
        py::arg("type") = py::none(), py::arg("units") = py::none(), py::arg("dt") = py::none(),
        py::arg("column") = py::none(), py::arg("scale") = py::none(),
        py::arg("strict") = false,
        "The parametric study of every file of records (paths, in order), or of the numbered "
        "series in dir, with the envelopes of the relative errors over the files. Returns a "
        "namespace: studies (per file: record, columns, values_solved, ...), envelopes (the "
        "envelope CSV's columns), problems, envelope_files.");
}

}  // namespace quarvel::python
