#pragma once
// What an engineer checks first in a loaded record: how long it lasts and its peak, in the
// record's own unit.

#include <cstdint>
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

}  // namespace quarvel
