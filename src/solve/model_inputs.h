#pragma once
// The model's inputs as the command line and the Python module take them: each number under
// its option name with the rule it must obey, and the choices (method, rule, dominance zone,
// study mode) by name, turned into the window's option states. Every face checks them here.

#include <span>
#include <string>
#include <string_view>

#include "solve/main_window_inputs.h"
#include "text/number_check.h"

namespace quarvel {

// The rules of the window's numbers (--A ... --euler-steps, --from, --to, --step) and of the
// engineering inputs (--period, --damping-ratio, --strength-ratio).
std::span<const NumberInputRule> NumberInputRules();

// The rule of `option` ("--Fy"); an Any rule for an option that has none.
NumberInputRule NumberInputRuleOf(std::string_view option);

// Empty when `text` is a number that `option` takes, else the message the command line prints
// for it: "--Fy: \"0\": the yield force Fy must be above 0".
std::string CheckNumberInput(std::string_view option, std::string_view text);

// The choices as typed, with the window's defaults.
struct ModelChoices {
  std::string method = "rk-doubling";       // euler | euler-doubling | rk | rk-doubling
  std::string rule = "all";                 // all | last | max | last-max
  std::string skipInDominanceZone = "yes";  // yes | no
  std::string vary = "plastic";             // mass | elastic | plastic | none
  std::string by = "mass";                  // mass | fy | uy
};

// The names a choice option takes ("--method", "--rule", "--skip-in-dominance-zone", "--vary",
// "--by"); empty for another option.
std::span<const std::string_view> ChoiceNames(std::string_view option);

// Empty when `text` is one of the names of `option`, else the message the command line prints:
// "--method: fast not in {euler,euler-doubling,rk,rk-doubling}".
std::string CheckChoice(std::string_view option, std::string_view text);

// Sets the window's option states from the choices, as the window's clicks would (varying the
// mass is always done by changing the mass).
void ApplyModelChoices(const ModelChoices& choices, MainWindowInputs& inputs);

}  // namespace quarvel
