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

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

// PowerOf must give std::pow's bits for every argument, and its multiplication must serve most
// squares in the model's range or the library call is back on the model's path. Each row draws
// its arguments from one kind of number, the squares whose rounding is hardest among them.
TEST(PowerOf, GivesTheBitsOfStdPow) {
  const auto uniform = [](std::mt19937_64& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
  };
  const std::function<double(std::mt19937_64&)> draws[] = {
      // |z| and ratios of the model: between 0 and a little over 1.
      [&](std::mt19937_64& rng) { return uniform(rng, 0.0, 1.2); },
      // Odd 27-bit mantissas: exact squares of 53 or 54 bits, many halfway between two doubles.
      [](std::mt19937_64& rng) {
        const auto mantissa = static_cast<double>((rng() >> 37) | 1);
        return std::ldexp(mantissa, -27 - static_cast<int>(rng() % 20));
      },
      // Every exponent, subnormals and overflowing squares included; any bit pattern.
      [&](std::mt19937_64& rng) {
        return std::ldexp(uniform(rng, -1.0, 1.0), static_cast<int>(rng() % 2100) - 1075);
      },
      [](std::mt19937_64& rng) { return std::bit_cast<double>(rng()); },
      // Zeros, infinities, NaN, the smallest subnormal, squares at the ends of the range.
      [](std::mt19937_64& rng) {
        using L = std::numeric_limits<double>;
        const double specials[] = {0.0, -0.0, L::infinity(), -L::infinity(), L::quiet_NaN(),
                                   L::denorm_min(), 0x1p-480, 0x1p480, L::max(), 1.0, -1.0};
        return specials[rng() % std::size(specials)];
      },
  };
  std::mt19937_64 rng(20261206);
  int served = 0;  // squares of the model's range served by the multiplication
  for (std::size_t row = 0; row < std::size(draws); ++row) {
    for (int k = 0; k < 200000; ++k) {
      const double x = draws[row](rng);
      served += row == 0 && detail::SquareIsPow(x, x * x) ? 1 : 0;
      for (const double y : {2.0, 0.5, 2.5, -1.0}) {
        ASSERT_TRUE(SameBits(PowerOf(x, y), std::pow(x, y))) << row << std::hexfloat << " " << x;
      }
    }
  }
  EXPECT_GT(served, 170000);
}

}  // namespace
}  // namespace quarvel
