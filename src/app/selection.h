// What both transforms share: visiting the records they take part in, and
// the corner points of the polygon solids, which both map alike.
#pragma once

#include "exchange/store.h"

namespace rek {

// Applies f to every record of arr whose head the transform m takes
// (m.Takes(head): every record, or only those of the first layer group).
template <class T, class M, class F>
void ForSelected(TBlockArray<T>& arr, const M& m, F&& f) {
  arr.ForEach([&](T& e) {
    if (m.Takes(*e.Head)) f(e);
  });
}

// Maps every corner of the selected two-, three- and four-point solids with
// m.Point, in the order of the arrays.
template <class M>
void MapSolidCorners(TDrawingStore& s, const M& m) {
  ForSelected(s.Solids2, m, [&](TSolid2Ent& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
  });
  ForSelected(s.Solids3, m, [&](TSolid3Ent& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
    m.Point(e.X3, e.Y3);
  });
  ForSelected(s.Solids4, m, [&](TSolid4Ent& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
    m.Point(e.X3, e.Y3);
    m.Point(e.X4, e.Y4);
  });
}

}  // namespace rek
