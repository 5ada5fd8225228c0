#pragma once
// The periods of a spectrum as typed: a list ("0.5,1,2"), a range FROM:TO:STEP ("0.05:3:0.05"),
// or lists of both ("0.02:0.1:0.02,0.2,0.5:3:0.5").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvel {

// Most periods one spectrum takes.
inline constexpr int32_t kMaxPeriods = 100'000;

// The periods of `text`, or nullopt with `error` saying why not. Items are separated by
// commas; an item is a number or FROM:TO:STEP, each number the whole text of its part (as
// the options' numbers are). A range holds FROM + i STEP for i = 0 .. round-half-even((TO -
// FROM) / STEP), each rounded to the decimals its texts show, so that 0.05:3:0.05 gives 0.15
// and 3 as typed rather than 0.15000000000000002. Every period must be above 0, the whole list
// strictly increasing and at most kMaxPeriods long.
std::optional<std::vector<double>> ParsePeriods(std::string_view text, std::string& error);

}  // namespace quarvel
