#pragma once
// The command line's side of the user-interface port: messages go to stderr; Ctrl-C asks the
// run to end through the command line's stop token.

#include <cstdint>
#include <string>

#include "solve/solve_experiments.h"
#include "solve/stop_token.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/parametric_loop.h"

namespace quarvel::cli {

class CliUserInterface : public UserInterface {
 public:
  // The bench whose experiments the fault warnings name.
  explicit CliUserInterface(const Workbench& bench) : bench_(bench) {}

  // Messages other than the weight-fault notice are printed at once.
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  // Nothing waits for events here: Ctrl-C reaches the stop token by itself.
  void ProcessEvents() override {}
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {}

  // Prints one warning, in plain words, when the solve met faulting weight evaluations: how
  // many, where the first was met and what it means for the results.
  void ReportWeightFaults(const SolveOutcome& outcome) const;
  // A warning per experiment whose solve met a run fault (SolveFaultNotice).
  void ReportRunFaults() const;
  // Prints one warning line for a study whose swept values met faulting weight evaluations:
  // the study file, the values (runs of neighbouring values as "first to last") and the count.
  void ReportStudyFaults(const StudyOutcome& study) const;

 private:
  const Workbench& bench_;
};

// Installs the Ctrl-C handler: the first Ctrl-C asks the run to end (InterruptToken), a second
// one ends the program at once.
void InstallInterruptHandler();
// The command line's stop token: a study ends after the values in progress, an advanced study
// before its next file.
const StopToken& InterruptToken();
bool InterruptRequested();

}  // namespace quarvel::cli
