#pragma once
// The number checks (text/number_check.h) as CLI11 validators: a refused text is a usage error
// naming the option and the text.

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "text/number_check.h"

namespace quarvel::cli {

using quarvel::CheckNumberText;
using quarvel::NumberRule;

// The check as a CLI11 validator; CLI11 puts the option's name in front of the reason.
CLI::Validator NumberCheck(NumberRule rule, std::string reason = {});

// "a,b,,c" -> "a", "b", "", "c".
std::vector<std::string> SplitAtCommas(const std::string& text);

// The check of --sine's MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP: five numbers, the period and
// the time step above 0 and the cycles not negative.
CLI::Validator SineCheck();

}  // namespace quarvel::cli
