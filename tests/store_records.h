// Building drawings by hand in tests.
#pragma once

#include "cadxform/drawing.h"

namespace cadxform {

// The head a reader gives a record when no attribute line came before it.
inline constexpr TEntHead kPlainHead = {0, 0, 0, 1, 1, 0, 0};

// Appends a zero-filled record of the given kind to d the way the reader
// does: the record with its head, then its order entry.
template <class T>
T& AddRecord(TDrawing& d, TBlockArray<T>& arr, int32_t kind, const TEntHead& head = kPlainHead) {
  T& e = arr.Append();
  e.Head = InternHead(d, head);
  detail::AddOrder(d, kind, arr.Count() - 1);
  return e;
}

}  // namespace cadxform
