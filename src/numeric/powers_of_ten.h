// Powers of ten shared by the number parser and the real-form formatter.
//
// kPow10Int[k] == 10^k exactly for k = 0..19 (10^19 is the largest that fits
// in 64 bits). kPow10Real[k] == 10^k for k = 0..22: every one of them is an
// exact double (5^22 < 2^53), which is what lets one IEEE multiplication or
// division by it round correctly.
#pragma once

#include <array>
#include <cstdint>

namespace cadxform {

inline constexpr std::array<uint64_t, 20> kPow10Int = [] {
  std::array<uint64_t, 20> t{};
  uint64_t p = 1;
  for (auto& v : t) {
    v = p;
    p *= 10;
  }
  return t;
}();

inline constexpr std::array<double, 23> kPow10Real = [] {
  std::array<double, 23> t{};
  double p = 1;
  for (auto& v : t) {
    v = p;
    p *= 10;
  }
  return t;
}();

}  // namespace cadxform
