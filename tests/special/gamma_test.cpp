// Gamma, log-gamma and digamma: accuracy, status values, untouched outputs on failure, and
// the one-time, thread-safe filling of the digamma tables.

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

// psi(x) for x > 0 to about 1e-15 relative: shift up by psi(x) = psi(x + 1) - 1/x until
// x >= 20, then the asymptotic expansion ln x - 1/(2x) - 1/(12x^2) + 1/(120x^4) - 1/(252x^6).
double ReferencePsi(double x) {
  long double shift = 0.0L;
  long double y = x;
  while (y < 20.0L) {
    shift += 1.0L / y;
    y += 1.0L;
  }
  const long double inverseSquare = 1.0L / (y * y);
  const long double value =
      std::log(y) - 0.5L / y -
      inverseSquare * (1.0L / 12 - inverseSquare * (1.0L / 120 - inverseSquare / 252));
  return static_cast<double>(value - shift);
}

// ---------------------------------------------------------------- gamma and log-gamma

TEST(GammaFunction, Values) {
  struct Row {
    const char* name;
    double x;
    double expected;
  };
  // Closed forms: gamma(n) = (n - 1)!, gamma(1/2) = sqrt(pi), gamma(-1/2) = -2 sqrt(pi),
  // gamma(-3/2) = 4/3 sqrt(pi), gamma(171) = 170! (reference: mpmath, 30 digits).
  // Tolerance: the accuracy of the six-term Lanczos approximation, about 2e-10 relative.
  const Row rows[] = {
      {"gamma(5) = 24", 5.0, 24.0},
      {"gamma(1) = 1", 1.0, 1.0},
      {"gamma(1/2) = sqrt(pi)", 0.5, kSqrtPi},
      {"gamma(-1/2) = -2 sqrt(pi)", -0.5, -2.0 * kSqrtPi},
      {"gamma(-3/2) = 4/3 sqrt(pi)", -1.5, 4.0 / 3.0 * kSqrtPi},
      {"gamma(171) = 170!", 171.0, 7.25741561530799896739672821113e+306},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(GammaFunction(row.x, result), 1);
    EXPECT_NEAR(result, row.expected, 2e-10 * std::fabs(row.expected));
  }
}

TEST(GammaFunction, FailuresLeaveTheOutputUntouched) {
  struct Row {
    const char* name;
    double x;
  };
  const Row rows[] = {
      {"pole at 0", 0.0},
      {"pole at -2", -2.0},
      {"overflow from 172 on", 172.0},
      {"reflection overflows", -200.5},
      {"minus infinity", -kInf},
      {"plus infinity", kInf},
      {"nan", kNaN},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(GammaFunction(row.x, result), 0);
    EXPECT_EQ(result, kUntouched);
  }
}

TEST(LogGamma, Values) {
  double result = kUntouched;
  EXPECT_EQ(LogGamma(1.0, result), 1);
  EXPECT_NEAR(result, 0.0, 1e-15);  // ln gamma(1) = 0
  EXPECT_EQ(LogGamma(10.0, result), 1);
  EXPECT_NEAR(result, std::log(362880.0), 2e-10);  // ln 9!
  EXPECT_EQ(LogGamma(1e300, result), 1);  // large but finite: (x - 1/2) ln x - x
  EXPECT_NEAR(result, (1e300 - 0.5) * std::log(1e300) - 1e300, 1e-12 * result);
}

TEST(LogGamma, FailuresLeaveTheOutputUntouched) {
  struct Row {
    const char* name;
    double x;
  };
  const Row rows[] = {
      {"zero", 0.0},
      {"negative", -1.5},
      {"nan", kNaN},
      {"x ln x overflows", 1e308},
      // 2.5066 * series / x overflows for the smallest subnormal.
      {"subnormal argument", std::numeric_limits<double>::denorm_min()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(LogGamma(row.x, result), 0);
    EXPECT_EQ(result, kUntouched);
  }
}

// ---------------------------------------------------------------- digamma

TEST(Digamma, TableValues) {
  struct Row {
    const char* name;
    double x;
    double expected;
  };
  // Bit-exact expectations rebuild the table recurrences: entry 1 = psi(1), entry k + 1 =
  // entry k + 1/k; half-integer entry 0 = psi(1) - (ln 2 + ln 2), entry k + 1 = entry k +
  // 1/(k + 0.5).
  const double psiHalf = kPsiOne - (std::log(2.0) + std::log(2.0));
  const Row rows[] = {
      {"psi(1)", 1.0, kPsiOne},
      {"psi(2) = psi(1) + 1", 2.0, kPsiOne + 1.0 / 1},
      {"psi(3)", 3.0, (kPsiOne + 1.0 / 1) + 1.0 / 2},
      {"psi(0.5) = psi(1) - 2 ln 2", 0.5, psiHalf},
      {"psi(1.5) = psi(0.5) + 2", 1.5, psiHalf + 1.0 / 0.5},
      {"psi(2.5)", 2.5, (psiHalf + 1.0 / 0.5) + 1.0 / 1.5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(Digamma(row.x, result), 1);
    EXPECT_EQ(result, row.expected);
  }
}

TEST(Digamma, TableEndsAgainstTheAsymptoticExpansion) {
  struct Row {
    const char* name;
    double x;
  };
  // The last entries hold about 1000 rounded additions: a few 1e-13 of drift at most.
  const Row rows[] = {{"psi(1000)", 1000.0}, {"psi(999.5)", 999.5}, {"psi(1.5)", 1.5},
                      {"psi(37)", 37.0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(Digamma(row.x, result), 1);
    EXPECT_NEAR(result, ReferencePsi(row.x), 1e-12);
  }
}

// Beyond the tables the series sum_{k <= N} (x - 1) / ((k + x - 1) k), N = 100000, is used.
// It equals psi(x) - psi(1) - (psi(N + x) - psi(N + 1)), so the value falls short by
// psi(N + x) - psi(N + 1), about (x - 1) / N.
TEST(Digamma, SeriesRunsOutOfTermsAndFallsShort) {
  struct Row {
    const char* name;
    double x;
    double shortfall;  // psi(N + x) - psi(N + 1) by the asymptotic expansion
  };
  const Row rows[] = {
      {"psi(1001): just beyond the integer table", 1001.0,
       ReferencePsi(100000.0 + 1001.0) - ReferencePsi(100001.0)},  // about 0.00995
      {"psi(2.7)", 2.7, ReferencePsi(100002.7) - ReferencePsi(100001.0)},  // about 1.7e-5
      {"psi(1000.5): just beyond the half-integer table", 1000.5,
       ReferencePsi(101000.5) - ReferencePsi(100001.0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(Digamma(row.x, result), 2);
    EXPECT_NEAR(ReferencePsi(row.x) - result, row.shortfall, 1e-9);
  }
}

TEST(Digamma, SeriesThatSettles) {
  // x = 2^-30: the first term is 1 - 2^30 and the rest (about -1/(k(k - 1))) stop changing a
  // sum of that size after a few thousand terms. psi(x) = -1/x - gamma + O(x).
  const double x = std::ldexp(1.0, -30);
  double result = kUntouched;
  EXPECT_EQ(Digamma(x, result), 1);
  EXPECT_NEAR(result, -1.0 / x + kPsiOne, 1e-12 / x);
}

TEST(Digamma, FailuresLeaveTheOutputUntouched) {
  struct Row {
    const char* name;
    double x;
  };
  const Row rows[] = {
      {"pole at 0", 0.0},
      {"pole at -3", -3.0},
      {"negative half-integer has no table index", -0.5},
      {"negative half-integer far out", -7.5},
      {"minus infinity", -kInf},
      {"plus infinity", kInf},
      {"nan", kNaN},
      // (k + x - 1) k overflows once k passes 1000 or so.
      {"huge argument", 1e305},
      // 1 + x rounds to 1, so the first denominator (1 + x - 1) * 1 is 0.
      {"tiny argument divides by zero", 1e-300},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    double result = kUntouched;
    EXPECT_EQ(Digamma(row.x, result), 0);
    EXPECT_EQ(result, kUntouched);
  }
}

TEST(Digamma, EachTableIsFilledOnce) {
  double result = 0.0;
  for (int k = 1; k <= 1000; ++k) Digamma(k, result);
  for (int k = 0; k <= 999; ++k) Digamma(k + 0.5, result);
  Digamma(7.0, result);
  Digamma(7.5, result);
  EXPECT_EQ(detail::DigammaIntegerTableFillCount(), 1);
  EXPECT_EQ(detail::DigammaHalfIntegerTableFillCount(), 1);
}

// Run in a fresh process (the "threadsafe" death-test style starts the test binary again), so
// the tables are really unfilled when the threads race for them.
int RaceForTheTables() {
  if (detail::DigammaIntegerTableFillCount() != 0 ||
      detail::DigammaHalfIntegerTableFillCount() != 0) {
    return 2;
  }
  constexpr int kThreads = 8;
  std::vector<std::vector<double>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &seen] {
      // Half the threads start with the half-integer table.
      for (int k = 0; k < 1000; ++k) {
        const double x = (t % 2 == 0) ? k + 1.0 : k + 0.5;
        const double y = (t % 2 == 0) ? k + 0.5 : k + 1.0;
        double first = 0.0;
        double second = 0.0;
        Digamma(x, first);
        Digamma(y, second);
        seen[t].push_back(first);
        seen[t].push_back(second);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 2; t < kThreads; ++t) {
    if (seen[t] != seen[t % 2]) return 3;
  }
  // Threads of the two kinds saw the same values in swapped pairs.
  for (std::size_t i = 0; i + 1 < seen[0].size(); i += 2) {
    if (seen[0][i] != seen[1][i + 1] || seen[0][i + 1] != seen[1][i]) return 4;
  }
  if (detail::DigammaIntegerTableFillCount() != 1 ||
      detail::DigammaHalfIntegerTableFillCount() != 1) {
    return 5;
  }
  return 0;
}

TEST(DigammaDeathTest, ConcurrentFirstUseFillsEachTableOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RaceForTheTables()), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quarvel
