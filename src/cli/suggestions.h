#pragma once
// Suggestions for mistyped names: the option or subcommand a slip most likely meant.

#include <string>
#include <string_view>
#include <vector>

namespace quarvel::cli {

// The name of `names` closest to `typed` when it is close enough to be a slip of the keys
// (at most two letters changed, added, dropped or swapped, case ignored; a name that differs
// only in case first); empty otherwise.
std::string NearestName(std::string_view typed, const std::vector<std::string>& names);

}  // namespace quarvel::cli
