#include "graph/figure_axis.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace quarvel {
namespace {

constexpr double kMargin = 0.05;  // of the data's span, each side
constexpr std::array<double, 4> kMantissas = {1.0, 2.0, 2.5, 5.0};
// Four decades from a step of a hundredth of the span reach a step beyond it.
constexpr int kDecadesTried = 4;
constexpr double kLargestTickNumber = 4503599627370496.0;  // 2^52
constexpr const char* kMinus = "\u2212";  // the minus sign of typeset numbers

// A tick step of mantissa · 10^exponent.
struct Step {
  double mantissa = 1.0;
  int exponent = 0;
};

// The double nearest to q · 10^e for a whole or half q (exact as a double): 10^|e| is exact up
// to 10^22, so the one product or quotient rounds once.
double TimesPowerOfTen(double q, int e) {
  const double ten = std::pow(10.0, std::abs(e));
  return e < 0 ? q / ten : q * ten;
}

double TickValue(double n, const Step& step) {
  return TimesPowerOfTen(n * step.mantissa, step.exponent) + 0.0;  // + 0.0: never -0
}

// The first and last n with n · step within [min, max], as doubles (last < first: none).
std::pair<double, double> TickRange(double min, double max, const Step& step) {
  const double size = TimesPowerOfTen(step.mantissa, step.exponent);
  double first = std::ceil(min / size);
  double last = std::floor(max / size);
  // The quotients may round across a whole number; the tick values decide.
  if (TickValue(first, step) < min) first += 1;
  if (TickValue(first - 1, step) >= min) first -= 1;
  if (TickValue(last, step) > max) last -= 1;
  if (TickValue(last + 1, step) <= max) last += 1;
  return {first, last};
}

// Decimals that show every multiple of the step exactly.
int DecimalsOf(const Step& step) {
  return std::max(0, (step.mantissa == 2.5 ? 1 : 0) - step.exponent);
}

std::string FixedText(double value, int decimals) {
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, decimals);
  return std::string(buffer.data(), result.ptr);
}

// The labels of ticks first..last of the step, divided by 10^power.
std::vector<std::string> Labels(double first, double last, const Step& step, int power) {
  const Step scaled{step.mantissa, step.exponent - power};
  std::vector<std::string> labels;
  for (double n = first; n <= last; n += 1) {
    std::string label = FixedText(TickValue(n, scaled), DecimalsOf(scaled));
    if (label.front() == '-') label.replace(0, 1, kMinus);
    labels.push_back(std::move(label));
  }
  return labels;
}

int MostDigits(const std::vector<std::string>& labels) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::ptrdiff_t most = 0;
  for (const std::string& label : labels) {
    most = std::max(most, std::count_if(label.begin(), label.end(), isDigit));
  }
  return static_cast<int>(most);
}

// "-3" as superscript characters: "⁻³".
std::string Superscript(int number) {
  static constexpr std::array<const char*, 10> kDigits = {"⁰", "¹", "²", "³", "⁴",
                                                          "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string text = number < 0 ? "⁻" : "";
  for (const char digit : std::to_string(std::abs(number))) text += kDigits[digit - '0'];
  return text;
}

// From a step that leaves over a hundred ticks upwards, the first that leaves at most
// kMostTicks: the one before it left more than that, and it is at most twice as large, so it
// leaves kFewestTicks or more. A step of 2.5 gives way to 5 when that still leaves enough, for
// one decimal less. Empty for data too far from 0 for its span (tick numbers beyond 2^52) or
// too small to be spaced.
std::optional<Step> StepOf(double min, double max) {
  const double span = max / 2 - min / 2;
  if (!(span > 0) || !std::isfinite(span)) return std::nullopt;
  const auto count = [&](const Step& step) {
    const auto [first, last] = TickRange(min, max, step);
    return last - first + 1;
  };
  const int firstDecade = static_cast<int>(std::floor(std::log10(span))) - 2;
  for (int e = firstDecade; e <= firstDecade + kDecadesTried; ++e) {
    for (const double mantissa : kMantissas) {
      Step step{mantissa, e};
      if (!(count(step) <= kMostTicks)) continue;
      if (mantissa == 2.5 && count(Step{5.0, e}) >= kFewestTicks) step.mantissa = 5.0;
      const auto [first, last] = TickRange(min, max, step);
      if (!(std::fabs(first) < kLargestTickNumber && std::fabs(last) < kLargestTickNumber)) {
        return std::nullopt;
      }
      return step;
    }
  }
  return std::nullopt;
}

}  // namespace

FigureAxis FigureAxisOf(double dataMin, double dataMax) {
  FigureAxis axis;
  // Halves first, so that a span beyond the largest double still has a finite size.
  const double halfSpan = dataMax / 2 - dataMin / 2;
  double margin = 2 * kMargin * halfSpan;
  if (halfSpan == 0) margin = dataMin != 0 ? kMargin * std::fabs(dataMin) : kMargin;
  axis.min = std::max(dataMin - margin, -DBL_MAX);
  axis.max = std::min(dataMax + margin, DBL_MAX);

  const std::optional<Step> step = StepOf(axis.min, axis.max);
  if (!step) return axis;
  const auto [first, last] = TickRange(axis.min, axis.max, *step);
  for (double n = first; n <= last; n += 1) axis.ticks.push_back(TickValue(n, *step));
  axis.labels = Labels(first, last, *step, 0);
  if (MostDigits(axis.labels) > kMostLabelDigits) {
    const double largest = std::max(std::fabs(axis.ticks.front()), std::fabs(axis.ticks.back()));
    axis.power = 3 * static_cast<int>(std::floor(std::floor(std::log10(largest)) / 3));
    axis.labels = Labels(first, last, *step, axis.power);
  }
  return axis;
}

std::string AxisTitleWithPower(const std::string& title, int power) {
  if (power == 0) return title;
  const std::string factor = "10" + Superscript(power);
  const std::size_t open = title.rfind('(');
  if (!title.empty() && title.back() == ')' && open != std::string::npos) {
    return title.substr(0, open + 1) + factor + " " + title.substr(open + 1);
  }
  return title + " (" + factor + ")";
}

}  // namespace quarvel
