#pragma once
// Long work from Python: run with the GIL released on a thread of its own, while the calling
// thread, every 50 ms, takes the GIL and lets Python handle its signals. A Ctrl-C (or any
// handler that raises) asks the work to stop through its stop token and run monitor; the
// work ends as the command line's does (whole rows kept), and the error is raised afterwards.

#include <pybind11/pybind11.h>

#include <functional>

#include "model/run_monitor.h"
#include "solve/stop_token.h"

namespace quarvel::python {

// What a run saw while it watched for signals.
class Interruption {
 public:
  StopToken stop;      // lent to the work
  RunMonitor monitor;  // lent to solves that report their samples

  bool Requested() const { return requested_; }
  // Raises the Python error a signal handler set (KeyboardInterrupt for Ctrl-C), with `partial`
  // (if not None) as its `partial` attribute: what the work finished before it stopped.
  [[noreturn]] void Raise(pybind11::object partial = pybind11::none());

 private:
  friend void RunWatched(Interruption& interruption, const std::function<void()>& work);
  bool requested_ = false;
  pybind11::object type_, value_, trace_;
};

// Runs `work` with the GIL released, watching for signals; rethrows what the work threw. The
// caller holds the GIL.
void RunWatched(Interruption& interruption, const std::function<void()>& work);

}  // namespace quarvel::python
