#pragma once
// Digests of whole solves, for tests that compare results to the last bit, and a user interface
// that records every call of a solve.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "solve/model_inputs.h"
#include "solve/solve_experiments.h"
#include "solve/workbench.h"
#include "support/digest.h"
#include "text/number_text.h"

namespace quarvel::test {

class RecordingUserInterface : public UserInterface {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    calls.push_back("message:" + text);
    icons.push_back(icon);
  }
  void ProcessEvents() override { calls.push_back("events"); }
  void UpdateErrorLabels() override { calls.push_back("errorLabels"); }
  void UpdatePeriodLabels() override { calls.push_back("periodLabels"); }
  void UpdateGraph(int32_t points, bool titles) override {
    calls.push_back("graph:" + std::to_string(points) + (titles ? ",titles" : ""));
  }
  std::vector<std::string> calls;
  std::vector<MessageIcon> icons;
};

// The arrays of a response in the order the digests take them.
inline constexpr const char* kArrayNames[] = {"T",    "U", "U_DOT", "U_DOT_DOT", "F",
                                              "Fext", "Z", "Fh",    "Et",        "Eh"};
inline std::array<const std::vector<double>*, 10> ArraysOf(const ResponseHistory& h) {
  return {&h.T, &h.U, &h.U_DOT, &h.U_DOT_DOT, &h.F, &h.Fext, &h.Z, &h.Fh, &h.Et, &h.Eh};
}

// Every result of every experiment of the bench's set, then the fault count and the interface
// calls.
inline uint64_t DigestOf(const Workbench& bench, const SolveOutcome& outcome,
                         const std::vector<std::string>& calls) {
  test::Digest digest;
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    const ExperimentResults& e = bench.results.At(k);
    for (const ResponseHistory* h : {&e.original, &e.modified}) {
      for (const auto* array : ArraysOf(*h)) digest.Array(*array);
    }
    const ReversalIndexHistory& r = e.reversalIndices;
    for (const auto* array : {&r.lastPlus, &r.lastMinus, &r.maxPlus, &r.maxMinus}) {
      digest.Array(*array);
    }
    for (const double value : {e.originalPeakU, e.modifiedPeakU, e.absErrorU, e.relErrorU,
                               e.originalPeakEh, e.modifiedPeakEh, e.absErrorEh, e.relErrorEh}) {
      digest.Add(value);
    }
  }
  digest.Add(outcome.weightFaults);
  for (const std::string& call : calls) digest.Array(call);
  return digest.value;
}

// Where two solves of the same set first differ: "experiment k, original U[j]: a vs b" for the
// first array (in DigestOf's order) and sample whose bits differ (NaN equal to NaN), or "".
inline std::string FirstDifference(const ResultSet& a, const ResultSet& b, int32_t count) {
  const auto same = [](double x, double y) {
    if (std::isnan(x)) return std::isnan(y);
    return std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y);
  };
  for (int32_t k = 1; k <= count; ++k) {
    for (const bool modified : {false, true}) {
      const ResponseHistory& x = modified ? a.At(k).modified : a.At(k).original;
      const ResponseHistory& y = modified ? b.At(k).modified : b.At(k).original;
      const auto xs = ArraysOf(x), ys = ArraysOf(y);
      for (std::size_t n = 0; n < std::size(kArrayNames); ++n) {
        const std::string where = "experiment " + std::to_string(k) +
                                  (modified ? ", modified " : ", original ") + kArrayNames[n];
        if (xs[n]->size() != ys[n]->size()) return where + ": sizes differ";
        for (std::size_t j = 0; j < xs[n]->size(); ++j) {
          if (!same((*xs[n])[j], (*ys[n])[j])) {
            return where + "[" + std::to_string(j) + "]: " + FormatShortest((*xs[n])[j]) + " vs " +
                   FormatShortest((*ys[n])[j]);
          }
        }
      }
    }
  }
  return "";
}

enum class DigestSet { BuiltIn, Dc1, Dc2, ElCentro };

// Fills the bench with the set and selects its first experiment.
inline bool LoadDigestSet(DigestSet set, Workbench& bench) {
  const double uy = Val(bench.inputs.txtUy);
  const std::string elCentro =
      QUARVEL_SOURCE_DIR "/tests/experiments/data/elcentro-1940-ns.quarvel";
  if (set == DigestSet::BuiltIn) CreateSineForceExperiments(bench.experiments);
  if (set == DigestSet::Dc1 || set == DigestSet::Dc2) {
    SetDisplacementProtocolExperiment(
        set == DigestSet::Dc1 ? DisplacementProtocol::Dc1 : DisplacementProtocol::Dc2, uy,
        bench.experiments);
  }
  if (set == DigestSet::ElCentro && !LoadExperimentFile(elCentro, bench.experiments)) return false;
  bench.SelectFirst(0, 1);
  return true;
}

// Chooses the scheme (euler, euler-doubling, rk, rk-doubling) and the rule (all, last, max,
// last-max) as the command line does, and applies "name=value" texts separated by ';' (beta,
// gamma, n, P, thresholdZ, mass, skip=yes|no).
inline void ApplyDigestSettings(std::string_view method, std::string_view rule,
                                std::string_view extra, MainWindowInputs& in) {
  using I = MainWindowInputs;
  ModelChoices choices{.method = std::string(method), .rule = std::string(rule)};
  const std::map<std::string_view, std::string I::*> texts = {
      {"beta", &I::txtBetaSmall}, {"gamma", &I::txtGammaSmall}, {"n", &I::txtNee},
      {"P", &I::txtP}, {"thresholdZ", &I::txtThresholdZ}, {"mass", &I::txtMass}};
  while (!extra.empty()) {
    const std::string_view item = extra.substr(0, extra.find(';'));
    extra.remove_prefix(std::min(extra.size(), item.size() + 1));
    const std::string_view name = item.substr(0, item.find('='));
    const std::string value(item.substr(name.size() + 1));
    if (name == "skip") choices.skipInDominanceZone = value;
    else in.*texts.at(name) = value;
  }
  ApplyModelChoices(choices, in);
}

}  // namespace quarvel::test
