// Gamma, log-gamma and digamma: values, statuses, untouched outputs on failure, and the
// one-time, thread-safe filling of the digamma tables.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

#include "special/hypergeometric.h"
#include "special/special_detail.h"

namespace quarvel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");
constexpr double kUntouched = 123.456;
constexpr double kPsiOne = -0.577215664901533;  // the constant the tables start from
const double kSqrtPi = std::sqrt(3.14159265358979323846);
const double kPsiHalf = kPsiOne - (std::log(2.0) + std::log(2.0));  // table entry 0

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

// Beyond the tables the digamma series stops after N = 100000 terms. Its partial sum equals
// psi(x) - psi(1) - (psi(N + x) - psi(N + 1)), so the value falls short by about (x - 1) / N.
double TruncatedPsi(double x) {
  return ReferencePsi(x) - (ReferencePsi(100000.0 + x) - ReferencePsi(100001.0));
}

using Function = int32_t (*)(double, double&);

struct Row {
  const char* name;
  Function function;
  double x;
  int32_t status;
  double expected;   // kUntouched where the call must fail without writing
  double tolerance;  // absolute; 0 means bit-exact
};

const Row kRows[] = {
    // Closed forms gamma(n) = (n - 1)!, gamma(1/2) = sqrt(pi), gamma(-1/2) = -2 sqrt(pi);
    // tolerance: the Lanczos approximation's accuracy, about 2e-10 relative.
    {"gamma(5) = 4!", GammaFunction, 5.0, 1, 24.0, 24.0 * 2e-10},
    {"gamma(1/2)", GammaFunction, 0.5, 1, kSqrtPi, 2e-10},
    {"gamma(-1/2) by reflection", GammaFunction, -0.5, 1, -2.0 * kSqrtPi, 4e-10},
    {"gamma at the pole 0", GammaFunction, 0.0, 0, kUntouched, 0.0},
    {"gamma at the pole -2", GammaFunction, -2.0, 0, kUntouched, 0.0},
    {"gamma overflows from 172 on", GammaFunction, 172.0, 0, kUntouched, 0.0},
    {"gamma of -inf", GammaFunction, -kInf, 0, kUntouched, 0.0},
    {"gamma of nan", GammaFunction, kNaN, 0, kUntouched, 0.0},
    {"ln gamma(1) = 0", LogGamma, 1.0, 1, 0.0, 1e-15},
    {"ln gamma(10) = ln 9!", LogGamma, 10.0, 1, std::log(362880.0), 2e-10},
    {"ln gamma(0) fails", LogGamma, 0.0, 0, kUntouched, 0.0},
    {"ln gamma: x ln x overflows", LogGamma, 1e308, 0, kUntouched, 0.0},
    // Table values, rebuilt by the same recurrences: psi(k + 1) = psi(k) + 1/k.
    {"psi(1)", Digamma, 1.0, 1, kPsiOne, 0.0},
    {"psi(3)", Digamma, 3.0, 1, (kPsiOne + 1.0 / 1) + 1.0 / 2, 0.0},
    {"psi(0.5) = psi(1) - 2 ln 2", Digamma, 0.5, 1, kPsiHalf, 0.0},
    {"psi(1.5) = psi(0.5) + 2", Digamma, 1.5, 1, kPsiHalf + 1.0 / 0.5, 0.0},
    // The table ends hold about 1000 rounded additions.
    {"psi(1000), last integer entry", Digamma, 1000.0, 1, ReferencePsi(1000.0), 1e-12},
    {"psi(999.5), last half-integer entry", Digamma, 999.5, 1, ReferencePsi(999.5), 1e-12},
    // Series that runs out of terms: about 0.00995 and 1.7e-5 short of psi.
    {"psi(1001), just past the table", Digamma, 1001.0, 2, TruncatedPsi(1001.0), 1e-9},
    {"psi(2.7)", Digamma, 2.7, 2, TruncatedPsi(2.7), 1e-9},
    // x = 2^-30: the terms after the first (about -1/(k(k - 1))) stop changing a sum of
    // size 2^30 after a few thousand terms. psi(x) = -1/x - Euler's constant + O(x).
    {"series that settles", Digamma, std::ldexp(1.0, -30), 1, -std::ldexp(1.0, 30) + kPsiOne,
     1e-3},
    {"psi at the pole -3", Digamma, -3.0, 0, kUntouched, 0.0},
    {"negative half-integer has no table index", Digamma, -0.5, 0, kUntouched, 0.0},
    {"psi of -inf", Digamma, -kInf, 0, kUntouched, 0.0},
    {"psi of nan", Digamma, kNaN, 0, kUntouched, 0.0},
    {"psi: (k + x - 1) k overflows", Digamma, 1e305, 0, kUntouched, 0.0},
    {"psi: 1 + x - 1 rounds to 0, division by zero", Digamma, 1e-300, 0, kUntouched, 0.0},
};

TEST(GammaAndDigamma, Table) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(row.function(row.x, result), row.status);
    if (row.tolerance == 0.0) {
      EXPECT_EQ(result, row.expected);
    } else {
      EXPECT_NEAR(result, row.expected, row.tolerance);
    }
  }
}

// Each table is filled once, even when threads race for it on first use. Runs in a fresh
// process (the "threadsafe" death-test style starts the binary again), so the tables are
// really unfilled when the threads race. Exit code 0 when all is well.
int RaceForTheTables() {
  if (detail::DigammaIntegerTableFillCount() + detail::DigammaHalfIntegerTableFillCount() != 0) {
    return 2;
  }
  constexpr int kThreads = 8;
  std::vector<std::vector<double>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &seen] {
      for (int k = 0; k < 1000; ++k) {
        double value = 0.0;
        Digamma(t % 2 == 0 ? k + 1.0 : k + 0.5, value);  // half the threads start elsewhere
        seen[t].push_back(value);
        Digamma(t % 2 == 0 ? k + 0.5 : k + 1.0, value);
        seen[t].push_back(value);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 2; t < kThreads; ++t) {
    if (seen[t] != seen[t % 2]) return 3;
  }
  for (std::size_t i = 0; i < seen[0].size(); i += 2) {
    if (seen[0][i] != seen[1][i + 1] || seen[0][i + 1] != seen[1][i]) return 4;
  }
  const bool once = detail::DigammaIntegerTableFillCount() == 1 &&
                    detail::DigammaHalfIntegerTableFillCount() == 1;
  return once ? 0 : 5;
}

TEST(DigammaDeathTest, ConcurrentFirstUseFillsEachTableOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RaceForTheTables()), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quarvel
