#include "records/record_summary.h"

#include <cmath>
#include <numbers>

#include "model/excitation_force.h"

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

std::optional<GroundMotionMeasures> GroundMotionOf(const Experiment& experiment) {
  if (experiment.dataType != ExperimentDataType::Acceleration) return std::nullopt;
  const std::vector<double>& samples = experiment.acceleration;
  const double h = experiment.timeStep;
  const double scale = experiment.unitsOfG == 1 ? kGravity : 1.0;
  const auto a = [&](std::size_t i) { return samples[i] * scale; };
  const auto takePeak = [h](RecordPeak& peak, double value, std::size_t i) {
    if (peak.sample == 0 ? !std::isnan(value) : std::fabs(value) > std::fabs(peak.value)) {
      peak = {value, static_cast<double>(i - 1) * h, static_cast<int32_t>(i)};
    }
  };
  // One pass for the peaks and the integral of a^2 (the trapezoidal rule throughout, from
  // rest): the record may be millions of samples long, so nothing is held per sample.
  GroundMotionMeasures m;
  double velocity = 0.0;
  double displacement = 0.0;
  double squares = 0.0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if (i > 1) {
      const double previousVelocity = velocity;
      velocity += h * (a(i - 1) + a(i)) / 2.0;
      displacement += h * (previousVelocity + velocity) / 2.0;
      squares += h * (a(i - 1) * a(i - 1) + a(i) * a(i)) / 2.0;
    }
    takePeak(m.pga, a(i), i);
    takePeak(m.pgv, velocity, i);
    takePeak(m.pgd, displacement, i);
  }
  m.arias = std::numbers::pi / (2.0 * kGravity) * squares;
  if (!(squares > 0.0) || !std::isfinite(squares)) return m;
  // A second pass for the times at which the integral of a^2 reaches 5 % and 95 % of its whole,
  // linear between samples.
  double reached = 0.0;
  double* next = &m.significantStart;
  double level = 0.05 * squares;
  for (std::size_t i = 2; i < samples.size() && next != nullptr; ++i) {
    const double rise = h * (a(i - 1) * a(i - 1) + a(i) * a(i)) / 2.0;
    while (next != nullptr && reached + rise >= level) {
      const double part = rise > 0.0 ? (level - reached) / rise : 0.0;
      *next = (static_cast<double>(i - 2) + part) * h;
      next = next == &m.significantStart ? &m.significantEnd : nullptr;
      level = 0.95 * squares;
    }
    reached += rise;
  }
  m.significantDuration = m.significantEnd - m.significantStart;
  return m;
}

}  // namespace quarvel
