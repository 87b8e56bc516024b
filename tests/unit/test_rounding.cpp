// RoundE10 and RoundDigits.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "cadxform/rounding.h"

namespace {

using namespace cadxform;

bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

struct E10Case {
  double X;
  double Expected;
};

TEST(RoundE10, RoundsHalfAwayFromZeroToTenDecimals) {
  const E10Case cases[] = {
      {-1.23456789012345, -1.2345678901},
      {0.30000000000000004, 0.3},
      {0, 0},
      {1e-11, 0},
      {2.00000000004, 2},
      {2.00000000006, 2.0000000001},
      {-2.00000000006, -2.0000000001},
      {359.99999999996, 360},
      {45.00000000000001, 45},
      {123456.123456789012, 123456.123456789},
  };
  for (const E10Case& c : cases) EXPECT_TRUE(SameBits(RoundE10(c.X), c.Expected)) << c.X;
}

struct DigitsCase {
  int32_t Digits;
  int32_t Mode;
  double X;
  double Expected;
};

TEST(RoundDigits, ModesAndDigits) {
  const DigitsCase cases[] = {
      {2, 0, 1.239, 1.23},
      {2, 0, -1.239, -1.23},
      {2, 1, 1.231, 1.24},
      {2, 1, 1.2305, 1.23},
      {0, 1, 1.1, 2},
      {0, 1, 1.05, 1},
      {2, 2, 1.235, 1.24},
      {0, 2, -2.5, -3},
      {0, 2, 2.4999, 2},
      {0, -5, 2.5, 3},  // any mode but 0 and 1 rounds half away from zero
      {0, 7, -0.5, -1},
      {14, 2, 2.5, 3},  // out-of-range digits mean 0 decimals
      {-1, 2, 1.4, 1},
      {13, 0, 1.23456789012345, 1.2345678901234},
      {8, 2, 30.000000004, 30},
      {8, 2, 30.000000005, 30.00000001},
      {8, 2, 1e15, 1e15},
      // The product is formed in extended precision: 0.015 is stored as
      // 0.01499999999999999944..., times 100 stays below 1.5 there, while a
      // double product rounds up to exactly 1.5.
      {2, 2, 0.015, 0.01},
      {2, 2, 0.155, 0.15},
  };
  for (const DigitsCase& c : cases) {
    EXPECT_TRUE(SameBits(RoundDigits(c.Digits, c.Mode, c.X), c.Expected))
        << c.Digits << ' ' << c.Mode << ' ' << c.X << " -> " << RoundDigits(c.Digits, c.Mode, c.X);
  }
}

}  // namespace
