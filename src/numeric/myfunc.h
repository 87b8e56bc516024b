// Small numeric and geometry routines shared by the whole tool: number
// parsing that never fails, rounding, distance, direction angles, angle
// normalisation and rotation about a centre.
//
// Every routine is a pure function. Reals are IEEE doubles at every
// interface; intermediates are formed in long double (80-bit extended on
// both targets, as on the original 32-bit platform) and only the returned
// result is rounded to double, so the Linux and Windows builds agree bit for
// bit. Texts are code page 932 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace myfunc {

// Integer literal to int32; 0 when the text is empty or not a valid literal.
// Grammar: leading blanks (0x20 only), one optional sign, then either a
// decimal number or a hex number introduced by "$", "x", "X", "0x" or "0X"
// (digits 0-9 A-F a-f); nothing may follow.
//   "42" -> 42   "   5" -> 5   "5 " -> 0   "1.0" -> 0   "$F" -> 15
//   "$" -> 0   "2147483648" -> 0   "-2147483648" -> -2147483648
//   "$FFFFFFFF" -> -1 (32-bit pattern)   "$100000000" -> 0
//   "-$10" -> 16 (a sign before a hex number is ignored)
int32_t StrToIntOrZero(std::string_view text);

// Real literal to double, correctly rounded; 0.0 when the text is empty or
// not a valid literal. Grammar: leading blanks (0x20 only), one optional
// sign, digits with an optional full stop and more digits (at least one digit
// in all), an optional exponent "E"/"e" with optional sign and at least one
// digit; nothing may follow. The separator is always the full stop.
//   "12.5" -> 12.5   "5." -> 5   ".5" -> 0.5   "1e3" -> 1000
//   "1e" -> 0   "1,5" -> 0   "-" -> 0   "1 " -> 0
//   "1e999" -> 0 (overflow)   "1e-999" -> 0 (underflow to the nearest double)
//   "-1e-999" -> -0.0   "4.9e-324" -> the smallest subnormal
// Any length works (megabytes of digits in linear time); allocates nothing.
double StrToFloatOrZero(std::string_view text);

// StrToFloatOrZero for a text followed by at least 16 readable bytes (the
// exchange reader's tokens, see TTokenLine): the same result for every
// text, with short plain decimals read without a branch per digit.
double StrToFloatOrZeroPadded(std::string_view text);

// Copy of text without half-width blanks, control bytes (< 0x20) and
// full-width spaces (0x81 0x40). Double-byte characters (lead byte
// 0x80-0x9F or 0xE0-0xFD) are taken whole. A lone lead byte at the end is
// copied alone.
std::string StripBlanks(std::string_view text);

// True when StripBlanks(text) would be empty; allocates nothing.
bool IsBlankText(std::string_view text);

// x rounded half away from zero to a multiple of 1e-10.
//   -1.23456789012345 -> -1.2345678901   0.30000000000000004 -> 0.3
double RoundE10(double x);

// x rounded to `digits` decimals (1..13; any other value means 0 decimals).
// mode 0 cuts off, mode 1 rounds away from zero once the excess reaches 0.1
// of a unit, any other mode rounds half away from zero.
//   (2,0,1.239) -> 1.23   (2,1,1.231) -> 1.24   (2,1,1.2305) -> 1.23
//   (2,2,1.235) -> 1.24   (0,2,-2.5) -> -3
double RoundDigits(int32_t digits, int32_t mode, double x);

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

// A turn by a fixed angle in degrees, for turning many points alike: Apply
// gives exactly what RotateDeg with this angle gives, with the sine and
// cosine worked out once instead of for every point.
//   TRotation r(30);  r.Apply(x, y, cx, cy, ox, oy);  // == RotateDeg(x, y, cx, cy, 30, ox, oy)
class TRotation {
 public:
  explicit TRotation(double degrees);
  void Apply(double x, double y, double cx, double cy, double& outX, double& outY) const;

 private:
  long double sin_, cos_;
};

// Sets the x87 unit to 64-bit precision, so long double intermediates are
// extended on every platform. Call once at start-up (a no-op where the unit
// is already set so).
void EnsureExtendedPrecision();

}  // namespace myfunc
