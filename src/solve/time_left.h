#pragma once
// The time a piece of work still needs, at the pace it has kept.

#include <cmath>
#include <string>

namespace quarvel {

// Seconds still to go when `fractionLeft` of the work remains and `fractionDone` of it took
// `seconds` (all of it so far, or a recent stretch); 0 while nothing was done in them.
inline double SecondsLeft(double seconds, double fractionDone, double fractionLeft) {
  if (!(fractionDone > 0.0) || !(fractionLeft > 0.0)) return 0.0;
  return seconds / fractionDone * fractionLeft;
}

// "about 12 s left", "about 3 min 20 s left", "about 2 h 5 min left", in whole seconds rounded
// up. A pace of almost nothing done gives huge times: they are held to a billion hours, which
// whole seconds still count exactly.
inline std::string TimeLeftText(double seconds) {
  const auto whole = static_cast<long long>(std::ceil(seconds < 3.6e12 ? seconds : 3.6e12));
  const auto text = [](long long value) { return std::to_string(value); };
  if (whole < 60) return "about " + text(whole) + " s left";
  if (whole < 3600) return "about " + text(whole / 60) + " min " + text(whole % 60) + " s left";
  return "about " + text(whole / 3600) + " h " + text(whole % 3600 / 60) + " min left";
}

}  // namespace quarvel
