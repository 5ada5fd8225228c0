#pragma once
// What the parts of the Python module share: the bindings each part adds, the model as the
// module keeps it, and the experiments handed in from Python.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <vector>

#include "records/record_file.h"
#include "solve/main_window_inputs.h"
#include "solve/model_inputs.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "spectra/engineering_inputs.h"

namespace quarvel::python {

namespace py = pybind11;

// An experiment as Python holds it: the record and, when read from a file, where it came from.
struct PyExperiment {
  Experiment experiment;
  std::optional<RecordProvenance> provenance;
};

// The model's inputs as checked texts, with the engineering inputs still to be derived against
// the selected experiment's mass.
struct PyModel {
  MainWindowInputs inputs;
  ModelChoices choices;
  EngineeringInputs engineering;
  RawInputsGiven given;

  // The window's inputs with the choices applied (the engineering inputs not yet derived).
  MainWindowInputs Applied() const;
};

// The experiments of a Python list (Experiment objects) in order; TypeError for anything else.
std::vector<Experiment> ExperimentsOf(const py::handle& experiments);

// The record options of load()'s keywords, checked as the command line checks them.
RecordOptions RecordOptionsOf(const py::object& format, const py::object& type,
                              const py::object& units, const py::object& name,
                              const py::object& dt, const py::object& column,
                              const py::object& scale, const py::object& mass, bool strict);

// The text of a number given from Python: a str as typed, an int or a float in its shortest
// form; TypeError for anything else.
std::string TextOfNumber(const py::handle& value, const char* option);

// The text of a number given from Python (a str as typed, an int or a float in its shortest
// form), checked by the rule of `option`; ValueError with the command line's message otherwise.
std::string NumberText(const py::handle& value, const char* option);
// The same by a rule of its own (the spectrum's rules: SpectrumInputRuleOf).
std::string NumberText(const py::handle& value, const NumberInputRule& rule);

// Runs the physical check of `input` on the number `text` given as `option`: ValueError when
// it has no physical meaning, a UserWarning when it is possible but unlikely to be meant, with
// the command line's text ("--damping-ratio 5: ...").
void CheckPhysicalNumber(PhysicalInput input, const char* option, const std::string& text);

// The threads of jobs= (None: one per hardware thread, else a whole number from 1), checked as
// the command line checks --jobs.
unsigned JobsOf(const py::handle& jobs);

// A numpy view of values[1..] of a vector whose ownership the array takes (no copy).
py::array_t<double> OwnedArray(std::vector<double>&& values);
py::array_t<int32_t> OwnedArray(std::vector<int32_t>&& values);

// The user-interface port for work away from Python's thread: messages are kept for the
// caller, solves run watched by `monitor`.
class PyUserInterface : public UserInterface {
 public:
  explicit PyUserInterface(RunMonitor& monitor) : monitor_(monitor) {}
  void ShowMessage(const std::string& text, MessageIcon) override {
    if (text != kMessageWeightFault && message.empty()) message = text;
  }
  void ProcessEvents() override {}
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {}
  void RunSolve(const std::function<void(RunMonitor*)>& solve) override { solve(&monitor_); }

  std::string message;  // the first message other than the fault notice

 private:
  RunMonitor& monitor_;
};

// Fills `bench` as the command line does before a solve: the model's inputs, the experiments,
// the selected one (1-based) and the engineering inputs derived with its mass; ValueError with
// the command line's texts when that fails.
void PrepareBench(const py::object& experiments, const py::object& model, int32_t experiment,
                  Workbench& bench);

void AddRecords(py::module_& m);
void AddModel(py::module_& m);
void AddSolve(py::module_& m);
void AddStudies(py::module_& m);

}  // namespace quarvel::python
