#include "interrupt.h"

namespace quarvel::python {

namespace py = pybind11;

namespace {

constexpr std::chrono::milliseconds kPollInterval{20};

int64_t Now() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

}  // namespace

Interruption::Interruption() {
  stop.SetPoll([this] { Poll(); });
  monitor.SetPoll([this] { Poll(); });
}

Interruption::~Interruption() {
  Py_XDECREF(type_);
  Py_XDECREF(value_);
  Py_XDECREF(trace_);
}

void Interruption::Poll() {
  if (requested_.load()) return;
  const int64_t now = Now();
  int64_t last = lastPoll_.load();
  const auto interval =
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(kPollInterval).count();
  if (now - last < interval || !lastPoll_.compare_exchange_strong(last, now)) return;
  py::gil_scoped_acquire acquire;
  if (PyErr_CheckSignals() == 0) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    PyErr_Fetch(&type_, &value_, &trace_);
  }
  requested_.store(true);
  stop.RequestRunStop();
  monitor.Cancel();
}

void Interruption::Raise(py::object partial) {
  PyErr_Restore(type_, value_, trace_);
  type_ = value_ = trace_ = nullptr;
  if (!partial.is_none()) {
    PyObject *type = nullptr, *value = nullptr, *trace = nullptr;
    PyErr_Fetch(&type, &value, &trace);
    PyErr_NormalizeException(&type, &value, &trace);
    if (value != nullptr) PyObject_SetAttrString(value, "partial", partial.ptr());
    PyErr_Restore(type, value, trace);
  }
  throw py::error_already_set();
}

void RunWatched(const std::function<void()>& work) {
  py::gil_scoped_release release;
  work();
}

}  // namespace quarvel::python
