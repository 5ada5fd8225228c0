// Gauss hypergeometric function 2F1(a, b; c; x) for real x < 1.
//
// |x| <= 0.5 uses the power series directly. 0.5 < x < 1 uses the connection formula to
// w = 1 - x: the logarithmic form when c - a - b is (within 1e-6 of) a whole number, the
// two-series form otherwise. x < -0.5 is brought into (1/3, 1) by the Pfaff transformation
// 2F1(a, b; c; x) = (1 - x)^-a 2F1(a, c - b; c; x / (x - 1)).
//
// The series catches its own faults and reports failure. The rest of HypergeometricF follows
// IEEE arithmetic as computed and only records that a value became infinite or NaN, for the
// caller to treat as a fault.

#include <cmath>
#include <cstdint>

#include "special/hypergeometric.h"
#include "special/special_detail.h"

namespace quarvel {
namespace {

constexpr int kTermLimit = 1000;
constexpr double kIntegerTolerance = 1e-06;

// Records whether any value computed by HypergeometricF itself left the finite range.
struct FaultRecord {
  bool any = false;
  double Note(double value) {
    if (!std::isfinite(value)) any = true;
    return value;
  }
};

// psi(x) through Digamma with its status ignored: a failed evaluation counts as 0.
double Psi(double x) {
  double value = 0.0;
  Digamma(x, value);
  return value;
}

// Reciprocal gamma: 0 at the poles (0 and the negative whole numbers), else 1 / gamma(x).
// False when gamma(x) cannot be evaluated.
bool ReciprocalGamma(double x, double& reciprocal) {
  if (x <= 0.0 && std::floor(x) == x) {
    reciprocal = 0.0;
    return true;
  }
  double gamma = 0.0;
  if (GammaFunction(x, gamma) == 0 || gamma == 0.0) return false;
  reciprocal = 1.0 / gamma;
  return true;
}

int32_t Evaluate(double a, double b, double c, double x, double& result, FaultRecord& faults,
                 bool& written);

// c = a + b:
//   2F1 = gamma(a + b) / (gamma(a) gamma(b))
//         * sum over m >= 0 of (a)_m (b)_m / (m!)^2 [2 psi(m + 1) - psi(a + m) - psi(b + m) - ln w] w^m.
// The sum is accumulated in this exact order so that results are reproducible to the bit.
int32_t LogarithmicCase(double a, double b, double w, double& result, FaultRecord& faults,
                        bool& written) {
  const double logW = std::log(w);
  double sum = faults.Note(2.0 * Psi(1.0) - Psi(a) - Psi(b) - logW);
  double coefficient = 1.0;
  double nextSum = sum;
  bool converged = false;
  for (int m = 1; m <= kTermLimit; ++m) {
    const double mm = m;
    const double nextCoefficient =
        faults.Note(coefficient * (mm + a - 1.0) * (mm + b - 1.0) / (mm * mm));
    nextSum = faults.Note(sum + (2.0 * Psi(mm + 1.0) - Psi(mm + a) - Psi(mm + b) - logW) *
                                    nextCoefficient * std::pow(w, mm));
    if (nextSum == sum) {
      converged = true;
      break;
    }
    sum = nextSum;
    coefficient = nextCoefficient;
  }

  double gammaA = 0.0;
  double gammaB = 0.0;
  double gammaAB = 0.0;
  if (GammaFunction(a, gammaA) == 0 || gammaA == 0.0) return 0;
  if (GammaFunction(b, gammaB) == 0 || gammaB == 0.0) return 0;
  if (GammaFunction(faults.Note(a + b), gammaAB) == 0) return 0;
  result = faults.Note(nextSum * gammaAB / gammaB / gammaA);
  written = true;
  return converged ? 1 : 0;  // a sum that did not settle is still written
}

// c = a + b + m with m a non-zero whole number (Abramowitz & Stegun 15.3.11 for m > 0,
// 15.3.12 for m < 0). With M = |m|, lower parameters (p, q) = (a, b) for m > 0 and
// (a - M, b - M) for m < 0, and upper parameters (P, Q) = (p + M, q + M):
//   2F1 = gamma(M) gamma(c) / (gamma(P) gamma(Q)) [w^-M if m < 0]
//           * sum over n < M of (p)_n (q)_n / (n! (1 - M)_n) w^n
//       - (-1)^M [w^M if m > 0] gamma(c) / (gamma(p) gamma(q))
//           * sum over n >= 0 of (P)_n (Q)_n / (n! (n + M)!) w^n
//             [ln w - psi(n + 1) - psi(n + M + 1) + psi(P + n) + psi(Q + n)].
// 1/gamma is 0 at a pole, which ends a sum that terminates. Like the other cases it fails
// when a or b is 0 or a negative whole number (a terminating series) and when gamma(M)
// overflows (M > 171).
int32_t IntegerLogarithmicCase(double a, double b, double c, double w, double m,
                               double& result, FaultRecord& faults, bool& written) {
  const double order = std::fabs(m);
  double gammaA = 0.0;
  double gammaB = 0.0;
  double gammaC = 0.0;
  double gammaOrder = 0.0;
  if (GammaFunction(a, gammaA) == 0 || gammaA == 0.0) return 0;
  if (GammaFunction(b, gammaB) == 0 || gammaB == 0.0) return 0;
  if (GammaFunction(c, gammaC) == 0) return 0;
  if (GammaFunction(order, gammaOrder) == 0) return 0;

  const double p = m > 0.0 ? a : a - order;
  const double q = m > 0.0 ? b : b - order;
  const double upperP = p + order;
  const double upperQ = q + order;
  double reciprocalUpperP = 0.0;
  double reciprocalUpperQ = 0.0;
  double reciprocalP = 0.0;
  double reciprocalQ = 0.0;
  if (!ReciprocalGamma(upperP, reciprocalUpperP) || !ReciprocalGamma(upperQ, reciprocalUpperQ) ||
      !ReciprocalGamma(p, reciprocalP) || !ReciprocalGamma(q, reciprocalQ)) {
    return 0;
  }

  const int count = static_cast<int>(order);  // at most 171 here
  double term = 1.0;
  double finiteSum = 1.0;
  for (int n = 0; n + 1 < count; ++n) {
    const double nn = n;
    term = term * (p + nn) * (q + nn) / ((nn + 1.0) * (nn + 1.0 - order)) * w;
    finiteSum = finiteSum + term;
  }
  double first = gammaOrder * gammaC * reciprocalUpperP * reciprocalUpperQ * finiteSum;
  if (m < 0.0) first = first * std::pow(w, -order);

  double second = 0.0;
  bool converged = true;
  if (reciprocalP != 0.0 && reciprocalQ != 0.0) {
    const double logW = std::log(w);
    double factor = (count % 2 == 0 ? -1.0 : 1.0) * gammaC * reciprocalP * reciprocalQ;
    if (m > 0.0) factor = factor * std::pow(w, order);
    double coefficient = 1.0 / (gammaOrder * order);  // 1 / M!
    double sum = 0.0;
    converged = false;
    for (int n = 0; n < kTermLimit; ++n) {
      const double nn = n;
      const double bracket =
          logW - Psi(nn + 1.0) - Psi(nn + order + 1.0) + Psi(upperP + nn) + Psi(upperQ + nn);
      const double nextSum = faults.Note(sum + coefficient * bracket);
      if (n > 0 && nextSum == sum) {
        converged = true;
        break;
      }
      sum = nextSum;
      coefficient = coefficient * (upperP + nn) * (upperQ + nn) /
                    ((nn + 1.0) * (nn + order + 1.0)) * w;
    }
    second = factor * sum;
  }
  result = faults.Note(first + second);
  written = true;
  return converged ? 1 : 0;
}

// c - a - b not whole:
//   2F1 = gamma(c) gamma(c - a - b) / (gamma(c - a) gamma(c - b)) 2F1(a, b; a + b - c + 1; w)
//       + w^(c - a - b) gamma(c) gamma(a + b - c) / (gamma(a) gamma(b))
//         2F1(c - a, c - b; c - a - b + 1; w).
int32_t GeneralCase(double a, double b, double c, double w, double& result, FaultRecord& faults,
                    bool& written) {
  double gammaA = 0.0;
  double gammaB = 0.0;
  double gammaC = 0.0;
  double gammaCA = 0.0;
  double gammaCB = 0.0;
  double gammaCAB = 0.0;
  double gammaABC = 0.0;
  if (GammaFunction(a, gammaA) == 0 || gammaA == 0.0) return 0;
  if (GammaFunction(b, gammaB) == 0 || gammaB == 0.0) return 0;
  if (GammaFunction(c, gammaC) == 0) return 0;
  if (GammaFunction(faults.Note(c - a), gammaCA) == 0 || gammaCA == 0.0) return 0;
  if (GammaFunction(faults.Note(c - b), gammaCB) == 0 || gammaCB == 0.0) return 0;
  if (GammaFunction(faults.Note(c - a - b), gammaCAB) == 0) return 0;
  if (GammaFunction(faults.Note(a + b - c), gammaABC) == 0) return 0;

  double series1 = 0.0;
  double series2 = 0.0;
  double derivative = 0.0;
  if (HypergeometricSeries(a, b, faults.Note(a + b - c + 1.0), w, series1, derivative) == 0) {
    return 0;
  }
  if (HypergeometricSeries(c - a, c - b, faults.Note(c - a - b + 1.0), w, series2,
                           derivative) == 0) {
    return 0;
  }
  const double power = faults.Note(std::pow(w, c - a - b));
  result = faults.Note(power * gammaC * gammaABC * series2 / gammaA / gammaB +
                       gammaCAB * gammaC * series1 / gammaCA / gammaCB);
  written = true;
  return 1;
}

// `written` tells whether `result` was assigned (a failure may or may not assign it).
int32_t Evaluate(double a, double b, double c, double x, double& result, FaultRecord& faults,
                 bool& written) {
  if (std::fabs(x) <= 0.5) {
    double derivative = 0.0;
    written = true;  // the series writes its partial sums into result from the start
    return HypergeometricSeries(a, b, c, x, result, derivative);
  }
  if (x > 0.5 && x < 1.0) {
    const double w = 1.0 - x;
    const double d = faults.Note(c - a - b);
    const double nearest = detail::RoundToNearestEven(d);
    if (std::fabs(d - nearest) <= kIntegerTolerance) {
      if (nearest == 0.0) return LogarithmicCase(a, b, w, result, faults, written);
      return IntegerLogarithmicCase(a, b, c, w, nearest, result, faults, written);
    }
    return GeneralCase(a, b, c, w, result, faults, written);
  }
  if (x < -0.5) {
    const double y = faults.Note(x / faults.Note(x - 1.0));  // in (1/3, 1)
    // Only a value that the inner evaluation produced is scaled: when it leaves its output
    // alone, the caller's previous value must stay as it was, not be rescaled.
    double inner = result;
    bool innerWritten = false;
    const int32_t status = Evaluate(a, faults.Note(c - b), c, y, inner, faults, innerWritten);
    if (innerWritten) {
      result = faults.Note(inner * faults.Note(std::pow(1.0 - x, -a)));
      written = true;
    }
    return status;
  }
  return 0;  // x >= 1, or NaN
}

}  // namespace

int32_t HypergeometricSeries(double a, double b, double c, double x, double& F, double& dF) {
  if (!(std::fabs(x) < 1.0)) return 0;  // also NaN
  F = 0.0;
  dF = 0.0;
  double term = 1.0;
  double sum = 1.0;
  double upperA = a;
  double upperB = b;
  double lowerC = c;
  for (int k = 1; k <= kTermLimit; ++k) {
    // An infinite or NaN value here means overflow, division by zero or an invalid operation
    // (non-finite values propagate through * and /): stop with the sums written so far.
    term = (upperA * upperB / lowerC) * term;
    if (!std::isfinite(term)) return 0;
    const double nextDerivative = dF + term;
    if (!std::isfinite(nextDerivative)) return 0;
    dF = nextDerivative;
    term = term * x / k;
    if (!std::isfinite(term)) return 0;
    const double nextSum = term + sum;
    if (!std::isfinite(nextSum)) return 0;
    F = nextSum;
    if (nextSum == sum) return k;
    sum = nextSum;
    upperA = upperA + 1.0;
    upperB = upperB + 1.0;
    lowerC = lowerC + 1.0;
  }
  return 0;
}

int32_t HypergeometricF(double a, double b, double c, double x, double& result,
                        bool* arithmeticFault) {
  FaultRecord faults;
  bool written = false;
  const int32_t status = Evaluate(a, b, c, x, result, faults, written);
  if (faults.any && arithmeticFault != nullptr) *arithmeticFault = true;
  return status;
}

}  // namespace quarvel
