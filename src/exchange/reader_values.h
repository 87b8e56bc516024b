// Number readers shared by the line handlers of the exchange file reader.
//
// The handlers are templates over the kind of split line they read: a
// TTokenLine (a file read on one thread) or a TBatchLine (a line split by
// the second thread of a large file, perhaps with its numbers read ahead).
// Only the latter looks for values read ahead, so reading on one thread
// pays nothing for them.
//
// Tokens that are missing or malformed read as 0: a handler never has to
// check a token before reading it.
//   line `ci 1 2.5 x`:  Int(t, 1) -> 1   Real(t, 2) -> 2.5   Real(t, 3) -> 0
//                       Real(t, 9) -> 0 (no such token)
#pragma once

#include <cstdint>

#include "exchange/reader_batch.h"
#include "exchange/tokenizer.h"
#include "numeric/parse_padded.h"

namespace cadxform::reading {

// Token k read as a 32-bit integer (decimal or "$" hex), 0 when malformed.
template <class TLine>
int32_t Int(const TLine& t, int k) {
  return StrToIntOrZero(t.Token(k));
}

// Token k read as a real, 0.0 when malformed. (Both kinds of line pad
// every token, which lets short decimals be read a word at a time.)
inline double Real(const TTokenLine& t, int k) { return StrToFloatOrZeroPadded(t.Token(k)); }

// The same, using the value read ahead when there is one: the same function
// of the same bytes.
inline double Real(const TBatchLine& t, int k) {
  if (t.Reals() != nullptr && k >= 0 && k < t.StoredCount()) return t.Reals()[k];
  return StrToFloatOrZeroPadded(t.Token(k));
}

}  // namespace cadxform::reading
