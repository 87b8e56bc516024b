// The record kinds of a drawing, listed once: each kind code with its record
// array, in kind-code order. Counting, the transform pass and the emission
// walk the kinds through this list, so a new record kind is added here once.
//
//   ForEachKind(d, [&](TEntKind kind, auto& records) { n += records.Count(); });
#pragma once

#include "cadxform/drawing.h"

namespace cadxform {

// Calls f(kind, records) for each of the fifteen record arrays of d (a
// TDrawing or const TDrawing), in kind-code order. Block references
// (ekBlock) are included: a caller that leaves them alone skips them.
template <class D, class F>
void ForEachKind(D& d, F&& f) {
  f(ekLine, d.Lines);
  f(ekCircle, d.Circles);
  f(ekArc, d.Arcs);
  f(ekText, d.Texts);
  f(ekPoint, d.Points);
  f(ekMark, d.Marks);
  f(ekDim, d.Dims);
  f(ekBlock, d.Blocks);
  f(ekSolid2, d.Solids2);
  f(ekSolid3, d.Solids3);
  f(ekSolid4, d.Solids4);
  f(ekSc, d.ScEnts);
  f(ekSe, d.SeEnts);
  f(ekSo, d.SoEnts);
  f(ekSg, d.SgEnts);
}

}  // namespace cadxform
