#pragma once
// What the modified model remembers of the reversals of the response so far.

#include <cstdint>
#include <vector>

namespace quarvel {

// A remembered reversal: displacement, hysteretic variable and UnloadingFactor(z). The
// factor is evaluated into this field when the point is recorded, so a failed evaluation
// leaves the factor the field held before.
struct ReversalPoint {
  double u = 0.0;
  double z = 0.0;
  double factor = 0.0;
};

// One entry of the all-reversal lists: sample index j with U[j], Z[j] as stored (samples are
// never rewritten once the run has passed them) and a fresh UnloadingFactor(Z[j]) with
// whether that evaluation faulted. The factor is filled only when the entry can be used (it
// survived the pruning of its own sample and gamma is not 0.5).
struct ReversalListEntry {
  int32_t index = 0;
  double u = 0.0;
  double z = 0.0;
  double factor = 0.0;
  bool factorFault = false;
};

struct ReversalMemory {
  ReversalPoint lastPlus;   // last positive reversal (local maximum of u with z > 0), "PLast+"
  ReversalPoint lastMinus;  // last negative reversal (local minimum of u with z < 0), "Plast-"
  ReversalPoint maxPlus;    // recorded positive reversal with the largest u, "PMax+"
  ReversalPoint maxMinus;   // recorded negative reversal with the smallest u, "PMax-"
  bool dominanceFlagPlus = false;   // inside the dominance zone of lastPlus
  bool dominanceFlagMinus = false;  // inside the dominance zone of lastMinus
  std::vector<ReversalListEntry> maxList;  // remembered positive reversals (AllReversals)
  std::vector<ReversalListEntry> minList;  // remembered negative reversals (AllReversals)

  // Empties both lists, keeping their storage.
  void ResetReversalLists() {
    maxList.clear();
    minList.clear();
  }
  // Moves all four points to (u, z); their factors keep their values.
  void ResetPoints(double u, double z) {
    for (ReversalPoint* point : {&lastPlus, &lastMinus, &maxPlus, &maxMinus}) {
      point->u = u;
      point->z = z;
    }
  }
  void ClearDominanceFlags() {
    dominanceFlagPlus = false;
    dominanceFlagMinus = false;
  }
};

}  // namespace quarvel
