#pragma once
// A one-line progress display on stderr for long studies, shown only on a terminal.

#include <chrono>
#include <cstdint>
#include <string>

#include "studies/parametric_loop.h"

namespace quarvel::cli {

class ProgressBar {
 public:
  ProgressBar();
  // Redraws the line for the value just finished; `prefix` names the file of a series.
  void Update(const StudyProgress& progress, const std::string& prefix = {});
  // Redraws the line after `done` of `count` items, `what` saying where the work is.
  void Update(int64_t done, int64_t count, const std::string& what);
  // Ends the line (if one was drawn).
  void Finish();

 private:
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace quarvel::cli
