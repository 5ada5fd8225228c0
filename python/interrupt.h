#pragma once
// Long work from Python: run on the calling thread with the GIL released. Whenever the work
// polls its stop token or reports to its run monitor, at most every 20 ms, the thread that
// polls takes the GIL and lets Python handle its signals (they run on Python's main thread
// only). A Ctrl-C (or any handler that raises) asks the work to stop through both; the work
// ends as the command line's does (whole rows kept), and the error is raised afterwards.

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

#include "model/run_monitor.h"
#include "solve/stop_token.h"

namespace quarvel::python {

class Interruption {
 public:
  Interruption();
  ~Interruption();
  Interruption(const Interruption&) = delete;
  Interruption& operator=(const Interruption&) = delete;

  StopToken stop;      // lent to the work
  RunMonitor monitor;  // lent to solves that report their samples

  bool Requested() const { return requested_.load(); }
  // Raises the Python error a signal handler set (KeyboardInterrupt for Ctrl-C), with `partial`
  // (if not None) as its `partial` attribute: what the work finished before it stopped.
  [[noreturn]] void Raise(pybind11::object partial = pybind11::none());

 private:
  void Poll();

  std::atomic<bool> requested_{false};
  std::atomic<int64_t> lastPoll_{0};  // steady-clock ticks of the last poll
  std::mutex mutex_;                  // guards the error below
  PyObject *type_ = nullptr, *value_ = nullptr, *trace_ = nullptr;
};

// Runs `work` on this thread with the GIL released; rethrows what the work threw. The caller
// holds the GIL.
void RunWatched(const std::function<void()>& work);

}  // namespace quarvel::python
