#include "interrupt.h"

#include <chrono>
#include <exception>
#include <future>

namespace quarvel::python {

namespace py = pybind11;

void Interruption::Raise(py::object partial) {
  PyErr_Restore(type_.release().ptr(), value_.release().ptr(), trace_.release().ptr());
  if (!partial.is_none()) {
    PyObject *type = nullptr, *value = nullptr, *trace = nullptr;
    PyErr_Fetch(&type, &value, &trace);
    PyErr_NormalizeException(&type, &value, &trace);
    if (value != nullptr) PyObject_SetAttrString(value, "partial", partial.ptr());
    PyErr_Restore(type, value, trace);
  }
  throw py::error_already_set();
}

void RunWatched(Interruption& interruption, const std::function<void()>& work) {
  std::future<void> done;
  {
    py::gil_scoped_release release;
    done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
      if (interruption.requested_) continue;
      py::gil_scoped_acquire acquire;
      if (PyErr_CheckSignals() == 0) continue;
      PyObject *type = nullptr, *value = nullptr, *trace = nullptr;
      PyErr_Fetch(&type, &value, &trace);
      interruption.type_ = py::reinterpret_steal<py::object>(type);
      interruption.value_ = py::reinterpret_steal<py::object>(value);
      interruption.trace_ = py::reinterpret_steal<py::object>(trace);
      interruption.requested_ = true;
      interruption.stop.RequestRunStop();
      interruption.monitor.Cancel();
    }
  }
  done.get();
}

}  // namespace quarvel::python
