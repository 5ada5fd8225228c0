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
//
// Everything that depends on (a, b, c) alone -- the series coefficients (A B) / C, the
// digamma and gamma values of the transformations -- lives in a Shape, filled on first use
// with exactly the operations a fresh evaluation would perform. HypergeometricF evaluates
// through a Shape of its own; a HypergeometricEvaluator keeps one for many arguments.

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "special/hypergeometric.h"
#include "special/special_detail.h"
#include "text/number_text.h"

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

// p / k. Dividing by a power of two scales exactly, so it gives the bits that multiplying by
// its reciprocal (exact as well) gives, in a fraction of the time: the terms k = 1, 2, 4, 8, ...
// of the series' chain of dependent operations no longer wait for a division.
inline double DivideByTermIndex(double p, int k) {
  if ((k & (k - 1)) == 0) return p * (1.0 / static_cast<double>(k));
  return p / k;
}

// The power series of 2F1 and of its derivative with the coefficients q_k = (A B) / C of
// term k taken from next(k), k = 1, 2, ...; see HypergeometricSeries. The sums are kept in
// locals and stored on the way out, which leaves in F and dF what storing them at every step
// would have left.
template <class Coefficients>
int32_t SumSeries(Coefficients& next, double x, double& F, double& dF) {
  if (!(std::fabs(x) < 1.0)) return 0;  // also NaN
  double f = 0.0;
  double df = 0.0;
  double term = 1.0;
  double sum = 1.0;
  int32_t status = 0;
  for (int k = 1; k <= kTermLimit; ++k) {
    // An infinite or NaN value here means overflow, division by zero or an invalid operation
    // (non-finite values propagate through * and /): stop with the sums written so far.
    term = next(k) * term;
    if (!std::isfinite(term)) break;
    const double nextDerivative = df + term;
    if (!std::isfinite(nextDerivative)) break;
    df = nextDerivative;
    term = DivideByTermIndex(term * x, k);
    if (!std::isfinite(term)) break;
    const double nextSum = term + sum;
    if (!std::isfinite(nextSum)) break;
    f = nextSum;
    if (nextSum == sum) {
      status = k;
      break;
    }
    sum = nextSum;
  }
  F = f;
  dF = df;
  return status;
}

// q_k formed as it goes: A, B and C start at a, b, c and each grows by 1 per term.
struct RunningCoefficients {
  double upperA;
  double upperB;
  double lowerC;
  double operator()(int) {
    const double q = upperA * upperB / lowerC;
    upperA = upperA + 1.0;
    upperB = upperB + 1.0;
    lowerC = lowerC + 1.0;
    return q;
  }
};

// The same q_k, kept once formed: the series of many arguments with one (a, b, c) forms
// each coefficient once.
class CoefficientTable {
 public:
  CoefficientTable(double a, double b, double c) : running_{a, b, c} {}
  double operator()(int k) {
    const auto count = static_cast<std::size_t>(k);
    if (count > values_.size()) Form(count);
    return values_[count - 1];
  }

 private:
  // Kept apart from the lookup: with this loop inlined into it, the default solve of the
  // built-in set took 20 % longer.
  void Form(std::size_t count) {
    while (values_.size() < count) values_.push_back(running_(0));
  }

  RunningCoefficients running_;
  std::vector<double> values_;  // q_1, q_2, ... formed so far
};

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

// What the logarithmic case (c = a + b) needs of (a, b) alone:
//   head       = 2 psi(1) - psi(a) - psi(b)
//   q_m        = q_(m-1) (m + a - 1)(m + b - 1) / m^2, q_0 = 1
//   bracket_m  = 2 psi(m + 1) - psi(m + a) - psi(m + b)
// and gamma(a), gamma(b), gamma(a + b) with their statuses. The digamma values of arguments
// that are neither whole nor half-integers come from a 100000-term series each, so keeping
// them matters far more than keeping the rest.
class LogarithmicTerms {
 public:
  LogarithmicTerms(double a, double b)
      : a_(a), b_(b), head_(2.0 * Psi(1.0) - Psi(a) - Psi(b)) {
    gammaAStatus_ = GammaFunction(a, gammaA_);
    gammaBStatus_ = GammaFunction(b, gammaB_);
    aPlusB_ = a + b;
    gammaABStatus_ = GammaFunction(aPlusB_, gammaAB_);
  }

  double Head() const { return head_; }
  // q_m and bracket_m, m = 1..kTermLimit.
  double Coefficient(int m) {
    Extend(m);
    return coefficients_[static_cast<std::size_t>(m) - 1];
  }
  double Bracket(int m) {
    Extend(m);
    return brackets_[static_cast<std::size_t>(m) - 1];
  }

  // 1 with the three gamma values, or 0 when the case fails on them (gamma(a) or gamma(b) 0 or
  // failed, gamma(a + b) failed), noting a + b as the evaluation does.
  int32_t Gammas(FaultRecord& faults, double& gammaA, double& gammaB, double& gammaAB) const {
    if (gammaAStatus_ == 0 || gammaA_ == 0.0) return 0;
    if (gammaBStatus_ == 0 || gammaB_ == 0.0) return 0;
    faults.Note(aPlusB_);
    if (gammaABStatus_ == 0) return 0;
    gammaA = gammaA_;
    gammaB = gammaB_;
    gammaAB = gammaAB_;
    return 1;
  }

 private:
  void Extend(int m) {
    while (static_cast<int>(coefficients_.size()) < m) {
      const double mm = static_cast<double>(coefficients_.size() + 1);
      const double previous = coefficients_.empty() ? 1.0 : coefficients_.back();
      coefficients_.push_back(previous * (mm + a_ - 1.0) * (mm + b_ - 1.0) / (mm * mm));
      brackets_.push_back(2.0 * Psi(mm + 1.0) - Psi(mm + a_) - Psi(mm + b_));
    }
  }

  double a_;
  double b_;
  double head_;
  double gammaA_ = 0.0;
  double gammaB_ = 0.0;
  double gammaAB_ = 0.0;
  double aPlusB_ = 0.0;
  int32_t gammaAStatus_ = 0;
  int32_t gammaBStatus_ = 0;
  int32_t gammaABStatus_ = 0;
  std::vector<double> coefficients_;
  std::vector<double> brackets_;
};

// c = a + b:
//   2F1 = gamma(a + b) / (gamma(a) gamma(b))
//         * sum over m >= 0 of (a)_m (b)_m / (m!)^2 [2 psi(m + 1) - psi(a + m) - psi(b + m) - ln w] w^m.
// The sum is accumulated in this exact order so that results are reproducible to the bit.
int32_t LogarithmicCase(LogarithmicTerms& terms, double w, double& result, FaultRecord& faults,
                        bool& written) {
  const double logW = std::log(w);
  double sum = faults.Note(terms.Head() - logW);
  bool converged = false;
  double nextSum = sum;
  for (int m = 1; m <= kTermLimit; ++m) {
    const double mm = m;
    const double nextCoefficient = faults.Note(terms.Coefficient(m));
    nextSum = faults.Note(sum + (terms.Bracket(m) - logW) * nextCoefficient * std::pow(w, mm));
    if (nextSum == sum) {
      converged = true;
      break;
    }
    sum = nextSum;
  }

  double gammaA = 0.0;
  double gammaB = 0.0;
  double gammaAB = 0.0;
  if (terms.Gammas(faults, gammaA, gammaB, gammaAB) == 0) return 0;
  result = faults.Note(nextSum * gammaAB / gammaB / gammaA);
  written = true;
  return converged ? 1 : 0;  // a sum that did not settle is still written
}

// What the general case needs of (a, b, c) alone: the seven gamma values with their statuses,
// the differences they are taken of, and the coefficients of its two series.
class GeneralTerms {
 public:
  GeneralTerms(double a, double b, double c)
      : cMinusA_(c - a),
        cMinusB_(c - b),
        cMinusAMinusB_(c - a - b),
        aPlusBMinusC_(a + b - c),
        firstC_(a + b - c + 1.0),
        secondC_(c - a - b + 1.0),
        first_(a, b, firstC_),
        second_(cMinusA_, cMinusB_, secondC_) {
    status_[0] = GammaFunction(a, gamma_[0]);
    status_[1] = GammaFunction(b, gamma_[1]);
    status_[2] = GammaFunction(c, gamma_[2]);
    status_[3] = GammaFunction(cMinusA_, gamma_[3]);
    status_[4] = GammaFunction(cMinusB_, gamma_[4]);
    status_[5] = GammaFunction(cMinusAMinusB_, gamma_[5]);
    status_[6] = GammaFunction(aPlusBMinusC_, gamma_[6]);
  }

  // c - a - b not whole:
  //   2F1 = gamma(c) gamma(c - a - b) / (gamma(c - a) gamma(c - b)) 2F1(a, b; a + b - c + 1; w)
  //       + w^(c - a - b) gamma(c) gamma(a + b - c) / (gamma(a) gamma(b))
  //         2F1(c - a, c - b; c - a - b + 1; w).
  // The gamma values are checked, and the differences noted, in the order of a fresh
  // evaluation, which stops at the first failure.
  int32_t Evaluate(double w, double& result, FaultRecord& faults, bool& written) {
    const double* g = gamma_;
    if (status_[0] == 0 || g[0] == 0.0) return 0;
    if (status_[1] == 0 || g[1] == 0.0) return 0;
    if (status_[2] == 0) return 0;
    faults.Note(cMinusA_);
    if (status_[3] == 0 || g[3] == 0.0) return 0;
    faults.Note(cMinusB_);
    if (status_[4] == 0 || g[4] == 0.0) return 0;
    faults.Note(cMinusAMinusB_);
    if (status_[5] == 0) return 0;
    faults.Note(aPlusBMinusC_);
    if (status_[6] == 0) return 0;

    double series1 = 0.0;
    double series2 = 0.0;
    double derivative = 0.0;
    faults.Note(firstC_);
    if (SumSeries(first_, w, series1, derivative) == 0) return 0;
    faults.Note(secondC_);
    if (SumSeries(second_, w, series2, derivative) == 0) return 0;
    const double power = faults.Note(std::pow(w, cMinusAMinusB_));
    result = faults.Note(power * g[2] * g[6] * series2 / g[0] / g[1] +
                         g[5] * g[2] * series1 / g[3] / g[4]);
    written = true;
    return 1;
  }

 private:
  double cMinusA_;
  double cMinusB_;
  double cMinusAMinusB_;
  double aPlusBMinusC_;
  double firstC_;
  double secondC_;
  CoefficientTable first_;
  CoefficientTable second_;
  double gamma_[7] = {};
  int32_t status_[7] = {};
};

}  // namespace

namespace detail {

// Everything HypergeometricF does for one (a, b, c), with what depends on (a, b, c) alone
// kept between arguments.
class HypergeometricShape {
 public:
  HypergeometricShape(double a, double b, double c)
      : a_(a), b_(b), c_(c), series_(a, b, c), d_(c - a - b) {
    const double nearest = RoundHalfEven(d_);
    nearWhole_ = std::fabs(d_ - nearest) <= kIntegerTolerance;
    nearest_ = nearest;
  }

  // `written` tells whether `result` was assigned (a failure may or may not assign it).
  int32_t Evaluate(double x, double& result, FaultRecord& faults, bool& written) {
    if (std::fabs(x) <= 0.5) {
      double derivative = 0.0;
      written = true;  // the series writes its partial sums into result from the start
      return SumSeries(series_, x, result, derivative);
    }
    if (x > 0.5 && x < 1.0) {
      const double w = 1.0 - x;
      faults.Note(d_);
      if (nearWhole_) {
        if (nearest_ == 0.0) {
          if (!logarithmic_) logarithmic_ = std::make_unique<LogarithmicTerms>(a_, b_);
          return LogarithmicCase(*logarithmic_, w, result, faults, written);
        }
        return IntegerLogarithmicCase(a_, b_, c_, w, nearest_, result, faults, written);
      }
      if (!general_) general_ = std::make_unique<GeneralTerms>(a_, b_, c_);
      return general_->Evaluate(w, result, faults, written);
    }
    if (x < -0.5) {
      const double y = faults.Note(x / faults.Note(x - 1.0));  // in (1/3, 1)
      // Only a value that the inner evaluation produced is scaled: when it leaves its output
      // alone, the caller's previous value must stay as it was, not be rescaled.
      double inner = result;
      bool innerWritten = false;
      faults.Note(c_ - b_);
      if (!pfaff_) pfaff_ = std::make_unique<HypergeometricShape>(a_, c_ - b_, c_);
      const int32_t status = pfaff_->Evaluate(y, inner, faults, innerWritten);
      if (innerWritten) {
        result = faults.Note(inner * faults.Note(std::pow(1.0 - x, -a_)));
        written = true;
      }
      return status;
    }
    return 0;  // x >= 1, or NaN
  }

  double A() const { return a_; }
  double B() const { return b_; }
  double C() const { return c_; }

 private:
  double a_;
  double b_;
  double c_;
  CoefficientTable series_;
  double d_;  // c - a - b
  double nearest_ = 0.0;
  bool nearWhole_ = false;
  std::unique_ptr<LogarithmicTerms> logarithmic_;
  std::unique_ptr<GeneralTerms> general_;
  std::unique_ptr<HypergeometricShape> pfaff_;  // (a, c - b, c)
};

}  // namespace detail

int32_t HypergeometricSeries(double a, double b, double c, double x, double& F, double& dF) {
  RunningCoefficients coefficients{a, b, c};
  return SumSeries(coefficients, x, F, dF);
}

int32_t HypergeometricF(double a, double b, double c, double x, double& result,
                        bool* arithmeticFault) {
  detail::HypergeometricShape shape(a, b, c);
  FaultRecord faults;
  bool written = false;
  const int32_t status = shape.Evaluate(x, result, faults, written);
  if (faults.any && arithmeticFault != nullptr) *arithmeticFault = true;
  return status;
}

HypergeometricEvaluator::HypergeometricEvaluator(double a, double b, double c)
    : shape_(std::make_unique<detail::HypergeometricShape>(a, b, c)) {}

HypergeometricEvaluator::~HypergeometricEvaluator() = default;
HypergeometricEvaluator::HypergeometricEvaluator(HypergeometricEvaluator&&) noexcept = default;
HypergeometricEvaluator& HypergeometricEvaluator::operator=(HypergeometricEvaluator&&) noexcept =
    default;

HypergeometricEvaluator::HypergeometricEvaluator(const HypergeometricEvaluator& other)
    : shape_(std::make_unique<detail::HypergeometricShape>(other.A(), other.B(), other.C())) {}

HypergeometricEvaluator& HypergeometricEvaluator::operator=(const HypergeometricEvaluator& other) {
  if (this != &other) {
    shape_ = std::make_unique<detail::HypergeometricShape>(other.A(), other.B(), other.C());
  }
  return *this;
}

double HypergeometricEvaluator::A() const { return shape_->A(); }
double HypergeometricEvaluator::B() const { return shape_->B(); }
double HypergeometricEvaluator::C() const { return shape_->C(); }

int32_t HypergeometricEvaluator::Evaluate(double x, double& result, bool* arithmeticFault) {
  FaultRecord faults;
  bool written = false;
  const int32_t status = shape_->Evaluate(x, result, faults, written);
  if (faults.any && arithmeticFault != nullptr) *arithmeticFault = true;
  return status;
}

}  // namespace quarvel
