#include "cli/cli_user_interface.h"

#include <csignal>
#include <cstdlib>
#include <iostream>

#include "solve/experiment_results.h"
#include "studies/parametric_loop.h"
#include "text/number_text.h"

namespace quarvel::cli {
namespace {

StopToken interruptToken;
volatile std::sig_atomic_t interruptCount = 0;

extern "C" void OnInterrupt(int) {
  interruptCount = interruptCount + 1;
  if (interruptCount > 1) std::_Exit(130);
  interruptToken.RequestRunStop();
}

// "1 to 1.1, 2.5": the values, neighbours in the range joined into runs.
std::string DescribeValues(const std::vector<FaultedValue>& values) {
  std::string text;
  for (std::size_t k = 0; k < values.size();) {
    std::size_t last = k;
    while (last + 1 < values.size() && values[last + 1].index == values[last].index + 1) ++last;
    if (!text.empty()) text += ", ";
    text += StudyNumber(values[k].x);
    if (last > k) text += " to " + StudyNumber(values[last].x);
    k = last + 1;
  }
  return text;
}

}  // namespace

void InstallInterruptHandler() { std::signal(SIGINT, OnInterrupt); }

const StopToken& InterruptToken() { return interruptToken; }

bool InterruptRequested() { return interruptToken.RunStopRequested(); }

void CliUserInterface::ShowMessage(const std::string& text, MessageIcon) {
  if (text == kMessageWeightFault) return;  // counted and reported once by the command
  std::cerr << text << '\n';
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

void CliUserInterface::ReportRunFaults() const {
  for (int32_t k = 1; k <= bench_.experiments.Count(); ++k) {
    const std::string notice = SolveFaultNotice(bench_.results.At(k));
    if (notice.empty()) continue;
    std::cerr << "warning: experiment " << k << " (" << bench_.experiments.At(k).name
              << "): " << notice << '\n';
  }
}

void CliUserInterface::ReportStudyFaults(const StudyOutcome& study) const {
  if (study.valuesWithRunFault > 0) {
    std::cerr << "warning: " << study.filePath << ": at " << study.valuesWithRunFault << " of "
              << study.valuesSolved << " swept values a model's run met a fault (a value that "
              << "is not finite, or the Runge-Kutta pass stopped); the CSV companion's fault "
                 "column says where\n";
  }
  if (study.faultedValues.empty()) return;
  int64_t evaluations = 0;
  for (const FaultedValue& value : study.faultedValues) evaluations += value.evaluations;
  std::cerr << "warning: " << study.filePath << ": " << kMessageWeightFault << " at "
            << study.faultedValues.size() << " of " << study.valuesSolved << " swept values ("
            << DescribeValues(study.faultedValues) << "): " << evaluations
            << " evaluations of the all-reversal weight met an arithmetic fault\n";
}

}  // namespace quarvel::cli
