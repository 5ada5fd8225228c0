// Fuzz target: the --periods text of `quarvel-cli spectrum` (lists and FROM:TO:STEP ranges).
//
// Beyond "no crash, no leak, no undefined behaviour": a refusal says why; an accepted text gives
// at least one and at most kMaxPeriods periods, every one finite and above 0, strictly
// increasing, and never more of them than a list of that many items and ranges could hold
// (the parser sizes nothing from a number before checking it).

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "spectra/periods.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quarvel::fuzz::Fail;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto periods = quarvel::ParsePeriods(text, error);
  if (!periods) {
    if (error.empty()) Fail("a refusal without a reason");
    return 0;
  }
  if (periods->empty() || periods->size() > static_cast<std::size_t>(quarvel::kMaxPeriods)) {
    Fail("accepted an empty or too long list");
  }
  for (std::size_t k = 0; k < periods->size(); ++k) {
    const double p = (*periods)[k];
    if (!std::isfinite(p) || !(p > 0.0)) Fail("accepted a period that is not finite and above 0");
    if (k > 0 && !(p > (*periods)[k - 1])) Fail("accepted periods that do not increase");
  }
  return 0;
}
