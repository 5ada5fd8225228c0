// Fuzz target: a loaded experiment solved with typed model inputs.
//
// Input: a first line of up to sixteen texts separated by ';', typed into the boxes A, beta,
// gamma, n, a, c, Fy, Uy, P, Threshold Z, mass, Eps and the Euler sub-steps, then the digits of
// the method (0..3), the reversal rule (0..3) and the dominance-zone check box (0/1); the rest
// of the input is an experiment file. Records are kept small (at most 64 samples each, 256 in
// all) so that every run is quick. The solve must never crash, hang or do anything undefined,
// and every record must follow the fault rules (solve_check.h).

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment_file.h"
#include "fuzz_check.h"
#include "solve_check.h"
#include "solve/labels.h"
#include "solve/solve_experiments.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace {

constexpr int32_t kMaxSamples = 64;
constexpr int64_t kMaxTotalSamples = 256;

// The texts of the first line, separated by ';'.
void ApplyInputs(std::string_view line, quarvel::MainWindowInputs& in) {
  std::vector<std::string> t;
  std::istringstream texts{std::string(line) + ";"};  // "a;" gives "a" and ""
  for (std::string text; std::getline(texts, text, ';');) t.push_back(text);
  std::string* boxes[] = {&in.txtAlphaCap, &in.txtBetaSmall, &in.txtGammaSmall, &in.txtNee,
                          &in.txtAlphaSmall, &in.txtCharlieSmall, &in.txtFy, &in.txtUy, &in.txtP,
                          &in.txtThresholdZ, &in.txtMass, &in.txtEps1, &in.txtSolutionEulerSteps};
  const std::size_t boxCount = std::size(boxes);
  for (std::size_t i = 0; i < boxCount && i < t.size(); ++i) *boxes[i] = t[i];
  auto digit = [&t](std::size_t i) { return i < t.size() && !t[i].empty() ? (t[i][0] & 3) : 0; };
  bool* methods[] = {&in.optSolutionEuler, &in.optSolutionEulerStepDoubling, &in.optSolutionRK45,
                     &in.optSolutionRKStepDoubling};
  bool* rules[] = {&in.optALLREV, &in.optReversalLast, &in.optReversalMax,
                   &in.optReversalLastAndMax};
  for (int i = 0; i < 4; ++i) {
    *methods[i] = i == digit(boxCount);
    *rules[i] = i == digit(boxCount + 1);
  }
  in.chkWithinUnloadingBranch = (digit(boxCount + 2) & 1) != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
  using fuzz::Fail;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t eol = input.find('\n');
  if (eol == std::string_view::npos) return 0;

  Workbench bench;
  ApplyInputs(input.substr(0, eol), bench.inputs);
  if (!LoadExperimentText(input.substr(eol + 1), bench.experiments)) return 0;
  int64_t total = 0;
  for (const Experiment& e : bench.experiments.Records()) {
    if (e.counter > kMaxSamples) return 0;
    total += e.counter;
  }
  if (total > kMaxTotalSamples) return 0;
  bench.SelectFirst(1, 4);

  SilentUserInterface ui;
  if (!SolveExperiments(bench, ui, true).solved) return 0;
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    const char* broken = fuzz::FaultRulesBroken(bench.experiments.At(k), bench.results.At(k));
    if (broken != nullptr) Fail(broken);
  }
  const PeriodLabelTexts periods = PeriodLabels(bench.inputs, bench.CurrentExperiment()->mass);
  if (!fuzz::IsLabelText(periods.elastic) || !fuzz::IsLabelText(periods.plastic)) {
    Fail("a period label");
  }
  return 0;
}
