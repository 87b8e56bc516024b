// The paths of the real form (number_forms.h) that live in files of their
// own, and what they share. AppendRealForm (number_forms.cpp) writes short
// decimals and whole numbers itself and calls these for the rest, out of
// line, so that its own path stays short.
#pragma once

#include <cstdint>

namespace cadxform::real_form {

// Magnitudes written in fixed notation (0.0001 <= rounded value < 10^15).
// Every such value is normal, 10^s below fits in 64 bits and a * 10^s in 128.
inline constexpr double kFixedMin = 1e-4;
inline constexpr double kFixedMax = 1e15;

// Writes a magnitude in [kFixedMin, kFixedMax) in the real form from its
// exact 15-digit rounding (real_fixed_range.cpp). Bytes after the form, up
// to kNumberFormMax from out, may be overwritten.
char* AppendFixedRange(char* out, double a);

// Writes value, a zero, an infinity, a not-a-number or a magnitude outside
// [kFixedMin, kFixedMax), with its sign, in the real form, from the
// library's correctly rounded digits (real_library.cpp).
char* AppendOtherReal(char* out, double value);

// Writes the decimal digits of v (no sign, at least one digit); returns the
// end (int_forms.cpp).
char* AppendUnsigned(char* out, uint32_t v);

}  // namespace cadxform::real_form
