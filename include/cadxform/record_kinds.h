// The record kinds of a drawing, listed once: each kind code with its record
// array, in kind-code order. Counting, the transform pass and the emission
// walk the kinds through this list, so a new record kind is added here once.
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

}  // namespace cadxform
