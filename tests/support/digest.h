#pragma once
// FNV-1a, 64 bits, over the bytes of what is added: tests that compare a whole output (every
// result of a solve, every call of a drawing, every value of a sweep) to one recorded number.
// A NaN's sign and payload are not results (IEEE 754 leaves them to the operand order the
// compiler picks, and every output writes "nan"): every NaN counts as the same value, every
// other value bit for bit.

#include <cmath>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace quarvel::test {

struct Digest {
  uint64_t value = 0xcbf29ce484222325ULL;
  template <class T>
  void Add(T v) {
    if constexpr (std::is_floating_point_v<T>) v = std::isnan(v) ? std::nan("") : v;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&v);
    for (std::size_t i = 0; i < sizeof v; ++i) value = (value ^ bytes[i]) * 0x100000001b3ULL;
  }
  template <class T>
  void Array(const T& values) {
    Add(static_cast<uint64_t>(values.size()));
    for (const auto v : values) Add(v);
  }
  void Text(std::string_view text) { Array(text); }
};

}  // namespace quarvel::test
