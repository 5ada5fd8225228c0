#pragma once
// What an engineer checks first in a loaded record: how long it lasts and its peak, in the
// record's own unit, and for a ground acceleration the usual intensity measures.

#include <cstdint>
#include <optional>
#include <string_view>

#include "experiments/experiment.h"

namespace quarvel {

struct RecordPeak {
  double value = 0.0;  // the sample of largest magnitude (the first one reaching it), signed
  double time = 0.0;   // its time, (sample - 1) x time step
  int32_t sample = 0;  // 1-based; 0 for a record without samples
};

// The largest |sample| of the record's excitation; a NaN sample is never the peak.
RecordPeak PeakOfRecord(const Experiment& experiment);

// Time of the last sample: (counter - 1) x time step, 0 for a record without samples.
double DurationOf(const Experiment& experiment);

// The unit the samples are read in: "N" for a force, "m" for a displacement, "g" or "m/s^2"
// for an acceleration (the file's units line decides).
std::string_view SampleUnit(const Experiment& experiment);

// The intensity measures of a ground acceleration. The velocity and the displacement are the
// record integrated as given, by the trapezoidal rule from rest, with no baseline correction:
// a record whose velocity drifts has a PGD that grows with its length.
struct GroundMotionMeasures {
  RecordPeak pga;        // m/s^2 (g = 9.81 m/s^2 for a record in units of g)
  RecordPeak pgv;        // m/s
  RecordPeak pgd;        // m
  double arias = 0.0;    // Arias intensity pi / (2 g) x integral of a^2 dt [m/s]
  // When 5 % and 95 % of the Arias intensity are reached (linear between samples) and the
  // time between them, the 5-95 % significant duration; all 0 for a record without motion.
  double significantStart = 0.0;
  double significantEnd = 0.0;
  double significantDuration = 0.0;
};

// The measures of an acceleration record; none for a force or a displacement.
std::optional<GroundMotionMeasures> GroundMotionOf(const Experiment& experiment);

}  // namespace quarvel
