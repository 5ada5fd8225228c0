#include "cli/cli_user_interface.h"

#include <iostream>

#include "text/number_text.h"

namespace quarvel::cli {
namespace {

volatile std::sig_atomic_t interruptCount = 0;

extern "C" void OnInterrupt(int) {
  interruptCount = interruptCount + 1;
  if (interruptCount > 1) std::_Exit(130);
}

}  // namespace

void InstallInterruptHandler() { std::signal(SIGINT, OnInterrupt); }

bool InterruptRequested() { return interruptCount > 0; }

void CliUserInterface::ShowMessage(const std::string& text, MessageIcon) {
  if (text == kMessageWeightFault) return;  // counted and reported once by the command
  std::cerr << text << '\n';
  messageShown_ = true;
}

void CliUserInterface::ProcessEvents() {
  if (InterruptRequested()) bench_.loopAbortRequested = true;
}

void CliUserInterface::ReportWeightFaults(const SolveOutcome& outcome) const {
  if (outcome.weightFaults == 0) return;
  std::cerr << "warning: " << kMessageWeightFault << ": the modified model's all-reversal weight "
            << "met an arithmetic fault (a point at the current displacement, an overflow, or an "
            << "unloading factor out of range) in " << outcome.weightFaults
            << " evaluation(s), the first in experiment " << outcome.firstFaultExperiment;
  if (const Experiment* e = bench_.experiments.Count() >= outcome.firstFaultExperiment &&
                                    outcome.firstFaultExperiment > 0
                                ? &bench_.experiments.At(outcome.firstFaultExperiment)
                                : nullptr) {
    std::cerr << " (" << e->name << ") at sample " << outcome.firstFaultSample << ", t = "
              << FormatDefault((outcome.firstFaultSample - 1) * e->timeStep) << " s";
  }
  std::cerr << ". Such an evaluation keeps the weight summed up to the faulting point, so the "
               "modified response from there on, and the errors computed from it, are doubtful; "
               "the original response is not affected.\n";
}

}  // namespace quarvel::cli
