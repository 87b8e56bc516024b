#include "cadxform/mirror.h"

#include "transforms/param_text.h"

namespace cadxform {

namespace {

using Ext = long double;
double Round(Ext v) { return static_cast<double>(v); }

// An arc runs the other way round: the negated pair in the other order
// (0 - v, so that a zero stays +0).
void ReverseArc(double& param1, double& param2) {
  const double first = param1;
  param1 = 0.0 - param2;
  param2 = 0.0 - first;
}

}  // namespace

TMirror::TMirror(double ax, double ay, double bx, double by)
    : ax_(ax), ay_(ay), axis_(AngleDeg(Round(Ext{bx} - ax), Round(Ext{by} - ay))) {
  // cos 2a = (ux^2 - uy^2) / |u|^2, sin 2a = 2 ux uy / |u|^2: exactly 0 and
  // +-1 for a horizontal, vertical or diagonal axis.
  const Ext ux = Ext{bx} - ax, uy = Ext{by} - ay, len2 = ux * ux + uy * uy;
  cos2_ = (ux * ux - uy * uy) / len2;
  sin2_ = 2 * ux * uy / len2;
}

void TMirror::Point(double& x, double& y) const {
  const Ext dx = Ext{x} - ax_, dy = Ext{y} - ay_;
  x = Round(cos2_ * dx + sin2_ * dy + ax_);
  y = Round(sin2_ * dx - cos2_ * dy + ay_);
}

void TMirror::Vector(double& vx, double& vy) const {
  double rx = Round(cos2_ * vx + sin2_ * vy);
  double ry = Round(sin2_ * vx - cos2_ * vy);
  // Reads right to left, or downward: turned half round. The angle is
  // rounded to 10 digits, so a vertical direction with a residue of
  // rounding counts as vertical.
  const double reading = AngleDeg(rx, ry);
  if (reading > 90 && reading <= 270) {
    rx = 0.0 - rx;
    ry = 0.0 - ry;
  }
  vx = rx;
  vy = ry;
}

void TMirror::Degrees(double& a) const { a = NormDeg(Round(Ext{axis_} * 2 - a)); }

void TMirror::Radians(double& a) const {
  const double reflected = NormDeg(Round(Ext{axis_} * 2 - Ext{a} * 180 / kPi));
  a = Round(Ext{reflected} / 180 * kPi);
}

void TMirror::Record(TArcEnt& e, const TRecordOps<TMirror>& ops) const {
  ops.Point(e.X, e.Y);
  ops.Degrees(e.TiltAngle);
  ReverseArc(e.ArcParam1, e.ArcParam2);
}

void TMirror::Record(TTextEnt& e, const TRecordOps<TMirror>& ops) const {
  if (IsParamText(e.Text.View())) ops.Refuse(kMirrorParamTextMessage);
  ops.Point(e.X, e.Y);
  ops.Vector(e.Dx, e.Dy);
}

// The text of a dimension is its measured length, which a reflection keeps.
void TMirror::Record(TDimEnt& e, const TRecordOps<TMirror>& ops) const {
  ops.Point(e.Line.X1, e.Line.Y1);
  ops.Point(e.Line.X2, e.Line.Y2);
  ops.Point(e.Text.X, e.Text.Y);
  ops.Vector(e.Text.Dx, e.Text.Dy);
}

void TMirror::Record(TSolidArcEnt& e, const TRecordOps<TMirror>& ops) const {
  ops.Point(e.X, e.Y);
  ops.Radians(e.TiltRad);
  ReverseArc(e.ArcParam1, e.ArcParam2);
}

void TMirror::Record(TSolidRingEnt& e, const TRecordOps<TMirror>& ops) const {
  ops.Point(e.X, e.Y);
  ops.Radians(e.TiltRad);
  ReverseArc(e.ArcParam1, e.ArcParam2);
}

}  // namespace cadxform
