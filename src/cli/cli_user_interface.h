#pragma once
// The command line's side of the user-interface port: messages go to stderr, Ctrl-C asks a
// running study to stop after the current value.

#include <csignal>
#include <cstdint>
#include <string>

#include "solve/solve_experiments.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace quarvel::cli {

class CliUserInterface : public UserInterface {
 public:
  explicit CliUserInterface(Workbench& bench) : bench_(bench) {}

  // Messages other than the weight-fault notice are printed at once and remembered: the
  // command ends with exit status 1 when one was shown.
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  // Turns a pending Ctrl-C into a request to end the running study.
  void ProcessEvents() override;
  void UpdateErrorLabels() override {}
  void UpdatePeriodLabels() override {}
  void UpdateGraph(int32_t, bool) override {}

  bool MessageShown() const { return messageShown_; }
  // Prints one warning, in plain words, when the solve met faulting weight evaluations: how
  // many, where the first was met and what it means for the results.
  void ReportWeightFaults(const SolveOutcome& outcome) const;

 private:
  Workbench& bench_;
  bool messageShown_ = false;
};

// Installs the Ctrl-C handler used by ProcessEvents (the first Ctrl-C only sets a flag; a
// second one ends the program at once).
void InstallInterruptHandler();
bool InterruptRequested();

}  // namespace quarvel::cli
