#pragma once
// What the core asks of the user interface. The desktop app implements it with message boxes
// and the event loop, the command line with stderr, tests with fakes that record the calls.

#include <cstdint>
#include <functional>
#include <string>

#include "model/run_monitor.h"

namespace quarvel {

enum class MessageIcon { None, Exclamation, Critical, Information };

inline constexpr const char* kMessageNoExperiments = "Please load a set of experiments!";
inline constexpr const char* kMessageZeroWeights = "The weights of the experiments are zero!";
inline constexpr const char* kMessageWeightFault = "ERRRR";

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A modal message with the application's title.
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // Lets pending window events run once (key presses, repaints).
  virtual void ProcessEvents() = 0;
  // Display refresh after a solve: the error labels, the period labels, the graph.
  virtual void UpdateErrorLabels() = 0;
  virtual void UpdatePeriodLabels() = 0;
  virtual void UpdateGraph(int32_t pointCount, bool updateTitles) = 0;
  // Runs `solve`, the part of a solve that integrates and writes the results, to its end. The
  // caller touches neither the experiments nor the results until it returns. The window runs
  // it away from its own thread, answering the user meanwhile, and passes the monitor that
  // shows its progress and cancels it; by default it runs here, unwatched.
  virtual void RunSolve(const std::function<void(RunMonitor*)>& solve) { solve(nullptr); }
  // A study is about to solve swept value `index` (0-based) of `count`, x, with the value's
  // input already rewritten: the window says so beside the inputs it shows. Nothing by default.
  virtual void ShowStudyValue(int32_t /*index*/, int32_t /*count*/, double /*x*/) {}
};

// A user interface that shows nothing: for batch work and tests that only need results.
class SilentUserInterface : public UserInterface {
 public:
  void ShowMessage(const std::string&, MessageIcon) override {}
  void ProcessEvents() override {}
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {}
};

}  // namespace quarvel
