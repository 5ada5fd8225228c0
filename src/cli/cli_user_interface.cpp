#include "cli/cli_user_interface.h"

#include <iostream>

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

void CliUserInterface::ReportWeightFaults(int64_t faultCount) const {
  if (faultCount > 0) {
    std::cerr << "warning: " << kMessageWeightFault << ": " << faultCount
              << " evaluations of the all-reversal weight met an arithmetic fault\n";
  }
}

}  // namespace quarvel::cli
