// The memory a drawing's records take (a TBlockSource, made by
// NewBlockSource), which only the library reaches: the two-thread reader
// prepares it ahead.
#pragma once

#include "cadxform/drawing.h"

namespace cadxform {

namespace detail {
struct TDrawingMemory {
  static TBlockMemory& Of(TDrawing& d);
};
}  // namespace detail

}  // namespace cadxform
