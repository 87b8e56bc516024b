// A real value as the writers put it into a line: in the real form, and
// never as "INF" or "NAN", which the host cannot read back. A value that is
// not finite (which only a transform that skipped its finite check leaves
// in a record) is noted in the output buffer, whose owner then writes the
// out-of-range message instead of the output, and written as 0 meanwhile.
#pragma once

#include <cmath>

#include "format/out_buffer.h"
#include "numeric/number_forms.h"

namespace cadxform {

inline char* AppendWrittenReal(TOutBuffer& out, char* p, double v) {
  if (!std::isfinite(v)) [[unlikely]] {
    out.NoteNotFinite();
    v = 0;
  }
  return AppendRealForm(p, v);
}

}  // namespace cadxform
