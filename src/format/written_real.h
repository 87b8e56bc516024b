// A real value as the writers put it into a line: in the real form, and
// never as "INF" or "NAN", which the host cannot read back. A value that is
// not finite (which only a transform that skipped its finite check leaves
// in a record) is noted in the output buffer, whose owner then writes the
// out-of-range message instead of the output, and written as 0 meanwhile.
#pragma once

#include <cmath>
#include <type_traits>

#include "format/out_buffer.h"
#include "numeric/number_forms.h"

namespace cadxform {

// True when every value is finite: v - v is 0 for a finite value and NaN
// for an infinite or NaN one, and a NaN carries through the sum. One test
// for a line's values instead of one per value.
template <class... R>
  requires(std::is_same_v<R, double> && ...)
inline bool AllFinite(R... v) {
  return !std::isnan(((v - v) + ...));
}

inline char* AppendWrittenReal(TOutBuffer& out, char* p, double v) {
  if (!std::isfinite(v)) [[unlikely]] {
    out.NoteNotFinite();
    v = 0;
  }
  return AppendRealForm(p, v);
}

}  // namespace cadxform
