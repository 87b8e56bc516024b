// Number readers shared by the line handlers of the exchange file reader.
//
// Tokens that are missing or malformed read as 0: a handler never has to
// check a token before reading it.
//   line `ci 1 2.5 x`:  Int(t, 1) -> 1   Real(t, 2) -> 2.5   Real(t, 3) -> 0
//                       Real(t, 9) -> 0 (no such token)
#pragma once

#include <cstdint>

#include "exchange/tokenizer.h"
#include "cadxform/parse_number.h"

namespace cadxform::reading {

// Token k read as a 32-bit integer (decimal or "$" hex), 0 when malformed.
inline int32_t Int(const TTokenLine& t, int k) { return StrToIntOrZero(t.Token(k)); }

// Token k read as a real, 0.0 when malformed. (The token buffer pads every
// token, which lets short decimals be read a word at a time.) Uses the
// value read ahead when there is one: the same function of the same bytes.
inline double Real(const TTokenLine& t, int k) {
  if (t.HasReals() && k >= 0 && k < t.StoredCount()) return t.StoredReal(k);
  return StrToFloatOrZeroPadded(t.Token(k));
}

// Reads every stored token of t as a real now, for Real to use later: lets
// the thread that splits lines take number reading off the thread that
// applies them.
inline void ReadRealsAhead(TTokenLine& t) {
  for (int k = 0; k < t.StoredCount(); ++k) t.StoreReal(k, StrToFloatOrZeroPadded(t.Token(k)));
  t.MarkRealsStored();
}

}  // namespace cadxform::reading
