// Floating-point set-up of the process.
#pragma once

namespace cadxform {

// Sets the x87 unit to 64-bit precision, so long double intermediates are
// extended on every platform and both builds give identical bits. Call once
// at start-up (a no-op where the unit is already set so).
void EnsureExtendedPrecision();

}  // namespace cadxform
