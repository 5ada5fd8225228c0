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

// 2 * pi * sqrt(radicand), or "-" when the square root has no real, finite value.
std::string PeriodText(double radicand) {
  if (!(radicand >= 0.0) || !std::isfinite(radicand)) return kNoValueText;
  return LabelOrDash(2.0 * kPi * std::sqrt(radicand));
}

}  // namespace

ErrorLabelTexts ErrorLabels(double absErrorU, double relErrorU, double absErrorEh,
                            double relErrorEh) {
  return {LabelOrDash(absErrorU), PercentLabel(relErrorU), LabelOrDash(absErrorEh),
          PercentLabel(relErrorEh)};
}

PeriodLabelTexts PeriodLabels(const MainWindowInputs& inputs,
                              std::optional<double> experimentMass) {
  double m = Val(inputs.txtMass);
  bool massKnown = true;
  if (m <= 0.0) {
    massKnown = experimentMass.has_value();
    m = experimentMass.value_or(0.0);
  }
  const double fy = Val(inputs.txtFy);
  const double uy = Val(inputs.txtUy);
  const double alpha = Val(inputs.txtAlphaSmall);

  PeriodLabelTexts texts{kNoValueText, kNoValueText};
  if (!massKnown) return texts;
  if (fy > 0.0) texts.elastic = PeriodText(m * uy / fy);
  if (alpha > 0.0 && fy > 0.0) texts.plastic = PeriodText(m * uy / fy / alpha);
  return texts;
}

}  // namespace quarvel
