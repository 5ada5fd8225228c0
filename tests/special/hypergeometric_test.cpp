// Hypergeometric series and function: accuracy against closed forms and reference values,
// statuses, what a failure leaves in the output, and the fault flag.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <vector>

#include "special/hypergeometric.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");
constexpr double kUntouched = 123.456;

TEST(HypergeometricSeries, Table) {
  struct Row {
    const char* name;
    double a, b, c, x;
    int32_t status;  // -1: more than one term
    double F, dF;    // expected sums (kUntouched: not written)
    double tolerance;
  };
  // 2F1(1, 1; 2; x) = -ln(1 - x) / x, derivative (x / (1 - x) + ln(1 - x)) / x^2;
  // 2F1(1, 1; 1; x) = sum of x^k; at x = 0 the sums are 1 and a b / c.
  const double x = 0.3;
  const double y = 0.999;
  const Row rows[] = {
      {"x = 0", 2.0, 3.0, 4.0, 0.0, 1, 1.0, 2.0 * 3.0 / 4.0, 0.0},
      {"closed form", 1.0, 1.0, 2.0, x, -1, -std::log1p(-x) / x,
       (x / (1.0 - x) + std::log1p(-x)) / (x * x), 1e-14},
      {"x = 1", 1.0, 0.5, 1.5, 1.0, 0, kUntouched, kUntouched, 0.0},
      {"x = -1", 1.0, 0.5, 1.5, -1.0, 0, kUntouched, kUntouched, 0.0},
      {"x = nan", 1.0, 0.5, 1.5, kNaN, 0, kUntouched, kUntouched, 0.0},
      // After 1000 terms at y = 0.999 the sums hold the geometric partial sums
      // (1 - y^1001) / (1 - y) and sum k y^(k - 1) = (1 - 1001 y^1000 + 1000 y^1001) / (1 - y)^2.
      {"no convergence keeps the partial sums", 1.0, 1.0, 1.0, y, 0,
       (1.0 - std::pow(y, 1001)) / (1.0 - y),
       (1.0 - 1001 * std::pow(y, 1000) + 1000 * std::pow(y, 1001)) / ((1.0 - y) * (1.0 - y)),
       1e-9},
      // (A B / C) t in this order: A B overflows before the division brings it back.
      {"a b overflows before the division by c", 1e200, 1e200, 1e200, 0.25, 0, 0.0, 0.0, 0.0},
      // c = 0 divides by zero in the first term, after the sums were set to 0.
      {"division by zero at once", 1.0, 1.0, 0.0, 0.25, 0, 0.0, 0.0, 0.0},
      // c = -1: first term fine (F = 1 - 2 x, dF = a b / c = -2), then C = 0.
      {"division by zero in the second term", 1.0, 2.0, -1.0, 0.25, 0, 0.5, -2.0, 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double F = kUntouched;
    double dF = kUntouched;
    const int32_t status = HypergeometricSeries(row.a, row.b, row.c, row.x, F, dF);
    if (row.status < 0) {
      EXPECT_GT(status, 1);
    } else {
      EXPECT_EQ(status, row.status);
    }
    EXPECT_NEAR(F, row.F, row.tolerance * std::fabs(row.F));
    EXPECT_NEAR(dF, row.dF, row.tolerance * std::fabs(row.dF));
  }
}

double AtanhForm(double x) { return std::atanh(std::sqrt(x)) / std::sqrt(x); }
double AtanForm(double x) { return std::atan(std::sqrt(-x)) / std::sqrt(-x); }
// 2F1(1, 1; 3; x) = 2 (x + (1 - x) ln(1 - x)) / x^2 (the sum of 2 x^k / ((k + 1)(k + 2))).
double OneOneThree(double x) { return 2.0 * (x + (1.0 - x) * std::log1p(-x)) / (x * x); }

TEST(HypergeometricF, AgainstClosedFormsReferencesFailuresAndFaults) {
  struct Row {
    const char* name;
    double a, b, c, x;
    int32_t status;
    double expected;           // kUntouched: output as it was
    double relativeTolerance;  // 0: bit-exact
    bool fault;
  };
  const Row rows[] = {
      // 2F1(1, 1/2; 3/2; x) = atanh(sqrt x) / sqrt x. 47 terms: 0.5^k / (2k + 1) first falls
      // below half an ulp of the sum at k = 47.
      {"series, bit-exact", 1.0, 0.5, 1.5, 0.5, 47, AtanhForm(0.5), 0.0, false},
      {"logarithmic case 0.6", 1.0, 0.5, 1.5, 0.6, 1, AtanhForm(0.6), 1e-12, false},
      {"logarithmic case 0.9", 1.0, 0.5, 1.5, 0.9, 1, AtanhForm(0.9), 1e-12, false},
      {"logarithmic case 0.99", 1.0, 0.5, 1.5, 0.99, 1, AtanhForm(0.99), 1e-12, false},
      // For x < 0 the same function is atan(sqrt(-x)) / sqrt(-x).
      {"Pfaff into the series", 1.0, 0.5, 1.5, -0.8, 43, AtanForm(-0.8), 1e-15, false},
      {"Pfaff into the general case -3", 1.0, 0.5, 1.5, -3.0, 1, AtanForm(-3.0), 1e-12, false},
      {"Pfaff into the general case -50", 1.0, 0.5, 1.5, -50.0, 1, AtanForm(-50.0), 1e-12, false},
      // Reference: mpmath hyp2f1 at 30 digits (c - a - b = 0.5).
      {"general case", 0.5, 0.25, 1.25, 0.8, 1, 1.13655503853394371114804412384, 1e-12, false},
      // c - a - b a non-zero whole number, each with its own logarithmic form.
      {"c = a + b + 1", 1.0, 1.0, 3.0, 0.9, 1, OneOneThree(0.9), 1e-12, false},
      // 2F1(a, b; b; x) = (1 - x)^-a.
      {"c = a + b - 1, terminating part only", 1.0, 1.0, 1.0, 0.9, 1, 10.0, 1e-13, false},
      // References: mpmath hyp2f1 at 30 digits.
      {"c = a + b - 1", 1.5, 0.5, 1.0, 0.9, 1, 7.03321438851522828968673281306, 1e-12, false},
      {"c = a + b + 2", 2.0, 1.5, 5.5, 0.95, 1, 2.34019121035041772667414321596, 1e-12, false},
      // The model's 2F1(1, 1/n; 1 + 1/n; x). For n = 3 the digamma values come from the
      // 100000-term series and carry its truncation (about 1.4e-6 relative here).
      {"model shape n = 3", 1.0, 1.0 / 3, 4.0 / 3, 0.6, 1, 1.24305258282010782341779133507,
       3e-6, false},
      {"model shape n = 3, Pfaff", 1.0, 1.0 / 3, 4.0 / 3, -3.0, 1,
       0.690229424489478336090672289037, 1e-12, false},
      {"x = 1", 1.0, 0.5, 1.5, 1.0, 0, kUntouched, 0.0, false},
      {"x = 2", 1.0, 0.5, 1.5, 2.0, 0, kUntouched, 0.0, false},
      {"x = nan", 1.0, 0.5, 1.5, kNaN, 0, kUntouched, 0.0, false},
      {"pole of gamma(a) in the logarithmic case", 0.0, 1.0, 1.0, 0.9, 0, kUntouched, 0.0, false},
      {"pole of gamma(c - a) in the general case", 0.5, 0.2, 0.5, 0.9, 0, kUntouched, 0.0, false},
      // Regression: the Pfaff case used to rescale the caller's value when the inner
      // evaluation (the general case with gamma(c - a) at its pole) failed without writing.
      {"Pfaff over a failed inner evaluation", 0.5, 0.2, 0.5, -3.0, 0, kUntouched, 0.0, false},
      // The series divides by c = 0: a failure of the series (partial sum 0), not a fault.
      {"failing series is not a fault", 1.0, 1.0, 0.0, 0.25, 0, 0.0, 0.0, false},
      // (1e-10)^(c - a - b) = (1e-10)^-40 overflows: written as computed, status unchanged.
      {"overflow in the general case", 20.25, 20.25, 0.5, 1.0 - 1e-10, 1, kInf, 0.0, true},
      // x / (x - 1) is NaN; the inner evaluation then fails without writing.
      {"x = -inf", 1.0, 0.5, 1.5, -kInf, 0, kUntouched, 0.0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    bool fault = false;
    EXPECT_EQ(HypergeometricF(row.a, row.b, row.c, row.x, result, &fault), row.status);
    if (row.relativeTolerance == 0.0) {
      EXPECT_EQ(result, row.expected);
    } else {
      EXPECT_NEAR(result, row.expected, row.relativeTolerance * std::fabs(row.expected));
    }
    EXPECT_EQ(fault, row.fault);
    EXPECT_EQ(HypergeometricF(row.a, row.b, row.c, row.x, result), row.status);  // no flag
  }
}

// HypergeometricEvaluator keeps what depends on (a, b, c) between arguments. It must give what
// a fresh HypergeometricF gives, to the last bit, in status, value, fault flag and in what a
// failure leaves in the output.

struct Shape {
  double a, b, c;
};

// Every case of the evaluation: the model's 2F1(1, 1/n; 1 + 1/n; x) for n = 2, 3, 1 and 0.7
// (series, Pfaff into the series, the general case and the logarithmic case), the general
// case, c - a - b = 1, -1 and 2, and shapes that fail or fault.
const Shape kShapes[] = {{1.0, 0.5, 1.5},    {1.0, 1.0 / 3.0, 1.0 + 1.0 / 3.0},
                         {1.0, 1.0, 2.0},    {1.0, 1.0 / 0.7, 1.0 + 1.0 / 0.7},
                         {0.5, 0.25, 1.25},  {1.0, 1.0, 3.0},
                         {1.5, 0.5, 1.0},    {2.0, 1.5, 5.5},
                         {0.0, 1.0, 1.0},    {0.5, 0.2, 0.5},
                         {1.0, 1.0, 0.0},    {20.25, 20.25, 0.5},
                         {1.0, 2.0, -1.0}};

std::vector<double> SweepArguments() {
  std::vector<double> x;
  for (int i = 0; i <= 240; ++i) x.push_back(-3.0 + i * (4.2 / 240));  // -3 .. 1.2
  for (const double v : {-60.0, -50.0, -10.0, -1e300, 0.5, -0.5, 0.9999999, 1.0 - 1e-10, 1.0,
                         2.0, 0.0, -0.0, 1e-300, -1e-300, kInf, -kInf, kNaN}) {
    x.push_back(v);
  }
  return x;
}

void Mix(uint64_t& h, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    h ^= bytes[i];
    h *= 0x100000001b3ULL;
  }
}

// FNV-1a over (status, result, fault) of every shape and argument, each shape's arguments
// forward and then backward, starting from the output 123.456.
template <class Evaluate>
uint64_t SweepDigest(Evaluate&& evaluate) {
  uint64_t h = 0xcbf29ce484222325ULL;
  const std::vector<double> xs = SweepArguments();
  for (std::size_t s = 0; s < std::size(kShapes); ++s) {
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t j = 0; j < xs.size(); ++j) {
        const double x = xs[pass == 0 ? j : xs.size() - 1 - j];
        double result = kUntouched;
        bool fault = false;
        const int32_t status = evaluate(s, x, result, &fault);
        Mix(h, &status, sizeof status);
        Mix(h, &result, sizeof result);
        Mix(h, &fault, sizeof fault);
      }
    }
  }
  return h;
}

// The digest of the sweep through HypergeometricF as it was before it kept anything between
// arguments (a fresh evaluation of every step for every call).
constexpr uint64_t kSweepDigestOfFreshEvaluations = 0xd292edbaf3f295f3ULL;

TEST(HypergeometricEvaluator, GivesWhatFreshEvaluationsGaveToTheLastBit) {
  std::vector<HypergeometricEvaluator> evaluators;
  for (const Shape& shape : kShapes) evaluators.emplace_back(shape.a, shape.b, shape.c);
  EXPECT_EQ(SweepDigest([&](std::size_t s, double x, double& result, bool* fault) {
              return evaluators[s].Evaluate(x, result, fault);
            }),
            kSweepDigestOfFreshEvaluations);
}

TEST(HypergeometricEvaluator, CopyStartsAfreshWithTheSameShape) {
  HypergeometricEvaluator original(1.0, 0.5, 1.5);
  double warm = 0.0;
  original.Evaluate(0.9, warm);
  HypergeometricEvaluator copy = original;
  double fresh = 0.0;
  EXPECT_EQ(copy.Evaluate(0.9, fresh), 1);
  EXPECT_EQ(fresh, warm);
}

}  // namespace
}  // namespace quarvel
