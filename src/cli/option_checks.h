#pragma once
// Checks of the numbers typed as option values. The command line is stricter than the window:
// the whole text must be one finite number (ParseWholeNumber), and a value without physical
// meaning is refused with the reason, as a usage error naming the option and the text.

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "spectra/engineering_inputs.h"

namespace quarvel::cli {

// What a number must be beyond a whole, finite number.
enum class NumberRule {
  Any,
  AboveZero,
  NotNegative,
  NotZero,
  Count,           // a whole number from 1 to 2^31 - 1
  CountFromZero,   // a whole number from 0 to 2^31 - 1
};

// Empty when `text` is a number obeying `rule`, else why not: "\"1,5\" is not a number ...",
// or "\"-2\": " + reason.
std::string CheckNumberText(std::string_view text, NumberRule rule, std::string_view reason);

// The check as a CLI11 validator; CLI11 puts the option's name in front of the reason.
CLI::Validator NumberCheck(NumberRule rule, std::string reason = {});

// "a,b,,c" -> "a", "b", "", "c".
std::vector<std::string> SplitAtCommas(const std::string& text);

// The check of --sine's MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP: five numbers, the period and
// the time step above 0 and the cycles not negative.
CLI::Validator SineCheck();

// A PhysicalInput as typed on the command line (empty: not given).
struct TypedInput {
  PhysicalInput input;
  std::string text;  // a whole, finite number (the option's own check came first)
};

// The option that types `input`: "--ductility", "--damping-ratio", ...
const char* OptionOf(PhysicalInput input);

// Runs CheckPhysicalInput on every given input: a warning goes to stderr as
// "warning: --reduction 0.5: ...", a refusal as "--ductility 0.5: ...". Returns 2 (a usage
// error) when any is refused, else 0.
int CheckTypedInputs(const std::vector<TypedInput>& inputs, std::ostream& err);

}  // namespace quarvel::cli
