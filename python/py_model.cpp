// The model from Python: every input of the window and the engineering inputs, checked as the
// command line checks them.

#include <pybind11/stl.h>

#include "module.h"
#include "text/number_text.h"

namespace quarvel::python {
namespace {

// A keyword of Model, its option and its text in the window's inputs.
struct ModelNumber {
  const char* keyword;
  const char* option;
  std::string MainWindowInputs::*field;
  bool RawInputsGiven::*given;
};

const ModelNumber kModelNumbers[] = {
    {"A", "--A", &MainWindowInputs::txtAlphaCap, nullptr},
    {"beta", "--beta", &MainWindowInputs::txtBetaSmall, nullptr},
    {"gamma", "--gamma", &MainWindowInputs::txtGammaSmall, nullptr},
    {"n", "--n", &MainWindowInputs::txtNee, nullptr},
    {"alpha", "--alpha", &MainWindowInputs::txtAlphaSmall, nullptr},
    {"c", "--c", &MainWindowInputs::txtCharlieSmall, &RawInputsGiven::damping},
    {"Fy", "--Fy", &MainWindowInputs::txtFy, &RawInputsGiven::fy},
    {"Uy", "--Uy", &MainWindowInputs::txtUy, &RawInputsGiven::uy},
    {"P", "--P", &MainWindowInputs::txtP, nullptr},
    {"threshold_z", "--threshold-z", &MainWindowInputs::txtThresholdZ, nullptr},
    {"mass", "--mass", &MainWindowInputs::txtMass, &RawInputsGiven::mass},
    {"eps", "--eps", &MainWindowInputs::txtEps1, nullptr},
    {"euler_steps", "--euler-steps", &MainWindowInputs::txtSolutionEulerSteps, nullptr},
};

struct ModelChoice {
  const char* keyword;
  const char* option;
  std::string ModelChoices::*field;
};

const ModelChoice kModelChoices[] = {
    {"method", "--method", &ModelChoices::method},
    {"rule", "--rule", &ModelChoices::rule},
};

struct EngineeringNumber {
  const char* keyword;
  const char* option;
  std::optional<double> EngineeringInputs::*field;
  std::optional<PhysicalInput> physical;
};

const EngineeringNumber kEngineeringNumbers[] = {
    {"period", "--period", &EngineeringInputs::period, std::nullopt},
    {"damping_ratio", "--damping-ratio", &EngineeringInputs::dampingRatio,
     PhysicalInput::DampingRatio},
    {"strength_ratio", "--strength-ratio", &EngineeringInputs::strengthRatio,
     PhysicalInput::StrengthRatio},
};

PyModel MakeModel(const py::kwargs& keywords) {
  PyModel model;
  for (const auto& [key, value] : keywords) {
    const std::string keyword = py::str(key);
    bool known = false;
    for (const ModelNumber& number : kModelNumbers) {
      if (keyword != number.keyword) continue;
      model.inputs.*number.field = NumberText(value, number.option);
      if (keyword == "alpha") {
        CheckPhysicalNumber(PhysicalInput::PostYieldRatio, number.option,
                            model.inputs.*number.field);
      }
      if (number.given != nullptr) model.given.*number.given = true;
      known = true;
    }
    for (const ModelChoice& choice : kModelChoices) {
      if (keyword != choice.keyword) continue;
      const std::string text = py::str(value);
      if (const std::string fault = CheckChoice(choice.option, text); !fault.empty()) {
        throw py::value_error(fault);
      }
      model.choices.*choice.field = text;
      known = true;
    }
    for (const EngineeringNumber& number : kEngineeringNumbers) {
      if (keyword != number.keyword || value.is_none()) continue;
      const std::string text = NumberText(value, number.option);
      if (number.physical) CheckPhysicalNumber(*number.physical, number.option, text);
      model.engineering.*number.field = Val(text);
      known = true;
    }
    if (keyword == "skip_in_dominance_zone") {
      model.choices.skipInDominanceZone = value.cast<bool>() ? "yes" : "no";
      known = true;
    }
    if (!known && !(value.is_none() && (keyword == "period" || keyword == "damping_ratio" ||
                                        keyword == "strength_ratio"))) {
      throw py::type_error("Model() got an unexpected keyword argument '" + keyword + "'");
    }
  }
  if (const std::string conflict = EngineeringConflict(model.engineering, model.given);
      !conflict.empty()) {
    throw py::value_error(conflict);
  }
  return model;
}

py::dict InputsDict(const PyModel& model) {
  py::dict inputs;
  const MainWindowInputs applied = model.Applied();
  for (const InputTextField& field : kInputTextFields) inputs[field.name] = applied.*field.field;
  for (const InputOptionField& field : kInputOptionFields) {
    inputs[field.name] = applied.*field.field;
  }
  return inputs;
}

}  // namespace

MainWindowInputs PyModel::Applied() const {
  MainWindowInputs applied = inputs;
  ApplyModelChoices(choices, applied);
  return applied;
}

std::string TextOfNumber(const py::handle& value, const char* option) {
  std::string text;
  if (py::isinstance<py::str>(value)) {
    text = value.cast<std::string>();
  } else if (py::isinstance<py::bool_>(value)) {
    throw py::type_error(std::string(option) + ": a number is needed, not a bool");
  } else if (py::isinstance<py::int_>(value)) {
    text = py::str(value).cast<std::string>();
  } else {
    try {
      text = FormatShortest(py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>());
    } catch (const py::error_already_set&) {
      throw py::type_error(std::string(option) + ": a number is needed");
    }
  }
  return text;
}

std::string NumberText(const py::handle& value, const char* option) {
  return NumberText(value, NumberInputRuleOf(option));
}

std::string NumberText(const py::handle& value, const NumberInputRule& rule) {
  const std::string text = TextOfNumber(value, std::string(rule.option).c_str());
  if (const std::string fault = CheckNumberInput(rule, text); !fault.empty()) {
    throw py::value_error(fault);
  }
  return text;
}

void CheckPhysicalNumber(PhysicalInput input, const char* option, const std::string& text) {
  const std::optional<double> value = ParseWholeNumber(text);
  if (!value) return;  // the option's own rule has refused it
  const InputCheck check = CheckPhysicalInput(input, *value);
  if (check.verdict == InputVerdict::Accepted) return;
  const std::string message = DescribeInputCheck(option, text, check);
  if (check.verdict == InputVerdict::Refused) throw py::value_error(message);
  py::module_::import("warnings")
      .attr("warn")(message, py::module_::import("builtins").attr("UserWarning"), 2);
}

unsigned JobsOf(const py::handle& jobs) {
  if (jobs.is_none()) return 0;
  const std::string text = NumberText(jobs, "--jobs");
  if (const std::string fault = CheckNumberText(text, NumberRule::Count, ""); !fault.empty()) {
    throw py::value_error("--jobs: " + fault);
  }
  return static_cast<unsigned>(Val(text));
}

void AddModel(py::module_& m) {
  py::class_<PyModel>(
      m, "Model",
      "The oscillator and both models' inputs, with the window's defaults: A, beta, gamma, n, "
      "alpha (the post-yield stiffness ratio a), c [N s/m], Fy [N], Uy [m], P, threshold_z, "
      "mass [kg; negative: each experiment's own], eps [m], euler_steps, method (euler, "
      "euler-doubling, rk, rk-doubling), rule (all, last, max, last-max), "
      "skip_in_dominance_zone, and the engineering inputs period [s], damping_ratio and "
      "strength_ratio (which set the mass, c, Fy and Uy at the solve). Numbers may be given as "
      "numbers or as text typed as on the command line; each is checked as the command line "
      "checks it (ValueError with its text).")
      .def(py::init(&MakeModel))
      .def_property_readonly("inputs", &InputsDict,
                             "The window's inputs by control name: the texts and option states "
                             "a solve reads (engineering inputs not yet derived)")
      .def_property_readonly("period",
                             [](const PyModel& model) { return model.engineering.period; })
      .def_property_readonly("damping_ratio",
                             [](const PyModel& model) { return model.engineering.dampingRatio; })
      .def_property_readonly(
          "strength_ratio", [](const PyModel& model) { return model.engineering.strengthRatio; })
      .def("__repr__", [](const PyModel& model) {
        std::string text = "quarvel.Model(";
        const MainWindowInputs& in = model.inputs;
        for (const ModelNumber& number : kModelNumbers) {
          text += std::string(number.keyword) + "='" + in.*number.field + "', ";
        }
        text += "method='" + model.choices.method + "', rule='" + model.choices.rule +
                "', skip_in_dominance_zone=" +
                (model.choices.skipInDominanceZone == "yes" ? "True" : "False");
        for (const EngineeringNumber& number : kEngineeringNumbers) {
          if (const std::optional<double> value = model.engineering.*number.field) {
            text += std::string(", ") + number.keyword + "=" + FormatShortest(*value);
          }
        }
        return text + ")";
      });
}

}  // namespace quarvel::python
