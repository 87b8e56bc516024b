// The number forms written into output lines (cadxform/number_form.h gives
// them and their rules): the Append* variants write into a buffer, for the
// writers' hot path.
#pragma once

#include <cstdint>
#include <string>

#include "cadxform/number_form.h"

namespace cadxform {

// Longest text any of the forms produces (real form: "-d.ddddddddddddddE-324").
inline constexpr int kNumberFormMax = 32;

// Each Append* writes the form to `out` (which must have room for
// kNumberFormMax bytes) and returns the end of the form. AppendRealForm
// uses the whole room as scratch: bytes after the form, up to
// kNumberFormMax from `out`, may be overwritten.
char* AppendIntForm(char* out, int32_t value);
char* AppendHexForm(char* out, int32_t value);
char* AppendRealForm(char* out, double value);

}  // namespace cadxform
