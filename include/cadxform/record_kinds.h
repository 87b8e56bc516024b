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
#include <utility>

#include "cadxform/drawing.h"

namespace cadxform {

// A kind code known at compile time; converts to its TEntKind.
template <TEntKind K>
using TKind = std::integral_constant<TEntKind, K>;

// The record array of each kind code, one specialisation per kind: Of(d)
// is that array of d (a TDrawing or const TDrawing). A kind code without
// one does not compile, so no kind is left out of ForEachKind.
template <TEntKind K>
struct TKindRecords;
#define CADXFORM_KIND_RECORDS(kind, array)     \
  template <>                                  \
  struct TKindRecords<kind> {                  \
    template <class D>                         \
    static auto& Of(D& d) {                    \
      return d.array;                          \
    }                                          \
  };
CADXFORM_KIND_RECORDS(ekLine, Lines)
CADXFORM_KIND_RECORDS(ekCircle, Circles)
CADXFORM_KIND_RECORDS(ekArc, Arcs)
CADXFORM_KIND_RECORDS(ekText, Texts)
CADXFORM_KIND_RECORDS(ekPoint, Points)
CADXFORM_KIND_RECORDS(ekMark, Marks)
CADXFORM_KIND_RECORDS(ekDim, Dims)
CADXFORM_KIND_RECORDS(ekBlock, Blocks)
CADXFORM_KIND_RECORDS(ekSolid2, Solids2)
CADXFORM_KIND_RECORDS(ekSolid3, Solids3)
CADXFORM_KIND_RECORDS(ekSolid4, Solids4)
CADXFORM_KIND_RECORDS(ekSc, ScEnts)
CADXFORM_KIND_RECORDS(ekSe, SeEnts)
CADXFORM_KIND_RECORDS(ekSo, SoEnts)
CADXFORM_KIND_RECORDS(ekSg, SgEnts)
#undef CADXFORM_KIND_RECORDS

// Calls f(TKind<kind>(), records) for each of the record arrays of d (a
// TDrawing or const TDrawing), kind codes 1 to kKindCount in order. Block
// references (ekBlock) are included: a caller that leaves them alone skips
// them.
template <class D, class F>
void ForEachKind(D& d, F&& f) {
  [&]<int... I>(std::integer_sequence<int, I...>) {
    (f(TKind<static_cast<TEntKind>(I + 1)>(), TKindRecords<static_cast<TEntKind>(I + 1)>::Of(d)), ...);
  }(std::make_integer_sequence<int, kKindCount>());
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
