// Fuzz target: the leading-number parse, the whole-text parse of typed options with the checks
// every face applies to them (number rules, choice names), and the number-to-text forms.
//
// The parse is checked against an independent reading of the same text: the longest prefix of
// the form [blanks/tabs][sign]digits[.digits][(E|e|D|d)[sign]digits] is cut out by a second,
// simple scanner, the D exponent letter is replaced by E, and glibc's strtod (correctly rounded,
// "C" locale in this process) converts it. Value, sign of zero, "found" and "overflow" must
// agree bit for bit. The whole-text parse must accept exactly the texts that the scanner takes
// entirely and that give a finite value, with the same value. The forms are checked for what
// the files and labels rely on: the default and report forms are printf's, labels read back
// within their 3 decimals, the hexadecimal form is printf's %a and reads as strtod reads it,
// half-even rounding is exact and even on ties, and no form crashes or reads outside its
// buffers (AddressSanitizer).

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "solve/model_inputs.h"
#include "text/number_text.h"

namespace {

using quarvel::fuzz::Fail;  // the input is in the replay's trace and a fuzz run's artifact

struct Reference {
  bool found = false;
  std::string prefix;      // the number as strtod understands it
  std::size_t length = 0;  // characters of the text the number took, blanks before it included
};

Reference ReferenceScan(std::string_view text) {
  const auto in = [&](std::size_t i, const char* set) {
    return i < text.size() && text[i] != '\0' && std::strchr(set, text[i]) != nullptr;
  };
  const auto digitsFrom = [&](std::size_t i) {
    while (in(i, "0123456789")) ++i;
    return i;
  };
  const std::size_t start = std::min(text.find_first_not_of(" \t"), text.size());
  const std::size_t digits = start + in(start, "+-"), point = digitsFrom(digits);
  std::size_t end = in(point, ".") ? digitsFrom(point + 1) : point;
  if (end - digits - (end > point) == 0) return {};  // no digit before or after the point
  if (in(end, "EeDd")) {
    const std::size_t exponent = end + 1 + in(end + 1, "+-");
    if (in(exponent, "0123456789")) end = digitsFrom(exponent);
  }
  std::string prefix(text.substr(start, end - start));
  for (char& c : prefix) c = c == 'D' || c == 'd' ? 'e' : c;
  return {true, prefix, end};
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckForms(double x) {
  using namespace quarvel;
  // The default and scientific forms are printf's %.15G and %.12E in the "C" locale.
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.15G", x);
  const bool printable = std::isfinite(x) && x != 0.0;  // printf writes -0, INF and NAN
  if (FormatDefault(x) != printed && printable) Fail("default form");
  std::snprintf(printed, sizeof printed, "%s%.12E", x >= 0.0 ? " " : "", x);
  if (FormatReportScientific(x) != printed && printable) Fail("scientific form");

  const double r = RoundHalfEven(x);
  if (std::isfinite(x)) {
    if (r != std::floor(r)) Fail("RoundHalfEven is not whole");
    const double distance = std::fabs(r - x);
    if (distance > 0.5) Fail("RoundHalfEven is more than 0.5 away");
    if (distance == 0.5 && std::fmod(r, 2.0) != 0.0) Fail("RoundHalfEven tie is odd");
  }
  int32_t n = 12345;  // left alone when the value does not fit
  const bool fits = std::isfinite(r) && r >= -2147483648.0 && r <= 2147483647.0;
  if (ToInt32(x, n) != fits || n != (fits ? r : 12345.0)) Fail("ToInt32 and RoundHalfEven");

  const std::string label = FormatLabel(x);
  // A magnitude that 15 significant digits round up to 1E+15 is written as 1E+15.
  const bool exponent = label.find('E') != std::string::npos;
  if (std::isfinite(x) && std::fabs(x) < 1e15 &&
      ((exponent && std::fabs(RoundToDecimals(x, 3)) < 999999999999999.5) ||
       !(std::fabs(Val(label) - x) <= 0.0005 + std::fabs(x) * 1e-14))) {
    Fail("label uses an exponent below 1E+15 or does not read back within its 3 decimals");
  }
  // The hexadecimal form is printf's %a and reads back to the same bits.
  std::snprintf(printed, sizeof printed, "%a", x);
  if (FormatHex(x) != printed) Fail("hexadecimal form");
  const std::optional<double> hex = ParseHex(FormatHex(x));
  if (!hex || (!SameBits(*hex, x) && !std::isnan(x))) Fail("hexadecimal form does not read back");
  (void)FormatReportPlain(x);
  (void)RoundToDecimals(x, 6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The parse gets exactly the input bytes (a copy, so AddressSanitizer sees any read past it).
  std::string copy(reinterpret_cast<const char*>(data), size);
  const std::string_view text(copy.data(), copy.size());
  const quarvel::ParsedNumber parsed = quarvel::ParseLeadingNumber(text);
  if (quarvel::Val(text) != parsed.value && !std::isnan(parsed.value)) Fail("Val differs");
  if (std::isnan(parsed.value)) Fail("the parse gave NaN");

  const Reference ref = ReferenceScan(text);
  if (parsed.found != ref.found) Fail("found differs from the reference scan");
  if (!ref.found) {
    if (!SameBits(parsed.value, 0.0) || parsed.overflow) Fail("no number but not +0");
  } else {
    errno = 0;
    const double expected = std::strtod(ref.prefix.c_str(), nullptr);
    if (!SameBits(parsed.value, expected)) Fail("value differs from strtod");
    if (parsed.overflow != std::isinf(expected)) Fail("overflow flag differs");
  }

  const std::optional<double> whole = quarvel::ParseWholeNumber(text);
  const bool wholeExpected = ref.found && ref.length == text.size() && !parsed.overflow;
  if (whole.has_value() != wholeExpected) Fail("whole-text parse accepts the wrong texts");
  if (whole && !SameBits(*whole, parsed.value)) Fail("whole-text parse value differs");

  // An option's check takes exactly the whole numbers its rule allows; a choice exactly its names.
  for (const quarvel::NumberInputRule& rule : quarvel::NumberInputRules()) {
    const bool taken = quarvel::CheckNumberInput(rule.option, text).empty();
    if (taken && !whole) Fail("an option's check takes a text that is not a whole number");
    if (rule.rule == quarvel::NumberRule::Any && taken != whole.has_value()) {
      Fail("an option without a rule refuses a whole number");
    }
  }
  for (const char* option : {"--method", "--rule", "--skip-in-dominance-zone", "--vary", "--by"}) {
    const auto names = quarvel::ChoiceNames(option);
    const bool named = std::find(names.begin(), names.end(), text) != names.end();
    if (quarvel::CheckChoice(option, text).empty() != named) Fail("a choice's check is wrong");
  }

  // A hexadecimal text that ParseHex takes is one strtod reads whole, to the same bits.
  if (const std::optional<double> hex = quarvel::ParseHex(text); hex) {
    char* end = nullptr;
    const double expected = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !SameBits(*hex, expected)) {
      if (!std::isnan(expected)) Fail("hexadecimal parse differs from strtod");
    }
  }

  CheckForms(parsed.value);
  if (size >= sizeof(double)) {
    double bits = 0.0;
    std::memcpy(&bits, data, sizeof bits);
    CheckForms(bits);
  }
  return 0;
}
