#pragma once
// Experiments generated from formulas: sinusoidal force and displacement records and the
// displacement-controlled ramp protocols DC 1 and DC 2.

#include <cstdint>
#include <optional>
#include <string>

#include "experiments/experiment.h"
#include "io/file_result.h"

namespace quarvel {

// Largest sample count a sinusoid may have. The count comes from typed numbers
// (cycles x period / time step), so it is bounded before any storage is sized.
inline constexpr int32_t kMaxGeneratedSamples = 10'000'000;

// A generator returns done, or (with no file name) why the inputs were refused, e.g. "the time
// step must be a positive number"; a refused generator leaves the set unchanged.

// Sample count of a sinusoid: round-half-even(cycles * period / timeStep) + 1. Refused (and
// `counter` left untouched) unless period and timeStep are finite and positive and the count
// lies in 1..kMaxGeneratedSamples.
FileResult SineSampleCount(double cycles, double period, double timeStep, int32_t& counter);

// Appends one Force experiment with samples amplitude * sin((2 pi / period) * timeStep * (i - 1)),
// i = 1..counter. Refused inputs append nothing.
FileResult AddSineForceExperiment(const std::string& name, double weight, double mass,
                                  double initialU, double initialUDot, double initialZ,
                                  double timeStep, double period, double amplitude,
                                  double cycles, ExperimentSet& set);

// Replaces the whole set by one Displacement experiment starting at rest, with samples
// amplitude * sin((2 pi / period) * timeStep * (i - 1)). Refused inputs leave the set as it is.
FileResult SetSineDisplacementExperiment(const std::string& name, double weight,
                                         double mass, double timeStep, double period,
                                         double amplitude, double cycles,
                                         ExperimentSet& set);

// Replaces the set by the six built-in sinusoidal force experiments "T=1, Amp=5" ..
// "T=3, Amp=20" (periods 1, 2, 3 s at amplitudes 5 and 20; 10 cycles at 0.02 s; mass 2.86).
void CreateSineForceExperiments(ExperimentSet& set);

// The five texts of the sinusoid dialog as typed, with the dialog's defaults.
struct SinusoidDialogTexts {
  std::string mass = "2.86";
  std::string amplitude = "0.111";
  std::string period = "4";
  std::string cycles = "3";
  std::string timeStep = "0.02";
};

// What the dialog's texts describe: the experiment name and the parsed numbers.
struct SinusoidDialogInput {
  std::string name;  // "m=<mass>, T=<period>, Amp=<amplitude>, Cycl=<cycles>, TS=<time step>"
  double mass = 0.0;
  double amplitude = 0.0;
  double period = 0.0;
  double cycles = 0.0;
  double timeStep = 0.0;
};

// Builds the name from the texts as typed and reads each number with the leading-number parse.
SinusoidDialogInput ReadSinusoidDialog(const SinusoidDialogTexts& texts);

// The dialog's Ok: replaces the set by the displacement sinusoid the texts describe (weight 1).
FileResult CreateSinusoidalDisplacementExperiment(const SinusoidDialogTexts& texts,
                                                  ExperimentSet& set);

// Key filter of the dialog's text boxes, given the character before the place typed at ('\0'
// at the start): a comma becomes a full stop, a minus sign is dropped (nullopt) so that no
// negative value can be typed, except right after an E or e, where it is an exponent's sign
// ("1e-6"); any other key passes unchanged.
std::optional<char> FilterSinusoidDialogKey(char key, char before);

// The two displacement-controlled ramp protocols, in multiples of the yield displacement.
enum class DisplacementProtocol {
  Dc1,  // "Temp DC 1": 1.5 up, 2.24 down, 1.5 up, 1.0 down, 2.0 up; 1647 samples
  Dc2,  // "Temp DC 2": 4.0 up, 3.0 down, 2.0 up, 1.0 down, 2.0 up; 2399 samples
};

// Replaces the set by one Displacement experiment following `protocol` scaled by `uy`: time
// step 0.05 s, each step moving by uy * 0.1 * 0.05 (0.1 uy per second), starting from 0.
void SetDisplacementProtocolExperiment(DisplacementProtocol protocol, double uy,
                                       ExperimentSet& set);

}  // namespace quarvel
