// Gamma, log-gamma, digamma and the hypergeometric function: accuracy against closed forms and
// high-precision values over every branch (the model itself only reaches the series and the
// logarithmic case), statuses, what a failure leaves in the output, and the fault flag.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <vector>

#include "special/hypergeometric.h"
#include "special/special_detail.h"
#include "support/digest.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");
constexpr double kUntouched = 123.456;          // an output a failure must leave alone
constexpr double kPsiOne = -0.577215664901533;  // the constant the digamma tables start from
const double kSqrtPi = std::sqrt(3.14159265358979323846);
const double kPsiHalf = kPsiOne - (std::log(2.0) + std::log(2.0));  // half-integer entry 0

// psi(x) for x > 0 to about 1e-15: psi(x) = psi(x + 1) - 1/x up to x >= 20, then the
// asymptotic expansion ln x - 1/(2x) - 1/(12x^2) + 1/(120x^4) - 1/(252x^6).
double ReferencePsi(double x) {
  long double shift = 0.0L;
  long double y = x;
  for (; y < 20.0L; y += 1.0L) shift += 1.0L / y;
  const long double s = 1.0L / (y * y);
  return static_cast<double>(std::log(y) - 0.5L / y - s * (1.0L / 12 - s * (1.0L / 120 - s / 252)) -
                             shift);
}

// Beyond the tables the digamma series stops after N = 100000 terms; its partial sum is
// psi(x) - psi(1) - (psi(N + x) - psi(N + 1)), about (x - 1) / N short of psi(x).
double TruncatedPsi(double x) {
  return ReferencePsi(x) - (ReferencePsi(100000.0 + x) - ReferencePsi(100001.0));
}

// Tolerance absolute, 0 for bit-exact.
TEST(GammaAndDigamma, Values) {
  struct Row { const char* name; int32_t (*function)(double, double&); double x; int32_t status;
      double expected, tolerance; };
  const Row rows[] = {
      // (n - 1)!, sqrt(pi), -2 sqrt(pi), to the Lanczos approximation's 2e-10 relative.
      {"gamma(5) = 4!", GammaFunction, 5.0, 1, 24.0, 24.0 * 2e-10},
      {"gamma(1/2)", GammaFunction, 0.5, 1, kSqrtPi, 2e-10},
      {"gamma(-1/2) by reflection", GammaFunction, -0.5, 1, -2.0 * kSqrtPi, 4e-10},
      {"ln gamma(1) = 0", LogGamma, 1.0, 1, 0.0, 1e-15},
      {"ln gamma(10) = ln 9!", LogGamma, 10.0, 1, std::log(362880.0), 2e-10},
      // Tables by the recurrence psi(x + 1) = psi(x) + 1/x; their last entries hold about 1000
      // rounded additions.
      {"psi(1)", Digamma, 1.0, 1, kPsiOne, 0.0},
      {"psi(0.5) = psi(1) - 2 ln 2", Digamma, 0.5, 1, kPsiHalf, 0.0},
      {"psi(1000), last integer entry", Digamma, 1000.0, 1, ReferencePsi(1000.0), 1e-12},
      {"psi(999.5), last half-integer entry", Digamma, 999.5, 1, ReferencePsi(999.5), 1e-12},
      // The series runs out of terms: about 0.00995 and 1.7e-5 short of psi.
      {"psi(1001), just past the table", Digamma, 1001.0, 2, TruncatedPsi(1001.0), 1e-9},
      {"psi(2.7)", Digamma, 2.7, 2, TruncatedPsi(2.7), 1e-9},
      // x = 2^-30: after the first term (about -1/x) the terms, about -1/(k(k - 1)), stop
      // changing the sum within a few thousand. psi(x) = -1/x - Euler's constant + O(x).
      {"series that settles", Digamma, std::ldexp(1.0, -30), 1, -std::ldexp(1.0, 30) + kPsiOne,
       1e-3},
  };
  for (const Row& row : rows) {
    double result = kUntouched;
    EXPECT_EQ(row.function(row.x, result), row.status) << row.name;
    EXPECT_NEAR(result, row.expected, row.tolerance) << row.name;
  }
  // Each table is filled once, on first use, and never again.
  EXPECT_EQ(detail::DigammaIntegerTableFillCount(), 1);
  EXPECT_EQ(detail::DigammaHalfIntegerTableFillCount(), 1);
}

// Status 0 and the output left alone. Gamma: the poles 0 and -2, overflow from 172 on, -inf, and
// a reflection whose gamma(1 - x) overflows. Log gamma: 0, and x ln x overflowing. Digamma: the
// poles -3 and 0, a negative half-integer (no table index), (k + x - 1) k overflowing, and
// 1 + x - 1 rounding to 0 (division by zero).
TEST(GammaAndDigamma, FailuresLeaveTheOutputAlone) {
  const struct { int32_t (*function)(double, double&); double x; } rows[] = {
      {GammaFunction, 0.0}, {GammaFunction, -2.0}, {GammaFunction, 172.0}, {GammaFunction, -kInf},
      {GammaFunction, -171.5}, {LogGamma, 0.0},   {LogGamma, 1e308},     {Digamma, -3.0},
      {Digamma, -0.5},      {Digamma, 0.0},        {Digamma, 1e305},      {Digamma, 1e-300},
      {GammaFunction, 1e308}};  // its log gamma fails first
  for (const auto& row : rows) {
    double result = kUntouched;
    EXPECT_EQ(row.function(row.x, result), 0) << row.x;
    EXPECT_EQ(result, kUntouched) << row.x;
  }
}

// 2F1(1, 1; 2; x) = -ln(1 - x) / x with derivative (x / (1 - x) + ln(1 - x)) / x^2; at x = 0 the
// sums are 1 and a b / c. A failure leaves the outputs alone, or the partial sums written so far.
// Status -1: more than one term.
TEST(HypergeometricSeries, SumsAndPartialSums) {
  struct Row { const char* name; double a, b, c, x; int32_t status; double F, dF, tolerance; };
  const double x = 0.3;
  const double y = 0.999;
  const Row rows[] = {
      {"x = 0", 2.0, 3.0, 4.0, 0.0, 1, 1.0, 2.0 * 3.0 / 4.0, 0.0},
      {"closed form", 1.0, 1.0, 2.0, x, -1, -std::log1p(-x) / x,
       (x / (1.0 - x) + std::log1p(-x)) / (x * x), 1e-14},
      {"x = 1", 1.0, 0.5, 1.5, 1.0, 0, kUntouched, kUntouched, 0.0},
      // 2F1(1, 1; 1; y) after 1000 terms: the geometric partial sums (1 - y^1001) / (1 - y) and
      // sum k y^(k - 1) = (1 - 1001 y^1000 + 1000 y^1001) / (1 - y)^2.
      {"no convergence keeps the partial sums", 1.0, 1.0, 1.0, y, 0,
       (1.0 - std::pow(y, 1001)) / (1.0 - y),
       (1.0 - 1001 * std::pow(y, 1000) + 1000 * std::pow(y, 1001)) / ((1.0 - y) * (1.0 - y)),
       1e-9},
      // c = -1: the first term is fine (F = 1 - 2 x, dF = a b / c = -2), then C = 0.
      {"division by zero in the second term", 1.0, 2.0, -1.0, 0.25, 0, 0.5, -2.0, 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double F = kUntouched;
    double dF = kUntouched;
    const int32_t status = HypergeometricSeries(row.a, row.b, row.c, row.x, F, dF);
    EXPECT_TRUE(row.status < 0 ? status > 1 : status == row.status) << status;
    EXPECT_NEAR(F, row.F, row.tolerance * std::fabs(row.F));
    EXPECT_NEAR(dF, row.dF, row.tolerance * std::fabs(row.dF));
  }
}

double AtanhForm(double x) { return std::atanh(std::sqrt(x)) / std::sqrt(x); }
double AtanForm(double x) { return std::atan(std::sqrt(-x)) / std::sqrt(-x); }

// Expected kUntouched: the output as it was; tolerance relative, 0 for bit-exact.
TEST(HypergeometricF, AgainstClosedFormsAndReferences) {
  struct Row { const char* name; double a, b, c, x; int32_t status; double expected, tolerance;
      bool fault = false; };
  const Row rows[] = {
      // 2F1(1, 1/2; 3/2; x) = atanh(sqrt x) / sqrt x, for x < 0 atan(sqrt(-x)) / sqrt(-x). 47
      // terms: 0.5^k / (2k + 1) first falls below half an ulp of the sum at k = 47.
      {"series, bit-exact", 1.0, 0.5, 1.5, 0.5, 47, AtanhForm(0.5), 0.0},
      {"logarithmic case 0.99", 1.0, 0.5, 1.5, 0.99, 1, AtanhForm(0.99), 1e-12},
      {"Pfaff into the series", 1.0, 0.5, 1.5, -0.8, 43, AtanForm(-0.8), 1e-15},
      {"Pfaff into the general case", 1.0, 0.5, 1.5, -50.0, 1, AtanForm(-50.0), 1e-12},
      // References: mpmath hyp2f1 at 30 digits. General case: c - a - b = 0.5.
      {"general case", 0.5, 0.25, 1.25, 0.8, 1, 1.13655503853394371114804412384, 1e-12},
      // c - a - b a non-zero whole number, each with its own logarithmic form; 2F1(1, 1; 3; x) =
      // 2 (x + (1 - x) ln(1 - x)) / x^2, and 2F1(a, b; b; x) = (1 - x)^-a (the first gamma pole
      // ends the second sum at once).
      {"c = a + b + 1", 1.0, 1.0, 3.0, 0.9, 1, 2.0 * (0.9 + 0.1 * std::log(0.1)) / 0.81, 1e-12},
      {"c = a + b - 1, terminating part only", 1.0, 1.0, 1.0, 0.9, 1, 10.0, 1e-13},
      {"c = a + b - 1", 1.5, 0.5, 1.0, 0.9, 1, 7.03321438851522828968673281306, 1e-12},
      {"c = a + b + 2", 2.0, 1.5, 5.5, 0.95, 1, 2.34019121035041772667414321596, 1e-12},
      // The model's 2F1(1, 1/n; 1 + 1/n; x), n = 3: the digamma values come from the
      // 100000-term series and carry its truncation (about 1.4e-6 relative here).
      {"model shape n = 3", 1.0, 1.0 / 3, 4.0 / 3, 0.6, 1, 1.24305258282010782341779133507, 3e-6},
      {"n = 3, Pfaff", 1.0, 1.0 / 3, 4.0 / 3, -3.0, 1, 0.690229424489478336090672289037, 1e-12},
      {"x = 1", 1.0, 0.5, 1.5, 1.0, 0, kUntouched, 0.0},
      // Regression: the Pfaff case used to rescale the caller's value when the inner
      // evaluation (the general case with gamma(c - a) at its pole) failed without writing.
      {"Pfaff over a failed inner evaluation", 0.5, 0.2, 0.5, -3.0, 0, kUntouched, 0.0},
      // (1e-10)^-40 overflows (c - a - b = -40): written as computed, status unchanged.
      {"overflow", 20.5, 20.5, 1.0, 1.0 - 1e-10, 1, kInf, 0.0, true},
      // x / (x - 1) is NaN; the inner evaluation then fails without writing.
      {"x = -inf", 1.0, 0.5, 1.5, -kInf, 0, kUntouched, 0.0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    bool fault = false;
    EXPECT_EQ(HypergeometricF(row.a, row.b, row.c, row.x, result, &fault), row.status);
    EXPECT_TRUE(result == row.expected ||
                std::fabs(result - row.expected) <= row.tolerance * std::fabs(row.expected))
        << result;
    EXPECT_EQ(fault, row.fault);
    EXPECT_EQ(HypergeometricF(row.a, row.b, row.c, row.x, result), row.status);  // no flag
  }
}

// HypergeometricEvaluator keeps what depends on (a, b, c) between arguments, and must give what
// a fresh evaluation gives to the last bit, in status, value, fault flag and what a failure
// leaves in the output. The sweep: the model's shape for n = 2, 3, 1 and 0.7 (series, Pfaff,
// general and logarithmic case), the general case, c - a - b = 1, -1, 2 and -40, and shapes that
// fail or fault, at 258 arguments from -inf to NaN, forward and then backward.
TEST(HypergeometricEvaluator, GivesWhatFreshEvaluationsGaveToTheLastBit) {
  struct Shape { double a, b, c; };
  const Shape shapes[] = {
      {1.0, 0.5, 1.5}, {1.0, 1.0 / 3.0, 1.0 + 1.0 / 3.0}, {1.0, 1.0, 2.0},
      {1.0, 1.0 / 0.7, 1.0 + 1.0 / 0.7}, {0.5, 0.25, 1.25}, {1.0, 1.0, 3.0}, {1.5, 0.5, 1.0},
      {2.0, 1.5, 5.5}, {0.0, 1.0, 1.0}, {0.5, 0.2, 0.5}, {1.0, 1.0, 0.0}, {20.5, 20.5, 1.0},
      {1.0, 2.0, -1.0}};
  std::vector<double> xs;
  for (int i = 0; i <= 240; ++i) xs.push_back(-3.0 + i * (4.2 / 240));  // -3 .. 1.2
  xs.insert(xs.end(), {-60.0, -50.0, -10.0, -1e300, 0.5, -0.5, 0.9999999, 1.0 - 1e-10, 1.0, 2.0,
                       0.0, -0.0, 1e-300, -1e-300, kInf, -kInf, kNaN});
  // A digest of (status, result, fault), each evaluation starting from the output 123.456.
  test::Digest digest;
  for (const Shape& shape : shapes) {
    HypergeometricEvaluator evaluator(shape.a, shape.b, shape.c);
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t j = 0; j < xs.size(); ++j) {
        double result = kUntouched;
        bool fault = false;
        digest.Add(evaluator.Evaluate(xs[pass == 0 ? j : xs.size() - 1 - j], result, &fault));
        digest.Add(result);
        digest.Add(fault);
      }
    }
  }
  // The digest of the same sweep through fresh HypergeometricF evaluations.
  EXPECT_EQ(digest.value, 0xae50e27d179d0d01ULL) << std::hex << digest.value;
}

}  // namespace
}  // namespace quarvel
