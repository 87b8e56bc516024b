// Plane geometry: distance, direction angles, angle normalisation and
// rotation about a centre.
//
// Every routine is a pure function. Reals are IEEE doubles at every
// interface; intermediates are formed in long double (80-bit extended on
// both targets) and only the returned result is rounded to double, so the
// Linux and Windows builds give identical bits.
#pragma once

namespace cadxform {

// Pi in extended precision, for every degree/radian conversion.
inline constexpr long double kPi = 3.14159265358979323846264338327950288L;

// Length of the segment (x1,y1)-(x2,y2).
double Distance(double x1, double y1, double x2, double y2);

// Direction of (dx,dy) in radians in [0, 2pi]; 0 when both |dx| and |dy|
// are below 1e-10.
double AngleRad(double dx, double dy);

// Direction of (dx,dy) in degrees, RoundE10(AngleRad * 180 / pi); can be 360.
double AngleDeg(double dx, double dy);

// The same angle in [0, 360).  370 -> 10   -10 -> 350   -1e-15 -> 0
// A zero result is always +0 (-360 -> 0, not -0).
double NormDeg(double degrees);

// Rotates (x,y) about (cx,cy) counter-clockwise by theta radians.
void RotateRad(double x, double y, double cx, double cy, double theta, double& outX, double& outY);

// Rotates (x,y) about (cx,cy) counter-clockwise by d degrees. A whole
// number of quarter turns (d a multiple of 90) uses the exact sine and
// cosine, so no residue appears: (2,1) about (1,1) by 90 -> exactly (1,2).
// Any other d goes through RotateRad with d / 180 * pi.
void RotateDeg(double x, double y, double cx, double cy, double d, double& outX, double& outY);

namespace detail {

// Rotation of (x,y) about (cx,cy) given the sine s and cosine c of the
// angle, in extended precision, rounded to double once.
inline void RotateBySinCos(double x, double y, double cx, double cy, long double s, long double c, double& outX,
                           double& outY) {
  const long double dx = static_cast<long double>(x) - cx;
  const long double dy = static_cast<long double>(y) - cy;
  outX = static_cast<double>(cx + c * dx - s * dy);
  outY = static_cast<double>(cy + s * dx + c * dy);
}

}  // namespace detail

// A turn by a fixed angle in degrees, for turning many points alike: Apply
// gives exactly what RotateDeg with this angle gives, with the sine and
// cosine worked out once instead of for every point.
//   TRotation r(30);  r.Apply(x, y, cx, cy, ox, oy);  // == RotateDeg(x, y, cx, cy, 30, ox, oy)
class TRotation {
 public:
  explicit TRotation(double degrees);
  // Defined here so that a pass turning every point inlines it.
  void Apply(double x, double y, double cx, double cy, double& outX, double& outY) const {
    detail::RotateBySinCos(x, y, cx, cy, sin_, cos_, outX, outY);
  }

 private:
  long double sin_, cos_;
};

}  // namespace cadxform
