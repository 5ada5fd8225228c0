#pragma once
// What the fault rules promise about a solved record whatever the inputs were: shared by the
// solve fuzz target and the bad-input tests.

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "experiments/experiment.h"
#include "solve/experiment_results.h"
#include "solve/labels.h"
#include "text/number_text.h"

namespace quarvel::fuzz {

// A value label: "-" or a number that is not negative.
inline bool IsLabelText(const std::string& text) {
  const ParsedNumber parsed = ParseLeadingNumber(text);
  return text == kNoValueText || (parsed.found && std::isfinite(parsed.value) && parsed.value >= 0);
}

// nullptr, or the rule broken: every history counter + 1 long; peaks the largest magnitude
// reached (infinite included, never NaN); errors as computed, non-finite included, and a
// relative error without an original peak 0; error labels a number where the value has one
// and "-" where it has none.
inline const char* FaultRulesBroken(const Experiment& experiment, const ExperimentResults& e) {
  const auto n = static_cast<std::size_t>(experiment.counter) + 1;
  const ReversalIndexHistory& r = e.reversalIndices;
  for (const auto* a : {&r.lastPlus, &r.lastMinus, &r.maxPlus, &r.maxMinus}) {
    if (a->size() != n) return "a reversal history is not counter + 1 long";
  }
  for (const ResponseHistory* h : {&e.original, &e.modified}) {
    for (const auto* a :
         {&h->T, &h->U, &h->U_DOT, &h->U_DOT_DOT, &h->F, &h->Fext, &h->Z, &h->Fh, &h->Et, &h->Eh}) {
      if (a->size() != n) return "a response array is not counter + 1 long";
    }
  }
  const auto peak = [](const std::vector<double>& values) {  // a NaN is never the peak
    double largest = 0.0;
    for (std::size_t j = 1; j < values.size(); ++j) {
      largest = std::max(largest, std::fabs(values[j]));
    }
    return largest;
  };
  if (e.originalPeakU != peak(e.original.U) || e.modifiedPeakU != peak(e.modified.U) ||
      e.originalPeakEh != peak(e.original.Eh) || e.modifiedPeakEh != peak(e.modified.Eh)) {
    return "a peak is not the largest magnitude reached";
  }
  const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
  if (!same(e.absErrorU, std::fabs(e.originalPeakU - e.modifiedPeakU)) ||
      !same(e.absErrorEh, std::fabs(e.originalPeakEh - e.modifiedPeakEh))) {
    return "an absolute error is not as computed";
  }
  if (!(e.originalPeakU > 0 || e.relErrorU == 0.0) ||
      !(e.originalPeakEh > 0 || e.relErrorEh == 0.0)) {
    return "a relative error without an original peak is not 0";
  }
  const ErrorLabelTexts labels = ErrorLabels(e.absErrorU, e.relErrorU, e.absErrorEh, e.relErrorEh);
  for (const auto& [text, value, percent] : {std::tuple{labels.absoluteU, e.absErrorU, false},
                                             {labels.relativeU, e.relErrorU, true},
                                             {labels.absoluteEh, e.absErrorEh, false},
                                             {labels.relativeEh, e.relErrorEh, true}}) {
    const bool finite = std::isfinite(value) && std::isfinite(100 * value);
    if (text != (finite ? FormatLabel(percent ? 100 * value : value) + (percent ? "%" : "")
                        : std::string(kNoValueText))) {
      return "an error label";
    }
  }
  return nullptr;
}

}  // namespace quarvel::fuzz
