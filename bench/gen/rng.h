// Deterministic pseudo-random numbers for the drawing generator.
//
// SplitMix64: the same seed gives the same sequence on every platform and
// with every standard library (no std::*_distribution, whose results are
// implementation-defined).
#pragma once

#include <cassert>
#include <cstdint>

namespace bench {

class TRng {
 public:
  explicit TRng(uint64_t seed) : state_(seed) {}

  // Next 64 random bits.
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform-enough integer in [0, n); n > 0. The modulo bias (below 2^-40
  // for the small n used here) does not matter for test data.
  int64_t Below(int64_t n) {
    assert(n > 0);
    return static_cast<int64_t>((Next() >> 11) % static_cast<uint64_t>(n));
  }

  // Integer in [lo, hi]; lo <= hi.
  int64_t Between(int64_t lo, int64_t hi) { return lo + Below(hi - lo + 1); }

  // True with probability percent / 100.
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  uint64_t state_;
};

}  // namespace bench
