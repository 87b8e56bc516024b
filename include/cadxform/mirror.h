// A mirror: the reflection about the line through two points, as a type for
// the transform pass (run.Transform, TransformDrawing), exact for every
// record kind.
//
// Per record (each kind's rule, once):
//   - positions are reflected: lines, centres, points, solid corners, both
//     ends of a dimension line, the anchor of a text or dimension text;
//   - lengths stay (radii, sizes, text sizes, a text's numbered kind);
//   - degree angles (arc tilts, mark angles) and radian tilts (solid arcs
//     and rings) are reflected: a becomes 2 * axis - a, normalised;
//   - arcs, ellipse arcs, solid arcs and rings run the other way round, so
//     that each covers the mirror image of its points: their two arc
//     parameters, angles measured from the tilt, become the negated pair in
//     the other order (ArcParam1' = -ArcParam2, ArcParam2' = -ArcParam1,
//     whatever their unit); the ratio stays;
//   - texts stay readable, as a CAD user expects of a mirror that does not
//     reverse lettering: the anchor point is reflected, and the direction
//     (Dx, Dy) is the reflected one or that turned half round, whichever
//     reads left to right (or upward, for a vertical one); the anchor code
//     (Cc), the keyword and the text are kept. A dimension's text is kept
//     too (reflection keeps lengths);
//   - a parameter text ("^@BM...") in scope stops the run with the message
//     kMirrorParamTextMessage: its number list describes a part the file
//     does not say how to mirror, and a part reference that is not mirrored
//     would be a silently wrong drawing;
//   - block references are never changed (nothing writes them).
// An axis along a whole number of eighth turns (horizontal, vertical,
// diagonal) reflects exactly: its sines and cosines are 0 and 1, with no
// residue in any coordinate; any other axis reflects to the precision of
// long double, its direction taken from the two points themselves (angles
// use the axis direction in degrees, AngleDeg). Intermediates are formed in long double and
// rounded to double once, so the Linux and Windows builds give the same
// bits; mirroring twice gives the drawing back within the last digit of
// the number form.
//
//   // The y axis as the mirror: (3, 1)-(5, 2) becomes (-3, 1)-(-5, 2).
//   run.Transform(TMirror(0, 0, 0, 1));
#pragma once

#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/geometry.h"
#include "cadxform/record_ops.h"

namespace cadxform {

// Message for the user when a parameter text is in scope of a mirror:
// "パラメータ付き文字（^@BM）は反転できないため変換できません" in code page 932.
inline constexpr std::string_view kMirrorParamTextMessage =
    "\x83\x70\x83\x89\x83\x81\x81\x5B\x83\x5E\x95\x74\x82\xAB\x95\xB6\x8E\x9A\x81\x69\x5E\x40\x42\x4D\x81\x6A"
    "\x82\xCD\x94\xBD\x93\x5D\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x95\xCF\x8A\xB7\x82\xC5\x82\xAB"
    "\x82\xDC\x82\xB9\x82\xF1";

class TMirror {
 public:
  // The mirror line through (ax, ay) and (bx, by); the points must lie
  // apart (a caller checks, as for the two-point transform: its axis would
  // otherwise be the x axis through A).
  TMirror(double ax, double ay, double bx, double by);

  // The direction of the mirror line, degrees in [0, 360).
  double AxisDegrees() const { return axis_; }

  void Point(double& x, double& y) const;
  // The reflected direction, turned half round when it would read right to
  // left (or downward); its length stays.
  void Vector(double& vx, double& vy) const;
  void Degrees(double& a) const;
  void Radians(double& a) const;

  // The rules described above for arcs, texts, dimensions, solid arcs and
  // rings.
  void Record(TArcEnt& e, const TRecordOps<TMirror>& ops) const;
  void Record(TTextEnt& e, const TRecordOps<TMirror>& ops) const;
  void Record(TDimEnt& e, const TRecordOps<TMirror>& ops) const;
  void Record(TSolidArcEnt& e, const TRecordOps<TMirror>& ops) const;
  void Record(TSolidRingEnt& e, const TRecordOps<TMirror>& ops) const;

 private:
  double ax_, ay_;  // a point of the mirror line
  double axis_;     // its direction, degrees
  // Cosine and sine of twice the axis direction, from the axis vector
  // itself: a reflection is the turn by twice the axis after a flip of y.
  long double cos2_, sin2_;
};

}  // namespace cadxform
