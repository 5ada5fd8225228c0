#pragma once
// The number checks (text/number_check.h) as CLI11 validators: a refused text is a usage error
// naming the option and the text; and the check of the inputs that can lack a physical meaning
// (CheckPhysicalInput), once the options are parsed.

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "spectra/engineering_inputs.h"
#include "text/number_check.h"

namespace quarvel::cli {

using quarvel::CheckNumberText;
using quarvel::NumberRule;

// The check as a CLI11 validator; CLI11 puts the option's name in front of the reason.
CLI::Validator NumberCheck(NumberRule rule, std::string reason = {});
CLI::Validator NumberCheck(const NumberInputRule& rule);

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

// Runs CheckPhysicalInput on every given input: a warning goes to stderr as
// "warning: --reduction 0.5: ...", a refusal as "--ductility 0.5: ...". Returns 2 (a usage
// error) when any is refused, else 0.
int CheckTypedInputs(const std::vector<TypedInput>& inputs, std::ostream& err);

}  // namespace quarvel::cli
