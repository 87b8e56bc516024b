// x87 precision control.
#include "cadxform/fp_setup.h"

namespace cadxform {

void EnsureExtendedPrecision() {
#if defined(__i386__)
  // Windows starts 32-bit processes with the x87 unit rounding to a 53-bit
  // mantissa; long double intermediates need the full 64 bits (precision
  // control bits 8-9 both set).
  unsigned short cw = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(cw));
  cw = static_cast<unsigned short>(cw | 0x0300u);
  __asm__ __volatile__("fldcw %0" : : "m"(cw));
#endif
}

}  // namespace cadxform
