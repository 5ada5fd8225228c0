#include "records/record_summary.h"

#include <cmath>

namespace quarvel {

RecordPeak PeakOfRecord(const Experiment& experiment) {
  const std::vector<double>& samples = SamplesOf(experiment);
  RecordPeak peak;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if (peak.sample == 0 ? !std::isnan(samples[i])
                         : std::fabs(samples[i]) > std::fabs(peak.value)) {
      peak.value = samples[i];
      peak.sample = static_cast<int32_t>(i);
    }
  }
  if (peak.sample > 0) peak.time = static_cast<double>(peak.sample - 1) * experiment.timeStep;
  return peak;
}

double DurationOf(const Experiment& experiment) {
  return experiment.counter > 1 ? static_cast<double>(experiment.counter - 1) * experiment.timeStep
                                : 0.0;
}

std::string_view SampleUnit(const Experiment& experiment) {
  switch (experiment.dataType) {
    case ExperimentDataType::Force:
      return "N";
    case ExperimentDataType::Displacement:
      return "m";
    default:
      return experiment.unitsOfG == 1 ? "g" : "m/s^2";
  }
}

}  // namespace quarvel
