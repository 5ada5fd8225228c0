#include "experiments/generated_experiments.h"

#include <array>
#include <cmath>
#include <utility>

#include "special/pi.h"
#include "text/number_text.h"

namespace quarvel {

namespace {

// Samples 1..counter of amplitude * sin(omega * timeStep * (i - 1)), index 0 unused. The
// product omega * timeStep is formed first; results are compared to the last bit, so the
// order of the operations is part of the contract.
std::vector<double> SineSamples(int32_t counter, double timeStep, double period,
                                double amplitude) {
  const double omega = 2.0 * kPi / period;
  const double omegaStep = omega * timeStep;
  std::vector<double> samples(static_cast<std::size_t>(counter) + 1, 0.0);
  for (int32_t i = 1; i <= counter; ++i) {
    samples[static_cast<std::size_t>(i)] =
        amplitude * std::sin(omegaStep * static_cast<double>(i - 1));
  }
  return samples;
}

FileResult Refuse(std::string reason) { return FileResult::Failure({}, std::move(reason)); }

// One ramp of a displacement protocol: travel in multiples of Uy, direction +1 up, -1 down.
struct RampSegment {
  double travel;
  double direction;
};

struct ProtocolTable {
  const char* name;
  std::array<RampSegment, 5> segments;
};

constexpr ProtocolTable kDc1{"Temp DC 1", {{{1.5, 1}, {2.24, -1}, {1.5, 1}, {1.0, -1}, {2.0, 1}}}};
constexpr ProtocolTable kDc2{"Temp DC 2", {{{4.0, 1}, {3.0, -1}, {2.0, 1}, {1.0, -1}, {2.0, 1}}}};

// The sum of a protocol's travels, in multiples of Uy (8.24 and 12, exactly the doubles of
// those texts).
double TotalTravel(const ProtocolTable& table) {
  double total = 0.0;
  for (const RampSegment& segment : table.segments) total += segment.travel;
  return total;
}

constexpr double kProtocolRate = 0.1;      // multiples of Uy per second
constexpr double kProtocolTimeStep = 0.05;  // seconds

}  // namespace

FileResult SineSampleCount(double cycles, double period, double timeStep, int32_t& counter) {
  if (!(std::isfinite(timeStep) && timeStep > 0.0)) {
    return Refuse("the time step must be a positive number");
  }
  if (!(std::isfinite(period) && period > 0.0)) {
    return Refuse("the period must be a positive number");
  }
  const double count = RoundHalfEven(cycles * period / timeStep) + 1.0;
  if (!(count >= 1.0 && count <= static_cast<double>(kMaxGeneratedSamples))) {
    return Refuse("cycles x period / time step gives " + FormatDefault(count) +
                  " samples (one per time step, and the first); between 1 and " +
                  std::to_string(kMaxGeneratedSamples) + " are allowed");
  }
  counter = static_cast<int32_t>(count);
  return {};
}

FileResult AddSineForceExperiment(const std::string& name, double weight, double mass,
                                  double initialU, double initialUDot, double initialZ,
                                  double timeStep, double period, double amplitude,
                                  double cycles, ExperimentSet& set) {
  int32_t counter = 0;
  if (FileResult counted = SineSampleCount(cycles, period, timeStep, counter); !counted) {
    return counted;
  }
  Experiment experiment;
  experiment.name = name;
  experiment.weight = weight;
  experiment.mass = mass;
  experiment.initialU = initialU;
  experiment.initialUDot = initialUDot;
  experiment.initialZ = initialZ;
  experiment.timeStep = timeStep;
  experiment.dataType = ExperimentDataType::Force;
  experiment.counter = counter;
  experiment.force = SineSamples(counter, timeStep, period, amplitude);
  set.Append(std::move(experiment));
  return {};
}

FileResult SetSineDisplacementExperiment(const std::string& name, double weight,
                                         double mass, double timeStep, double period,
                                         double amplitude, double cycles,
                                         ExperimentSet& set) {
  int32_t counter = 0;
  if (FileResult counted = SineSampleCount(cycles, period, timeStep, counter); !counted) {
    return counted;
  }
  Experiment experiment;
  experiment.dataType = ExperimentDataType::Displacement;
  experiment.name = name;
  experiment.weight = weight;
  experiment.mass = mass;
  experiment.timeStep = timeStep;
  experiment.counter = counter;
  experiment.displacement = SineSamples(counter, timeStep, period, amplitude);
  set.Clear();
  set.Append(std::move(experiment));
  return {};
}

void CreateSineForceExperiments(ExperimentSet& set) {
  struct Row {
    const char* name;
    double period;
    double amplitude;
  };
  static constexpr Row kRows[] = {
      {"T=1, Amp=5", 1, 5},   {"T=2, Amp=5", 2, 5},   {"T=3, Amp=5", 3, 5},
      {"T=1, Amp=20", 1, 20}, {"T=2, Amp=20", 2, 20}, {"T=3, Amp=20", 3, 20},
  };
  set.Clear();
  for (const Row& row : kRows) {
    AddSineForceExperiment(row.name, 1, 2.86, 0, 0, 0, 0.02, row.period, row.amplitude, 10, set);
  }
}

SinusoidDialogInput ReadSinusoidDialog(const SinusoidDialogTexts& texts) {
  SinusoidDialogInput input;
  input.mass = Val(texts.mass);
  input.amplitude = Val(texts.amplitude);
  input.period = Val(texts.period);
  input.cycles = Val(texts.cycles);
  input.timeStep = Val(texts.timeStep);
  input.name = "m=" + texts.mass + ", T=" + texts.period + ", Amp=" + texts.amplitude +
               ", Cycl=" + texts.cycles + ", TS=" + texts.timeStep;
  return input;
}

FileResult CreateSinusoidalDisplacementExperiment(const SinusoidDialogTexts& texts,
                                                  ExperimentSet& set) {
  const SinusoidDialogInput input = ReadSinusoidDialog(texts);
  return SetSineDisplacementExperiment(input.name, 1, input.mass, input.timeStep, input.period,
                                       input.amplitude, input.cycles, set);
}

std::optional<char> FilterSinusoidDialogKey(char key, char before) {
  if (key == ',') return '.';
  if (key == '-' && before != 'E' && before != 'e') return std::nullopt;
  return key;
}

void SetDisplacementProtocolExperiment(DisplacementProtocol protocol, double uy,
                                       ExperimentSet& set) {
  const ProtocolTable& table = protocol == DisplacementProtocol::Dc1 ? kDc1 : kDc2;

  Experiment experiment;
  experiment.dataType = ExperimentDataType::Displacement;
  experiment.name = table.name;
  experiment.weight = 1;
  experiment.mass = 2.86;
  experiment.timeStep = kProtocolTimeStep;
  // One sample per step of the whole travel, less one (the fixed tables make this 1647 and
  // 2399); the last few steps of the final ramp therefore fall past the end.
  const int32_t counter = static_cast<int32_t>(
      RoundHalfEven(TotalTravel(table) / kProtocolRate / kProtocolTimeStep) - 1.0);
  experiment.counter = counter;
  std::vector<double>& u = experiment.displacement;
  u.assign(static_cast<std::size_t>(counter) + 1, 0.0);

  const double step = uy * kProtocolRate * kProtocolTimeStep;
  int32_t j = 1;
  bool first = true;
  for (const RampSegment& segment : table.segments) {
    // Each ramp after the first takes one step more than its travel, so every reversal
    // overshoots the tabulated level by one step.
    const int32_t steps =
        static_cast<int32_t>(std::trunc(segment.travel / kProtocolRate / kProtocolTimeStep)) +
        (first ? 0 : 1);
    first = false;
    for (int32_t s = 0; s < steps; ++s, ++j) {
      if (j + 1 > counter) continue;
      u[static_cast<std::size_t>(j) + 1] = u[static_cast<std::size_t>(j)] + segment.direction * step;
    }
  }

  set.Clear();
  set.Append(std::move(experiment));
}

}  // namespace quarvel
