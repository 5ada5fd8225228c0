// Gamma, log-gamma and digamma functions.
//
// These functions never let a floating-point fault escape: every intermediate that becomes
// infinite or NaN (overflow, division by zero, invalid operation) makes the call report
// failure with its output untouched. Nothing here relies on floating-point exceptions.

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>

#include "special/hypergeometric.h"
#include "special/pi.h"
#include "special/special_detail.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

// psi(1), i.e. minus Euler's constant, to 15 significant digits.
constexpr double kPsiOne = -0.577215664901533;

// Lanczos approximation (gamma = 5, six terms): relative error of gamma below about 2e-10
// for x > 0.
constexpr std::array<double, 6> kLanczosCoefficients = {
    76.1800917294715,  -86.5053203294168,   24.0140982408309,
    -1.23173957245015, 0.00120865097386618, -5.395239384953e-06};
constexpr double kLanczosSeriesStart = 1.00000000019001;
constexpr double kSqrtTwoPi = 2.506628274631;
constexpr double kLanczosShift = 5.5;

constexpr int kTableSize = 1001;  // indices 0..1000
constexpr double kTableLimit = 1000.0;
constexpr int kDigammaSeriesTerms = 100000;

std::atomic<int> integerTableFills{0};
std::atomic<int> halfIntegerTableFills{0};

using DigammaTable = std::array<double, kTableSize>;

// Entry k = psi(k) for k = 1..1000 by psi(k + 1) = psi(k) + 1/k. Filled once, on first use,
// by the thread-safe initialisation of a function-local static.
const DigammaTable& IntegerTable() {
  static const DigammaTable table = [] {
    DigammaTable entries{};
    entries[1] = kPsiOne;
    for (int k = 1; k <= 999; ++k) entries[k + 1] = entries[k] + 1.0 / k;
    integerTableFills.fetch_add(1);
    return entries;
  }();
  return table;
}

// Entry k = psi(k + 0.5) for k = 0..1000, from psi(0.5) = psi(1) - 2 ln 2 and
// psi(x + 1) = psi(x) + 1/x. Filled once, on first use.
const DigammaTable& HalfIntegerTable() {
  static const DigammaTable table = [] {
    DigammaTable entries{};
    entries[0] = kPsiOne - (std::log(2.0) + std::log(2.0));
    for (int k = 0; k <= 999; ++k) entries[k + 1] = entries[k] + 1.0 / (k + 0.5);
    halfIntegerTableFills.fetch_add(1);
    return entries;
  }();
  return table;
}

bool IsWhole(double x) { return std::floor(x) == x; }  // false for NaN, true for infinities

}  // namespace

namespace detail {
int DigammaIntegerTableFillCount() { return integerTableFills.load(); }
int DigammaHalfIntegerTableFillCount() { return halfIntegerTableFills.load(); }
}  // namespace detail

int32_t LogGamma(double x, double& result) {
  if (x <= 0.0) return 0;
  double tmp = x + kLanczosShift;
  tmp = (x + 0.5) * std::log(tmp) - tmp;
  double series = kLanczosSeriesStart;
  double y = x;
  for (const double coefficient : kLanczosCoefficients) {
    y = y + 1.0;
    series = series + coefficient / y;
  }
  // An overflow anywhere above (huge x, or a subnormal x making series / x infinite) leaves
  // an infinite or NaN value here.
  const double value = tmp + std::log(kSqrtTwoPi * series / x);
  if (!std::isfinite(value)) return 0;
  result = value;
  return 1;
}

int32_t GammaFunction(double x, double& result) {
  if (x > 0.0) {
    double logGamma = 0.0;
    if (LogGamma(x, logGamma) == 0) return 0;
    const double value = std::exp(logGamma);
    if (!std::isfinite(value)) return 0;  // overflows from x of about 171.6 on
    result = value;
    return 1;
  }
  if (x < 0.0 && !IsWhole(x)) {
    // Reflection: gamma(x) = pi / (sin(pi x) gamma(1 - x)).
    double logGamma = 0.0;
    if (LogGamma(1.0 - x, logGamma) == 0) return 0;
    const double gammaOfReflected = std::exp(logGamma);
    if (!std::isfinite(gammaOfReflected)) return 0;
    const double denominator = std::sin(kPi * x) * gammaOfReflected;
    if (!std::isfinite(denominator) || denominator == 0.0) return 0;
    const double value = kPi / denominator;
    if (!std::isfinite(value)) return 0;
    result = value;
    return 1;
  }
  return 0;  // 0, a negative whole number, -infinity or NaN
}

int32_t Digamma(double x, double& result) {
  const bool whole = IsWhole(x);
  if (x <= 0.0 && whole) return 0;  // poles, and -infinity
  if (whole && x <= kTableLimit) {
    result = IntegerTable()[static_cast<int>(x)];
    return 1;
  }
  const double belowHalf = x - 0.5;
  if (IsWhole(belowHalf) && x <= kTableLimit) {
    const double index = RoundHalfEven(belowHalf);
    if (index < 0.0) return 0;  // negative half-integers have no table entry
    result = HalfIntegerTable()[static_cast<int>(index)];
    return 1;
  }

  // psi(x) = psi(1) + sum over k >= 1 of (x - 1) / ((k + x - 1) k). The sum converges like
  // 1/k, so the 100000 terms are usually all used (status 2), and the truncated tail, about
  // (x - 1) / 100000, is missing from the result.
  double sum = 0.0;
  bool converged = false;
  for (int k = 1; k <= kDigammaSeriesTerms; ++k) {
    const double kk = k;
    const double denominator = (kk + x - 1.0) * kk;
    if (!std::isfinite(denominator) || denominator == 0.0) return 0;
    const double term = (x - 1.0) / denominator;
    if (!std::isfinite(term)) return 0;
    if (term + sum == sum) {
      converged = true;
      break;
    }
    sum = sum + term;
  }
  const double value = sum + kPsiOne;
  if (!std::isfinite(value)) return 0;
  result = value;
  return converged ? 1 : 2;
}

}  // namespace quarvel
