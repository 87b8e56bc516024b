// Distance, direction angles, NormDeg, rotation and the x87 set-up.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "cadxform/geometry.h"
#include "cadxform/fp_setup.h"

namespace {

using namespace cadxform;

bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

constexpr double kPi = 3.141592653589793;

TEST(Distance, Lengths) {
  EXPECT_EQ(Distance(0, 0, 3, 4), 5);
  EXPECT_EQ(Distance(-1, -1, 2, 3), 5);
  EXPECT_EQ(Distance(2, 3, -1, -1), 5);
  EXPECT_EQ(Distance(7, 7, 7, 7), 0);
  // The squares exceed the double range; the extended intermediates hold them.
  EXPECT_DOUBLE_EQ(Distance(0, 0, 3e200, 4e200), 5e200);
  EXPECT_DOUBLE_EQ(Distance(0, 0, 3e-200, 4e-200), 5e-200);
}

struct AngleCase {
  double Dx, Dy;
  double Rad;  // expected within 1e-15
  double Deg;  // expected exactly
};

TEST(AngleRadDeg, Directions) {
  const AngleCase cases[] = {
      {1, 0, 0, 0},
      {0, 1, kPi / 2, 90},
      {-1, 0, kPi, 180},
      {-1, -0.0, kPi, 180},
      {0, -1, 3 * kPi / 2, 270},
      {1, 1, kPi / 4, 45},
      {-1, -1, 5 * kPi / 4, 225},
      {1e-11, -1e-11, 0, 0},  // zero vector
      {-5e-11, 9e-11, 0, 0},
      {1e-9, 0, 0, 0},        // not a zero vector: through atan2
      {-1e-9, 0, kPi, 180},
      {0, -1e-10, 3 * kPi / 2, 270},  // 1e-10 itself is not below the limit
      {1, -1e-300, 2 * kPi, 360},     // lifted by 2pi, rounds to 2pi
      {3, 4, 0.9272952180016122, 53.1301023542},
  };
  for (const AngleCase& c : cases) {
    EXPECT_NEAR(AngleRad(c.Dx, c.Dy), c.Rad, 1e-15) << c.Dx << ' ' << c.Dy;
    EXPECT_EQ(AngleDeg(c.Dx, c.Dy), c.Deg) << c.Dx << ' ' << c.Dy;
  }
  EXPECT_EQ(AngleRad(1, -1e-300), 2 * kPi);
}

TEST(NormDeg, StaysInRange) {
  const struct {
    double In, Out;
  } cases[] = {
      {370, 10},     {-10, 350},    {-360, 0},     {720, 0},     {360, 0},
      {0, 0},        {-0.0, 0},     {-1e-15, 0},   {-1e-300, 0}, {1e-15, 1e-15},
      {-370, 350},   {1080.5, 0.5}, {-1080.5, 359.5},
      {359.9999999, 359.9999999},
  };
  for (const auto& c : cases) EXPECT_TRUE(SameBits(NormDeg(c.In), c.Out)) << c.In;
  for (double big : {1e20, -1e20, 123456789.123, -987654321.5, 1e300}) {
    const double n = NormDeg(big);
    EXPECT_GE(n, 0) << big;
    EXPECT_LT(n, 360) << big;
  }
}

struct RotateCase {
  double X, Y, Cx, Cy, Deg;
  double OutX, OutY;
};

TEST(RotateDeg, QuarterTurnsAreExact) {
  const RotateCase cases[] = {
      {2, 1, 1, 1, 90, 1, 2},    {2, 1, 1, 1, -90, 1, 0},   {2, 1, 1, 1, 180, 0, 1},
      {2, 1, 1, 1, 270, 1, 0},   {2, 1, 1, 1, -270, 1, 2},  {2, 1, 1, 1, 450, 1, 2},
      {2, 1, 1, 1, -180, 0, 1},  {2, 1, 1, 1, 360, 2, 1},   {2, 1, 1, 1, 0, 2, 1},
      {2, 1, 1, 1, -0.0, 2, 1},  {10, 0, 0, 0, 90, 0, 10},  {0.5, 0.25, 0.125, 0.375, 90, 0.25, 0.75},
      {0.5, 0.25, 0.125, 0.375, -90, 0, 0},
  };
  for (const RotateCase& c : cases) {
    double x = -1, y = -1;
    RotateDeg(c.X, c.Y, c.Cx, c.Cy, c.Deg, x, y);
    EXPECT_EQ(x, c.OutX) << c.Deg;  // exact: no 6E-17 residue of cos 90
    EXPECT_EQ(y, c.OutY) << c.Deg;
  }
}

TEST(RotateDeg, OtherAngles) {
  double x = 0, y = 0;
  RotateDeg(2, 1, 1, 1, 45, x, y);
  EXPECT_NEAR(x, 1 + std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(y, 1 + std::sqrt(0.5), 1e-15);
  RotateDeg(1, 0, 0, 0, 30, x, y);
  EXPECT_NEAR(x, std::sqrt(0.75), 1e-15);
  EXPECT_NEAR(y, 0.5, 1e-15);
  RotateDeg(1, 0, 0, 0, 90.0000001, x, y);  // not a quarter turn
  EXPECT_NEAR(x, -1.7453292e-9, 1e-15);
  // Exact results, the same on every platform (x87 sine and cosine).
  RotateDeg(3, 4, 1, 2, 37, x, y);
  EXPECT_TRUE(SameBits(x, 0x1.64c5a7a4cbb5ep+0));
  EXPECT_TRUE(SameBits(y, 0x1.3341f68be0e33p+2));
  RotateDeg(-7.25, 100.5, 3, -2, 123.456, x, y);
  EXPECT_TRUE(SameBits(x, -0x1.3376b5ec99f45p+6));
  EXPECT_TRUE(SameBits(y, -0x1.0c3cfc92193a9p+6));
}

// A rotation made once turns every point exactly as RotateDeg does.
TEST(TRotation, SameAsRotateDegForEveryPoint) {
  const double angles[] = {0, 90, -90, 180, 270, -270, 360, 720, 30, -45.5, 123.456789, 1e-9, 359.9999999};
  const double points[][2] = {{0, 0}, {1, 0}, {1234.5, -87.25}, {-1e6, 3e-7}, {0.1, 0.2}};
  for (double d : angles) {
    const TRotation r(d);
    for (const auto& p : points) {
      double ax = 0, ay = 0, bx = 0, by = 0;
      r.Apply(p[0], p[1], 5.5, -2, ax, ay);
      RotateDeg(p[0], p[1], 5.5, -2, d, bx, by);
      EXPECT_TRUE(SameBits(ax, bx) && SameBits(ay, by)) << d << " " << p[0] << " " << p[1];
    }
  }
}

TEST(RotateRad, Radians) {
  double x = 0, y = 0;
  RotateRad(1, 0, 0, 0, kPi / 2, x, y);
  EXPECT_NEAR(x, 0, 1e-16);
  EXPECT_EQ(y, 1);
  RotateRad(3, 2, 1, 2, kPi, x, y);
  EXPECT_NEAR(x, -1, 1e-15);
  EXPECT_NEAR(y, 2, 1e-15);
  RotateRad(1, 0, 0, 0, 1.0, x, y);
  EXPECT_TRUE(SameBits(x, 0x1.14a280fb5068cp-1));
  EXPECT_TRUE(SameBits(y, 0x1.aed548f090ceep-1));
}

TEST(EnsureExtendedPrecision, LongDoubleKeeps64Bits) {
  EnsureExtendedPrecision();
  volatile long double one = 1.0L;
  volatile long double tiny = 0x1p-63L;
  const long double sum = one + tiny;
  EXPECT_NE(sum, 1.0L);
}

}  // namespace
