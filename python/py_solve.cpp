// Solving from Python: both models over a set, the histories handed to numpy without a copy.

#include <pybind11/stl.h>

#include <memory>

#include "interrupt.h"
#include "module.h"
#include "solve/labels.h"
#include "solve/solve_experiments.h"
#include "text/number_text.h"

namespace quarvel::python {
namespace {

template <typename T>
py::array_t<T> Owned(std::vector<T>&& values) {
  auto* owned = new std::vector<T>(std::move(values));
  py::capsule owner(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  const py::ssize_t n = owned->empty() ? 0 : static_cast<py::ssize_t>(owned->size()) - 1;
  return py::array_t<T>({n}, {static_cast<py::ssize_t>(sizeof(T))},
                        owned->empty() ? nullptr : owned->data() + 1, owner);
}

py::object Namespace(const py::dict& fields) {
  return py::module_::import("types").attr("SimpleNamespace")(**fields);
}

py::object HistoryOf(ResponseHistory& h, double peakU, double peakEh) {
  py::dict d;
  d["t"] = Owned(std::move(h.T));
  d["U"] = Owned(std::move(h.U));
  d["U_DOT"] = Owned(std::move(h.U_DOT));
  d["U_DOT_DOT"] = Owned(std::move(h.U_DOT_DOT));
  d["F"] = Owned(std::move(h.F));
  d["Z"] = Owned(std::move(h.Z));
  d["Fext"] = Owned(std::move(h.Fext));
  d["Fh"] = Owned(std::move(h.Fh));
  d["Et"] = Owned(std::move(h.Et));
  d["Eh"] = Owned(std::move(h.Eh));
  d["peak_U"] = peakU;
  d["peak_Eh"] = peakEh;
  return Namespace(d);
}

py::object OptionalNumber(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::object(py::none());
}

}  // namespace

void PrepareBench(const py::object& experiments, const py::object& modelObject,
                  int32_t experiment, Workbench& bench) {
  const PyModel model = modelObject.is_none() ? PyModel{} : modelObject.cast<PyModel>();
  bench.inputs = model.Applied();
  bench.experiments.Assign(ExperimentsOf(experiments));
  bench.SelectFirst(SetSource::Other);
  if (experiment < 1) {
    throw py::value_error("--experiment: \"" + std::to_string(experiment) +
                          "\": must be a whole number from 1 to 2147483647");
  }
  if (experiment > bench.experiments.Count()) {
    throw py::value_error("--experiment " + std::to_string(experiment) + ": the set has only " +
                          std::to_string(bench.experiments.Count()) + " experiment(s)");
  }
  bench.currentExperiment = experiment;
  if (model.engineering.Any()) {
    const double experimentMass = bench.CurrentExperiment()->mass;
    const bool ownMass = NeedsExperimentMass(model.engineering, bench.inputs);
    if (const std::string error =
            ApplyEngineeringInputs(model.engineering, experimentMass, bench.inputs);
        !error.empty()) {
      std::string message = "The engineering inputs give no oscillator: " + error;
      if (ownMass) {
        message += " (with the mass of experiment " + std::to_string(experiment) + ", " +
                   FormatShortest(experimentMass) + " kg; mass= gives another)";
      }
      throw py::value_error(message);
    }
  }
}

namespace {

py::object SolutionOf(Workbench& bench, const SolveOutcome& outcome, int32_t experiment) {
  py::list solved;
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    ExperimentResults& r = bench.results.At(k);
    const Experiment& e = bench.experiments.At(k);
    const Periods periods = ComputePeriods(bench.inputs, e.mass);
    py::dict d;
    d["experiment"] = k;
    d["name"] = e.name;
    d["samples"] = r.original.SampleCount();
    d["original"] = HistoryOf(r.original, r.originalPeakU, r.originalPeakEh);
    d["modified"] = HistoryOf(r.modified, r.modifiedPeakU, r.modifiedPeakEh);
    py::dict reversals;
    reversals["PLast+"] = Owned(std::move(r.reversalIndices.lastPlus));
    reversals["Plast-"] = Owned(std::move(r.reversalIndices.lastMinus));
    reversals["PMax+"] = Owned(std::move(r.reversalIndices.maxPlus));
    reversals["PMax-"] = Owned(std::move(r.reversalIndices.maxMinus));
    d["reversals"] = reversals;
    py::dict errors;
    errors["abs_error_U"] = r.absErrorU;
    errors["rel_error_U"] = r.relErrorU;
    errors["abs_error_Eh"] = r.absErrorEh;
    errors["rel_error_Eh"] = r.relErrorEh;
    d["errors"] = errors;
    py::dict periodsDict;
    periodsDict["elastic"] = OptionalNumber(periods.elastic);
    periodsDict["plastic"] = OptionalNumber(periods.plastic);
    d["periods"] = periodsDict;
    solved.append(Namespace(d));
  }
  py::dict faults;
  faults["weight_faults"] = outcome.weightFaults;
  faults["first_experiment"] = outcome.firstFaultExperiment;
  faults["first_sample"] = outcome.firstFaultSample;
  if (outcome.weightFaults > 0) {
    const Experiment& e = bench.experiments.At(outcome.firstFaultExperiment);
    faults["first_time"] = (outcome.firstFaultSample - 1) * e.timeStep;
    py::module_::import("warnings")
        .attr("warn")(std::string(kMessageWeightFault) +
                          ": the modified model's all-reversal weight met an arithmetic fault in " +
                          std::to_string(outcome.weightFaults) +
                          " evaluation(s), the first in experiment " +
                          std::to_string(outcome.firstFaultExperiment) + " (" + e.name +
                          ") at sample " + std::to_string(outcome.firstFaultSample) +
                          "; the modified response from there on is doubtful",
                      py::module_::import("builtins").attr("RuntimeWarning"), 2);
  } else {
    faults["first_time"] = py::none();
  }
  py::dict inputs;
  for (const InputTextField& field : kInputTextFields) {
    inputs[field.name] = bench.inputs.*field.field;
  }
  py::dict d;
  d["experiments"] = solved;
  d["selected"] = experiment;
  d["faults"] = faults;
  d["inputs"] = inputs;
  return Namespace(d);
}

py::object Solve(const py::object& experiments, const py::object& modelObject,
                 int32_t experiment, const py::object& jobs) {
  Workbench bench;
  PrepareBench(experiments, modelObject, experiment, bench);

  Interruption interruption;
  PyUserInterface ui(interruption.monitor);
  SolveOutcome outcome;
  SolvePool pool(JobsOf(jobs));
  RunWatched([&] { outcome = SolveExperiments(bench, ui, false, &pool); });
  if (interruption.Requested()) interruption.Raise();
  if (!outcome.solved) throw py::value_error(ui.message);
  return SolutionOf(bench, outcome, experiment);
}

}  // namespace

py::array_t<double> OwnedArray(std::vector<double>&& values) { return Owned(std::move(values)); }
py::array_t<int32_t> OwnedArray(std::vector<int32_t>&& values) {
  return Owned(std::move(values));
}

void AddSolve(py::module_& m) {
  m.def("solve", &Solve, py::arg("experiments"), py::arg("model") = py::none(), py::kw_only(),
        py::arg("experiment") = 1, py::arg("jobs") = py::none(),
        "Solves both models over the experiments (a list of Experiment) with the model (default "
        "Model()). experiment: the selected one (1-based), whose mass the engineering inputs "
        "use; jobs: experiments solved at once (default: one per hardware thread). Returns a "
        "namespace: experiments (per experiment: name, samples, original and modified "
        "histories t, U, U_DOT, U_DOT_DOT, F, Z, Fext, Fh, Et, Eh as numpy arrays with peak_U "
        "and peak_Eh, the reversal-point histories, errors, periods), faults and the inputs "
        "used. The GIL is released while it solves; Ctrl-C stops it (KeyboardInterrupt).");
}

}  // namespace quarvel::python
