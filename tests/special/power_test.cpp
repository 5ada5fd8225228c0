#include "special/power.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>

namespace quarvel {
namespace {

// PowerOf must give std::pow's bits for every argument; each row draws its arguments from one
// kind of number, the squares whose rounding is hardest among them.
struct PowerRow {
  const char* name;
  std::function<double(std::mt19937_64&)> draw;
};

double Uniform(std::mt19937_64& rng, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(rng);
}

const PowerRow kRows[] = {
    // |z| and ratios of the model: between 0 and a little over 1.
    {"ModelRange", [](std::mt19937_64& rng) { return Uniform(rng, 0.0, 1.2); }},
    {"Negative", [](std::mt19937_64& rng) { return -Uniform(rng, 0.0, 10.0); }},
    // Odd 27-bit mantissas: their exact squares have 53 or 54 bits, many exactly halfway
    // between two doubles.
    {"HalfwaySquares",
     [](std::mt19937_64& rng) {
       const auto mantissa = static_cast<double>((rng() >> 37) | 1);
       return std::ldexp(mantissa, -27 - static_cast<int>(rng() % 20));
     }},
    {"PowersOfTwo",
     [](std::mt19937_64& rng) { return std::ldexp(1.0, static_cast<int>(rng() % 200) - 100); }},
    {"AllExponents",
     [](std::mt19937_64& rng) {
       return std::ldexp(Uniform(rng, 0.5, 1.0), static_cast<int>(rng() % 2100) - 1075);
     }},
    {"AnyBits",
     [](std::mt19937_64& rng) { return std::bit_cast<double>(rng()); }},
};

class PowerOfTest : public testing::TestWithParam<PowerRow> {};

TEST_P(PowerOfTest, GivesTheBitsOfStdPow) {
  std::mt19937_64 rng(20261206);
  for (int k = 0; k < 200000; ++k) {
    const double x = GetParam().draw(rng);
    for (const double y : {2.0, 0.5, 2.5, -1.0}) {
      const double expected = std::pow(x, y);
      const double actual = PowerOf(x, y);
      if (std::isnan(expected)) {
        ASSERT_TRUE(std::isnan(actual)) << std::hexfloat << x << " ^ " << y;
      } else {
        ASSERT_EQ(std::bit_cast<uint64_t>(actual), std::bit_cast<uint64_t>(expected))
            << std::hexfloat << x << " ^ " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Arguments, PowerOfTest, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PowerOf, SpecialValuesOfTheSquare) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const double x : {0.0, -0.0, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::denorm_min(), 0x1p-480, 0x1p480,
                         std::numeric_limits<double>::max(), 1.0, -1.0}) {
    const double expected = std::pow(x, 2.0);
    const double actual = PowerOf(x, 2.0);
    EXPECT_TRUE(std::bit_cast<uint64_t>(actual) == std::bit_cast<uint64_t>(expected) ||
                (std::isnan(actual) && std::isnan(expected)))
        << std::hexfloat << x;
  }
}

// The multiplication must serve most squares, or the library call is back on the model's path.
TEST(PowerOf, MostSquaresInTheModelRangeNeedNoLibraryCall) {
  std::mt19937_64 rng(7);
  int served = 0;
  for (int k = 0; k < 10000; ++k) {
    const double x = Uniform(rng, 0.0, 1.2);
    served += detail::SquareIsPow(x, x * x) ? 1 : 0;
  }
  EXPECT_GT(served, 8500);
}

}  // namespace
}  // namespace quarvel
