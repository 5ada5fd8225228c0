#pragma once
// The time a piece of work still needs, at the pace it has kept.

namespace quarvel {

// Seconds still to go when `fractionLeft` of the work remains and `fractionDone` of it took
// `seconds` (all of it so far, or a recent stretch); 0 while nothing was done in them.
inline double SecondsLeft(double seconds, double fractionDone, double fractionLeft) {
  if (!(fractionDone > 0.0) || !(fractionLeft > 0.0)) return 0.0;
  return seconds / fractionDone * fractionLeft;
}

}  // namespace quarvel
