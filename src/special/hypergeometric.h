#pragma once
// Gauss hypergeometric function 2F1 with the gamma, log-gamma and digamma functions it needs.
// Every function returns a status and writes its value through an output argument; a failed
// call leaves the output untouched except where stated.

#include <cstdint>
#include <memory>

namespace quarvel {

namespace detail {
class HypergeometricShape;
}  // namespace detail

// Power series of 2F1(a, b; c; x) and of its derivative, for |x| < 1.
// Returns the number of terms at convergence (>= 1), or 0 on failure (|x| >= 1, no
// convergence within 1000 terms, or a non-finite intermediate). F and dF hold the partial
// sums written so far.
int32_t HypergeometricSeries(double a, double b, double c, double x, double& F, double& dF);

// 2F1(a, b; c; x) for any x < 1. Returns 0 on failure, otherwise a success status (the term
// count in the series range |x| <= 0.5, else 1). When its own arithmetic produces a
// non-finite value (which the caller must treat as a fault), *arithmeticFault is set to true
// if given; the status values are unchanged by this.
// A failure leaves result untouched, except that a failed series (|x| <= 0.5) leaves its
// partial sum and a logarithmic sum that did not settle (status 0) is still written; for
// x < -0.5 only a value written by the inner evaluation is rescaled. When c - a - b is within
// 1e-6 of a whole number m, the logarithmic form for that m is used.
int32_t HypergeometricF(double a, double b, double c, double x, double& result,
                        bool* arithmeticFault = nullptr);

// 2F1(a, b; c; x) for one fixed (a, b, c) and many x: Evaluate returns, writes and flags
// exactly what HypergeometricF(a, b, c, x, ...) would, to the last bit. What depends on
// (a, b, c) alone (the series coefficients, the digamma and gamma values of the logarithmic
// and general cases, the same for the Pfaff transformation's (a, c - b, c)) is computed on
// first use and kept. Not safe for concurrent use; a copy starts with empty tables.
class HypergeometricEvaluator {
 public:
  HypergeometricEvaluator(double a, double b, double c);
  ~HypergeometricEvaluator();
  HypergeometricEvaluator(const HypergeometricEvaluator& other);
  HypergeometricEvaluator& operator=(const HypergeometricEvaluator& other);
  HypergeometricEvaluator(HypergeometricEvaluator&&) noexcept;
  HypergeometricEvaluator& operator=(HypergeometricEvaluator&&) noexcept;

  int32_t Evaluate(double x, double& result, bool* arithmeticFault = nullptr);

  double A() const;
  double B() const;
  double C() const;

 private:
  std::unique_ptr<detail::HypergeometricShape> shape_;
};

// Gamma function by the Lanczos approximation and reflection. 1 = success, 0 = failure.
int32_t GammaFunction(double x, double& result);

// Log-gamma by the Lanczos approximation, x > 0. 1 = success, 0 = failure.
int32_t LogGamma(double x, double& result);

// Digamma: tables for whole and half-integer x <= 1000, else a series of up to 100000 terms.
// 0 = failure, 1 = success, 2 = value computed but the series did not converge.
int32_t Digamma(double x, double& result);

}  // namespace quarvel
