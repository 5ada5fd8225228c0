#include "solve/labels.h"

#include <cmath>

#include "special/pi.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

std::string LabelOrDash(double value) {
  return std::isfinite(value) ? FormatLabel(value) : std::string(kNoValueText);
}

std::string PercentLabel(double ratio) {
  const double percent = 100.0 * ratio;
  return std::isfinite(percent) ? FormatLabel(percent) + "%" : std::string(kNoValueText);
}

// 2 * pi * sqrt(radicand), or none when the square root has no real, finite value.
std::optional<double> Period(double radicand) {
  if (!(radicand >= 0.0) || !std::isfinite(radicand)) return std::nullopt;
  const double period = 2.0 * kPi * std::sqrt(radicand);
  return std::isfinite(period) ? std::optional<double>(period) : std::nullopt;
}

std::string PeriodText(std::optional<double> period) {
  return period ? FormatLabel(*period) : std::string(kNoValueText);
}

}  // namespace

ErrorLabelTexts ErrorLabels(double absErrorU, double relErrorU, double absErrorEh,
                            double relErrorEh) {
  return {LabelOrDash(absErrorU), PercentLabel(relErrorU), LabelOrDash(absErrorEh),
          PercentLabel(relErrorEh)};
}

Periods ComputePeriods(const MainWindowInputs& inputs, std::optional<double> experimentMass) {
  double m = Val(inputs.txtMass);
  if (m <= 0.0) {
    if (!experimentMass) return {};
    m = *experimentMass;
  }
  const double fy = Val(inputs.txtFy);
  const double uy = Val(inputs.txtUy);
  const double alpha = Val(inputs.txtAlphaSmall);

  Periods periods;
  if (fy > 0.0) periods.elastic = Period(m * uy / fy);
  if (alpha > 0.0 && fy > 0.0) periods.plastic = Period(m * uy / fy / alpha);
  return periods;
}

PeriodLabelTexts PeriodLabels(const MainWindowInputs& inputs,
                              std::optional<double> experimentMass) {
  const Periods periods = ComputePeriods(inputs, experimentMass);
  return {PeriodText(periods.elastic), PeriodText(periods.plastic)};
}

}  // namespace quarvel
