// Plane geometry: Distance, direction angles, angle normalisation and
// rotation about a centre.
//
// Intermediates are long double and only results are rounded to double.
// Sine, cosine and arctangent come straight from the x87 instructions on
// x86: the C libraries of the two targets round sinl and cosl differently in
// the last bits, and the output files of both builds must be identical.
#include <cmath>

#include "cadxform/geometry.h"
#include "cadxform/rounding.h"

namespace cadxform {
namespace {

constexpr long double kTwoPi = 6.28318530717958647692528676655900577L;
constexpr long double kZeroVector = 1e-10L;  // both components below: no direction

#if defined(__x86_64__) || defined(__i386__)
// Arguments here stay within a few turns, where fsin and fcos are accurate.
long double Sin(long double x) {
  long double r;
  __asm__("fsin" : "=t"(r) : "0"(x));
  return r;
}

long double Cos(long double x) {
  long double r;
  __asm__("fcos" : "=t"(r) : "0"(x));
  return r;
}

// atan2(y, x): fpatan takes x on top of the stack and y below it.
long double Atan2(long double y, long double x) {
  long double r;
  __asm__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
  return r;
}
#else
long double Sin(long double x) { return std::sin(x); }
long double Cos(long double x) { return std::cos(x); }
long double Atan2(long double y, long double x) { return std::atan2(y, x); }
#endif

}  // namespace

double Distance(double x1, double y1, double x2, double y2) {
  const long double dx = static_cast<long double>(x2) - x1;
  const long double dy = static_cast<long double>(y2) - y1;
  return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}

double AngleRad(double dx, double dy) {
  if (std::fabs(dx) < kZeroVector && std::fabs(dy) < kZeroVector) return 0.0;
  double a = static_cast<double>(Atan2(dy, dx));
  // A tiny negative angle lifted by 2pi can round to 2pi itself.
  if (a < 0) a = static_cast<double>(a + kTwoPi);
  return a;
}

double AngleDeg(double dx, double dy) {
  return RoundE10(static_cast<double>(static_cast<long double>(AngleRad(dx, dy)) * 180 / kPi));
}

double NormDeg(double degrees) {
  double a = std::fabs(degrees);
  if (a >= 360) a = static_cast<double>(a - std::trunc(static_cast<long double>(a) / 360) * 360);
  if (degrees < 0) a = -a;
  if (a < 0) a = static_cast<double>(a + 360.0L);
  if (a >= 360) a -= 360;  // -1e-15 + 360 rounds to 360
  if (a == 0) a = 0.0;     // -360 gives +0, not -0
  return a;
}

void RotateRad(double x, double y, double cx, double cy, double theta, double& outX, double& outY) {
  detail::RotateBySinCos(x, y, cx, cy, Sin(theta), Cos(theta), outX, outY);
}

// Whole quarter turns use the exact sine and cosine (0, 1, -1): through
// radians, cos 90 degrees is 6E-17 and would leave that residue in every
// coordinate turned by a right angle. fmod is exact. Any other angle goes
// through radians rounded to a double, as RotateRad takes them.
TRotation::TRotation(double degrees) {
  const double r = std::fmod(degrees, 360.0);
  if (r == 0) {
    sin_ = 0, cos_ = 1;
  } else if (r == 90 || r == -270) {
    sin_ = 1, cos_ = 0;
  } else if (r == 180 || r == -180) {
    sin_ = 0, cos_ = -1;
  } else if (r == 270 || r == -90) {
    sin_ = -1, cos_ = 0;
  } else {
    const double theta = static_cast<double>(degrees / 180.0L * kPi);
    sin_ = Sin(theta);
    cos_ = Cos(theta);
  }
}

void RotateDeg(double x, double y, double cx, double cy, double d, double& outX, double& outY) {
  TRotation(d).Apply(x, y, cx, cy, outX, outY);
}

}  // namespace cadxform
