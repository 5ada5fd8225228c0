#pragma once
// Digests of whole solves, for tests that compare results to the last bit.

#include <cstdint>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "solve/solve_experiments.h"
#include "solve/workbench.h"
#include "text/number_text.h"

namespace quarvel::test {

// FNV-1a, 64 bits, over the bytes of what is added.
class Digest {
 public:
  void AddBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      value_ ^= bytes[i];
      value_ *= 0x100000001b3ULL;
    }
  }
  template <class T>
  void Add(const T& value) {
    AddBytes(&value, sizeof value);
  }
  template <class T>
  void AddArray(const std::vector<T>& values) {
    Add(static_cast<uint64_t>(values.size()));
    for (const T& value : values) Add(Canonical(value));
  }
  // A NaN's sign and payload are not results: IEEE 754 leaves them to the operand order the
  // compiler picks, and every output writes "nan". Every NaN counts as the same value; every
  // other value counts bit for bit.
  static double Canonical(double value) {
    return std::isnan(value) ? std::numeric_limits<double>::quiet_NaN() : value;
  }
  static int32_t Canonical(int32_t value) { return value; }
  void AddText(std::string_view text) {
    Add(static_cast<uint64_t>(text.size()));
    AddBytes(text.data(), text.size());
  }
  uint64_t Value() const { return value_; }

 private:
  uint64_t value_ = 0xcbf29ce484222325ULL;
};

inline void AddResponse(Digest& digest, const ResponseHistory& h) {
  for (const auto* array : {&h.T, &h.U, &h.U_DOT, &h.U_DOT_DOT, &h.F, &h.Fext, &h.Z, &h.Fh,
                            &h.Et, &h.Eh}) {
    digest.AddArray(*array);
  }
}

// Every result of every experiment of the bench's set, then the fault count and the interface
// calls.
inline uint64_t DigestOf(const Workbench& bench, const SolveOutcome& outcome,
                         const std::vector<std::string>& calls) {
  Digest digest;
  for (int32_t k = 1; k <= bench.experiments.Count(); ++k) {
    const ExperimentResults& e = bench.results.At(k);
    AddResponse(digest, e.original);
    AddResponse(digest, e.modified);
    const ReversalIndexHistory& reversals = e.reversalIndices;
    for (const auto* array :
         {&reversals.lastPlus, &reversals.lastMinus, &reversals.maxPlus, &reversals.maxMinus}) {
      digest.AddArray(*array);
    }
    for (const double value : {e.originalPeakU, e.modifiedPeakU, e.absErrorU, e.relErrorU,
                               e.originalPeakEh, e.modifiedPeakEh, e.absErrorEh, e.relErrorEh}) {
      digest.Add(Digest::Canonical(value));
    }
  }
  digest.Add(outcome.weightFaults);
  for (const std::string& call : calls) digest.AddText(call);
  return digest.Value();
}

enum class DigestSet { BuiltIn, Dc1, Dc2, ElCentro };

inline std::string ElCentroPath() {
  return std::string(QUARVEL_SOURCE_DIR) + "/tests/experiments/data/elcentro-1940-ns.quarvel";
}

// Fills the bench with the set and selects its first experiment.
inline bool LoadDigestSet(DigestSet set, Workbench& bench) {
  switch (set) {
    case DigestSet::BuiltIn:
      CreateSineForceExperiments(bench.experiments);
      break;
    case DigestSet::Dc1:
      SetDisplacementProtocolExperiment(DisplacementProtocol::Dc1, Val(bench.inputs.txtUy),
                                        bench.experiments);
      break;
    case DigestSet::Dc2:
      SetDisplacementProtocolExperiment(DisplacementProtocol::Dc2, Val(bench.inputs.txtUy),
                                        bench.experiments);
      break;
    case DigestSet::ElCentro:
      if (!LoadExperimentFile(ElCentroPath(), bench.experiments)) return false;
      break;
  }
  bench.SelectFirst(0, 1);
  return true;
}

// Chooses the scheme and the rule by their command-line names and applies "name=value" texts
// separated by ';' (beta, gamma, n, P, thresholdZ, mass, skip=yes|no).
inline void ApplyDigestSettings(std::string_view method, std::string_view rule,
                                std::string_view extra, MainWindowInputs& in) {
  in.optSolutionEuler = method == "euler";
  in.optSolutionEulerStepDoubling = method == "euler-doubling";
  in.optSolutionRK45 = method == "rk";
  in.optSolutionRKStepDoubling = method == "rk-doubling";
  in.optALLREV = rule == "all";
  in.optReversalLast = rule == "last";
  in.optReversalMax = rule == "max";
  in.optReversalLastAndMax = rule == "last-max";
  while (!extra.empty()) {
    const std::size_t end = extra.find(';');
    const std::string_view item = extra.substr(0, end);
    extra = end == std::string_view::npos ? std::string_view() : extra.substr(end + 1);
    const std::size_t equals = item.find('=');
    const std::string_view name = item.substr(0, equals);
    const std::string value(item.substr(equals + 1));
    if (name == "beta") in.txtBetaSmall = value;
    if (name == "gamma") in.txtGammaSmall = value;
    if (name == "n") in.txtNee = value;
    if (name == "P") in.txtP = value;
    if (name == "thresholdZ") in.txtThresholdZ = value;
    if (name == "skip") in.chkWithinUnloadingBranch = value == "yes";
    if (name == "mass") in.txtMass = value;
  }
}

}  // namespace quarvel::test
