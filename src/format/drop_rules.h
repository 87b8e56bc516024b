// The writer's rules for what it drops, on values: one place for the entity
// writers (entity_writers.h) and for the record predicates a transform asks
// (cadxform/write_rules.h).
//
// Every check works on the exact difference of the stored doubles (formed
// in long double) and compares with the tolerance as the double that "1E-8"
// reads as, so a radius or ratio of exactly 1E-8 counts as too small.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "cadxform/cp932.h"
namespace cadxform {

// Tolerance of every writer check.
inline constexpr double kWriteTolerance = 1E-8;

namespace drop {

inline constexpr long double kTol = kWriteTolerance;

// Two points coincide when both coordinate differences are below 1E-8.
// Most points lie far apart, which a difference of doubles already shows:
// it is off the exact one by at most a 2^-53 part of itself, so one of
// twice the tolerance or more means an exact difference above it.
inline bool SamePoint(double x1, double y1, double x2, double y2) {
  constexpr double kClearlyApart = 2 * kWriteTolerance;
  if (std::fabs(x1 - x2) >= kClearlyApart || std::fabs(y1 - y2) >= kClearlyApart) return false;
  return std::fabs(static_cast<long double>(x1) - x2) < kTol && std::fabs(static_cast<long double>(y1) - y2) < kTol;
}

// A length, ratio or direction component counts as zero up to 1E-8.
inline bool IsNearZero(double v) { return std::fabs(v) <= kWriteTolerance; }

// A radius must exceed 1E-8; negative radii are too small as well. A value
// that is not finite is never a reason to drop: the writer writes it, and
// its finite check turns the output into the out-of-range message.
inline bool IsTooSmallRadius(double r) { return r <= kWriteTolerance && std::isfinite(r); }

// An arc or solid arc needs a radius and a ratio.
inline bool IsDrawableArc(double r, double ratio) { return !IsTooSmallRadius(r) && !IsNearZero(ratio); }

// A solid ring needs both radii above 1E-8, R2 below R - 1E-8 and a ratio.
inline bool IsDrawableRing(double r, double ratio, double r2) {
  if (!std::isfinite(r) || !std::isfinite(ratio) || !std::isfinite(r2)) return true;
  if (IsTooSmallRadius(r) || IsTooSmallRadius(r2) || IsNearZero(ratio)) return false;
  return static_cast<long double>(r2) < static_cast<long double>(r) - kTol;
}

// A text needs a direction and a text that is not blank.
inline bool IsDrawableText(std::string_view text, double dx, double dy) {
  return !(IsNearZero(dx) && IsNearZero(dy)) && !IsBlankText(text);
}

// A dimension needs a line of some length and a text direction (a blank
// text is replaced by the length).
inline bool IsDrawableDim(double x1, double y1, double x2, double y2, double dx, double dy) {
  return !SamePoint(x1, y1, x2, y2) && !(IsNearZero(dx) && IsNearZero(dy));
}

// A three-point solid needs three distinct points.
inline bool IsDrawableSolid3(double x1, double y1, double x2, double y2, double x3, double y3) {
  return !(SamePoint(x1, y1, x2, y2) || SamePoint(x1, y1, x3, y3) || SamePoint(x2, y2, x3, y3));
}

// What is left of a four-point solid P1..P4: the first coinciding pair
// decides; P1=P3 and P2=P4 fold the quad onto a line and drop it; the
// three points left are checked again as a three-point solid.
enum TSolid4Form { s4Dropped, s4Whole, s4Without2, s4Without3, s4Without4 };

inline TSolid4Form Solid4Form(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                              double y4) {
  if (SamePoint(x1, y1, x2, y2)) return s4Without2;
  if (SamePoint(x1, y1, x3, y3)) return s4Dropped;
  if (SamePoint(x1, y1, x4, y4)) return s4Without4;
  if (SamePoint(x2, y2, x3, y3)) return s4Without3;
  if (SamePoint(x2, y2, x4, y4)) return s4Dropped;
  if (SamePoint(x3, y3, x4, y4)) return s4Without4;
  return s4Whole;
}

// The codes an "sc" and an "se" solid arc may have.
inline bool IsScCode(int32_t code) { return code == 100 || code == 5 || code == 0 || code == -1; }
inline bool IsSeCode(int32_t code) { return code == 100 || code == 0; }

}  // namespace drop

}  // namespace cadxform
