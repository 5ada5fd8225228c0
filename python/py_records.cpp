// Records from Python: files read through the records' one door, and experiments made from a
// numpy array and a time step.

#include <pybind11/stl.h>


#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "module.h"
#include "records/record_summary.h"
#include "text/number_text.h"

namespace quarvel::python {
namespace {

// A choice given as text, checked against `names` as the command line checks it.
template <typename Parse>
auto ChoiceOf(const py::object& value, const char* option, std::initializer_list<const char*> names,
              Parse parse) {
  const std::string text = py::str(value);
  for (const char* name : names) {
    if (text == name) return *parse(text);
  }
  std::string message(option);
  message.append(": ").append(text).append(" not in {");
  for (const char* name : names) {
    if (message.back() != '{') message += ',';
    message.append(name);
  }
  throw py::value_error(message + "}");
}

py::dict ProvenanceDict(const RecordProvenance& p) {
  py::dict d;
  d["file"] = p.file;
  d["format"] = std::string(RecordFormatName(p.format));
  d["kind"] = std::string(DataTypeName(p.type));
  d["units"] = p.units;
  d["units_written"] = p.unitsWritten;
  d["units_source"] = p.unitsSource;
  d["scale"] = p.scale;
  d["scale_factor"] = p.scaleFactor;
  d["dt"] = p.timeStep;
  d["samples"] = p.samples;
  d["start_time"] = p.startTime;
  d["column"] = p.column;
  return d;
}

// The samples 1..N as a numpy view that keeps the experiment alive.
py::array_t<double> SamplesView(py::object self) {
  const PyExperiment& e = self.cast<const PyExperiment&>();
  const std::vector<double>& samples = SamplesOf(e.experiment);
  const py::ssize_t n = samples.empty() ? 0 : static_cast<py::ssize_t>(samples.size()) - 1;
  py::array_t<double> view({n}, {static_cast<py::ssize_t>(sizeof(double))},
                           samples.empty() ? nullptr : samples.data() + 1, self);
  py::detail::array_proxy(view.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
  return view;
}

PyExperiment MakeExperiment(py::array_t<double, py::array::c_style | py::array::forcecast> samples,
                            const py::object& dt, const std::string& kind,
                            const std::string& units, const std::string& name,
                            const py::object& mass, double weight, double initialU,
                            double initialUDot, double initialZ) {
  if (samples.ndim() != 1) throw py::value_error("samples: a one-dimensional array is needed");
  if (samples.shape(0) > INT32_MAX - 1) throw py::value_error("samples: too many samples");
  const std::string step = NumberText(dt, kRecordTimeStepRule);
  PyExperiment made;
  Experiment& e = made.experiment;
  e.dataType = ChoiceOf(py::str(kind), "kind", {"acceleration", "force", "displacement"},
                        ParseDataTypeName);
  if (e.dataType == ExperimentDataType::Acceleration) {
    const AccelerationUnits u =
        ChoiceOf(py::str(units), "units", {"g", "m/s2", "m/s^2"}, ParseAccelerationUnits);
    e.unitsOfG = u == AccelerationUnits::G ? 1 : 0;
  }
  e.name = name;
  e.timeStep = Val(step);
  e.mass = mass.is_none() ? 1.0 : Val(TextOfNumber(mass, "--mass"));
  e.weight = weight;
  e.initialU = initialU;
  e.initialUDot = initialUDot;
  e.initialZ = initialZ;
  e.counter = static_cast<int32_t>(samples.shape(0));
  std::vector<double>& values = SamplesOf(e);
  values.assign(1, 0.0);
  values.insert(values.end(), samples.data(), samples.data() + samples.shape(0));
  return made;
}

py::list Load(const std::string& path, const py::object& format, const py::object& type,
              const py::object& units, const py::object& name, const py::object& dt,
              const py::object& column, const py::object& scale, const py::object& mass,
              bool strict) {
  const RecordOptions options =
      RecordOptionsOf(format, type, units, name, dt, column, scale, mass, strict);
  RecordLoad load;
  {
    py::gil_scoped_release release;
    load = LoadRecordFile(path, options);
  }
  if (load.result.systemError != 0) {  // a file that cannot be opened at all
    PyErr_SetObject(PyExc_OSError,
                    py::make_tuple(load.result.systemError, load.result.reason, path).ptr());
    throw py::error_already_set();
  }
  const py::object warn = py::module_::import("warnings").attr("warn");
  for (const RecordWarning& warning : load.warnings) {
    warn(DescribeWarning(path, warning), py::module_::import("builtins").attr("UserWarning"), 2);
  }
  if (!load.result) {
    std::string message;
    switch (load.contradicted) {
      case RecordOption::Type:
        message = "--type " + py::str(type).cast<std::string>() + " contradicts ";
        break;
      case RecordOption::Units:
        message = "--units " + py::str(units).cast<std::string>() + " contradicts ";
        break;
      case RecordOption::None:
        message = std::string(kLoadErrorMessage) + "\n";
        break;
    }
    message += load.result.Describe();
    if (!load.hint.empty()) message += "\n" + path + ": " + load.hint;
    if (load.needsTimeStep && !options.timeStep) message += "\nGive the time step with dt=SECONDS.";
    throw py::value_error(message);
  }
  py::list experiments;
  for (std::size_t k = 0; k < load.records.experiments.size(); ++k) {
    experiments.append(PyExperiment{std::move(load.records.experiments[k]),
                                    std::move(load.records.provenance[k])});
  }
  return experiments;
}

py::list ListOf(const ExperimentSet& set) {
  py::list experiments;
  for (const Experiment& e : set.Records()) {
    experiments.append(PyExperiment{e, ProvenanceOf(e, "")});
  }
  return experiments;
}

}  // namespace

std::vector<Experiment> ExperimentsOf(const py::handle& experiments) {
  std::vector<Experiment> records;
  if (py::isinstance<PyExperiment>(experiments)) {
    records.push_back(experiments.cast<const PyExperiment&>().experiment);
    return records;
  }
  for (const py::handle item : py::iter(experiments)) {
    if (!py::isinstance<PyExperiment>(item)) {
      throw py::type_error("experiments: a list of quarvel.Experiment is needed");
    }
    records.push_back(item.cast<const PyExperiment&>().experiment);
  }
  return records;
}

RecordOptions RecordOptionsOf(const py::object& format, const py::object& type,
                              const py::object& units, const py::object& name,
                              const py::object& dt, const py::object& column,
                              const py::object& scale, const py::object& mass, bool strict) {
  RecordOptions options;
  if (!format.is_none()) {
    options.format =
        ChoiceOf(format, "--format", {"quarvel", "at2", "columns", "csv"}, ParseRecordFormat);
  }
  if (!type.is_none()) {
    options.type = ChoiceOf(type, "--type", {"acceleration", "force", "displacement"},
                            ParseDataTypeName);
  }
  if (!units.is_none()) {
    options.units = ChoiceOf(units, "--units",
                             {"g", "m/s2", "cm/s2", "mm/s2", "m/s^2", "cm/s^2", "mm/s^2"},
                             ParseAccelerationUnits);
  }
  if (!name.is_none()) options.name = py::str(name).cast<std::string>();
  if (!dt.is_none()) {
    options.timeStep = Val(NumberText(dt, kRecordTimeStepRule));
  }
  if (!column.is_none()) options.column = py::str(column).cast<std::string>();
  if (!scale.is_none()) {
    options.scale = Val(NumberText(scale, kRecordScaleRule));
  }
  if (!mass.is_none()) {
    options.mass = Val(NumberText(mass, kRecordMassRule));
  }
  options.strict = strict;
  return options;
}

void AddRecords(py::module_& m) {
  py::class_<PyExperiment>(m, "Experiment",
                           "One excitation record with its initial state: a ground acceleration, "
                           "a force or a prescribed displacement sampled at a fixed time step.")
      .def(py::init(&MakeExperiment), py::arg("samples"), py::arg("dt"),
           py::arg("kind") = "acceleration", py::arg("units") = "g", py::arg("name") = "",
           py::arg("mass") = py::none(), py::arg("weight") = 1.0, py::arg("initial_u") = 0.0,
           py::arg("initial_u_dot") = 0.0, py::arg("initial_z") = 0.0,
           "Makes an experiment from a numpy array of samples and a time step dt [s]. kind: "
           "acceleration (units g or m/s2), force [N] or displacement [m]; mass [kg] (default "
           "1) is used when the model's mass is negative.")
      .def_property_readonly("name", [](const PyExperiment& e) { return e.experiment.name; })
      .def_property_readonly(
          "kind",
          [](const PyExperiment& e) { return std::string(DataTypeName(e.experiment.dataType)); },
          "acceleration, force or displacement")
      .def_property_readonly(
          "units", [](const PyExperiment& e) { return std::string(SampleUnit(e.experiment)); },
          "The unit of the samples: g or m/s^2 (acceleration), N (force), m (displacement)")
      .def_property_readonly("dt", [](const PyExperiment& e) { return e.experiment.timeStep; },
                             "The time step [s]")
      .def_property_readonly("mass", [](const PyExperiment& e) { return e.experiment.mass; })
      .def_property_readonly("weight", [](const PyExperiment& e) { return e.experiment.weight; })
      .def_property_readonly("initial_u",
                             [](const PyExperiment& e) { return e.experiment.initialU; })
      .def_property_readonly("initial_u_dot",
                             [](const PyExperiment& e) { return e.experiment.initialUDot; })
      .def_property_readonly("initial_z",
                             [](const PyExperiment& e) { return e.experiment.initialZ; })
      .def_property_readonly("samples", &SamplesView,
                             "The samples 1..N as a read-only numpy array (no copy)")
      .def_property_readonly(
          "provenance",
          [](const PyExperiment& e) -> py::object {
            if (!e.provenance) return py::none();
            return ProvenanceDict(*e.provenance);
          },
          "Where the record came from and how it was read (a dict), or None")
      .def("__len__", [](const PyExperiment& e) { return e.experiment.counter; })
      .def("__repr__", [](const PyExperiment& e) {
        return "<quarvel.Experiment '" + e.experiment.name + "': " +
               std::to_string(e.experiment.counter) + " " +
               std::string(DataTypeName(e.experiment.dataType)) + " samples, dt " +
               FormatShortest(e.experiment.timeStep) + " s>";
      });

  m.def("load", &Load, py::arg("path"), py::kw_only(), py::arg("format") = py::none(),
        py::arg("type") = py::none(), py::arg("units") = py::none(),
        py::arg("name") = py::none(), py::arg("dt") = py::none(),
        py::arg("column") = py::none(), py::arg("scale") = py::none(),
        py::arg("mass") = py::none(), py::arg("strict") = false,
        "Reads every experiment of a file the command line reads (.quarvel, PEER .AT2, columns, "
        "CSV) with the same record options. Doubtful lines of a .quarvel file are warned about "
        "(UserWarning, 'file:line: warning: ...'); strict=True refuses them. OSError when the "
        "file cannot be opened, ValueError when it cannot be read, with the command line's "
        "texts.");
  m.def(
      "builtin_experiments",
      [] {
        ExperimentSet set;
        CreateSineForceExperiments(set);
        return ListOf(set);
      },
      "The six built-in sinusoidal force experiments.");
  m.def(
      "displacement_protocol",
      [](const std::string& protocol, const py::object& uy) {
        const std::string text = NumberText(uy, "--Uy");
        const DisplacementProtocol which = ChoiceOf(
            py::str(protocol), "protocol", {"dc1", "dc2"},
            [](const std::string& t) {
              return std::optional(t == "dc1" ? DisplacementProtocol::Dc1
                                              : DisplacementProtocol::Dc2);
            });
        ExperimentSet set;
        SetDisplacementProtocolExperiment(which, Val(text), set);
        return ListOf(set);
      },
      py::arg("protocol"), py::arg("uy") = 0.111,
      "The displacement-controlled ramp protocol dc1 or dc2, in multiples of uy [m].");
}

}  // namespace quarvel::python
