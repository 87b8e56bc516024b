// The record kinds of a drawing, described once: each kind code with its
// record array, in kind-code order, and the geometry of each record.
// Counting, the transform pass and the emission walk the kinds through this
// list, so a new record kind is described here once.
//
//   ForEachKind(d, [&](TEntKind kind, auto& records) { n += records.Count(); });
//   WithKind(d, ekCircle, [&](auto kind, auto& circles) { ... circles[0].R ... });
#pragma once

#include <cstdint>
#include <type_traits>

#include "cadxform/drawing.h"

namespace cadxform {

// A kind code known at compile time; converts to its TEntKind.
template <TEntKind K>
using TKind = std::integral_constant<TEntKind, K>;

// Calls f(TKind<kind>(), records) for each of the fifteen record arrays of d
// (a TDrawing or const TDrawing), in kind-code order. Block references
// (ekBlock) are included: a caller that leaves them alone skips them.
template <class D, class F>
void ForEachKind(D& d, F&& f) {
  f(TKind<ekLine>(), d.Lines);
  f(TKind<ekCircle>(), d.Circles);
  f(TKind<ekArc>(), d.Arcs);
  f(TKind<ekText>(), d.Texts);
  f(TKind<ekPoint>(), d.Points);
  f(TKind<ekMark>(), d.Marks);
  f(TKind<ekDim>(), d.Dims);
  f(TKind<ekBlock>(), d.Blocks);
  f(TKind<ekSolid2>(), d.Solids2);
  f(TKind<ekSolid3>(), d.Solids3);
  f(TKind<ekSolid4>(), d.Solids4);
  f(TKind<ekSc>(), d.ScEnts);
  f(TKind<ekSe>(), d.SeEnts);
  f(TKind<ekSo>(), d.SoEnts);
  f(TKind<ekSg>(), d.SgEnts);
}

// Calls f(TKind<kind>(), records) for the record array of kind code `kind`
// (an input-order entry's Kind); a code of no kind calls nothing.
template <class D, class F>
void WithKind(D& d, int32_t kind, F&& f) {
  ForEachKind(d, [&](auto k, auto& records) {
    if (kind == k) f(k, records);
  });
}

// The geometry of each record kind, value by value, by role:
// v.Point(x, y) for a position, v.Length(r) for a radius or size,
// v.Vector(dx, dy) for a direction, v.Degrees(a) and v.Radians(a) for
// angles. Everything else (heads, codes, ratios, arc parameters, texts)
// is left out. A transform (transform.h) changes a record through this,
// unless it has a rule of its own for the kind; block references have no
// geometry a transform changes.
//   line (0,0)-(10,0): v.Point(X1, Y1); v.Point(X2, Y2)
template <class V>
void VisitGeometry(TLineEnt& e, const V& v) {
  v.Point(e.X1, e.Y1);
  v.Point(e.X2, e.Y2);
}
template <class V>
void VisitGeometry(TCircleEnt& e, const V& v) {
  v.Point(e.X, e.Y);
  v.Length(e.R);
}
template <class V>
void VisitGeometry(TArcEnt& e, const V& v) {
  v.Point(e.X, e.Y);
  v.Length(e.R);
  v.Degrees(e.TiltAngle);
}
// Position and direction; sizes, kind and content stay.
template <class V>
void VisitGeometry(TTextEnt& e, const V& v) {
  v.Point(e.X, e.Y);
  v.Vector(e.Dx, e.Dy);
}
template <class V>
void VisitGeometry(TPointEnt& e, const V& v) {
  v.Point(e.X, e.Y);
}
template <class V>
void VisitGeometry(TMarkEnt& e, const V& v) {
  v.Point(e.X, e.Y);
  v.Length(e.Size);
  v.Degrees(e.Angle);
}
// Both ends of the line, the text's start and direction; the text stays.
template <class V>
void VisitGeometry(TDimEnt& e, const V& v) {
  VisitGeometry(e.Line, v);
  VisitGeometry(e.Text, v);
}
template <class V>
void VisitGeometry(TSolid2Ent& e, const V& v) {
  v.Point(e.X1, e.Y1);
  v.Point(e.X2, e.Y2);
}
template <class V>
void VisitGeometry(TSolid3Ent& e, const V& v) {
  v.Point(e.X1, e.Y1);
  v.Point(e.X2, e.Y2);
  v.Point(e.X3, e.Y3);
}
template <class V>
void VisitGeometry(TSolid4Ent& e, const V& v) {
  v.Point(e.X1, e.Y1);
  v.Point(e.X2, e.Y2);
  v.Point(e.X3, e.Y3);
  v.Point(e.X4, e.Y4);
}
template <class V>
void VisitGeometry(TSolidArcEnt& e, const V& v) {
  v.Point(e.X, e.Y);
  v.Length(e.R);
  v.Radians(e.TiltRad);
}
template <class V>
void VisitGeometry(TSolidRingEnt& e, const V& v) {
  v.Point(e.X, e.Y);
  v.Length(e.R);
  v.Length(e.R2);
  v.Radians(e.TiltRad);
}

}  // namespace cadxform
