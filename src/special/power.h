#pragma once
// std::pow(x, y) with the same bits, faster for the square the model takes by default.

#include <bit>
#include <cmath>
#include <cstdint>

namespace quarvel {

namespace detail {

// x * x - square, exactly (Dekker's product with Veltkamp's split, exact in round-to-nearest
// while x * 2^27 does not overflow; the caller keeps to |x| < 2^480).
inline double SquareRoundingError(double x, double square) {
  const double scaled = 134217729.0 * x;  // 2^27 + 1
  const double high = scaled - (scaled - x);
  const double low = x - high;
  return ((high * high - square) + 2.0 * (high * low)) + low * low;
}

// True when `square` = x * x is certainly what std::pow(x, 2) returns. The library's pow is
// within 0.54 ULP of the exact x^2 in round-to-nearest. When x * x is a normal number that is
// not a power of two (its neighbours on both sides one ULP away) and the exact square lies
// within 0.45 ULP of it, the neighbours are at least 0.55 ULP from the exact square, so x * x is
// the only double pow can return. About nine squares in ten pass; the rest go to pow.
inline bool SquareIsPow(double x, double square) {
  if (!(square >= 0x1p-960 && square <= 0x1p960)) return false;  // also NaN
  const uint64_t bits = std::bit_cast<uint64_t>(square);
  if ((bits & 0x000f'ffff'ffff'ffffULL) == 0) return false;  // a power of two
  const double ulp = std::bit_cast<double>(bits & 0x7ff0'0000'0000'0000ULL) * 0x1p-52;
  return std::fabs(SquareRoundingError(x, square)) <= 0.45 * ulp;
}

}  // namespace detail

// std::pow(x, y), bit for bit. For y = 2 mostly one multiplication instead of the library
// call, whose latency otherwise sits on the model's chain of dependent operations.
inline double PowerOf(double x, double y) {
  if (y == 2.0) {
    const double square = x * x;
    if (detail::SquareIsPow(x, square)) return square;
  }
  return std::pow(x, y);
}

}  // namespace quarvel
