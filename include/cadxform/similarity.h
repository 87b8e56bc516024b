// The tool's two transforms, as types for the transform pass
// (TransformDrawing, cadxform/transform.h): a translation, and a similarity
// (turn about a base point, uniform scale, move onto a destination).
//
// Precision: every intermediate (differences, products, sums, the
// degree/radian factors) is formed in long double (80-bit extended on both
// targets); only stored results and the arguments of the double-taking
// geometry routines are rounded to double. The Linux and Windows builds
// give the same bits.
//
//   const TSimilarity turn(0, 0, 0, 0, 90, 2);   // a quarter turn about the origin, doubled
//   TransformDrawing(d, turn, TSelection::Of(d, true));
#pragma once

#include "cadxform/drawing.h"
#include "cadxform/geometry.h"
#include "cadxform/record_ops.h"

namespace cadxform {

// Moves positions by (Dx, Dy); nothing else changes (radii, sizes,
// direction vectors, angles and texts stay, a dimension text is not
// re-measured).
struct TTranslation {
  double Dx = 0.0, Dy = 0.0;

  // Each sum is formed in extended precision and rounded to double once.
  void Point(double& x, double& y) const {
    x = static_cast<double>(static_cast<long double>(x) + Dx);
    y = static_cast<double>(static_cast<long double>(y) + Dy);
  }
};

// Turns by Theta degrees counter-clockwise about the base point, scales by
// S about it and moves the base point onto the destination point (never a
// mirror). Per record:
//   - positions are mapped; radii, mark sizes and solid radii scaled by S;
//   - degree angles become NormDeg(a + Theta); radian solid tilts are
//     turned through degrees;
//   - text direction vectors are turned but not scaled;
//   - when S differs from 1 by more than 1e-10 (Scaling), a text leaves
//     its numbered kind (Kind 0) and its sizes are scaled, and a dimension
//     also gets its text re-measured (length rounded to 8 decimals, real
//     form);
//   - a text beginning with "^@BM" keeps its vector, kind and sizes and has
//     its number list rewritten instead (lengths scaled, angle turned); a
//     dimension text never counts as such.
// Example: base (0,0), destination (100,100), theta 90, scale 2: a line
// (10,0)-(10,5) becomes (100,120)-(90,120), a radius 3 becomes 6, an arc
// tilt of 300 becomes 30.
class TSimilarity {
 public:
  TSimilarity(double baseX, double baseY, double destX, double destY, double thetaDeg, double scale);

  double Theta() const { return theta_; }
  double Scale() const { return s_; }
  bool Scaling() const { return scaling_; }

  // Turns the offset from the base point, scales it and adds the
  // destination point (RotateDeg by Theta about the origin).
  void Point(double& x, double& y) const {
    double rx = 0.0, ry = 0.0;
    turn_.Apply(Round(Ext{x} - baseX_), Round(Ext{y} - baseY_), 0.0, 0.0, rx, ry);
    x = Round(Ext{rx} * s_ + destX_);
    y = Round(Ext{ry} * s_ + destY_);
  }
  // Turns a direction vector; its length stays.
  void Vector(double& vx, double& vy) const {
    double rx = 0.0, ry = 0.0;
    turn_.Apply(vx, vy, 0.0, 0.0, rx, ry);
    vx = rx;
    vy = ry;
  }
  void Length(double& v) const { v = Round(Ext{v} * s_); }
  // NormDeg(a + Theta), in [0, 360).
  void Degrees(double& a) const { a = NormDeg(Round(Ext{a} + theta_)); }
  // Taken to degrees, turned and normalised there, and taken back.
  void Radians(double& a) const {
    const double turned = NormDeg(Round(Ext{a} * 180 / kPi + theta_));
    a = Round(Ext{turned} / 180 * kPi);
  }

  // The rules of texts (parameter texts, sizes) and dimensions (re-measured
  // text) described above.
  void Record(TTextEnt& t, const TRecordOps<TSimilarity>& ops) const;
  void Record(TDimEnt& d, const TRecordOps<TSimilarity>& ops) const;

 private:
  using Ext = long double;
  static double Round(Ext v) { return static_cast<double>(v); }

  double baseX_, baseY_;  // the centre of the turn
  double destX_, destY_;  // where the base point lands
  double theta_;          // degrees, not normalised
  TRotation turn_;        // the turn by theta_
  double s_;
  bool scaling_;  // |s_ - 1| > 1e-10
};

}  // namespace cadxform
