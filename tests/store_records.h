// Building stores by hand in tests.
#pragma once

#include "exchange/store.h"

namespace rek {

// Appends a record of the given kind the way the reader does: order entry,
// then the record with its head taken from the current attributes.
template <class T>
T& AddRecord(TBlockArray<T>& arr, int32_t kind) {
  AddOrder(kind, arr.Count());
  T& e = arr.Append();
  SetEntHead(e.Head);
  return e;
}

}  // namespace rek
